#pragma once

#include "ScenePlan.h"

#include <Korvex/Rendering/Simulation/Simulation.h>

#include <UniformField.h>

#include <memory>
#include <span>
#include <string>
#include <vector>

namespace Korvex::App {

// The grids, geometry and meshes of a plan on one device; destroy it before
// the device.
class GpuScene {
public:
    // field: what colours the picture (--color-by, else the plan's own).
    // Null and *error when the device rejects the grids.
    static std::unique_ptr<GpuScene> Create(Rendering::IGpu& gpu, const ScenePlan& plan,
                                            const Fields::UniformField& field, std::string* error);

    void SetCamera(const Rendering::KxTransformMatrix& view, const Rendering::KxTransformMatrix& projection);
    // What changes while the scene is looked at, for every layer alike; each
    // is a change of constants or of the small colour map, no grid or
    // geometry is uploaded again. The plan's colour map and value ranges:
    void SetColors(const ScenePlan& plan);
    void SetDeformation(float factor);
    void SetClipPlanes(std::span<const Rendering::ClipPlane> planes);
    // In the plan's layer order.
    const std::vector<Rendering::IRenderable*>& Renderables() const { return renderables_; }

private:
    GpuScene() = default;
    template <class Mesh>
    Mesh& Keep(std::unique_ptr<Mesh> mesh);
    void AddLayer(Rendering::IGpu& gpu, const ScenePlan& plan, const Layer& layer);

    // The field's values and displacement on the GPU, with the box they span.
    struct Grids {
        std::shared_ptr<Rendering::IScalarGrid> values;
        std::shared_ptr<Rendering::IVectorGrid> displacements;
        Rendering::boundingbox<float, 3> box;
    };
    // The field's values as the plan's meshes colour them.
    static bool Upload(Rendering::IGpu& gpu, const Fields::UniformField& field, const ScenePlan& plan, Grids& grids,
                       std::string* error);

    Grids grids_;
    // Voxels span cells from corner to corner: values at cells are averaged
    // onto the points for them.
    Grids voxelGrids_;
    std::shared_ptr<Rendering::IGeometry> surface_;
    std::shared_ptr<Rendering::IGeometry> edges_;
    std::shared_ptr<Rendering::IGeometry> slices_;
    std::shared_ptr<Rendering::IGeometry> contours_;
    std::vector<std::shared_ptr<void>> meshes_;  // owners, in layer order
    std::vector<Rendering::IRenderable*> renderables_;
    std::vector<Rendering::ITransformable*> transformables_;
    std::vector<Rendering::ITransformable*> onSurface_;  // lines drawn over the surface
    std::vector<Rendering::IClippable*> clippables_;
    std::vector<Rendering::ITriangleGridMesh*> triangleMeshes_;
    std::vector<Rendering::ILineGridMesh*> lineMeshes_;
    std::vector<Rendering::IVoxelGridMesh*> voxelMeshes_;
};

}  // namespace Korvex::App
