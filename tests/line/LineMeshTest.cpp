// The line mesh on the recording device: what it makes and releases, the
// constants block each draw uploads, and the variant, pipeline and bindings
// each draw asks for.

#include "core/CacheKey.h"
#include "meshes/line/LineGridMesh.h"

#include <ExpectedKeys.h>
#include <MeshScene.h>

#include <gmock/gmock.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <tuple>

namespace Korvex::Rendering::test_support {
namespace {

using detail::SimulationConstants;
using ::testing::ElementsAre;

// Class seed, then each variant field hashed once.
std::uint64_t ProgramKey(std::uint64_t planes, bool deform, bool probeValue, bool probeDepth) {
    std::uint64_t h = Fnv1a("Korvex.Rendering.Simulation-LineGridMesh");
    h = Combine(h, Fnv1a(&planes, sizeof planes));
    for (const bool flag : {deform, probeValue, probeDepth}) h = Combine(h, Fnv1a(&flag, 1));
    return h;
}

class LineMeshTest : public MeshScene {
protected:
    void Attach(bool withDisplacements = false, const Box& box = kUnitBox, const Dimensions& valueSize = {2, 2, 2},
                std::optional<Dimensions> displacementSize = std::nullopt) {
        values = MakeValues(device, valueSize);
        if (withDisplacements || displacementSize)
            displacements = MakeDisplacements(device, displacementSize.value_or(Dimensions{2, 2, 2}));
        mesh->SetGeometry(MakeGeometry(device, 2));
        mesh->SetGrids(values, displacements, box);
    }

    std::unique_ptr<ILineGridMesh> mesh = CreateLineGridMesh(device);
    const BufferId constantBuffer{device.Calls().at(0).result};
    const SamplerId sampler{device.Calls().at(1).result};
    std::shared_ptr<IScalarGrid> values;
    std::shared_ptr<IVectorGrid> displacements;
};

// A constants block and a sampler from the start; a draw once geometry and
// values are attached, reusing the program and pipeline it made.
TEST_F(LineMeshTest, DrawsOnceGeometryAndValuesAreAttachedAndReusesWhatItMade) {
    ASSERT_THAT(device.OperationNames(), ElementsAre("CreateBuffer", "CreateSampler"));
    EXPECT_EQ(device.Calls()[0].arguments, "{544,36},null");
    EXPECT_EQ(device.Calls()[1].arguments, "{2,1}") << "linear, clamped";
    EXPECT_THAT(Draw(*mesh), ElementsAre()) << "nothing attached";
    mesh->SetGeometry(MakeGeometry(device, 2));
    mesh->SetGrids(nullptr, MakeDisplacements(device), kUnitBox);
    EXPECT_THAT(Draw(*mesh), ElementsAre()) << "no values";
    mesh->SetGeometry(nullptr);
    mesh->SetGrids(MakeValues(device), nullptr, kUnitBox);
    EXPECT_THAT(Draw(*mesh), ElementsAre()) << "no geometry";

    Attach();
    EXPECT_THAT(Draw(*mesh), ElementsAre("GetImageInfo", "UpdateBuffer", "CreateProgram", "CreatePipelineState",
                                         "BindDrawCall", "DrawIndexed"));
    EXPECT_EQ(First("GetImageInfo").arguments, IdText(depthStencil));
    EXPECT_EQ(First("UpdateBuffer").arguments, IdText(constantBuffer) + ",0,544");
    EXPECT_EQ(Uploaded<SimulationConstants>().color, (std::array<float, 4>{0.7f, 0.7f, 0.7f, 1.0f})) << "default";
    EXPECT_EQ(Uploaded<SimulationConstants>().brightness, 0.5f);
    const PipelineStateId pipeline{First("CreatePipelineState").result};

    // Another mesh differing only in colour (the first four bytes; three are
    // too few and change nothing) finds both in the cache.
    const std::unique_ptr<ILineGridMesh> other = CreateLineGridMesh(device);
    other->SetGeometry(MakeGeometry(device, 2));
    other->SetGrids(values, nullptr, kUnitBox);
    other->SetColor(std::vector<std::uint8_t>{51, 102, 153, 204, 255});
    other->SetColor(std::vector<std::uint8_t>{255, 0, 0});
    for (ILineGridMesh* drawn : {mesh.get(), other.get()}) {
        EXPECT_THAT(Draw(*drawn), ElementsAre("GetImageInfo", "UpdateBuffer", "BindDrawCall", "DrawIndexed"));
        EXPECT_EQ(First("BindDrawCall").As<BindDrawCallArguments>().pipeline, pipeline);
    }
    EXPECT_EQ(Uploaded<SimulationConstants>().color, (std::array<float, 4>{0.2f, 0.4f, 0.6f, 0.8f}));
}

TEST_F(LineMeshTest, EachDrawAsksForTheVariantItsStateSelects) {
    const struct Case {
        const char* name;
        bool displacements;
        float deformation;
        bool probeValue, probeDepth;
        std::size_t planes;
        bool deform;
    } cases[] = {
        {"plain", false, 0.0f, true, true, 0, false},
        {"deformation without vector grid", false, 1.0f, true, true, 0, false},
        {"deformation at the threshold", true, 0.0001f, true, true, 0, false},
        {"deformation at minus the threshold", true, -0.0001f, true, true, 0, false},
        {"deformation just above", true, 0.00011f, true, true, 0, true},
        {"negative deformation", true, -2.0f, true, true, 1, true},
        {"no probes", false, 0.0f, false, false, 0, false},
        {"value probe only", false, 0.0f, true, false, 0, false},
        {"depth probe only", false, 0.0f, false, true, 8, false},
        {"twelve planes keep eight", true, 1.0f, true, true, 12, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        displacements.reset();
        Attach(c.displacements);
        mesh->SetDeformation(c.deformation);
        mesh->SetClipPlanes(PlanesAcrossX(c.planes));
        cache = {};
        Draw(*mesh, Pass(c.probeValue, c.probeDepth));

        const std::uint64_t key = ProgramKey(std::min<std::size_t>(c.planes, 8), c.deform, c.probeValue, c.probeDepth);
        ASSERT_EQ(cache.programs.size(), 1u);
        EXPECT_EQ(cache.programs.begin()->first, key);
        const auto& stages = First("CreateProgram").As<ShaderStageSources>().stages;
        EXPECT_EQ(std::tuple(stages[kStageIndexHull].empty(), stages[kStageIndexDomain].empty(),
                             stages[kStageIndexGeometry].empty()),
                  std::tuple(!c.deform, !c.deform, true));
        const PipelineStateDesc& state = First("CreatePipelineState").As<PipelineStateDesc>();
        EXPECT_EQ(std::tuple(state.topology, state.cullMode, state.targetFormats[kTargetProbeValue],
                             state.targetFormats[kTargetProbeDepth], std::string(state.vertexInput[0].name)),
                  std::tuple(c.deform ? kTopologyPatch2 : kTopologyLineList, kCullBack,
                             c.probeValue ? kFormatR32Float : 0u, c.probeDepth ? kFormatR32Float : 0u, "position"));
        const std::uint64_t stateHash = detail::HashPipelineState(state);
        EXPECT_EQ(cache.pipelineStates.begin()->first, Combine(key, Fnv1a(&stateHash, sizeof stateHash)));

        const DrawCallDesc& bound = First("BindDrawCall").As<BindDrawCallArguments>().drawCall;
        EXPECT_EQ(bound.constantBuffers[0].buffer, constantBuffer);
        EXPECT_EQ(bound.constantBuffers[0].stageMask, c.deform ? 23u : 17u);
        EXPECT_EQ(BindingOf(bound, 1), c.deform ? Bound(displacements->GetTexture().view, sampler, 4) : Bound({}, {}, 0));
        EXPECT_EQ(BindingOf(bound, 2), Bound(values->GetTexture().view, sampler, 16));
        EXPECT_TRUE(bound.resources[0].view.IsNull() && bound.resources[3].view.IsNull());
        EXPECT_TRUE(bound.constantBuffers[1].buffer.IsNull());
    }
}

// 2 / width, 2 / height of the depth-stencil target, and the smallest cell
// edge of the box, each axis divided by the larger of both grids' sizes.
TEST_F(LineMeshTest, EachDrawUploadsPixelSizeAndCellSize) {
    constexpr float kInfinity = std::numeric_limits<float>::infinity();
    const struct Case {
        Box box;
        Dimensions values;
        std::optional<Dimensions> displacements;
        bool depthTarget;
        std::array<float, 4> expected;
    } cases[] = {
        {Box({0, 0, 0}, {2, 3, 4}), {4, 5, 6}, std::nullopt, true, {1 / 32.0f, 1 / 16.0f, 0.5f, 0}},
        {Box({0, 0, 0}, {2, 3, 4}), {4, 5, 6}, Dimensions{8, 2, 2}, true, {1 / 32.0f, 1 / 16.0f, 0.25f, 0}},
        {Box({0, 0, 0}, {8, 1, 8}), {4, 5, 6}, std::nullopt, true, {1 / 32.0f, 1 / 16.0f, 0.2f, 0}},
        {Box({-1, -1, -1}, {1, 1, 0}), {2, 2, 2}, Dimensions{1, 1, 4}, true, {1 / 32.0f, 1 / 16.0f, 0.25f, 0}},
        {Box({0, 0, 0}, {4, 4, 4}), {1, 1, 1}, std::nullopt, false, {kInfinity, kInfinity, 4.0f, 0}},
    };
    for (const Case& c : cases) {
        displacements.reset();
        Attach(false, c.box, c.values, c.displacements);
        Draw(*mesh, Pass(true, true, c.depthTarget));
        const SimulationConstants block = Uploaded<SimulationConstants>();
        EXPECT_EQ(block.pixel_size_min_cell_size, c.expected) << "cell " << c.expected[2];
        EXPECT_EQ(device.CountOf("DrawIndexed"), 1u) << "drawn all the same";
    }
}

// Model (1, 2, 3) away, view a quarter turn about z, projection by hand:
// the block holds each product worked out on paper, column by column.
TEST_F(LineMeshTest, EachDrawUploadsTheComposedMatrices) {
    Attach();
    KxTransformMatrix model, view;
    model.MakeTranslation({1, 2, 3});
    view.MakeRotation({0, 0, 0}, {0, 0, 1}, std::numbers::pi / 2);
    const KxTransformMatrix projection(std::array<double, 16>{2, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0.5, 0.25, 0, 0, -1, 0});
    mesh->SetModelTransform(model);
    mesh->SetViewProjection(view, projection);
    Draw(*mesh);
    const SimulationConstants block = Uploaded<SimulationConstants>();

    const auto expectNear = [](const std::array<float, 16>& actual, const std::array<float, 16>& expected,
                               const char* what) {
        for (std::size_t i = 0; i < 16; ++i) EXPECT_NEAR(actual[i], expected[i], 1e-6) << what << " [" << i << "]";
    };
    expectNear(block.model_matrix, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1}, "model");
    expectNear(block.model_view_matrix, {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, -2, 1, 3, 1}, "model view");
    expectNear(block.normal_matrix, {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, "normal");
    expectNear(block.projection_matrix, {2, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0.5f, -1, 0, 0, 0.25f, 0}, "projection");
    expectNear(block.model_view_projection_matrix, {0, 4, 0, 0, -2, 0, 0, 0, 0, 0, 0.5f, -1, -4, 4, 1.75f, -3},
               "model view projection");
}

}  // namespace
}  // namespace Korvex::Rendering::test_support
