#include "core/ColorGradient.h"

#include <Korvex/Rendering/Gpu/Codes.h>
#include <Korvex/Rendering/Gpu/Utilities.h>

#include <algorithm>

namespace Korvex::Rendering::detail {

void ColorGradient::ReplaceImage(IGpu& gpu, array_view<const std::uint8_t> rgba) {
    const std::size_t colorCount = rgba.size() / kColorBytes;
    // One colour still spans the range: both ends sample the same texel.
    width_ = std::max<std::size_t>(colorCount, 2);
    view_.Reset();
    image_.Reset();

    ImageDesc desc;
    desc.width = static_cast<std::uint32_t>(colorCount);
    desc.format = kFormatRgba8Unorm;
    desc.usage = kImageUsageSampled | kImageUsageCopyDestination;
    image_ = GpuHandle<ImageTag>(gpu, gpu.CreateImage(desc));
    FillRgbaTexture(gpu, image_.Get(), SubImage{}, rgba);
    view_ = GpuHandle<ImageViewTag>(gpu, gpu.CreateImageView(image_.Get(), ImageViewDesc{}));
}

std::array<float, 4> ColorGradient::UnitColor(array_view<const std::uint8_t> color) {
    std::array<float, 4> unit;
    for (std::size_t i = 0; i < unit.size(); ++i) unit[i] = static_cast<float>(color[i]) / 255.0f;
    return unit;
}

}  // namespace Korvex::Rendering::detail
