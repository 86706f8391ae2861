// Library operations under device faults: each runs once per device call it
// makes, with that call misbehaving (answering with the null id, a null map
// or false, or throwing). Each run starts from a fresh device and a freshly
// prepared subject, repeats the operation without faults afterwards, and
// destroys everything; the device must then hold no object, and no staging
// image may outlive its upload.

#include "meshes/triangle/TriangleGridMesh.h"

#include <MeshScene.h>

#include <algorithm>
#include <exception>
#include <functional>
#include <limits>
#include <utility>

namespace Korvex::Rendering::faults {
namespace {

using test_support::kUnitBox;
using test_support::MakeDisplacements;
using test_support::MakeGeometry;
using test_support::MakeValues;
using test_support::PlanesAcrossX;

// Colour, both probes and depth-stencil, 16 x 16; destroyed with the object.
struct Targets {
    explicit Targets(RecordingDevice& recording) : device(recording) {
        const auto make = [&](std::uint32_t format, std::uint32_t usage) {
            return RenderTargetRecord{1, device.CreateImage({16, 16, 0, format, 1, 1, usage}), format};
        };
        pass.targets[kTargetColor] = make(kFormatRgba8Unorm, kImageUsageColorTarget);
        for (std::size_t k : {kTargetProbeValue, kTargetProbeDepth})
            pass.targets[k] = make(kFormatR32Float, kImageUsageColorTarget);
        pass.targets[kTargetDepthStencil] = make(kFormatDepth24Stencil8, kImageUsageDepthStencilTarget);
    }
    ~Targets() { for (const RenderTargetRecord& target : pass.targets) device.DestroyImage(target.image); }
    RecordingDevice& device;
    RenderPassDesc pass;
};

// What one operation under test needs, prepared without faults: a mesh
// among its inputs and targets; act says what the scenario does, afterThrow
// what must hold after it let an exception of the device through; refusing
// says whether a call answers null in this act.
// Members go in reverse: the mesh, the cache, the inputs, the targets.
struct Subject {
    explicit Subject(RecordingDevice& subjectDevice) : device(subjectDevice), targets(subjectDevice) {}

    RecordingDevice& device;
    bool refusing = false;
    Targets targets;
    std::shared_ptr<IScalarGrid> values;
    std::shared_ptr<IVectorGrid> displacements;
    ResourceCache cache;
    std::unique_ptr<IRenderable> mesh;
    std::function<void(Subject&)> act = [](Subject& s) { s.mesh->Draw(nullptr, s.targets.pass, s.cache, nullptr); };
    std::function<void(const Subject&)> afterThrow;
};

struct Scenario {
    std::string name;
    std::function<std::unique_ptr<Subject>(RecordingDevice&)> prepare;
};

void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

template <class Mesh>
Mesh& As(const Subject& s) { return dynamic_cast<Mesh&>(*s.mesh); }

Scenario Make(std::string name, std::function<void(Subject&)> setUp) {
    return {std::move(name), [setUp](RecordingDevice& device) {
                auto subject = std::make_unique<Subject>(device);
                subject->values = MakeValues(device);
                subject->displacements = MakeDisplacements(device);
                setUp(*subject);
                return std::unique_ptr<Subject>(std::move(subject));
            }};
}

constexpr std::array<std::uint8_t, 12> kThreeColors = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255};
const std::vector<std::uint32_t> kThreeVoxels{0x00000000u, 0x00000001u, 0x00100400u};

template <class Mesh>
Mesh& Created(Subject& s, std::unique_ptr<Mesh> mesh) {
    Mesh& created = *mesh;
    s.mesh = std::move(mesh);
    return created;
}

ITriangleGridMesh& AttachedTriangles(Subject& s) {
    ITriangleGridMesh& mesh = Created(s, CreateTriangleGridMesh(s.device));
    mesh.SetGeometry(MakeGeometry(s.device, 3));
    mesh.SetGrids(s.values, s.displacements, kUnitBox);
    return mesh;
}

std::vector<Scenario> MeshScenarios() {
    return {
        Make("Construction",
             [](Subject& s) {
                 s.act = [](Subject& m) {
                     m.mesh = CreateLineGridMesh(m.device);
                     m.mesh = CreateTriangleGridMesh(m.device);
                     m.mesh = CreateVoxelGridMesh(m.device);
                 };
             }),
        Make("LineDeformedClippedDraw",
             [](Subject& s) {
                 ILineGridMesh& mesh = Created(s, CreateLineGridMesh(s.device));
                 mesh.SetGeometry(MakeGeometry(s.device, 2));
                 mesh.SetGrids(s.values, s.displacements, kUnitBox);
                 mesh.SetDeformation(1.0f);
                 mesh.SetClipPlanes(PlanesAcrossX(2));
             }),
        // The cap quad is built before anything is replaced.
        Make("TriangleSetGrids",
             [](Subject& s) {
                 AttachedTriangles(s);
                 s.act = [](Subject& m) {
                     As<ITriangleGridMesh>(m).SetGrids(m.values, m.displacements, {{-1, -1, -1}, {2, 2, 2}});
                 };
                 s.afterThrow = [](const Subject& m) {
                     EXPECT_EQ(As<TriangleGridMesh>(m).Constants().corner_max[0], 1.0f) << "the old box stays";
                 };
             }),
        // No colour map given: the first draw installs the default gradient.
        Make("TriangleCappedFirstDraw", [](Subject& s) { AttachedTriangles(s).SetClipPlanes(PlanesAcrossX(2)); }),
        // A list and a gradient replacing earlier ones.
        Make("VoxelSetVoxelsAndColorMap",
             [](Subject& s) {
                 IVoxelGridMesh& mesh = Created(s, CreateVoxelGridMesh(s.device));
                 mesh.SetVoxels(kThreeVoxels);
                 mesh.SetColorMap(kThreeColors);
                 s.act = [](Subject& m) {
                     As<IVoxelGridMesh>(m).SetVoxels(std::vector<std::uint32_t>{7u, 8u});
                     As<IVoxelGridMesh>(m).SetColorMap(kThreeColors);
                 };
             }),
        Make("VoxelDeformedClippedWireframeFirstDraw", [](Subject& s) {
            IVoxelGridMesh& mesh = Created(s, CreateVoxelGridMesh(s.device));
            mesh.SetVoxels(kThreeVoxels);
            mesh.SetGrids(s.values, s.displacements, kUnitBox);
            mesh.SetDeformation(1.0f);
            mesh.SetClipPlanes(PlanesAcrossX(2));
            mesh.SetWireframe(true);
        })};
}

enum class Fault { NullResult, Throw };

// The calls whose answer the library receives.
constexpr std::array<std::string_view, 10> kAnsweringOperations = {
    "CreateBuffer",  "CreateBufferView",    "CreateImage", "CreateImageView",        "CreateSampler",
    "CreateProgram", "CreatePipelineState", "MapImage",    "ApplyPipelineStateDesc", "WriteImage"};

bool IsRelease(std::string_view operation) { return operation.starts_with("Destroy"); }

std::size_t CountOf(const std::vector<std::string>& operations, std::string_view operation) {
    return static_cast<std::size_t>(std::count(operations.begin(), operations.end(), operation));
}

// Which call of its operation call `index` is, counting from 1, as the
// device's fault switches count.
std::uint32_t Occurrence(const std::vector<std::string>& operations, std::size_t index) {
    const auto end = operations.begin() + static_cast<std::ptrdiff_t>(index) + 1;
    return static_cast<std::uint32_t>(std::count(operations.begin(), end, operations[index]));
}

// Staging images live only within the upload that made them.
void ExpectNoStagingImageAlive(const RecordingDevice& device) {
    constexpr std::uint32_t kStagingUsage = kImageUsageCpuWrite | kImageUsageCopySource;
    for (const RecordedCall& call : device.Calls()) {
        if (call.operation != "CreateImage" || call.As<ImageDesc>().usage != kStagingUsage) continue;
        EXPECT_FALSE(device.IsLive(ImageId{call.result}))
            << "staging image " << IdText(call.result) << " outlived its upload";
    }
}

std::string ThrownBy(Subject& subject) {
    try {
        subject.act(subject);
    } catch (const std::exception& error) { return error.what(); }
    return {};
}

// Whether a fault of this kind means anything for the operation: only calls
// that answer can answer null, and releases must not throw (a throwing
// release ends the process by design).
bool Applies(const std::string& operation, Fault fault) {
    if (fault == Fault::Throw) return !IsRelease(operation);
    return std::find(kAnsweringOperations.begin(), kAnsweringOperations.end(), operation) !=
           kAnsweringOperations.end();
}

// One undisturbed Act(): its operations in call order and the objects alive
// after it. Checks on the way that nothing is left once the subject is gone.
struct CleanRun { std::vector<std::string> operations; std::size_t liveAfterAct = 0; };

CleanRun RunClean(const Scenario& scenario) {
    RecordingDevice device;
    CleanRun clean;
    {
        const std::unique_ptr<Subject> subject = scenario.prepare(device);
        device.ClearCalls();
        subject->act(*subject);
        clean.operations = device.OperationNames();
        clean.liveAfterAct = device.LiveObjectCount();
    }
    EXPECT_EQ(device.LiveObjectCount(), 0u) << "objects left alive without any fault";
    return clean;
}

// Acts with call `index` of the clean run misbehaving as `fault` says.
// Objects made before the fault may outlive it until their owners go (the
// host's cache keeps the programs, a mesh the gradient a draw installed), so
// leaks are counted once everything is destroyed; repeating the operation
// must not leave more objects than the clean run did.
void RunWithFault(const Scenario& scenario, const CleanRun& clean, std::size_t index, Fault fault) {
    const std::vector<std::string>& cleanRun = clean.operations;
    const std::string& operation = cleanRun[index];
    const std::uint32_t occurrence = Occurrence(cleanRun, index);
    SCOPED_TRACE("call " + std::to_string(index) + ", " + operation + " #" + std::to_string(occurrence) +
                 (fault == Fault::Throw ? " throws" : " answers null"));
    RecordingDevice device;
    {
        const std::unique_ptr<Subject> subject = scenario.prepare(device);
        device.ClearCalls();
        if (fault == Fault::Throw)
            device.ThrowFrom(operation, occurrence);
        else
            device.FailOperation(operation, occurrence);
        subject->refusing = fault == Fault::NullResult;
        const std::string thrown = ThrownBy(*subject);
        device.ClearFaults();
        subject->refusing = false;

        const std::vector<std::string> faulted = device.OperationNames();
        ASSERT_GT(faulted.size(), index);
        ASSERT_TRUE(std::equal(cleanRun.begin(), cleanRun.begin() + static_cast<std::ptrdiff_t>(index) + 1,
                               faulted.begin()))
            << "the run went another way before the fault";
        if (fault == Fault::Throw) {
            EXPECT_EQ(thrown, "RecordingDevice::" + operation + "(): injected fault")
                << "the device's exception must reach the caller unchanged";
            for (std::size_t i = index + 1; i < faulted.size(); ++i)
                EXPECT_TRUE(IsRelease(faulted[i])) << faulted[i] << " after the exception: only releases may follow";
            if (subject->afterThrow) subject->afterThrow(*subject);
        } else {
            EXPECT_EQ(thrown, "") << "a null answer is not an error";
        }
        ExpectNoStagingImageAlive(device);

        const bool creationFailed =
            fault == Fault::NullResult && (operation == "CreateProgram" || operation == "CreatePipelineState");
        if (creationFailed) {
            EXPECT_LT(CountOf(faulted, "BindDrawCall"), CountOf(cleanRun, "BindDrawCall"))
                << "a pass without its program or pipeline is skipped";
        }

        // Whatever the fault left behind must carry the next call.
        device.ClearCalls();
        EXPECT_EQ(ThrownBy(*subject), "");
        ExpectNoStagingImageAlive(device);
        EXPECT_LE(device.LiveObjectCount(), clean.liveAfterAct) << "more objects than without the fault";
        if (creationFailed) {
            const std::vector<std::string> again = device.OperationNames();
            EXPECT_EQ(CountOf(again, "CreateProgram") + CountOf(again, "CreatePipelineState"), 0u)
                << "a failed creation stays cached and is not retried";
            EXPECT_EQ(CountOf(again, "BindDrawCall"), CountOf(faulted, "BindDrawCall"))
                << "the same passes are skipped again";
        }
    }
    EXPECT_EQ(device.LiveObjectCount(), 0u) << "objects left alive";
}

// What GetTexture reports, comparable across both grids.
using GridState = std::tuple<std::uint64_t, std::vector<float>, std::vector<float>, std::array<std::size_t, 3>>;
GridState StateOf(const ScalarGridTexture& t) { return {t.view.value, {t.range_min}, {t.range_max}, t.dimensions}; }
GridState StateOf(const VectorGridTexture& t) {
    return {t.view.value, {t.range_min.begin(), t.range_min.end()}, {t.range_max.begin(), t.range_max.end()},
            t.dimensions};
}

// One upload of 3 x 2 x 2 into a grid that holds an earlier one of x by 2 by 2
// (none when x is 0). A refused call makes it answer false. After a refusal or
// an exception, new dimensions leave no image and the range of a new grid;
// the same dimensions leave the texture as it was.
std::vector<Scenario> GridScenarios() {
    std::vector<Scenario> scenarios;
    const std::tuple<const char*, std::size_t, std::uint32_t> cases[] = {
        {"FirstUpload", 0, 0}, {"NewDimensions", 2, 0}, {"RefillWithPaddedPitches", 3, 8}};
    for (const auto& [name, earlier, padding] : cases)
        for (const bool vectors : {false, true})
            scenarios.push_back(Make(std::string(vectors ? "Vector" : "Scalar") + name, [=](Subject& s) {
                s.device.SetPitchPadding(padding, 3 * padding);
                s.values = CreateScalarGrid(s.device);
                s.displacements = CreateVectorGrid(s.device);
                const auto upload = [vectors](const Subject& m, std::size_t x) {
                    const Vector3f vector{2.5f, -2.5f, 2.5f};
                    return vectors ? m.displacements->SetVectors(x, 2, 2, std::vector<Vector3f>(4 * x, vector))
                                   : m.values->SetValues(x, 2, 2, std::vector<float>(4 * x, 2.5f));
                };
                const auto state = [vectors](const Subject& m) {
                    return vectors ? StateOf(m.displacements->GetTexture()) : StateOf(m.values->GetTexture());
                };
                if (earlier != 0) {
                    EXPECT_TRUE(upload(s, earlier));
                }
                constexpr float kMax = std::numeric_limits<float>::max();
                const std::size_t components = vectors ? 3 : 1;
                const GridState reset{ImageViewId::Null().value, std::vector<float>(components, kMax),
                                      std::vector<float>(components, -kMax), {3, 2, 2}};
                const GridState before = state(s);
                const auto left = [=](const Subject& m) { EXPECT_EQ(state(m), earlier == 3 ? before : reset); };
                s.afterThrow = left;
                s.act = [=](Subject& m) {
                    const bool uploaded = upload(m, 3);
                    EXPECT_EQ(uploaded, !m.refusing);
                    if (!uploaded) return left(m);
                    EXPECT_NE(std::get<0>(state(m)), ImageViewId::Null().value) << "true means a texture";
                };
            }));
    return scenarios;
}

std::string ScenarioName(const ::testing::TestParamInfo<Scenario>& info) { return info.param.name; }

class FaultInjectionTest : public ::testing::TestWithParam<Scenario> {};

TEST_P(FaultInjectionTest, EveryDeviceCallMayAnswerNullOrThrow) {
    const Scenario& scenario = GetParam();
    const CleanRun clean = RunClean(scenario);
    ASSERT_FALSE(clean.operations.empty());
    for (std::size_t index = 0; index < clean.operations.size(); ++index)
        for (const Fault fault : {Fault::NullResult, Fault::Throw})
            if (Applies(clean.operations[index], fault)) RunWithFault(scenario, clean, index, fault);
}

INSTANTIATE_TEST_SUITE_P(Meshes, FaultInjectionTest, ::testing::ValuesIn(MeshScenarios()), ScenarioName);
INSTANTIATE_TEST_SUITE_P(Grids, FaultInjectionTest, ::testing::ValuesIn(GridScenarios()), ScenarioName);

// Releases never throw into the library: a device that does ends the process.
TEST(GridReleaseDeathTest, ThrowingReleaseEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            RecordingDevice device;
            auto grid = CreateScalarGrid(device);
            grid->SetValues(1, 1, 1, std::vector<float>{1.0f});
            device.ThrowFrom("DestroyImageView");
            grid.reset();
        },
        "");
}

}  // namespace
}  // namespace Korvex::Rendering::faults
