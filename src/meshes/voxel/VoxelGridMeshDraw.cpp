#include "core/CacheKey.h"
#include "core/VariantCache.h"
#include "meshes/voxel/VoxelGridMesh.h"
#include "meshes/voxel/VoxelProgram.h"

#include <Korvex/Rendering/Gpu/Codes.h>
#include <Korvex/Rendering/Gpu/Utilities.h>
#include <Korvex/Rendering/Simulation/ColorMaps.h>

#include <cmath>

namespace Korvex::Rendering {

namespace {

// Resource slots of the templates.
constexpr std::size_t kVoxelListSlot = 0;
constexpr std::size_t kDeformationTextureSlot = 1;
constexpr std::size_t kValueTextureSlot = 2;
constexpr std::size_t kGradientTextureSlot = 3;
constexpr std::size_t kCoveredFacesSlot = 4;

constexpr std::uint32_t kConstantStages = kStageVertex | kStageGeometry | kStagePixel;

}  // namespace

void VoxelGridMesh::DrawWithState(IGpu& gpu, PipelineStateDesc& state, DrawCallDesc& drawCall, ResourceCache& cache,
                                  void*) {
    if (voxelCount_ == 0 || !scalarGrid_) return;
    if (!gradient_.IsInstalled()) SetColorMap(GetRgbaColorMap(ColorMaps::Viridis));
    detail::WriteTransforms(constants_, model_, view_, projection_);
    Update(constantBuffer_.Get(), gpu, sizeof constants_, &constants_);

    const bool deform = vectorGrid_ && std::abs(constants_.deformation) > kDeformationThreshold;
    const PipelineStateId pipeline = FindPipeline(gpu, state, drawCall, cache, deform);
    if (pipeline.IsNull()) return;

    const SamplerId sampler = sampler_.Get();
    drawCall.constantBuffers[0] = {constantBuffer_.Get(), kConstantStages};
    drawCall.resources[kVoxelListSlot].stageMask = kStageVertex;
    if (deform)
        drawCall.resources[kDeformationTextureSlot] = {vectorGrid_->GetTexture().view, sampler, kStageVertex};
    drawCall.resources[kValueTextureSlot] = {scalarGrid_->GetTexture().view, sampler, kStagePixel};
    drawCall.resources[kGradientTextureSlot] = {gradient_.View(), sampler, kStagePixel};
    drawCall.resources[kCoveredFacesSlot].stageMask = kStageVertex;
    for (const VoxelPiece& piece : voxelPieces_) {
        // Never drawn against a list the device could not hold.
        if (piece.list.view.IsNull() || piece.coveredFaces.view.IsNull()) continue;
        drawCall.resources[kVoxelListSlot].view = piece.list.view.Get();
        drawCall.resources[kCoveredFacesSlot].view = piece.coveredFaces.view.Get();
        gpu.BindDrawCall(pipeline, drawCall);
        // No vertex buffer: the vertex id indexes the piece's list.
        gpu.DrawVertices({BufferId::Null(), BufferId::Null(), BufferId::Null(), BufferId::Null()}, piece.count, 0);
    }
}

PipelineStateId VoxelGridMesh::FindPipeline(IGpu& gpu, PipelineStateDesc state, const DrawCallDesc& drawCall,
                                            ResourceCache& cache, bool deform) const {
    detail::VoxelProgramVariant variant;
    variant.deform = deform;
    variant.probeValue = !drawCall.targets[kTargetProbeValue].IsNull();
    variant.probePosition = !drawCall.targets[kTargetProbeDepth].IsNull();
    variant.planeCount = planeCount_;
    variant.wireframe = wireframe_;

    state.program = detail::FindOrCreateProgram(gpu, cache, detail::VoxelProgramKey(variant),
                                                [&variant] { return detail::VoxelProgramSources(variant); });
    if (state.program.IsNull()) return PipelineStateId::Null();
    state.topology = kTopologyPoints;
    // The faces are wound counter-clockwise seen from outside, whatever the
    // pass says; the geometry stage leaves out the faces this culls.
    state.cullMode = kCullBack;
    state.frontFace = kFrontFaceCounterClockwise;
    if (variant.probeValue) state.targetFormats[kTargetProbeValue] = kFormatR32Float;
    if (variant.probePosition) state.targetFormats[kTargetProbeDepth] = kFormatR32Float;
    // Seeded by the class: the state's hash already covers the program.
    return detail::FindOrCreatePipelineState(
        gpu, cache, detail::PipelineKey(detail::ClassKeySeed<VoxelGridMesh>(), state), state);
}

}  // namespace Korvex::Rendering
