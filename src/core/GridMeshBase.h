#pragma once

#include "core/Techniques.h"
#include "core/TransformConstants.h"

#include <Korvex/Math/KxTransformMatrix.h>
#include <Korvex/Rendering/ClipPlane.h>
#include <Korvex/Rendering/Gpu/Descriptions.h>
#include <Korvex/Rendering/Gpu/IGpu.h>
#include <Korvex/Rendering/Gpu/ResourceCache.h>
#include <Korvex/Rendering/Simulation/IGeometry.h>
#include <Korvex/Rendering/Simulation/IScalarGrid.h>
#include <Korvex/Rendering/Simulation/IVectorGrid.h>
#include <Korvex/Rendering/Utilities.h>
#include <Korvex/Rendering/array_view.h>
#include <Korvex/Rendering/boundingbox.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <concepts>
#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

namespace Korvex::Rendering::detail {

// What every draw starts from: no vertex input, no program, triangle lists,
// the pass's settings block and per-target values.
PipelineStateDesc PipelineStateForPass(const RenderPassDesc& pass);
// No constant buffer or resource bound, stencil reference 0, the pass's targets.
DrawCallDesc DrawCallForPass(const RenderPassDesc& pass);

// box extended by the point box.min + range_min, then by the point
// box.max + range_max of the extended box; unchanged without displacements.
boundingbox<float, 3> WidenByDisplacementRange(boundingbox<float, 3> box, const IVectorGrid* displacements);

// The constants-block fields the shared behaviour writes: eight float4 clip
// planes, the float4 grid corners (xyz written) and two floats.
template <class Constants>
concept MeshConstantsBlock = std::is_trivially_copyable_v<Constants> && requires(Constants c) {
    requires sizeof(c.clip_planes) == kMaxClipPlanes * sizeof(ClipPlane);
    requires sizeof(c.corner_min) == 4 * sizeof(float);
    requires sizeof(c.corner_max) == 4 * sizeof(float);
    { c.deformation } -> std::same_as<float&>;
    { c.alpha_value } -> std::same_as<float&>;
};

// What UpdateDrawConstants writes: the pixel size and smallest cell edge, and
// the matrices (WriteTransforms).
template <class Constants>
concept DrawSizedConstantsBlock = requires(Constants c) {
    requires sizeof(c.pixel_size_min_cell_size) == 4 * sizeof(float);
    { c.model_matrix.data() } -> std::same_as<float*>;
    { c.model_view_matrix.data() } -> std::same_as<float*>;
    { c.projection_matrix.data() } -> std::same_as<float*>;
};

// The behaviour the three grid meshes share, over the mesh interface
// (ILineGridMesh, ITriangleGridMesh, IVoxelGridMesh) and its constants block.
// The mesh adds its resources, its own setters, GetWorldBoundingBox (or takes
// GeometryGridMeshBase's) and DrawWithState, which Draw calls through the table.
template <class Interface, MeshConstantsBlock Constants>
class GridMeshBase : public Interface {
public:
    // Meshes keep no name.
    const char* GetName() const override { return ""; }
    void SetName(const char*) override {}

    std::uint32_t GetUserValue() const override { return userValue_; }
    void SetUserValue(std::uint32_t value) override { userValue_ = value; }
    StringId GetTechnique() const override { return TechniqueForAlpha(constants_.alpha_value); }
    void Draw(void* context, const RenderPassDesc& pass, ResourceCache& cache, void* passThrough) override;

    KxTransformMatrix GetModelTransform() const override { return model_; }
    void SetModelTransform(const KxTransformMatrix& model) override { model_ = model; }
    void SetViewProjection(const KxTransformMatrix& view, const KxTransformMatrix& projection) override;

    array_view<const ClipPlane> GetClipPlanes() const override { return {clipPlanes_.data(), clipPlanes_.size()}; }
    void SetClipPlanes(array_view<const ClipPlane> planes) override;

    // Unclamped: a negative factor displaces against the vectors.
    void SetDeformation(float factor) override { constants_.deformation = factor; }
    // Clamped to [0, 1]; NaN gives 1.
    void SetAlpha(float alpha) override;

protected:
    explicit GridMeshBase(IGpu& gpu) : gpu_(gpu) {}

    // Keeps both grid references (either may be empty) and the model-space
    // box they cover, mirrored into corner_min.xyz and corner_max.xyz.
    void AttachGrids(std::shared_ptr<IScalarGrid> values, std::shared_ptr<IVectorGrid> displacements,
                     const boundingbox<float, 3>& box);
    // Vector grid first, as every mesh releases its shared inputs.
    void ReleaseGrids() noexcept {
        vectorGrid_.reset();
        scalarGrid_.reset();
    }
    // A model-space box widened by the displacement range, in world space.
    boundingbox<float, 3> ToWorldBox(const boundingbox<float, 3>& modelBox) const {
        return Transform(WidenByDisplacementRange(modelBox, vectorGrid_.get()), model_);
    }

    IGpu& gpu_;
    std::uint32_t userValue_ = 0;
    std::uint64_t planeCount_ = 0;
    std::shared_ptr<IScalarGrid> scalarGrid_;
    std::shared_ptr<IVectorGrid> vectorGrid_;
    boundingbox<float, 3> gridBox_;
    Constants constants_{};
    std::vector<ClipPlane> clipPlanes_;
    KxTransformMatrix model_;
    KxTransformMatrix view_;
    KxTransformMatrix projection_;
};

// The line and triangle meshes: drawn from an attached geometry, whose box
// gives the world bounding box.
template <class Interface, MeshConstantsBlock Constants>
class GeometryGridMeshBase : public GridMeshBase<Interface, Constants> {
public:
    void SetGeometry(const std::shared_ptr<IGeometry>& geometry) override { geometry_ = geometry; }
    // The empty box, untransformed, without a geometry.
    boundingbox<float, 3> GetWorldBoundingBox() const override {
        return geometry_ ? this->ToWorldBox(geometry_->GetBoundingBox()) : boundingbox<float, 3>{};
    }

protected:
    using GridMeshBase<Interface, Constants>::GridMeshBase;
    // The grids go before the geometry.
    ~GeometryGridMeshBase() override { this->ReleaseGrids(); }

    // Before each draw, with a scalar grid attached: the transforms, the pixel
    // size of targets the size of depthTarget and the smallest cell edge of
    // the finer grid, which tessellation follows.
    void UpdateDrawConstants(IGpu& gpu, ImageId depthTarget)
        requires DrawSizedConstantsBlock<Constants>;

    std::shared_ptr<IGeometry> geometry_;
};

template <class Interface, MeshConstantsBlock Constants>
void GeometryGridMeshBase<Interface, Constants>::UpdateDrawConstants(IGpu& gpu, ImageId depthTarget)
    requires DrawSizedConstantsBlock<Constants> {
    Constants& constants = this->constants_;
    const ImageInfo target = gpu.GetImageInfo(depthTarget);
    constants.pixel_size_min_cell_size[0] = static_cast<float>(2.0 / target.width);
    constants.pixel_size_min_cell_size[1] = static_cast<float>(2.0 / target.height);

    std::array<std::size_t, 3> samples = this->scalarGrid_->GetTexture().dimensions;
    if (this->vectorGrid_) {
        const std::array<std::size_t, 3> vectorSamples = this->vectorGrid_->GetTexture().dimensions;
        for (std::size_t i = 0; i < 3; ++i) samples[i] = std::max(samples[i], vectorSamples[i]);
    }
    std::array<float, 3> cellEdges;
    for (std::size_t i = 0; i < 3; ++i)
        cellEdges[i] = (this->gridBox_.max[i] - this->gridBox_.min[i]) / static_cast<float>(samples[i]);
    constants.pixel_size_min_cell_size[2] = std::min(cellEdges[0], std::min(cellEdges[1], cellEdges[2]));

    WriteTransforms(constants, this->model_, this->view_, this->projection_);
}

template <class Interface, MeshConstantsBlock Constants>
void GridMeshBase<Interface, Constants>::Draw(void*, const RenderPassDesc& pass, ResourceCache& cache,
                                              void* passThrough) {
    PipelineStateDesc state = PipelineStateForPass(pass);
    DrawCallDesc drawCall = DrawCallForPass(pass);
    this->DrawWithState(gpu_, state, drawCall, cache, passThrough);
}

template <class Interface, MeshConstantsBlock Constants>
void GridMeshBase<Interface, Constants>::SetViewProjection(const KxTransformMatrix& view,
                                                           const KxTransformMatrix& projection) {
    view_ = view;
    projection_ = projection;
}

template <class Interface, MeshConstantsBlock Constants>
void GridMeshBase<Interface, Constants>::SetClipPlanes(array_view<const ClipPlane> planes) {
    const std::size_t count = std::min<std::size_t>(planes.size(), kMaxClipPlanes);
    // Staged first: planes may view clipPlanes_ itself (GetClipPlanes passed back).
    std::array<ClipPlane, kMaxClipPlanes> active{};
    std::copy_n(planes.begin(), count, active.begin());
    clipPlanes_.assign(active.begin(), active.begin() + static_cast<std::ptrdiff_t>(count));
    planeCount_ = count;
    std::memcpy(&constants_.clip_planes, active.data(), sizeof active);
}

template <class Interface, MeshConstantsBlock Constants>
void GridMeshBase<Interface, Constants>::SetAlpha(float alpha) {
    const float clampedAbove = (alpha >= 1.0f || std::isnan(alpha)) ? 1.0f : alpha;
    constants_.alpha_value = std::max(clampedAbove, 0.0f);
}

template <class Interface, MeshConstantsBlock Constants>
void GridMeshBase<Interface, Constants>::AttachGrids(std::shared_ptr<IScalarGrid> values,
                                                     std::shared_ptr<IVectorGrid> displacements,
                                                     const boundingbox<float, 3>& box) {
    scalarGrid_ = std::move(values);
    vectorGrid_ = std::move(displacements);
    gridBox_ = box;
    std::memcpy(&constants_.corner_min, box.min.data(), 3 * sizeof(float));
    std::memcpy(&constants_.corner_max, box.max.data(), 3 * sizeof(float));
}

}  // namespace Korvex::Rendering::detail
