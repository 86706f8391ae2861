// What every mesh shares, on a minimal mesh over the shared base with fake
// grids and geometry: clip planes, alpha and technique, the world box and
// release order.

#include "core/GridMeshBase.h"

#include <Korvex/Rendering/Simulation/IClippable.h>
#include <Korvex/Rendering/Simulation/ILineGridMesh.h>
#include <Korvex/Rendering/Simulation/IRenderable.h>
#include <Korvex/Rendering/Simulation/ITransformable.h>
#include <Korvex/Rendering/Simulation/ITriangleGridMesh.h>
#include <Korvex/Rendering/Simulation/IVoxelGridMesh.h>
#include <RecordingDevice.h>

#include <gmock/gmock.h>

#include <cstring>
#include <limits>
#include <tuple>

namespace Korvex::Rendering::testing_support {

struct TestConstants {
    float corner_min[4] = {};
    float corner_max[4] = {};
    float deformation = 0.0f;
    float alpha_value = 1.0f;
    float clip_planes[8][4] = {};
};

class ITestMesh : public IRenderable, public ITransformable, public IClippable {
public:
    virtual void SetGeometry(const std::shared_ptr<IGeometry>& geometry) = 0;
    virtual void SetDeformation(float factor) = 0;
    virtual void SetAlpha(float alpha) = 0;
    virtual void DrawWithState(IGpu& gpu, PipelineStateDesc& state, DrawCallDesc& drawCall, ResourceCache& cache,
                               void* passThrough) = 0;
};

class TestMesh final : public detail::GeometryGridMeshBase<ITestMesh, TestConstants> {
public:
    explicit TestMesh(IGpu& gpu) : GeometryGridMeshBase(gpu) {}

    // What Draw makes of a pass is shown by every picture drawn through a frame.
    void DrawWithState(IGpu&, PipelineStateDesc&, DrawCallDesc&, ResourceCache&, void*) override {}

    using GeometryGridMeshBase::AttachGrids;
    const TestConstants& Constants() const { return constants_; }
    std::uint64_t PlaneCount() const { return planeCount_; }

};

class FakeGeometry final : public IGeometry {
public:
    explicit FakeGeometry(const boundingbox<float, 3>& box) : box_(box) {}
    const char* GetName() const override { return "fake"; }
    void SetName(const char*) override {}
    boundingbox<float, 3> GetBoundingBox() const override { return box_; }
    VertexInputState GetVertexInputState() const override { return {}; }
    void SubmitDrawsWithState(ICommandList&, const PipelineStateDesc&) override {}
    void SubmitDrawsInstanced(ICommandList* const*, std::uint64_t) override {}
    void SubmitDraws(ICommandList&) override {}
    bool IsClosed() const override { return true; }

private:
    boundingbox<float, 3> box_;
};

struct FakeScalarGrid final : IScalarGrid {
    bool SetValues(std::size_t, std::size_t, std::size_t, array_view<const float>) override { return false; }
    ScalarGridTexture GetTexture() const override { return {}; }
};

struct FakeVectorGrid final : IVectorGrid {
    FakeVectorGrid(std::array<float, 3> low, std::array<float, 3> high) : rangeMin(low), rangeMax(high) {}
    bool SetVectors(std::size_t, std::size_t, std::size_t, array_view<const Vector3f>) override { return false; }
    VectorGridTexture GetTexture() const override { return {ImageViewId::Null(), rangeMin, rangeMax, {1, 1, 1}}; }
    std::array<float, 3> rangeMin, rangeMax;
};

// A shared object that appends name to log when it is destroyed.
template <class T>
std::shared_ptr<T> Logged(std::unique_ptr<T> object, std::vector<std::string>& log, std::string name) {
    return {object.release(), [&log, name](T* released) {
                log.push_back(name);
                delete released;
            }};
}

}  // namespace Korvex::Rendering::testing_support

// The shared behaviour must fit each real mesh interface, overrides included.
namespace Korvex::Rendering::detail {
template class GridMeshBase<ILineGridMesh, testing_support::TestConstants>;
template class GeometryGridMeshBase<ILineGridMesh, testing_support::TestConstants>;
template class GridMeshBase<ITriangleGridMesh, testing_support::TestConstants>;
template class GeometryGridMeshBase<ITriangleGridMesh, testing_support::TestConstants>;
template class GridMeshBase<IVoxelGridMesh, testing_support::TestConstants>;
}  // namespace Korvex::Rendering::detail

namespace Korvex::Rendering::testing_support {
namespace {

using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
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

std::shared_ptr<FakeVectorGrid> Displacements(std::array<float, 3> rangeMin, std::array<float, 3> rangeMax) {
    return std::make_shared<FakeVectorGrid>(rangeMin, rangeMax);
}

class MeshFrameTest : public ::testing::Test {
protected:
    RecordingDevice device;
    TestMesh mesh{device};
};

TEST_F(MeshFrameTest, KeepsAtMostEightPlanesAndZeroesTheConstantsPastThem) {
    struct Case { std::size_t before, given, kept; };
    for (const Case c : {Case{0, 12, 8}, Case{8, 3, 3}, Case{5, 0, 0}, Case{0, 8, 8}}) {
        mesh.SetClipPlanes(NumberedPlanes(c.before));
        const std::vector<ClipPlane> planes = NumberedPlanes(c.given);
        mesh.SetClipPlanes(planes);
        mesh.SetClipPlanes(mesh.GetClipPlanes());  // what it reports can be given back

        EXPECT_EQ(mesh.PlaneCount(), c.kept) << c.given;
        EXPECT_THAT(std::vector<ClipPlane>(mesh.GetClipPlanes().begin(), mesh.GetClipPlanes().end()),
                    ElementsAreArray(planes.begin(), planes.begin() + static_cast<std::ptrdiff_t>(c.kept)));
        for (std::size_t i = 0; i < 8; ++i) {
            ClipPlane inConstants;
            std::memcpy(&inConstants, mesh.Constants().clip_planes[i], sizeof inConstants);
            EXPECT_EQ(inConstants, i < c.kept ? planes[i] : ClipPlane{}) << c.given << " planes, slot " << i;
        }
    }
}

TEST_F(MeshFrameTest, WorldBoxIsTheGeometryBoxWidenedByTheDisplacementRangeThenTransformed) {
    const struct Case {
        const char* name;
        bool vectorGrid;
        std::array<float, 3> rangeMin, rangeMax;
        KxVector3d translation;
        Box expected;
    } cases[] = {
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
        if (c.vectorGrid) caseMesh.AttachGrids(nullptr, Displacements(c.rangeMin, c.rangeMax), Box{});
        KxTransformMatrix model;
        model.MakeTranslation(c.translation);
        caseMesh.SetModelTransform(model);
        EXPECT_EQ(caseMesh.GetWorldBoundingBox(), c.expected) << c.name;
    }
    // Without a geometry: the empty box, untransformed.
    KxTransformMatrix model;
    model.MakeTranslation({1.0, 2.0, 3.0});
    mesh.SetModelTransform(model);
    mesh.AttachGrids(nullptr, Displacements({-1, -1, -1}, {1, 1, 1}), Box{});
    EXPECT_THAT(mesh.GetWorldBoundingBox().min, Each(kFloatMax));
    EXPECT_THAT(mesh.GetWorldBoundingBox().max, Each(-kFloatMax));
}

// Alpha is clamped and chooses the technique; the deformation is kept as
// given; the name is not kept, the user value is.
TEST_F(MeshFrameTest, AlphaIsClampedAndChoosesTheTechniqueTheRestIsKeptAsGiven) {
    for (const float factor : {-2.0f, 1e-5f, 250.0f}) {
        mesh.SetDeformation(factor);
        EXPECT_EQ(mesh.Constants().deformation, factor);
    }
    mesh.SetName("x");
    mesh.SetUserValue(0xfeedbeefu);
    EXPECT_STREQ(mesh.GetName(), "");
    EXPECT_EQ(mesh.GetUserValue(), 0xfeedbeefu);
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    constexpr float kInfinity = std::numeric_limits<float>::infinity();
    const StringId opaque("SimulationTechnique"), transparent("TransparentSimulationTechnique");
    EXPECT_EQ(mesh.GetTechnique(), opaque);
    const std::tuple<float, float, StringId> cases[] = {
        {1.0f, 1.0f, opaque},          {0.999f, 0.999f, transparent},   {1.5f, 1.0f, opaque},
        {-0.2f, 0.0f, transparent},    {kNaN, 1.0f, opaque},            {kInfinity, 1.0f, opaque},
        {-kInfinity, 0.0f, transparent}};
    for (const auto& [alpha, stored, technique] : cases) {
        mesh.SetAlpha(alpha);
        EXPECT_EQ(mesh.Constants().alpha_value, stored) << alpha;
        EXPECT_EQ(mesh.GetTechnique(), technique) << alpha;
    }
}

TEST(MeshFrameRelease, ReplacedGeometryGoesAtOnceTheRestVectorGridFirst) {
    RecordingDevice device;
    std::vector<std::string> log;
    {
        TestMesh mesh(device);
        mesh.SetGeometry(Logged(std::make_unique<FakeGeometry>(Box{}), log, "replaced geometry"));
        mesh.SetGeometry(Logged(std::make_unique<FakeGeometry>(Box{}), log, "geometry"));
        mesh.AttachGrids(Logged(std::make_unique<FakeScalarGrid>(), log, "scalar grid"),
                         Logged(std::make_unique<FakeVectorGrid>(std::array{0.f, 0.f, 0.f}, std::array{0.f, 0.f, 0.f}),
                                log, "vector grid"),
                         Box{});
        EXPECT_THAT(log, ElementsAre("replaced geometry"));
    }
    EXPECT_THAT(log, ElementsAre("replaced geometry", "vector grid", "scalar grid", "geometry"));
}

}  // namespace
}  // namespace Korvex::Rendering::testing_support
