// Mesh construction, setters that make GPU resources, and draws (the first
// one installing the default gradient, the capped sequence, the deformed and
// clipped variants) under device faults.

#include "FaultInjection.h"
#include "FaultScenes.h"
#include "meshes/triangle/TriangleGridMesh.h"

#include <functional>
#include <string>
#include <utility>

namespace Korvex::Rendering::faults {
namespace {

// A mesh among its inputs and targets; act says what the scenario does.
// Members go in reverse: the mesh, the cache, the inputs, the targets.
template <class Interface>
class MeshScene final : public Subject {
public:
    explicit MeshScene(RecordingDevice& sceneDevice) : device(sceneDevice), targets(sceneDevice) {}

    void Act() override { act(*this); }
    void ExpectStateAfterThrow() const override {
        if (afterThrow) afterThrow(*this);
    }
    void Draw() { mesh->Draw(nullptr, targets.Pass(), cache, nullptr); }

    RecordingDevice& device;
    Targets targets;
    std::shared_ptr<IGeometry> geometry;
    std::shared_ptr<IScalarGrid> values;
    std::shared_ptr<IVectorGrid> displacements;
    ResourceCache cache;
    std::unique_ptr<Interface> mesh;
    std::function<void(MeshScene&)> act;
    std::function<void(const MeshScene&)> afterThrow;
};

template <class Interface>
Scenario MakeScenario(std::string name, std::function<void(MeshScene<Interface>&)> setUp) {
    return {std::move(name), [setUp](RecordingDevice& device) {
                auto scene = std::make_unique<MeshScene<Interface>>(device);
                setUp(*scene);
                return std::unique_ptr<Subject>(std::move(scene));
            }};
}

constexpr std::array<std::uint8_t, 12> kThreeColors = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255};
constexpr std::array<std::uint8_t, 4> kGrey = {128, 128, 128, 255};

void DrawAct(auto& scene) { scene.Draw(); }

// ---------------------------------------------------------------- line mesh

using LineScene = MeshScene<ILineGridMesh>;

void AttachLineInputs(LineScene& scene, bool deformed) {
    scene.mesh = CreateLineGridMesh(scene.device);
    scene.geometry = MakeGeometry(scene.device, 2);
    scene.values = MakeValues(scene.device);
    if (deformed) scene.displacements = MakeDisplacements(scene.device);
    scene.mesh->SetGeometry(scene.geometry);
    scene.mesh->SetGrids(scene.values, scene.displacements, kUnitBox);
    scene.mesh->SetColor(kGrey);
}

std::vector<Scenario> LineScenarios() {
    return {MakeScenario<ILineGridMesh>("LineConstruction",
                                        [](LineScene& scene) {
                                            scene.act = [](LineScene& s) { s.mesh = CreateLineGridMesh(s.device); };
                                        }),
            MakeScenario<ILineGridMesh>("LineDraw",
                                        [](LineScene& scene) {
                                            AttachLineInputs(scene, false);
                                            scene.act = DrawAct<LineScene>;
                                        }),
            MakeScenario<ILineGridMesh>("LineDeformedClippedDraw", [](LineScene& scene) {
                AttachLineInputs(scene, true);
                scene.mesh->SetDeformation(1.0f);
                scene.mesh->SetClipPlanes(PlanesAcrossX(2));
                scene.act = DrawAct<LineScene>;
            })};
}

// ---------------------------------------------------------------- triangle mesh

using TriangleScene = MeshScene<ITriangleGridMesh>;

void AttachTriangleInputs(TriangleScene& scene, bool deformed) {
    scene.mesh = CreateTriangleGridMesh(scene.device);
    scene.geometry = MakeGeometry(scene.device, 3);
    scene.values = MakeValues(scene.device);
    if (deformed) scene.displacements = MakeDisplacements(scene.device);
    scene.mesh->SetGeometry(scene.geometry);
    scene.mesh->SetGrids(scene.values, scene.displacements, kUnitBox);
}

const TriangleGridMesh& Concrete(const ITriangleGridMesh& mesh) { return static_cast<const TriangleGridMesh&>(mesh); }

std::vector<Scenario> TriangleScenarios() {
    return {
        MakeScenario<ITriangleGridMesh>("TriangleConstruction",
                                        [](TriangleScene& scene) {
                                            scene.act = [](TriangleScene& s) {
                                                s.mesh = CreateTriangleGridMesh(s.device);
                                            };
                                        }),
        // The cap quad is built before anything is replaced.
        MakeScenario<ITriangleGridMesh>("TriangleSetGrids",
                                        [](TriangleScene& scene) {
                                            AttachTriangleInputs(scene, false);
                                            scene.displacements = MakeDisplacements(scene.device);
                                            scene.act = [](TriangleScene& s) {
                                                s.mesh->SetGrids(s.values, s.displacements,
                                                                 {{-1.0f, -1.0f, -1.0f}, {2.0f, 2.0f, 2.0f}});
                                            };
                                            scene.afterThrow = [](const TriangleScene& s) {
                                                const auto& constants = Concrete(*s.mesh).Constants();
                                                EXPECT_EQ(constants.corner_min[0], 0.0f) << "the old box stays";
                                                EXPECT_EQ(constants.corner_max[0], 1.0f) << "the old box stays";
                                            };
                                        }),
        MakeScenario<ITriangleGridMesh>("TriangleSetColorMap",
                                        [](TriangleScene& scene) {
                                            scene.mesh = CreateTriangleGridMesh(scene.device);
                                            scene.mesh->SetColorMap(kThreeColors);
                                            scene.act = [](TriangleScene& s) {
                                                s.mesh->SetColorMap(kGrey, kThreeColors, kGrey);
                                            };
                                        }),
        // No colour map given: the draw installs the default gradient.
        MakeScenario<ITriangleGridMesh>("TriangleFirstDraw",
                                        [](TriangleScene& scene) {
                                            AttachTriangleInputs(scene, false);
                                            scene.act = DrawAct<TriangleScene>;
                                        }),
        MakeScenario<ITriangleGridMesh>("TriangleCappedFirstDraw",
                                        [](TriangleScene& scene) {
                                            AttachTriangleInputs(scene, false);
                                            scene.mesh->SetClipPlanes(PlanesAcrossX(1));
                                            scene.act = DrawAct<TriangleScene>;
                                        }),
        MakeScenario<ITriangleGridMesh>("TriangleDeformedClippedDraw", [](TriangleScene& scene) {
            AttachTriangleInputs(scene, true);
            scene.mesh->SetColorMap(kThreeColors);
            scene.mesh->SetDeformation(1.0f);
            scene.mesh->SetClipPlanes(PlanesAcrossX(2));
            scene.act = DrawAct<TriangleScene>;
        })};
}

// ---------------------------------------------------------------- voxel mesh

using VoxelScene = MeshScene<IVoxelGridMesh>;

const std::vector<std::uint32_t> kThreeVoxels{0x00000000u, 0x00000001u, 0x00100400u};

void AttachVoxelInputs(VoxelScene& scene, bool deformed) {
    scene.mesh = CreateVoxelGridMesh(scene.device);
    scene.values = MakeValues(scene.device);
    if (deformed) scene.displacements = MakeDisplacements(scene.device);
    scene.mesh->SetVoxels(kThreeVoxels);
    scene.mesh->SetGrids(scene.values, scene.displacements, kUnitBox);
}

std::vector<Scenario> VoxelScenarios() {
    return {MakeScenario<IVoxelGridMesh>("VoxelConstruction",
                                         [](VoxelScene& scene) {
                                             scene.act = [](VoxelScene& s) { s.mesh = CreateVoxelGridMesh(s.device); };
                                         }),
            // A list replacing an earlier one.
            MakeScenario<IVoxelGridMesh>("VoxelSetVoxels",
                                         [](VoxelScene& scene) {
                                             scene.mesh = CreateVoxelGridMesh(scene.device);
                                             scene.mesh->SetVoxels(kThreeVoxels);
                                             scene.act = [](VoxelScene& s) {
                                                 s.mesh->SetVoxels(std::vector<std::uint32_t>{7u, 8u});
                                             };
                                         }),
            MakeScenario<IVoxelGridMesh>("VoxelSetColorMap",
                                         [](VoxelScene& scene) {
                                             scene.mesh = CreateVoxelGridMesh(scene.device);
                                             scene.mesh->SetColorMap(kThreeColors);
                                             scene.act = [](VoxelScene& s) { s.mesh->SetColorMap(kThreeColors); };
                                         }),
            MakeScenario<IVoxelGridMesh>("VoxelFirstDraw",
                                         [](VoxelScene& scene) {
                                             AttachVoxelInputs(scene, false);
                                             scene.act = DrawAct<VoxelScene>;
                                         }),
            MakeScenario<IVoxelGridMesh>("VoxelDeformedClippedWireframeDraw", [](VoxelScene& scene) {
                AttachVoxelInputs(scene, true);
                scene.mesh->SetColorMap(kThreeColors);
                scene.mesh->SetDeformation(1.0f);
                scene.mesh->SetClipPlanes(PlanesAcrossX(2));
                scene.mesh->SetWireframe(true);
                scene.act = DrawAct<VoxelScene>;
            })};
}

INSTANTIATE_TEST_SUITE_P(LineMesh, FaultInjectionTest, ::testing::ValuesIn(LineScenarios()), ScenarioName);
INSTANTIATE_TEST_SUITE_P(TriangleMesh, FaultInjectionTest, ::testing::ValuesIn(TriangleScenarios()), ScenarioName);
INSTANTIATE_TEST_SUITE_P(VoxelMesh, FaultInjectionTest, ::testing::ValuesIn(VoxelScenarios()), ScenarioName);

}  // namespace
}  // namespace Korvex::Rendering::faults
