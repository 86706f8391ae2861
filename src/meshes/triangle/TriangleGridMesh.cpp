#include "meshes/triangle/TriangleGridMesh.h"

#include "meshes/triangle/CapPlacement.h"
#include "meshes/triangle/VertexPNGeometry.h"

#include <Korvex/Rendering/Simulation/Simulation.h>

#include <span>
#include <utility>

namespace Korvex::Rendering {

TriangleGridMesh::TriangleGridMesh(IGpu& gpu)
    : GeometryGridMeshBase(gpu),
      constantBuffer_(gpu, gpu.CreateBuffer({sizeof(detail::TriangleConstants),
                                             kBufferUsageConstant | kBufferUsageDynamic},
                                            nullptr)),
      sampler_(gpu, gpu.CreateSampler({kFilterLinear, kAddressClamp})) {}

StringId TriangleGridMesh::GetTechnique() const {
    if (CapsCuts()) return detail::CappedSimulationTechnique();
    return detail::TechniqueForAlpha(constants_.alpha_value);
}

void TriangleGridMesh::SetGrids(std::shared_ptr<IScalarGrid> values, std::shared_ptr<IVectorGrid> displacements,
                                const boundingbox<float, 3>& box) {
    // The quad first: should building it fail, the mesh keeps its old grids.
    const std::array<VertexPN, 6> quad = detail::CapQuadVertices(box);
    std::shared_ptr<IGeometry> planeGeometry = detail::BuildVertexPNGeometry(
        gpu_, 3, box, [&](auto& builder) { builder.AddPrimitives(std::span<const VertexPN>(quad)); });
    AttachGrids(std::move(values), std::move(displacements), box);
    planeGeometry_ = std::move(planeGeometry);
}

void TriangleGridMesh::SetColorMap(array_view<const std::uint8_t> rgba) {
    if (rgba.size() < detail::kColorBytes) return;
    SetColorMap(detail::FirstColor(rgba), rgba, detail::LastColor(rgba));
}

void TriangleGridMesh::SetColorMap(array_view<const std::uint8_t> underflowColor, array_view<const std::uint8_t> rgba,
                                   array_view<const std::uint8_t> overflowColor) {
    gradient_.Install(gpu_, constants_, underflowColor, rgba, overflowColor);
}

void TriangleGridMesh::SetValueRange(float minValue, float maxValue) {
    gradient_.SetValueRange(constants_, minValue, maxValue);
}

std::unique_ptr<ITriangleGridMesh> CreateTriangleGridMesh(IGpu& gpu) {
    return std::make_unique<TriangleGridMesh>(gpu);
}

}  // namespace Korvex::Rendering
