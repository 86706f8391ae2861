#include "meshes/triangle/CapPlacement.h"
#include "meshes/triangle/TriangleGridMesh.h"

#include <algorithm>

namespace Korvex::Rendering {

// Per plane, the stencil buffer tells where the surface encloses the cap. A
// ray from the eye through a cap point C crosses a closed surface beyond C
// leaving it once more than entering exactly when C is inside, so the count
// pass adds back faces and subtracts front faces of the unclipped surface
// where it lies beyond the plane, seen from the eye. It tests no depth, so
// whatever the frame already holds neither disturbs the count nor needs
// clearing: the caps and then the clipped surface take the ordinary depth
// test, and only the stencil buffer is cleared, once per plane.
void TriangleGridMesh::DrawCapped(IGpu& gpu, PipelineStateDesc state, const DrawCallDesc& drawCall,
                                  ResourceCache& cache) {
    state.depthCompare = kCompareLess;
    PipelineStateDesc countState = state;
    countState.colorWrite = 0;
    countState.depthWrite = 0;
    countState.depthCompare = kCompareAlways;
    countState.stencilPassOpFront = kStencilDecrementWrap;
    countState.stencilPassOpBack = kStencilIncrementWrap;
    DrawCallDesc countCall = drawCall;
    countCall.targets[kTargetProbeValue] = ImageId::Null();
    countCall.targets[kTargetProbeDepth] = ImageId::Null();

    PipelineStateDesc capState = state;
    capState.stencilCompareFront = kCompareEqual;
    capState.stencilCompareBack = kCompareEqual;
    DrawCallDesc capCall = drawCall;
    capCall.stencilReference = 1;

    for (std::size_t plane = 0; plane < planeCount_; ++plane) {
        gpu.ClearStencil(drawCall.targets[kTargetColor], drawCall.targets[kTargetDepthStencil], 0);
        detail::TriangleConstants count = constants_;
        count.clip_planes[0] = detail::PlaneFacingAwayFromEye(clipPlanes_[plane], view_, projection_);
        DrawPass(gpu, countState, countCall, cache, count, 1, false, *geometry_);

        // Clipped by every plane but its own.
        detail::TriangleConstants cap = constants_;
        std::copy(cap.clip_planes.begin() + static_cast<std::ptrdiff_t>(plane) + 1, cap.clip_planes.end(),
                  cap.clip_planes.begin() + static_cast<std::ptrdiff_t>(plane));
        detail::ComputeCapConstants(cap, clipPlanes_[plane], gridBox_, model_, view_, projection_);
        detail::FitCapToBox(cap, gridBox_);
        DrawPass(gpu, capState, capCall, cache, cap, planeCount_ - 1, true, *planeGeometry_);
    }
    DrawPass(gpu, state, drawCall, cache, constants_, planeCount_, false, *geometry_);
}

}  // namespace Korvex::Rendering
