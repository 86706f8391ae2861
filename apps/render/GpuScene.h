#pragma once

#include "ScenePlan.h"

#include <Korvex/Rendering/Simulation/Simulation.h>

#include <VtkReader.h>

#include <memory>
#include <string>
#include <vector>

namespace Korvex::App {

// The grids, geometry and meshes of a plan on one device; destroy it before
// the device.
class GpuScene {
public:
    // Null and *error when the device rejects the grids.
    static std::unique_ptr<GpuScene> Create(Rendering::IGpu& gpu, const ScenePlan& plan, const VtkGrid& grid,
                                            std::string* error);

    void SetCamera(const Rendering::KxTransformMatrix& view, const Rendering::KxTransformMatrix& projection);
    // In the plan's layer order.
    const std::vector<Rendering::IRenderable*>& Renderables() const { return renderables_; }

private:
    GpuScene() = default;
    template <class Mesh>
    Mesh& Keep(std::unique_ptr<Mesh> mesh);
    void AddLayer(Rendering::IGpu& gpu, const ScenePlan& plan, const Layer& layer);

    std::shared_ptr<Rendering::IScalarGrid> values_;
    std::shared_ptr<Rendering::IVectorGrid> displacements_;
    std::shared_ptr<Rendering::IGeometry> surface_;
    std::shared_ptr<Rendering::IGeometry> edges_;
    std::vector<std::shared_ptr<void>> meshes_;  // owners, in layer order
    std::vector<Rendering::IRenderable*> renderables_;
    std::vector<Rendering::ITransformable*> transformables_;
};

}  // namespace Korvex::App
