#include "meshes/line/LineGridMesh.h"

#include "core/CacheKey.h"
#include "core/VariantCache.h"

#include <Korvex/Rendering/Gpu/Utilities.h>
#include <Korvex/Rendering/Simulation/Simulation.h>

#include <algorithm>
#include <array>
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

    const ImageInfo target = gpu.GetImageInfo(drawCall.targets[kTargetDepthStencil]);
    constants_.pixel_size_min_cell_size[0] = static_cast<float>(2.0 / static_cast<double>(target.width));
    constants_.pixel_size_min_cell_size[1] = static_cast<float>(2.0 / static_cast<double>(target.height));
    constants_.pixel_size_min_cell_size[2] = MinCellSize();
    WriteMatrices();

    state.cullMode = kCullBack;
    state.frontFace = kFrontFaceCounterClockwise;
    Submit(gpu, state, drawCall, cache);
}

// The smallest edge of the cells that the finer of the two grids makes of the
// grid box, per axis.
float LineGridMesh::MinCellSize() const {
    std::array<std::size_t, 3> cells = scalarGrid_->GetTexture().dimensions;
    if (vectorGrid_) {
        const std::array<std::size_t, 3> displacementCells = vectorGrid_->GetTexture().dimensions;
        for (std::size_t axis = 0; axis < 3; ++axis) cells[axis] = std::max(cells[axis], displacementCells[axis]);
    }
    std::array<float, 3> edge;
    for (std::size_t axis = 0; axis < 3; ++axis)
        edge[axis] = (gridBox_.max[axis] - gridBox_.min[axis]) / static_cast<float>(cells[axis]);
    const float yz = edge[1] <= edge[2] ? edge[1] : edge[2];
    return yz < edge[0] ? yz : edge[0];
}

void LineGridMesh::WriteMatrices() {
    const KxTransformMatrix modelView = view_ * model_;
    model_.ConvertToFloat16(constants_.model_matrix.data());
    modelView.ConvertToFloat16(constants_.model_view_matrix.data());
    ToNormalMatrix(modelView).ConvertToFloat16(constants_.normal_matrix.data());
    projection_.ConvertToFloat16(constants_.projection_matrix.data());
    (projection_ * modelView).ConvertToFloat16(constants_.model_view_projection_matrix.data());
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
