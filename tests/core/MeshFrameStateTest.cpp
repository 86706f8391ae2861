#include "TestMesh.h"

#include "core/Techniques.h"

#include <Korvex/Rendering/Simulation/ILineGridMesh.h>
#include <Korvex/Rendering/Simulation/ITriangleGridMesh.h>
#include <Korvex/Rendering/Simulation/IVoxelGridMesh.h>
#include <RecordingDevice.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

// The shared behaviour must fit each real mesh interface, overrides included.
template class Korvex::Rendering::detail::GridMeshBase<Korvex::Rendering::ILineGridMesh,
                                                       Korvex::Rendering::testing_support::TestConstants>;
template class Korvex::Rendering::detail::GeometryGridMeshBase<Korvex::Rendering::ILineGridMesh,
                                                               Korvex::Rendering::testing_support::TestConstants>;
template class Korvex::Rendering::detail::GridMeshBase<Korvex::Rendering::ITriangleGridMesh,
                                                       Korvex::Rendering::testing_support::TestConstants>;
template class Korvex::Rendering::detail::GeometryGridMeshBase<Korvex::Rendering::ITriangleGridMesh,
                                                               Korvex::Rendering::testing_support::TestConstants>;
template class Korvex::Rendering::detail::GridMeshBase<Korvex::Rendering::IVoxelGridMesh,
                                                       Korvex::Rendering::testing_support::TestConstants>;

namespace Korvex::Rendering::testing_support {
namespace {

using detail::CappedSimulationTechnique;
using detail::SimulationTechnique;
using detail::TransparentSimulationTechnique;
using Box = boundingbox<float, 3>;

constexpr float kFloatMax = std::numeric_limits<float>::max();

std::vector<ClipPlane> NumberedPlanes(std::size_t count) {
    std::vector<ClipPlane> planes;
    for (std::size_t i = 0; i < count; ++i) {
        const float f = static_cast<float>(i + 1);
        planes.push_back({f, -f, 0.5f * f, 100.0f + f});
    }
    return planes;
}

ClipPlane ConstantsPlane(const TestMesh& mesh, std::size_t i) {
    ClipPlane plane;
    std::memcpy(&plane, mesh.Constants().clip_planes[i], sizeof plane);
    return plane;
}

std::vector<ClipPlane> ReportedPlanes(const TestMesh& mesh) {
    const array_view<const ClipPlane> view = mesh.GetClipPlanes();
    return {view.begin(), view.end()};
}

class MeshFrameTest : public ::testing::Test {
protected:
    RecordingDevice device;
    TestMesh mesh{device};
};

TEST_F(MeshFrameTest, SetClipPlanesKeepsTheFirstEight) {
    const std::vector<ClipPlane> planes = NumberedPlanes(12);
    mesh.SetClipPlanes(planes);

    EXPECT_EQ(mesh.PlaneCount(), 8u);
    EXPECT_THAT(ReportedPlanes(mesh), ::testing::ElementsAreArray(planes.begin(), planes.begin() + 8));
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(ConstantsPlane(mesh, i), planes[i]) << i;
}

TEST_F(MeshFrameTest, FewerPlanesZeroTheRestOfTheConstants) {
    mesh.SetClipPlanes(NumberedPlanes(8));
    const std::vector<ClipPlane> planes = {{0.f, 0.f, 1.f, -2.f}, {1.f, 0.f, 0.f, 0.f}, {0.f, -1.f, 0.f, 3.f}};
    mesh.SetClipPlanes(planes);

    EXPECT_EQ(mesh.PlaneCount(), 3u);
    EXPECT_EQ(ReportedPlanes(mesh), planes);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(ConstantsPlane(mesh, i), planes[i]) << i;
    for (std::size_t i = 3; i < 8; ++i) EXPECT_EQ(ConstantsPlane(mesh, i), ClipPlane{}) << i;
}

TEST_F(MeshFrameTest, EmptyPlaneListClearsAllPlanes) {
    mesh.SetClipPlanes(NumberedPlanes(5));
    mesh.SetClipPlanes({});

    EXPECT_EQ(mesh.PlaneCount(), 0u);
    EXPECT_TRUE(mesh.GetClipPlanes().empty());
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(ConstantsPlane(mesh, i), ClipPlane{}) << i;
}

TEST_F(MeshFrameTest, PlanesReportedByTheMeshCanBeSetAgain) {
    const std::vector<ClipPlane> planes = NumberedPlanes(4);
    mesh.SetClipPlanes(planes);
    mesh.SetClipPlanes(mesh.GetClipPlanes());

    EXPECT_EQ(ReportedPlanes(mesh), planes);
    EXPECT_EQ(ConstantsPlane(mesh, 3), planes[3]);
}

TEST_F(MeshFrameTest, WorldBoxWithoutGeometryIsTheEmptyBoxUntransformed) {
    KxTransformMatrix model;
    model.MakeTranslation({1.0, 2.0, 3.0});
    mesh.SetModelTransform(model);
    mesh.AttachGrids(nullptr, std::make_shared<FakeVectorGrid>(std::array{-1.f, -1.f, -1.f},
                                                               std::array{1.f, 1.f, 1.f}),
                     Box{});

    const Box box = mesh.GetWorldBoundingBox();
    EXPECT_THAT(box.min, ::testing::Each(kFloatMax));
    EXPECT_THAT(box.max, ::testing::Each(-kFloatMax));
}

TEST_F(MeshFrameTest, WorldBoxIsGeometryBoxWidenedByDisplacementRangeThenTransformed) {
    struct Case {
        const char* name;
        bool vectorGrid;
        std::array<float, 3> rangeMin, rangeMax;
        KxVector3d translation;
        Box expected;
    };
    const Case cases[] = {
        {"no vector grid", false, {}, {}, {0, 0, 0}, {{0, 0, 0}, {1, 1, 1}}},
        {"range widens both ends", true, {-0.5f, 0, 0}, {0, 0, 2}, {0, 0, 0}, {{-0.5f, 0, 0}, {1, 1, 3}}},
        {"range inside the box", true, {0.25f, 0.25f, 0.25f}, {-0.25f, -0.25f, -0.25f}, {0, 0, 0},
         {{0, 0, 0}, {1, 1, 1}}},
        // The second point starts from the maximum the first point widened.
        {"max point from the widened box", true, {3, 0, 0}, {1, 0, 0}, {0, 0, 0}, {{0, 0, 0}, {4, 1, 1}}},
        {"max point below the minimum", true, {0, 0, 0}, {-3, 0, 0}, {0, 0, 0}, {{-2, 0, 0}, {1, 1, 1}}},
        {"then transformed", true, {-0.5f, 0, 0}, {0, 0, 2}, {10, 20, 30}, {{9.5f, 20, 30}, {11, 21, 33}}},
    };
    for (const Case& c : cases) {
        TestMesh caseMesh(device);
        caseMesh.SetGeometry(std::make_shared<FakeGeometry>(Box{{0, 0, 0}, {1, 1, 1}}));
        if (c.vectorGrid)
            caseMesh.AttachGrids(nullptr, std::make_shared<FakeVectorGrid>(c.rangeMin, c.rangeMax), Box{});
        KxTransformMatrix model;
        model.MakeTranslation(c.translation);
        caseMesh.SetModelTransform(model);

        const Box box = caseMesh.GetWorldBoundingBox();
        EXPECT_EQ(box.min, c.expected.min) << c.name;
        EXPECT_EQ(box.max, c.expected.max) << c.name;
    }
}

TEST(WidenByDisplacementRange, LeavesTheBoxWithoutDisplacements) {
    const Box box{{1, 2, 3}, {4, 5, 6}};
    EXPECT_EQ(detail::WidenByDisplacementRange(box, nullptr), box);
}

TEST_F(MeshFrameTest, NameStaysEmpty) {
    EXPECT_STREQ(mesh.GetName(), "");
    mesh.SetName("x");
    EXPECT_STREQ(mesh.GetName(), "");
    mesh.SetName(nullptr);
    EXPECT_STREQ(mesh.GetName(), "");
}

TEST_F(MeshFrameTest, UserValueStartsAtZeroAndKeepsWhatIsSet) {
    EXPECT_EQ(mesh.GetUserValue(), 0u);
    mesh.SetUserValue(0xfeedbeefu);
    EXPECT_EQ(mesh.GetUserValue(), 0xfeedbeefu);
}

TEST_F(MeshFrameTest, TransformsStartAsIdentityAndKeepWhatIsSet) {
    const KxTransformMatrix identity;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(identity.GetElement(i, i, false), 1.0);
    EXPECT_EQ(mesh.GetModelTransform(), identity);
    EXPECT_EQ(mesh.View(), identity);
    EXPECT_EQ(mesh.Projection(), identity);

    KxTransformMatrix model, view, projection;
    model.MakeTranslation({1, 2, 3});
    view.MakeTranslation({4, 5, 6});
    projection.MakeRotation({0, 0, 0}, {0, 0, 1}, 0.5);
    mesh.SetModelTransform(model);
    mesh.SetViewProjection(view, projection);

    EXPECT_EQ(mesh.GetModelTransform(), model);
    EXPECT_EQ(mesh.View(), view);
    EXPECT_EQ(mesh.Projection(), projection);
}

TEST_F(MeshFrameTest, AlphaIsClampedAndChoosesTheTechnique) {
    struct Case {
        float alpha;
        float stored;
        StringId technique;
    };
    const Case cases[] = {
        {1.0f, 1.0f, SimulationTechnique()},
        {0.999f, 0.999f, TransparentSimulationTechnique()},
        {0.5f, 0.5f, TransparentSimulationTechnique()},
        {1.5f, 1.0f, SimulationTechnique()},
        {-0.2f, 0.0f, TransparentSimulationTechnique()},
        {std::numeric_limits<float>::quiet_NaN(), 1.0f, SimulationTechnique()},
        {std::numeric_limits<float>::infinity(), 1.0f, SimulationTechnique()},
        {-std::numeric_limits<float>::infinity(), 0.0f, TransparentSimulationTechnique()},
    };
    EXPECT_EQ(mesh.GetTechnique(), SimulationTechnique());
    for (const Case& c : cases) {
        mesh.SetAlpha(c.alpha);
        EXPECT_EQ(mesh.Constants().alpha_value, c.stored) << c.alpha;
        EXPECT_EQ(mesh.GetTechnique(), c.technique) << c.alpha;
    }
}

TEST_F(MeshFrameTest, DeformationIsStoredUnchanged) {
    for (const float factor : {-2.0f, 0.0f, 1e-5f, 250.0f}) {
        mesh.SetDeformation(factor);
        EXPECT_EQ(mesh.Constants().deformation, factor);
    }
}

TEST_F(MeshFrameTest, AttachGridsKeepsGridsAndBoxAndWritesCornersXyzOnly) {
    mesh.MutableConstants().corner_min[3] = 7.0f;
    mesh.MutableConstants().corner_max[3] = 8.0f;
    auto scalar = std::make_shared<FakeScalarGrid>();
    auto vector = std::make_shared<FakeVectorGrid>(std::array{0.f, 0.f, 0.f}, std::array{0.f, 0.f, 0.f});
    const Box box{{1, 2, 3}, {4, 5, 6}};

    mesh.AttachGrids(scalar, vector, box);

    EXPECT_EQ(mesh.ScalarGrid(), scalar);
    EXPECT_EQ(mesh.VectorGrid(), vector);
    EXPECT_EQ(mesh.GridBox(), box);
    EXPECT_THAT(mesh.Constants().corner_min, ::testing::ElementsAre(1, 2, 3, 7));
    EXPECT_THAT(mesh.Constants().corner_max, ::testing::ElementsAre(4, 5, 6, 8));

    mesh.AttachGrids(nullptr, nullptr, box);
    EXPECT_EQ(scalar.use_count(), 1);
    EXPECT_EQ(vector.use_count(), 1);
}

TEST(MeshFrameRelease, VectorGridThenScalarGridThenGeometry) {
    RecordingDevice device;
    std::vector<std::string> log;
    {
        TestMesh mesh(device);
        mesh.SetGeometry(std::make_shared<FakeGeometry>(Box{}, &log));
        mesh.AttachGrids(std::make_shared<FakeScalarGrid>(&log),
                         std::make_shared<FakeVectorGrid>(std::array{0.f, 0.f, 0.f}, std::array{0.f, 0.f, 0.f}, &log),
                         Box{});
        EXPECT_TRUE(log.empty());
    }
    EXPECT_THAT(log, ::testing::ElementsAre("vector grid", "scalar grid", "geometry"));
}

TEST_F(MeshFrameTest, SetGeometryReleasesThePreviousOne) {
    std::vector<std::string> log;
    mesh.SetGeometry(std::make_shared<FakeGeometry>(Box{}, &log));
    mesh.SetGeometry(std::make_shared<FakeGeometry>(Box{}));
    EXPECT_THAT(log, ::testing::ElementsAre("geometry"));
    mesh.SetGeometry(nullptr);
    EXPECT_THAT(mesh.GetWorldBoundingBox().min, ::testing::Each(kFloatMax));
}

TEST(Techniques, NameTheHostTechniques) {
    EXPECT_EQ(SimulationTechnique(), StringId("SimulationTechnique"));
    EXPECT_EQ(TransparentSimulationTechnique(), StringId("TransparentSimulationTechnique"));
    EXPECT_EQ(CappedSimulationTechnique(), StringId("CappedSimulationTechnique"));
    EXPECT_EQ(detail::TechniqueForAlpha(0.999f), TransparentSimulationTechnique());
    EXPECT_EQ(detail::TechniqueForAlpha(1.0f), SimulationTechnique());
}

}  // namespace
}  // namespace Korvex::Rendering::testing_support
