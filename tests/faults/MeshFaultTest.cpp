// Mesh construction, setters that make GPU resources, and draws (the first
// one installing the default gradient, the capped sequence, the deformed and
// clipped variants) under device faults.

#include "FaultInjection.h"
#include "meshes/triangle/TriangleGridMesh.h"

#include <MeshScene.h>

#include <functional>
#include <string>
#include <utility>

namespace Korvex::Rendering::faults {
namespace {

using test_support::kUnitBox;
using test_support::MakeDisplacements;
using test_support::MakeGeometry;
using test_support::MakeValues;
using test_support::PlanesAcrossX;

// Colour, both probes and depth-stencil, 16 x 16; destroyed with the object.
class Targets {
public:
    explicit Targets(RecordingDevice& device) : device_(device) {
        const auto make = [&](std::uint32_t format, std::uint32_t usage) {
            return device.CreateImage({16, 16, 0, format, 1, 1, usage});
        };
        pass_.targets[kTargetColor] = {1, make(kFormatRgba8Unorm, kImageUsageColorTarget), kFormatRgba8Unorm};
        for (std::size_t k : {kTargetProbeValue, kTargetProbeDepth})
            pass_.targets[k] = {1, make(kFormatR32Float, kImageUsageColorTarget), kFormatR32Float};
        pass_.targets[kTargetDepthStencil] = {1, make(kFormatDepth24Stencil8, kImageUsageDepthStencilTarget),
                                              kFormatDepth24Stencil8};
    }
    Targets(const Targets&) = delete;
    Targets& operator=(const Targets&) = delete;
    ~Targets() {
        for (const RenderTargetRecord& target : pass_.targets) device_.DestroyImage(target.image);
    }

    const RenderPassDesc& Pass() const { return pass_; }

private:
    RecordingDevice& device_;
    RenderPassDesc pass_;
};

// A mesh among its inputs and targets; act says what the scenario does.
// Members go in reverse: the mesh, the cache, the inputs, the targets.
struct MeshSubject final : Subject {
    explicit MeshSubject(RecordingDevice& subjectDevice) : device(subjectDevice), targets(subjectDevice) {}
    void Act() override { act(*this); }
    void ExpectStateAfterThrow() const override {
        if (afterThrow) afterThrow(*this);
    }

    RecordingDevice& device;
    Targets targets;
    std::shared_ptr<IScalarGrid> values;
    std::shared_ptr<IVectorGrid> displacements;
    ResourceCache cache;
    std::unique_ptr<IRenderable> mesh;
    std::function<void(MeshSubject&)> act = [](MeshSubject& s) { s.mesh->Draw(nullptr, s.targets.Pass(), s.cache, nullptr); };
    std::function<void(const MeshSubject&)> afterThrow;
};

template <class Mesh>
Mesh& As(const MeshSubject& s) {
    return dynamic_cast<Mesh&>(*s.mesh);
}

Scenario Make(std::string name, std::function<void(MeshSubject&)> setUp) {
    return {std::move(name), [setUp](RecordingDevice& device) {
                auto subject = std::make_unique<MeshSubject>(device);
                subject->values = MakeValues(device);
                subject->displacements = MakeDisplacements(device);
                setUp(*subject);
                return std::unique_ptr<Subject>(std::move(subject));
            }};
}

constexpr std::array<std::uint8_t, 12> kThreeColors = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255};
const std::vector<std::uint32_t> kThreeVoxels{0x00000000u, 0x00000001u, 0x00100400u};

template <class Mesh>
Mesh& Created(MeshSubject& s, std::unique_ptr<Mesh> mesh) {
    Mesh& created = *mesh;
    s.mesh = std::move(mesh);
    return created;
}

ITriangleGridMesh& AttachedTriangles(MeshSubject& s) {
    ITriangleGridMesh& mesh = Created(s, CreateTriangleGridMesh(s.device));
    mesh.SetGeometry(MakeGeometry(s.device, 3));
    mesh.SetGrids(s.values, s.displacements, kUnitBox);
    return mesh;
}

std::vector<Scenario> MeshScenarios() {
    return {
        Make("LineConstruction", [](MeshSubject& s) { s.act = [](MeshSubject& m) { m.mesh = CreateLineGridMesh(m.device); }; }),
        Make("LineDeformedClippedDraw",
             [](MeshSubject& s) {
                 ILineGridMesh& mesh = Created(s, CreateLineGridMesh(s.device));
                 mesh.SetGeometry(MakeGeometry(s.device, 2));
                 mesh.SetGrids(s.values, s.displacements, kUnitBox);
                 mesh.SetDeformation(1.0f);
                 mesh.SetClipPlanes(PlanesAcrossX(2));
             }),
        Make("TriangleConstruction",
             [](MeshSubject& s) { s.act = [](MeshSubject& m) { m.mesh = CreateTriangleGridMesh(m.device); }; }),
        // The cap quad is built before anything is replaced.
        Make("TriangleSetGrids",
             [](MeshSubject& s) {
                 AttachedTriangles(s);
                 s.act = [](MeshSubject& m) {
                     As<ITriangleGridMesh>(m).SetGrids(m.values, m.displacements, {{-1, -1, -1}, {2, 2, 2}});
                 };
                 s.afterThrow = [](const MeshSubject& m) {
                     EXPECT_EQ(As<TriangleGridMesh>(m).Constants().corner_max[0], 1.0f) << "the old box stays";
                 };
             }),
        Make("TriangleSetColorMap",
             [](MeshSubject& s) {
                 Created(s, CreateTriangleGridMesh(s.device)).SetColorMap(kThreeColors);
                 s.act = [](MeshSubject& m) { As<ITriangleGridMesh>(m).SetColorMap(kThreeColors); };
             }),
        // No colour map given: the first draw installs the default gradient.
        Make("TriangleCappedFirstDraw", [](MeshSubject& s) { AttachedTriangles(s).SetClipPlanes(PlanesAcrossX(2)); }),
        Make("TriangleDeformedClippedFirstDraw",
             [](MeshSubject& s) {
                 ITriangleGridMesh& mesh = AttachedTriangles(s);
                 mesh.SetDeformation(1.0f);
                 mesh.SetClipPlanes(PlanesAcrossX(2));
             }),
        Make("VoxelConstruction",
             [](MeshSubject& s) { s.act = [](MeshSubject& m) { m.mesh = CreateVoxelGridMesh(m.device); }; }),
        // A list and a gradient replacing earlier ones.
        Make("VoxelSetVoxelsAndColorMap",
             [](MeshSubject& s) {
                 IVoxelGridMesh& mesh = Created(s, CreateVoxelGridMesh(s.device));
                 mesh.SetVoxels(kThreeVoxels);
                 mesh.SetColorMap(kThreeColors);
                 s.act = [](MeshSubject& m) {
                     As<IVoxelGridMesh>(m).SetVoxels(std::vector<std::uint32_t>{7u, 8u});
                     As<IVoxelGridMesh>(m).SetColorMap(kThreeColors);
                 };
             }),
        Make("VoxelDeformedClippedWireframeFirstDraw", [](MeshSubject& s) {
            IVoxelGridMesh& mesh = Created(s, CreateVoxelGridMesh(s.device));
            mesh.SetVoxels(kThreeVoxels);
            mesh.SetGrids(s.values, s.displacements, kUnitBox);
            mesh.SetDeformation(1.0f);
            mesh.SetClipPlanes(PlanesAcrossX(2));
            mesh.SetWireframe(true);
        })};
}

INSTANTIATE_TEST_SUITE_P(Meshes, FaultInjectionTest, ::testing::ValuesIn(MeshScenarios()), ScenarioName);

}  // namespace
}  // namespace Korvex::Rendering::faults
