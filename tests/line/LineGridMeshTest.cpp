// The line mesh's resources and state, as the device sees them: what it
// creates and releases, and the constants block each draw uploads.

#include "LineRecordingScene.h"

#include "core/Techniques.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <map>
#include <stdexcept>
#include <string>

namespace Korvex::Rendering::linetest {
namespace {

using ::testing::ElementsAre;
using ::testing::Each;

class LineGridMeshTest : public LineRecordingScene {};

TEST_F(LineGridMeshTest, ConstructionCreatesTheConstantBufferThenTheSampler) {
    RecordingDevice fresh;
    const std::unique_ptr<ILineGridMesh> created = CreateLineGridMesh(fresh);

    ASSERT_THAT(fresh.OperationNames(), ElementsAre("CreateBuffer", "CreateSampler"));
    const BufferDesc& buffer = fresh.Calls()[0].As<BufferDesc>();
    EXPECT_EQ(buffer.size, 544u);
    EXPECT_EQ(buffer.usage, 36u);
    EXPECT_EQ(fresh.Calls()[0].arguments, "{544,36},null") << "no initial data";
    const SamplerDesc& sampler = fresh.Calls()[1].As<SamplerDesc>();
    EXPECT_EQ(sampler.filter, kFilterLinear);
    EXPECT_EQ(sampler.address, kAddressClamp);
}

TEST_F(LineGridMeshTest, FailedConstructionReleasesWhatItCreated) {
    RecordingDevice fresh;
    fresh.ThrowFrom("CreateSampler");
    EXPECT_THROW(CreateLineGridMesh(fresh), std::runtime_error);
    EXPECT_EQ(fresh.LiveObjectCount(), 0u);
}

// Destruction releases the sampler, the constant buffer, then the shared
// inputs (vector grid, scalar grid, geometry) whose last owner it is.
TEST_F(LineGridMeshTest, DestructionReleasesInReverseOrderOfOwnership) {
    std::map<std::string, std::string> owners;  // id text -> owner
    const auto own = [&](const std::string& owner) {
        for (const RecordedCall& call : device.Calls())
            if (call.operation.rfind("Create", 0) == 0) owners[IdText(call.result)] = owner;
        device.ClearCalls();
    };
    const std::size_t liveBefore = device.LiveObjectCount();
    device.ClearCalls();
    std::unique_ptr<ILineGridMesh> owned = CreateLineGridMesh(device);
    owners[IdText(device.Calls().at(0).result)] = "constant buffer";
    owners[IdText(device.Calls().at(1).result)] = "sampler";
    device.ClearCalls();
    std::shared_ptr<IGeometry> geometry = MakeGeometry();
    own("geometry");
    std::shared_ptr<IScalarGrid> values = MakeValues();
    own("scalar grid");
    std::shared_ptr<IVectorGrid> displacements = MakeDisplacements();
    own("vector grid");
    owned->SetGeometry(geometry);
    owned->SetGrids(std::move(values), std::move(displacements), gridBox);
    geometry.reset();

    owned.reset();

    std::vector<std::string> released;
    for (const RecordedCall& call : device.Calls()) {
        ASSERT_EQ(call.operation.rfind("Destroy", 0), 0u) << call.operation;
        const std::string& owner = owners.at(call.arguments);
        if (released.empty() || released.back() != owner) released.push_back(owner);
    }
    EXPECT_THAT(released, ElementsAre("sampler", "constant buffer", "vector grid", "scalar grid", "geometry"));
    EXPECT_EQ(device.LiveObjectCount(), liveBefore);
}

TEST_F(LineGridMeshTest, SharedInputsOutliveTheMeshWhileTheHostHoldsThem) {
    const std::shared_ptr<IGeometry> geometry = MakeGeometry();
    const std::shared_ptr<IScalarGrid> values = MakeValues();
    mesh->SetGeometry(geometry);
    mesh->SetGrids(values, nullptr, gridBox);
    mesh.reset();
    EXPECT_EQ(geometry.use_count(), 1);
    EXPECT_EQ(values.use_count(), 1);
}

TEST_F(LineGridMeshTest, NewMeshUploadsTheDefaultBlock) {
    MakeDrawable(*mesh);
    Draw();
    const detail::SimulationConstants constants = Uploaded();

    EXPECT_EQ(constants.min_value, 0.0f);
    EXPECT_EQ(constants.max_value, 1.0f);
    EXPECT_EQ(constants.min_sample_value, 0.0f);
    EXPECT_EQ(constants.sample_value_range, 1.0f);
    EXPECT_THAT(constants.color, ElementsAre(0.7f, 0.7f, 0.7f, 1.0f));
    EXPECT_EQ(constants.deformation, 0.0f);
    EXPECT_EQ(constants.brightness, 0.5f);
    EXPECT_EQ(constants.alpha_value, 1.0f);
    for (const auto& plane : constants.clip_planes) EXPECT_THAT(plane, Each(0.0f));
    EXPECT_EQ(constants.pixel_size_min_cell_size[3], 0.0f);
    EXPECT_EQ(mesh->GetTechnique(), detail::SimulationTechnique());
    EXPECT_EQ(mesh->GetUserValue(), 0u);
}

TEST_F(LineGridMeshTest, SettersReachTheUploadedBlock) {
    struct Case {
        const char* what;
        std::function<void(ILineGridMesh&)> set;
        void (*check)(const detail::SimulationConstants&);
    };
    const Case cases[] = {
        {"colour bytes over 255",
         [](ILineGridMesh& m) {
             const std::uint8_t rgba[] = {255, 0, 128, 255};
             m.SetColor(rgba);
         },
         [](const detail::SimulationConstants& c) {
             EXPECT_THAT(c.color, ElementsAre(1.0f, 0.0f, 128.0f / 255.0f, 1.0f));
             EXPECT_NEAR(c.color[2], 0.50196f, 1e-5f);
         }},
        {"colour takes the first four bytes",
         [](ILineGridMesh& m) {
             const std::uint8_t rgba[] = {51, 102, 153, 204, 255};
             m.SetColor(rgba);
         },
         [](const detail::SimulationConstants& c) {
             EXPECT_THAT(c.color, ElementsAre(0.2f, 0.4f, 0.6f, 0.8f));
         }},
        {"colour of three bytes is ignored",
         [](ILineGridMesh& m) {
             const std::uint8_t rgb[] = {255, 0, 0};
             m.SetColor(rgb);
             m.SetColor({});
         },
         [](const detail::SimulationConstants& c) {
             EXPECT_THAT(c.color, ElementsAre(0.7f, 0.7f, 0.7f, 1.0f));
         }},
        {"negative deformation is kept", [](ILineGridMesh& m) { m.SetDeformation(-2.0f); },
         [](const detail::SimulationConstants& c) { EXPECT_EQ(c.deformation, -2.0f); }},
        {"alpha above 1", [](ILineGridMesh& m) { m.SetAlpha(1.5f); },
         [](const detail::SimulationConstants& c) { EXPECT_EQ(c.alpha_value, 1.0f); }},
        {"alpha below 0", [](ILineGridMesh& m) { m.SetAlpha(-0.2f); },
         [](const detail::SimulationConstants& c) { EXPECT_EQ(c.alpha_value, 0.0f); }},
        {"alpha NaN", [](ILineGridMesh& m) { m.SetAlpha(std::numeric_limits<float>::quiet_NaN()); },
         [](const detail::SimulationConstants& c) { EXPECT_EQ(c.alpha_value, 1.0f); }},
        {"grid box corners",
         [&](ILineGridMesh& m) { m.SetGrids(MakeValues(), nullptr, Box({1, 2, 3}, {4, 5, 6})); },
         [](const detail::SimulationConstants& c) {
             EXPECT_THAT(c.corner_min, ElementsAre(1.0f, 2.0f, 3.0f, 0.0f));
             EXPECT_THAT(c.corner_max, ElementsAre(4.0f, 5.0f, 6.0f, 0.0f));
         }},
        {"three planes after twelve",
         [](ILineGridMesh& m) {
             std::vector<ClipPlane> planes;
             for (int i = 1; i <= 12; ++i) planes.push_back({float(i), 0, 0, -float(i)});
             m.SetClipPlanes(planes);
             planes.resize(3);
             m.SetClipPlanes(planes);
         },
         [](const detail::SimulationConstants& c) {
             EXPECT_THAT(c.clip_planes[2], ElementsAre(3.0f, 0.0f, 0.0f, -3.0f));
             for (std::size_t i = 3; i < 8; ++i) EXPECT_THAT(c.clip_planes[i], Each(0.0f)) << i;
         }},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        const std::unique_ptr<ILineGridMesh> fresh = CreateLineGridMesh(device);
        MakeDrawable(*fresh);
        test.set(*fresh);
        Draw(*fresh);
        ASSERT_NE(Find("UpdateBuffer"), nullptr);
        test.check(Uploaded());
    }
}

}  // namespace
}  // namespace Korvex::Rendering::linetest
