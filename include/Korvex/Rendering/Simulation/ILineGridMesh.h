#pragma once

#include <Korvex/Rendering/Simulation/GridBox.h>
#include <Korvex/Rendering/Simulation/IClippable.h>
#include <Korvex/Rendering/Simulation/IGeometry.h>
#include <Korvex/Rendering/Simulation/IRenderable.h>
#include <Korvex/Rendering/Simulation/IScalarGrid.h>
#include <Korvex/Rendering/Simulation/ITransformable.h>
#include <Korvex/Rendering/Simulation/IVectorGrid.h>

#include <cstdint>
#include <memory>

namespace Korvex::Rendering {

// Line segments in one colour, tessellated and displaced on the GPU when a
// deformation is in effect.
class ILineGridMesh : public IRenderable, public ITransformable, public IClippable {
public:
    virtual void SetGeometry(const std::shared_ptr<IGeometry>& geometry) = 0;
    // box: the model-space box of the grids' textures, half a sample spacing
    // beyond the samples on every side (GridTextureBox).
    virtual void SetGrids(std::shared_ptr<IScalarGrid> values, std::shared_ptr<IVectorGrid> displacements,
                          const boundingbox<float, 3>& box) = 0;
    virtual void SetDeformation(float factor) = 0;
    // The first four bytes: red, green, blue, alpha.
    virtual void SetColor(array_view<const std::uint8_t> rgba) = 0;
    virtual void SetAlpha(float alpha) = 0;
    virtual void DrawWithState(IGpu& gpu, PipelineStateDesc& state, DrawCallDesc& drawCall, ResourceCache& cache,
                               void* passThrough) = 0;
};

}  // namespace Korvex::Rendering
