#include "meshes/line/LineGridMesh.h"

#include "core/CacheKey.h"
#include "core/VariantCache.h"

#include <Korvex/Rendering/Gpu/Utilities.h>
#include <Korvex/Rendering/Simulation/Simulation.h>

#include <cmath>

namespace Korvex::Rendering {

namespace {

constexpr std::uint32_t kConstantStages = kStageVertex | kStagePixel;
constexpr std::uint32_t kDeformedConstantStages = kStageVertex | kStageHull | kStageDomain | kStagePixel;
constexpr std::size_t kDeformationSlot = 1;
constexpr std::size_t kValueSlot = 2;

}  // namespace

LineGridMesh::LineGridMesh(IGpu& gpu)
    : GeometryGridMeshBase(gpu),
      constantBuffer_(gpu, gpu.CreateBuffer({sizeof(detail::SimulationConstants),
                                             kBufferUsageConstant | kBufferUsageDynamic},
                                            nullptr)),
      sampler_(gpu, gpu.CreateSampler({kFilterLinear, kAddressClamp})) {}

void LineGridMesh::SetGrids(std::shared_ptr<IScalarGrid> values, std::shared_ptr<IVectorGrid> displacements,
                            const boundingbox<float, 3>& box) {
    AttachGrids(std::move(values), std::move(displacements), box);
}

void LineGridMesh::SetColor(array_view<const std::uint8_t> rgba) {
    if (rgba.size() < 4) return;
    for (std::size_t i = 0; i < 4; ++i) constants_.color[i] = static_cast<float>(rgba[i]) / 255.0f;
}

void LineGridMesh::DrawWithState(IGpu& gpu, PipelineStateDesc& state, DrawCallDesc& drawCall, ResourceCache& cache,
                                 void*) {
    if (!geometry_ || !scalarGrid_) return;
    UpdateDrawConstants(gpu, drawCall.targets[kTargetDepthStencil]);

    state.cullMode = kCullBack;
    state.frontFace = kFrontFaceCounterClockwise;
    Submit(gpu, state, drawCall, cache);
}

void LineGridMesh::Submit(IGpu& gpu, PipelineStateDesc state, DrawCallDesc drawCall, ResourceCache& cache) {
    Update(constantBuffer_.Get(), gpu, sizeof constants_, &constants_);

    ProgramKey variant;
    variant.planeCount = planeCount_;
    variant.deform = vectorGrid_ && std::abs(static_cast<double>(constants_.deformation)) > kDeformationThreshold;
    variant.probeValue = !drawCall.targets[kTargetProbeValue].IsNull();
    variant.probePosition = !drawCall.targets[kTargetProbeDepth].IsNull();
    state.targetFormats[kTargetProbeValue] = variant.probeValue ? kFormatR32Float : kFormatUnknown;
    state.targetFormats[kTargetProbeDepth] = variant.probePosition ? kFormatR32Float : kFormatUnknown;
    state.vertexInput = geometry_->GetVertexInputState();

    const std::uint64_t programKey = variant.Hash();
    const ProgramId program =
        detail::FindOrCreateProgram(gpu, cache, programKey, [&variant] { return variant.BuildSources(); });
    state.program = program;
    state.topology = variant.deform ? kTopologyPatch2 : kTopologyLineList;
    if (program.IsNull()) return;
    const PipelineStateId pipeline =
        detail::FindOrCreatePipelineState(gpu, cache, detail::PipelineKey(programKey, state), state);
    if (pipeline.IsNull()) return;

    drawCall.constantBuffers[0] = {constantBuffer_.Get(), variant.deform ? kDeformedConstantStages : kConstantStages};
    if (variant.deform)
        drawCall.resources[kDeformationSlot] = {vectorGrid_->GetTexture().view, sampler_.Get(), kStageDomain};
    drawCall.resources[kValueSlot] = {scalarGrid_->GetTexture().view, sampler_.Get(), kStagePixel};
    gpu.BindDrawCall(pipeline, drawCall);
    geometry_->SubmitDraws(gpu);
}

std::unique_ptr<ILineGridMesh> CreateLineGridMesh(IGpu& gpu) { return std::make_unique<LineGridMesh>(gpu); }

}  // namespace Korvex::Rendering
