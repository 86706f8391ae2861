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

// A triangle surface coloured by a scalar field through a gradient, lit,
// deformed and clipped, with caps closing the cuts.
class ITriangleGridMesh : public IRenderable, public ITransformable, public IClippable {
public:
    virtual void SetGeometry(const std::shared_ptr<IGeometry>& geometry) = 0;
    // box: the model-space box of the grids' textures, half a sample spacing
    // beyond the samples on every side (GridTextureBox).
    virtual void SetGrids(std::shared_ptr<IScalarGrid> values, std::shared_ptr<IVectorGrid> displacements,
                          const boundingbox<float, 3>& box) = 0;
    virtual void SetDeformation(float factor) = 0;
    virtual void SetColorMap(array_view<const std::uint8_t> rgba) = 0;
    virtual void SetColorMap(array_view<const std::uint8_t> underflowColor, array_view<const std::uint8_t> rgba,
                             array_view<const std::uint8_t> overflowColor) = 0;
    virtual void SetValueRange(float minValue, float maxValue) = 0;
    virtual void SetCapping(bool on) = 0;
    virtual void SetBrightness(float brightness) = 0;
    virtual void SetAlpha(float alpha) = 0;
    virtual void DrawWithState(IGpu& gpu, PipelineStateDesc& state, DrawCallDesc& drawCall, ResourceCache& cache,
                               void* passThrough) = 0;
};

}  // namespace Korvex::Rendering
