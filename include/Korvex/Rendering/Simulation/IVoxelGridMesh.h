#pragma once

#include <Korvex/Rendering/Simulation/GridBox.h>
#include <Korvex/Rendering/Simulation/IClippable.h>
#include <Korvex/Rendering/Simulation/IRenderable.h>
#include <Korvex/Rendering/Simulation/IScalarGrid.h>
#include <Korvex/Rendering/Simulation/ITransformable.h>
#include <Korvex/Rendering/Simulation/IVectorGrid.h>

#include <cstdint>
#include <memory>

namespace Korvex::Rendering {

// Chosen grid cells drawn as cubes that the GPU expands from one point each.
class IVoxelGridMesh : public IRenderable, public ITransformable, public IClippable {
public:
    // Packed cell indices, one 32-bit word per voxel.
    virtual void SetVoxels(array_view<const std::uint32_t> voxels) = 0;
    // box: the model-space box of the grids' textures, half a sample spacing
    // beyond the samples on every side (GridTextureBox); voxel corners then
    // sit on samples.
    virtual void SetGrids(const std::shared_ptr<IScalarGrid>& values,
                          const std::shared_ptr<IVectorGrid>& displacements, const boundingbox<float, 3>& box) = 0;
    virtual void SetDeformation(float factor) = 0;
    virtual void SetColorMap(array_view<const std::uint8_t> rgba) = 0;
    virtual void SetColorMap(array_view<const std::uint8_t> underflowColor, array_view<const std::uint8_t> rgba,
                             array_view<const std::uint8_t> overflowColor) = 0;
    virtual void SetValueRange(float minValue, float maxValue) = 0;
    virtual void SetBrightness(float brightness) = 0;
    virtual void SetWireframe(bool on) = 0;
    virtual void SetWireframeColor(float r, float g, float b, float a) = 0;
    virtual void SetAlpha(float alpha) = 0;
    virtual void DrawWithState(IGpu& gpu, PipelineStateDesc& state, DrawCallDesc& drawCall, ResourceCache& cache,
                               void* passThrough) = 0;
};

}  // namespace Korvex::Rendering
