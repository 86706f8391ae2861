#include "GpuScene.h"

#include <Korvex/Rendering/Simulation/GeometryBuilder.h>

#include <NamedColorMaps.h>
#include <VisibleVoxels.h>

#include <cmath>
#include <type_traits>

namespace Korvex::App {

namespace {

using namespace Korvex::Rendering;

std::vector<float> ColoredValues(const std::vector<float>& values, const ScenePlan& plan) {
    if (!plan.logarithmic) return values;
    std::vector<float> logs;
    logs.reserve(values.size());
    for (float v : values) logs.push_back(MeshValue(plan, v));
    return logs;
}

template <class Mesh>
void ApplyColors(Mesh& mesh, const ScenePlan& plan) {
    const std::vector<std::uint8_t> table = *ColorMapTable(plan.colorMap);
    if (plan.outOfRangeColors)
        mesh.SetColorMap((*plan.outOfRangeColors)[0], table, (*plan.outOfRangeColors)[1]);
    else
        mesh.SetColorMap(table);
    const std::array<float, 2> range = MeshValueRange(plan);
    mesh.SetValueRange(range[0], range[1]);
}

// Edges lie exactly on the surface and would fight it for depth; scaled up a
// little about the box centre they lie just outside it. Only the drawn
// position moves: the grids are still sampled where the edges really are.
KxTransformMatrix LiftOffSurface(const boundingbox<float, 3>& box) {
    constexpr double kLift = 1.002;
    std::array<double, 3> shift{};
    for (std::size_t axis = 0; axis < 3; ++axis)
        shift[axis] = (1.0 - kLift) * 0.5 * (static_cast<double>(box.min[axis]) + box.max[axis]);
    KxTransformMatrix lift({kLift, 0.0, 0.0, shift[0],  //
                            0.0, kLift, 0.0, shift[1],  //
                            0.0, 0.0, kLift, shift[2],  //
                            0.0, 0.0, 0.0, 1.0});
    lift.VerifyAndSetClass();
    return lift;
}

// Scaling moves no edge of a flat surface towards a viewer who faces it:
// their projected depth is pulled towards the viewer by this much of the
// depth range as well, far less than any surface lies behind another.
KxTransformMatrix PulledForward(const KxTransformMatrix& projection) {
    constexpr double kPull = 1e-4;
    KxTransformMatrix pull({1.0, 0.0, 0.0, 0.0,  //
                            0.0, 1.0, 0.0, 0.0,  //
                            0.0, 0.0, 1.0, -kPull,  //
                            0.0, 0.0, 0.0, 1.0});
    pull.VerifyAndSetClass();
    return pull * projection;
}

// The voxels that can show a face: the whole list where the others could
// show through (see-through voxels) or a deformation could fold the block.
std::vector<std::uint32_t> VoxelsToDraw(const std::vector<std::uint32_t>& voxels, const Layer& layer,
                                        const IScalarGrid& values, const boundingbox<float, 3>& box, bool deformed) {
    if (layer.alpha < 1.0f || deformed) return voxels;
    Fields::VoxelPlacement placement;
    placement.samples = values.GetTexture().dimensions;
    placement.box = box;
    return Fields::VisibleVoxels(voxels, placement, layer.clipPlanes);
}

bool DrawsSurface(const ScenePlan& plan) {
    for (const Layer& layer : plan.layers)
        if (layer.kind == LayerKind::Surface) return true;
    return false;
}

}  // namespace

bool GpuScene::Upload(IGpu& gpu, const Fields::UniformField& field, const ScenePlan& plan, Grids& grids,
                      std::string* error) {
    const Fields::GridLayout samples = field.Samples();
    const auto& size = samples.dimensions;
    grids.box = samples.TextureBox();
    grids.values = CreateScalarGrid(gpu);
    if (!grids.values->SetValues(size[0], size[1], size[2], ColoredValues(field.scalars, plan))) {
        *error = "the device took no scalar grid of " + std::to_string(size[0]) + "x" + std::to_string(size[1]) + "x" +
                 std::to_string(size[2]);
        return false;
    }
    if (field.vectors.empty()) return true;
    std::vector<Vector3f> vectors;
    vectors.reserve(field.vectors.size());
    for (const std::array<float, 3>& v : field.vectors) vectors.push_back({v[0], v[1], v[2]});
    grids.displacements = CreateVectorGrid(gpu);
    if (grids.displacements->SetVectors(size[0], size[1], size[2], vectors)) return true;
    *error = "the device took no vector grid";
    return false;
}

std::unique_ptr<GpuScene> GpuScene::Create(IGpu& gpu, const ScenePlan& plan, const Fields::UniformField& field,
                                           std::string* error) {
    std::unique_ptr<GpuScene> scene(new GpuScene());
    if (!Upload(gpu, field, plan, scene->grids_, error)) return nullptr;
    if (field.location == Io::Location::Points || plan.voxels.empty())
        scene->voxelGrids_ = scene->grids_;
    else if (!Upload(gpu, Fields::AtPoints(field), plan, scene->voxelGrids_, error))
        return nullptr;
    const boundingbox<float, 3> cellBox = plan.layout.CellBox();
    const auto triangles = [&](const std::vector<VertexPN>& vertices) {
        return vertices.empty() ? nullptr : BuildTriangleGeometry(gpu, vertices, cellBox);
    };
    scene->surface_ = triangles(plan.surfaceTriangles);
    scene->slices_ = triangles(plan.sliceTriangles);
    scene->contours_ = triangles(plan.contourTriangles);
    if (!plan.edgeLines.empty()) scene->edges_ = BuildLineGeometry(gpu, plan.edgeLines, cellBox);
    for (const Layer& layer : plan.layers) scene->AddLayer(gpu, plan, layer);
    return scene;
}

template <class Mesh>
Mesh& GpuScene::Keep(std::unique_ptr<Mesh> mesh) {
    Mesh& kept = *mesh;
    meshes_.push_back(std::shared_ptr<Mesh>(std::move(mesh)));
    renderables_.push_back(&kept);
    transformables_.push_back(&kept);
    clippables_.push_back(&kept);
    if constexpr (std::is_same_v<Mesh, ITriangleGridMesh>) triangleMeshes_.push_back(&kept);
    if constexpr (std::is_same_v<Mesh, ILineGridMesh>) lineMeshes_.push_back(&kept);
    if constexpr (std::is_same_v<Mesh, IVoxelGridMesh>) voxelMeshes_.push_back(&kept);
    return kept;
}

void GpuScene::AddLayer(IGpu& gpu, const ScenePlan& plan, const Layer& layer) {
    switch (layer.kind) {
    case LayerKind::Surface:
    case LayerKind::Slices:
    case LayerKind::Contours: {
        ITriangleGridMesh& mesh = Keep(CreateTriangleGridMesh(gpu));
        mesh.SetGeometry(layer.kind == LayerKind::Surface ? surface_
                         : layer.kind == LayerKind::Slices ? slices_
                                                           : contours_);
        mesh.SetGrids(grids_.values, grids_.displacements, grids_.box);
        ApplyColors(mesh, plan);
        mesh.SetDeformation(layer.deformation);
        mesh.SetCapping(layer.capping);
        if (layer.brightness) mesh.SetBrightness(*layer.brightness);
        mesh.SetAlpha(layer.alpha);
        mesh.SetClipPlanes(layer.clipPlanes);
        break;
    }
    case LayerKind::Edges: {
        ILineGridMesh& mesh = Keep(CreateLineGridMesh(gpu));
        mesh.SetGeometry(edges_);
        mesh.SetGrids(grids_.values, grids_.displacements, grids_.box);
        mesh.SetColor(layer.lineColor);
        mesh.SetDeformation(layer.deformation);
        mesh.SetAlpha(layer.alpha);
        mesh.SetClipPlanes(layer.clipPlanes);
        if (DrawsSurface(plan)) {
            mesh.SetModelTransform(LiftOffSurface(plan.layout.CellBox()));
            onSurface_.push_back(&mesh);
        }
        break;
    }
    case LayerKind::Voxels: {
        IVoxelGridMesh& mesh = Keep(CreateVoxelGridMesh(gpu));
        const bool deformed = voxelGrids_.displacements != nullptr && layer.deformation != 0.0f;
        mesh.SetVoxels(VoxelsToDraw(plan.voxels, layer, *voxelGrids_.values, voxelGrids_.box, deformed));
        mesh.SetGrids(voxelGrids_.values, voxelGrids_.displacements, voxelGrids_.box);
        ApplyColors(mesh, plan);
        mesh.SetDeformation(layer.deformation);
        if (layer.brightness) mesh.SetBrightness(*layer.brightness);
        mesh.SetWireframe(layer.wireframe);
        const auto& wire = layer.wireframeColor;
        mesh.SetWireframeColor(wire[0], wire[1], wire[2], wire[3]);
        mesh.SetAlpha(layer.alpha);
        mesh.SetClipPlanes(layer.clipPlanes);
        break;
    }
    }
}

void GpuScene::SetCamera(const KxTransformMatrix& view, const KxTransformMatrix& projection) {
    const KxTransformMatrix pulled = PulledForward(projection);
    for (ITransformable* mesh : transformables_) mesh->SetViewProjection(view, projection);
    for (ITransformable* lines : onSurface_) lines->SetViewProjection(view, pulled);
}

void GpuScene::SetColors(const ScenePlan& plan) {
    for (ITriangleGridMesh* mesh : triangleMeshes_) ApplyColors(*mesh, plan);
    for (IVoxelGridMesh* mesh : voxelMeshes_) ApplyColors(*mesh, plan);
}

void GpuScene::SetDeformation(float factor) {
    for (ITriangleGridMesh* mesh : triangleMeshes_) mesh->SetDeformation(factor);
    for (ILineGridMesh* mesh : lineMeshes_) mesh->SetDeformation(factor);
    for (IVoxelGridMesh* mesh : voxelMeshes_) mesh->SetDeformation(factor);
}

void GpuScene::SetClipPlanes(std::span<const ClipPlane> planes) {
    for (IClippable* mesh : clippables_) mesh->SetClipPlanes({planes.data(), planes.size()});
}

}  // namespace Korvex::App
