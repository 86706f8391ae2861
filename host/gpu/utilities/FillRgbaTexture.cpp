#include <Korvex/Rendering/Gpu/Utilities.h>

namespace Korvex::Rendering {

void FillRgbaTexture(IResourceFactory& factory, ImageId image, const SubImage& region,
                     array_view<const std::uint8_t> rgba) {
    factory.WriteImage(image, region, rgba.data(), rgba.size());
}

}  // namespace Korvex::Rendering
