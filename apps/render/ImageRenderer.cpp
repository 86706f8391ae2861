#include "ImageRenderer.h"

#include <algorithm>
#include <cmath>

namespace Korvex::App {

std::unique_ptr<ImageRenderer> ImageRenderer::Create(std::uint32_t width, std::uint32_t height,
                                                     const std::array<float, 4>& background, std::string* error) {
    std::unique_ptr<ImageRenderer> renderer(new ImageRenderer());
    for (std::size_t c = 0; c < 4; ++c)
        renderer->background_[c] =
            static_cast<std::uint8_t>(std::lround(std::clamp(background[c], 0.0f, 1.0f) * 255.0f));
    renderer->device_ = Rendering::GlDevice::Create(error);
    if (!renderer->device_) return nullptr;
    Rendering::FrameDesc desc;
    desc.width = width;
    desc.height = height;
    desc.background = background;
    renderer->frame_ = Rendering::OffscreenFrame::Create(*renderer->device_, desc, error);
    if (!renderer->frame_) return nullptr;
    return renderer;
}

bool ImageRenderer::IsBlank(const std::vector<std::uint8_t>& rgba) const {
    for (std::size_t i = 0; i + 3 < rgba.size(); i += 4)
        for (std::size_t c = 0; c < 4; ++c)
            if (rgba[i + c] != background_[c]) return false;
    return true;
}

// The frame holds programs and targets of the device: it goes first.
ImageRenderer::~ImageRenderer() { frame_.reset(); }

bool ImageRenderer::Render(GpuScene& scene, const Rendering::ViewMatrices& camera, std::array<std::uint32_t, 2> pixel,
                           ProbeReading* reading, std::string* error) {
    scene.SetCamera(camera.view, camera.projection);
    frame_->Clear();
    const std::vector<Rendering::IRenderable*> renderables = scene.Renderables();
    frame_->Draw(renderables);
    const std::vector<float> values = frame_->ReadProbeValue();
    const std::vector<float> depths = frame_->ReadProbeDepth();
    const std::size_t texel = std::size_t{Height() - 1 - pixel[1]} * Width() + pixel[0];
    if (texel >= values.size() || texel >= depths.size()) {
        *error = "the device gave no probe values (" + device_->Renderer() + ")";
        return false;
    }
    reading->hit = !std::isnan(values[texel]);
    reading->value = values[texel];
    reading->depth = depths[texel];
    return true;
}

}  // namespace Korvex::App
