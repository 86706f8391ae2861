#pragma once

#include <Korvex/Rendering/Gpu/Descriptions.h>
#include <Korvex/Rendering/StringId.h>

#include <optional>

namespace Korvex::Rendering {

struct FrameTargets {
    ImageId color;
    ImageId probeValue;  // null when the frame has no probe targets
    ImageId probeDepth;
    ImageId depthStencil;
};

// Opaque passes draw first, the transparent one last.
enum class PassKind { Opaque, Transparent };

// The pass of a technique name, or nothing for a name the frame does not
// draw. Capped meshes keep the depth of what is drawn before them and so
// draw in the opaque pass, in any order.
std::optional<PassKind> PassForTechnique(StringId technique);

// Depth test less with writes, stencil always/keep, no culling, colour
// writes on; alpha blending in the transparent pass only. Every present
// target is recorded with writes on and its format.
RenderPassDesc MakeRenderPass(const FrameTargets& targets, PassKind kind);

}  // namespace Korvex::Rendering
