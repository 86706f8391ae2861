#pragma once

#include "core/ColorGradient.h"
#include "core/GridMeshBase.h"
#include "meshes/triangle/TriangleConstants.h"

#include <Korvex/Rendering/Gpu/GpuHandle.h>
#include <Korvex/Rendering/Simulation/ITriangleGridMesh.h>

#include <cstdint>
#include <memory>
#include <string_view>

namespace Korvex::Rendering {

// A triangle surface coloured by a scalar grid through a gradient; with clip
// planes and capping on, the cuts are closed with caps (DrawCapped).
class TriangleGridMesh final : public detail::GeometryGridMeshBase<ITriangleGridMesh, detail::TriangleConstants> {
public:
    static constexpr std::string_view kClassIdentifier = "Korvex.Rendering.Simulation-TriangleGridMesh";

    explicit TriangleGridMesh(IGpu& gpu);

    // "CappedSimulationTechnique" when DrawWithState caps the cuts; otherwise
    // by alpha.
    StringId GetTechnique() const override;

    // Keeps the grids and rebuilds the cap quad for box.
    void SetGrids(std::shared_ptr<IScalarGrid> values, std::shared_ptr<IVectorGrid> displacements,
                  const boundingbox<float, 3>& box) override;
    // First and last colour of the table become underflow and overflow colour.
    void SetColorMap(array_view<const std::uint8_t> rgba) override;
    void SetColorMap(array_view<const std::uint8_t> underflowColor, array_view<const std::uint8_t> rgba,
                     array_view<const std::uint8_t> overflowColor) override;
    void SetValueRange(float minValue, float maxValue) override;
    void SetCapping(bool on) override { capping_ = on; }
    // Share of full colour kept on surfaces seen edge-on; unclamped.
    void SetBrightness(float brightness) override { constants_.brightness = brightness; }

    void DrawWithState(IGpu& gpu, PipelineStateDesc& state, DrawCallDesc& drawCall, ResourceCache& cache,
                       void* passThrough) override;

    // The state the next draw starts from.
    const detail::TriangleConstants& Constants() const { return constants_; }
    std::size_t GradientWidth() const { return gradient_.Width(); }

private:
    // One pass over geometry with constants, plane count and drawing-plane
    // flag; state and drawCall are the pass's own copies.
    void DrawPass(IGpu& gpu, PipelineStateDesc state, DrawCallDesc drawCall, ResourceCache& cache,
                  const detail::TriangleConstants& constants, std::uint64_t planeCount, bool drawingPlane,
                  IGeometry& geometry);
    // Per plane a stencil count and the cap where the surface encloses it,
    // each cap clipped by the other planes; then the clipped surface.
    void DrawCapped(IGpu& gpu, PipelineStateDesc state, const DrawCallDesc& drawCall, ResourceCache& cache);
    bool Deforms() const;
    // Capping on, a plane set, the surface undeformed and closed (the count
    // tells inside from outside only then).
    bool CapsCuts() const;

    bool capping_ = true;
    // Released after the GPU resources, before the grids and the geometry.
    std::shared_ptr<IGeometry> planeGeometry_;
    // Released in reverse: sampler, gradient view and image, constant buffer.
    GpuHandle<BufferTag> constantBuffer_;
    detail::ColorGradient gradient_;
    GpuHandle<SamplerTag> sampler_;
};

}  // namespace Korvex::Rendering
