#pragma once

// Render targets for the scenarios, made on the recording device; the small
// inputs come from the mesh tests' scene.

#include <MeshScene.h>

namespace Korvex::Rendering::faults {

using test_support::kUnitBox;

// Colour, both probes and depth-stencil, 16 x 16; destroyed with the object.
class Targets {
public:
    explicit Targets(RecordingDevice& device) : device_(device) {
        const auto make = [&](std::uint32_t format, std::uint32_t usage) {
            return device.CreateImage({16, 16, 0, format, 1, 1, usage});
        };
        for (std::size_t k : {kTargetColor, kTargetProbeValue, kTargetProbeDepth, kTargetDepthStencil}) {
            const std::uint32_t format = k == kTargetColor           ? kFormatRgba8Unorm
                                         : k == kTargetDepthStencil ? kFormatDepth24Stencil8
                                                                    : kFormatR32Float;
            const std::uint32_t usage = k == kTargetDepthStencil ? kImageUsageDepthStencilTarget : kImageUsageColorTarget;
            pass_.targets[k] = {1, make(format, usage), format};
        }
    }
    Targets(const Targets&) = delete;
    Targets& operator=(const Targets&) = delete;
    ~Targets() {
        for (const RenderTargetRecord& target : pass_.targets) device_.DestroyImage(target.image);
    }

    const RenderPassDesc& Pass() const { return pass_; }

private:
    RecordingDevice& device_;
    RenderPassDesc pass_;
};

}  // namespace Korvex::Rendering::faults
