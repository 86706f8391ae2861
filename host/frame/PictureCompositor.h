#pragma once

#include <Korvex/Rendering/Gpu/GpuHandle.h>
#include <Korvex/Rendering/Gpu/IGpu.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace Korvex::Rendering {

// The frame's colours with an RGBA8 overlay (text, the colour bar) blended
// over them on the GPU, in a colour target of its own: a new overlay is
// composed over the same scene without drawing the scene again, and nothing
// is read back.
class PictureCompositor {
public:
    // Null and *error when the device refuses the program or the images.
    static std::unique_ptr<PictureCompositor> Create(IGpu& gpu, std::uint32_t width, std::uint32_t height,
                                                     std::string* error);
    PictureCompositor(const PictureCompositor&) = delete;
    PictureCompositor& operator=(const PictureCompositor&) = delete;

    // Images of another size, the program kept; the overlay is cleared.
    bool Resize(std::uint32_t width, std::uint32_t height, std::string* error);

    // width x height texels of straight (not premultiplied) alpha, rows
    // bottom first as the frame holds them; false for another size.
    bool SetOverlay(std::span<const std::uint8_t> rgba);
    // Copies scene, an RGBA8 colour target of this size, into Picture() and
    // blends the overlay over it.
    void Compose(ImageId scene);
    // RGBA8, a colour target and copy source.
    ImageId Picture() const { return picture_.Get(); }

private:
    explicit PictureCompositor(IGpu& gpu);
    bool MakeImages(std::uint32_t width, std::uint32_t height, std::string* error);

    IGpu& gpu_;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    GpuHandle<ProgramTag> program_;
    GpuHandle<PipelineStateTag> pipeline_;
    GpuHandle<SamplerTag> sampler_;
    GpuHandle<ImageTag> overlay_;
    GpuHandle<ImageViewTag> overlayView_;
    GpuHandle<ImageTag> picture_;
};

}  // namespace Korvex::Rendering
