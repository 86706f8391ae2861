#pragma once

#include "core/GridMeshBase.h"
#include "meshes/line/LineConstants.h"

#include <Korvex/Rendering/Gpu/GpuHandle.h>
#include <Korvex/Rendering/Simulation/ILineGridMesh.h>

#include <cstdint>
#include <memory>
#include <string_view>

namespace Korvex::Rendering {

// Lines in one colour. Without deformation they are drawn as a line list;
// with it, as two-point patches the GPU cuts into pieces of about one grid
// cell, each displaced by the vector grid.
class LineGridMesh final : public detail::GeometryGridMeshBase<ILineGridMesh, detail::SimulationConstants> {
public:
    static constexpr std::string_view kClassIdentifier = "Korvex.Rendering.Simulation-LineGridMesh";
    // |deformation| must exceed this, with a vector grid, to displace.
    static constexpr double kDeformationThreshold = 0.0001;

    // The program variant a draw needs.
    struct ProgramKey {
        std::uint64_t planeCount = 0;
        bool deform = false;
        bool probeValue = false;
        bool probePosition = false;

        // Class seed, then each field in order, hashed once.
        std::uint64_t Hash() const;
        // The specialised stage texts to compile.
        ShaderStageSources BuildSources() const;
    };

    // Creates the constant buffer, then the sampler.
    explicit LineGridMesh(IGpu& gpu);

    void SetGrids(std::shared_ptr<IScalarGrid> values, std::shared_ptr<IVectorGrid> displacements,
                  const boundingbox<float, 3>& box) override;
    // Fewer than four bytes are ignored.
    void SetColor(array_view<const std::uint8_t> rgba) override;
    void DrawWithState(IGpu& gpu, PipelineStateDesc& state, DrawCallDesc& drawCall, ResourceCache& cache,
                       void* passThrough) override;

private:
    void Submit(IGpu& gpu, PipelineStateDesc state, DrawCallDesc drawCall, ResourceCache& cache);

    // Declared in creation order, so the sampler is released first; the base
    // then releases the grids and the geometry.
    GpuHandle<BufferTag> constantBuffer_;
    GpuHandle<SamplerTag> sampler_;
};

}  // namespace Korvex::Rendering
