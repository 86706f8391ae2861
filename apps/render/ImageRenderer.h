#pragma once

#include "GpuScene.h"

#include <GlDevice.h>
#include <OffscreenFrame.h>
#include <ViewFraming.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Korvex::App {

struct ProbeReading {
    bool hit = false;  // something was drawn at the pixel
    float value = 0.0f;
    float depth = 1.0f;  // projected depth, 0 at the near plane, 1 at the far plane
    bool logarithmic = false;  // the value came through log10 colours: 0 stands for 0 or below
};

// The GPU device and an offscreen frame of one image size. Scenes made on
// Gpu() must be destroyed before the renderer.
class ImageRenderer {
public:
    // background: red, green, blue, alpha (0: transparent).
    static std::unique_ptr<ImageRenderer> Create(std::uint32_t width, std::uint32_t height,
                                                 const std::array<float, 4>& background, std::string* error);
    ~ImageRenderer();

    Rendering::IGpu& Gpu() { return *device_; }
    std::uint32_t Width() const { return frame_->Width(); }
    std::uint32_t Height() const { return frame_->Height(); }
    double Aspect() const { return static_cast<double>(Width()) / Height(); }

    // Draws the scene from the camera and reads the probe targets at the
    // pixel (from the top left). False and *error when the device failed.
    bool Render(GpuScene& scene, const Rendering::ViewMatrices& camera, std::array<std::uint32_t, 2> pixel,
                ProbeReading* reading, std::string* error);
    // The last image, rows bottom first.
    std::vector<std::uint8_t> ReadImage() const { return frame_->ReadColor(); }
    // Whether an image holds the background colour alone.
    bool IsBlank(const std::vector<std::uint8_t>& rgba) const;

private:
    ImageRenderer() = default;

    std::array<std::uint8_t, 4> background_{};
    std::unique_ptr<Rendering::GlDevice> device_;
    std::unique_ptr<Rendering::OffscreenFrame> frame_;
};

}  // namespace Korvex::App
