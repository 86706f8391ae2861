#include "core/CacheKey.h"
#include "core/VariantCache.h"
#include "meshes/triangle/TriangleGridMesh.h"
#include "meshes/triangle/TriangleProgram.h"

#include <Korvex/Rendering/Gpu/Utilities.h>
#include <Korvex/Rendering/Simulation/ColorMaps.h>

#include <cmath>

namespace Korvex::Rendering {

namespace {

// Below this the displacement is not worth tessellating, and caps stay exact.
constexpr float kDeformationThreshold = 0.0001f;
// The hull stage's level of an edge, its length over the smallest cell,
// rounds up to a whole number (equal spacing): an edge shorter than the cell
// by this share stays at level 1 whatever the GPU's rounding.
constexpr float kEdgeMargin = 1.0f / 1024.0f;

// Resource slots of the templates.
constexpr std::size_t kDeformationTextureSlot = 1;
constexpr std::size_t kValueTextureSlot = 2;
constexpr std::size_t kGradientTextureSlot = 3;

}  // namespace

void TriangleGridMesh::DrawWithState(IGpu& gpu, PipelineStateDesc& state, DrawCallDesc& drawCall,
                                     ResourceCache& cache, void*) {
    if (!geometry_ || !scalarGrid_) return;
    if (!gradient_.IsInstalled()) SetColorMap(GetRgbaColorMap(ColorMaps::Viridis));
    UpdateDrawConstants(gpu, drawCall.targets[kTargetDepthStencil]);
    // Both faces always: the cap count tells them apart, the shading does not.
    state.cullMode = kCullNone;
    if (CapsCuts())
        DrawCapped(gpu, state, drawCall, cache);
    else
        DrawPass(gpu, state, drawCall, cache, constants_, planeCount_, false, *geometry_);
}

bool TriangleGridMesh::Deforms() const {
    return vectorGrid_ && std::abs(constants_.deformation) > kDeformationThreshold;
}

bool TriangleGridMesh::CapsCuts() const {
    return capping_ && planeCount_ > 0 && !Deforms() && geometry_ && geometry_->IsClosed();
}

void TriangleGridMesh::DrawPass(IGpu& gpu, PipelineStateDesc state, DrawCallDesc drawCall, ResourceCache& cache,
                                const detail::TriangleConstants& constants, std::uint64_t planeCount,
                                bool drawingPlane, IGeometry& geometry) {
    Update(constantBuffer_.Get(), gpu_, sizeof constants, &constants);
    const bool deform = Deforms();
    const detail::TriangleProgramVariant variant{
        planeCount,
        deform,
        drawingPlane,
        !drawCall.targets[kTargetProbeValue].IsNull(),
        !drawCall.targets[kTargetProbeDepth].IsNull(),
        deform && geometry.GetLongestEdge() * (1.0f + kEdgeMargin) <= constants.pixel_size_min_cell_size[2]};
    const bool tessellate = variant.deform && !variant.displacedVertices;
    state.targetFormats[kTargetProbeValue] = variant.probeValue ? kFormatR32Float : kFormatUnknown;
    state.targetFormats[kTargetProbeDepth] = variant.probePosition ? kFormatR32Float : kFormatUnknown;
    state.vertexInput = geometry.GetVertexInputState();

    const std::uint64_t programKey = detail::TriangleProgramKey(variant);
    state.program = detail::FindOrCreateProgram(gpu_, cache, programKey,
                                                [&] { return detail::TriangleProgramSources(variant); });
    state.topology = tessellate ? kTopologyPatch3 : kTopologyTriangleList;
    if (state.program.IsNull()) return;
    const PipelineStateId pipeline =
        detail::FindOrCreatePipelineState(gpu_, cache, detail::PipelineKey(programKey, state), state);
    if (pipeline.IsNull()) return;

    const SamplerId sampler = sampler_.Get();
    drawCall.constantBuffers[0] = {constantBuffer_.Get(), tessellate
                                                              ? kStageVertex | kStageHull | kStageDomain | kStagePixel
                                                              : kStageVertex | kStagePixel};
    if (variant.deform)
        drawCall.resources[kDeformationTextureSlot] = {vectorGrid_->GetTexture().view, sampler,
                                                       tessellate ? kStageDomain : kStageVertex};
    drawCall.resources[kValueTextureSlot] = {scalarGrid_->GetTexture().view, sampler, kStagePixel};
    drawCall.resources[kGradientTextureSlot] = {gradient_.View(), sampler, kStagePixel};
    gpu.BindDrawCall(pipeline, drawCall);
    geometry.SubmitDraws(gpu);
}

}  // namespace Korvex::Rendering
