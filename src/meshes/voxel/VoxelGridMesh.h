#pragma once

#include "core/ColorGradient.h"
#include "core/GridMeshBase.h"
#include "meshes/voxel/VoxelConstants.h"

#include <Korvex/Rendering/Gpu/GpuHandle.h>
#include <Korvex/Rendering/Simulation/IVoxelGridMesh.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace Korvex::Rendering {

// Chosen cells of a grid as solid cubes: one point per packed voxel index,
// expanded by the GPU into the cube's faces, coloured by the scalar grid
// through a gradient, optionally with a wireframe overlay.
class VoxelGridMesh final : public detail::GridMeshBase<IVoxelGridMesh, detail::VoxelConstants> {
public:
    static constexpr std::string_view kClassIdentifier = "Korvex.Rendering.Simulation-VoxelGridMesh";
    // Keeps 4 bytes per voxel within the 32-bit buffer size.
    static constexpr std::size_t kMaxVoxels = std::size_t{1} << 30;
    // |deformation| must exceed this, with a vector grid, to displace.
    static constexpr float kDeformationThreshold = 0.0001f;

    // Creates the constant buffer, then the sampler.
    explicit VoxelGridMesh(IGpu& gpu);

    // Replaces the voxel buffers and their views: the list split into pieces
    // that each fit the device's buffer size limit, drawn one after another,
    // each with the faces its voxels share with others of the list. Lists of
    // kMaxVoxels or more are ignored.
    void SetVoxels(array_view<const std::uint32_t> voxels) override;
    // Also takes the scalar grid's sample counts into dimensions; without a
    // scalar grid they stay as they were.
    void SetGrids(const std::shared_ptr<IScalarGrid>& values, const std::shared_ptr<IVectorGrid>& displacements,
                  const boundingbox<float, 3>& box) override;
    // First and last colour of the table become underflow and overflow colour.
    // Views shorter than one colour are ignored.
    void SetColorMap(array_view<const std::uint8_t> rgba) override;
    void SetColorMap(array_view<const std::uint8_t> underflowColor, array_view<const std::uint8_t> rgba,
                     array_view<const std::uint8_t> overflowColor) override;
    void SetValueRange(float minValue, float maxValue) override;
    // Share of full colour kept on faces seen edge-on; unclamped.
    void SetBrightness(float brightness) override { constants_.brightness = brightness; }
    void SetWireframe(bool on) override { wireframe_ = on; }
    void SetWireframeColor(float r, float g, float b, float a) override { constants_.wireframe_color = {r, g, b, a}; }

    // The grid box widened by the displacement range, in world space; the
    // empty box is transformed too.
    boundingbox<float, 3> GetWorldBoundingBox() const override { return ToWorldBox(gridBox_); }

    void DrawWithState(IGpu& gpu, PipelineStateDesc& state, DrawCallDesc& drawCall, ResourceCache& cache,
                       void* passThrough) override;

    // The state the next draw starts from.
    const detail::VoxelConstants& Constants() const { return constants_; }
    std::uint32_t VoxelCount() const { return voxelCount_; }
    std::size_t GradientWidth() const { return gradient_.Width(); }

private:
    // Words the vertex stage reads: a buffer and its view, released view
    // first.
    struct WordView {
        GpuHandle<BufferTag> buffer;
        GpuHandle<ImageViewTag> view;
    };
    // A piece of the voxel list, and the covered faces of its voxels (one
    // byte each, CoveredFaces); a piece the device could not hold has a null
    // view and is not drawn.
    struct VoxelPiece {
        WordView list;
        WordView coveredFaces;
        std::uint32_t count = 0;
    };

    WordView ShaderReadWords(const void* words, std::uint32_t count);

    // The pipeline of the variant for state, created on a cache miss; null
    // when its program or pipeline could not be made.
    PipelineStateId FindPipeline(IGpu& gpu, PipelineStateDesc state, const DrawCallDesc& drawCall,
                                 ResourceCache& cache, bool deform) const;

    std::uint32_t voxelCount_ = 0;
    bool wireframe_ = false;
    // Declared in creation order and released in reverse: sampler, gradient
    // view and image, voxel pieces (each view, then buffer), constant buffer.
    // The base then releases the transforms, the planes, the vector grid and
    // the scalar grid.
    GpuHandle<BufferTag> constantBuffer_;
    std::vector<VoxelPiece> voxelPieces_;
    detail::ColorGradient gradient_;
    GpuHandle<SamplerTag> sampler_;
};

}  // namespace Korvex::Rendering
