#include "meshes/triangle/CapPlacement.h"
#include "meshes/triangle/TriangleGridMesh.h"

#include <algorithm>
#include <utility>

namespace Korvex::Rendering {

// The stencil buffer tells where the surface encloses a cap: the caps go to
// depth first, the unclipped surface then counts its front faces up and its
// back faces down wherever it lies in front of a cap, which leaves 1 where
// the cap point seen is inside a closed surface and 0 where it is outside.
void TriangleGridMesh::DrawCapped(IGpu& gpu, PipelineStateDesc state, DrawCallDesc drawCall, ResourceCache& cache) {
    const ImageId colorTarget = drawCall.targets[kTargetColor];
    const ImageId depthStencilTarget = drawCall.targets[kTargetDepthStencil];
    gpu.ClearDepthStencil(colorTarget, depthStencilTarget, 1.0f, 0);

    // Cap depths only: no colour, no probes.
    const ImageId probeValue = std::exchange(drawCall.targets[kTargetProbeValue], ImageId::Null());
    const ImageId probeDepth = std::exchange(drawCall.targets[kTargetProbeDepth], ImageId::Null());
    state.cullMode = kCullNone;
    state.depthCompare = kCompareLess;
    state.colorWrite = 0;
    DrawCaps(gpu, state, drawCall, cache);

    // The count, tested against the cap depths, written nowhere else.
    state.depthWrite = 0;
    state.stencilPassOpFront = kStencilIncrementWrap;
    state.stencilPassOpBack = kStencilDecrementWrap;
    DrawPass(gpu, state, drawCall, cache, constants_, 0, false, *geometry_);

    // The caps in colour where the count is 1.
    gpu.ClearDepth(colorTarget, depthStencilTarget, 1.0f);
    state.stencilCompareFront = kCompareEqual;
    state.stencilCompareBack = kCompareEqual;
    drawCall.stencilReference = 1;
    drawCall.targets[kTargetProbeValue] = probeValue;
    drawCall.targets[kTargetProbeDepth] = probeDepth;
    state.colorWrite = 1;
    state.depthWrite = 1;
    state.stencilPassOpFront = kStencilKeep;
    state.stencilPassOpBack = kStencilKeep;
    DrawCaps(gpu, state, drawCall, cache);

    // The clipped surface over them, without the stencil test.
    drawCall.stencilReference = 0;
    state.stencilCompareFront = kCompareAlways;
    state.stencilCompareBack = kCompareAlways;
    DrawPass(gpu, state, drawCall, cache, constants_, planeCount_, false, *geometry_);
}

void TriangleGridMesh::DrawCaps(IGpu& gpu, const PipelineStateDesc& state, const DrawCallDesc& drawCall,
                                ResourceCache& cache) {
    for (std::size_t plane = 0; plane < planeCount_; ++plane) {
        // Clipped by every plane but its own.
        detail::TriangleConstants cap = constants_;
        std::copy(cap.clip_planes.begin() + static_cast<std::ptrdiff_t>(plane) + 1, cap.clip_planes.end(),
                  cap.clip_planes.begin() + static_cast<std::ptrdiff_t>(plane));
        detail::ComputeCapConstants(cap, clipPlanes_[plane], gridBox_, model_, view_, projection_);
        DrawPass(gpu, state, drawCall, cache, cap, planeCount_ - 1, true, *planeGeometry_);
    }
}

}  // namespace Korvex::Rendering
