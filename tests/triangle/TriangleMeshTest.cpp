// The triangle mesh on the recording device: its objects, its colour
// gradient, its technique, and the single pass a draw makes when it does not
// cap (capping: TriangleCappingTest.cpp).

#include "TriangleScene.h"

#include <gmock/gmock.h>

namespace Korvex::Rendering::test_support {
namespace {

using ::testing::ElementsAre;
using ::testing::StartsWith;
using Bytes = std::vector<std::uint8_t>;
using Float4 = detail::Float4;

// count colours: red rising, green falling, blue 51.
Bytes Colors(std::size_t count) {
    Bytes rgba(4 * count, 255);
    for (std::size_t i = 0; i < count; ++i) {
        rgba[4 * i] = std::uint8_t(i);
        rgba[4 * i + 1] = std::uint8_t(255 - i);
        rgba[4 * i + 2] = 51;
    }
    return rgba;
}

using TriangleMeshTest = TriangleScene;

// GPU resources first (sampler, gradient view and image, constant buffer),
// then the cap quad (index, then vertex buffer); the inputs after them.
TEST_F(TriangleMeshTest, OwnsItsResourcesAndReleasesThemBeforeItsInputs) {
    ASSERT_THAT(device.OperationNames(), ElementsAre("CreateBuffer", "CreateSampler"));
    EXPECT_EQ(device.Calls()[0].arguments, "{624,36},null");
    EXPECT_EQ(device.Calls()[1].arguments, "{2,1}") << "linear, clamped";
    device.ClearCalls();
    auto owner = std::make_unique<TriangleGridMesh>(device);
    owner->SetGrids(nullptr, nullptr, kUnitBox);
    owner->SetColorMap(Colors(4));
    std::vector<std::string> created;
    for (const RecordedCall& call : device.Calls())
        if (call.operation.starts_with("Create")) created.push_back(call.operation + " " + IdText(call.result));
    ASSERT_EQ(created.size(), 6u);  // buffer, sampler, quad vertices and indices, gradient image and view
    device.ClearCalls();
    owner.reset();
    std::vector<std::string> released;
    for (const RecordedCall& call : device.Calls()) released.push_back(call.operation + " " + call.arguments);
    const auto id = [&](std::size_t k) { return created[k].substr(created[k].find(' ')); };
    EXPECT_THAT(released, ElementsAre("DestroySampler" + id(1), "DestroyImageView" + id(5), "DestroyImage" + id(4),
                                      "DestroyBuffer" + id(0), "DestroyBuffer" + id(3), "DestroyBuffer" + id(2)));
}

TEST_F(TriangleMeshTest, TechniqueFollowsCappingDeformationPlanesAndAlpha) {
    struct Case {
        const char* name;
        bool capping;
        float deformation, alpha;
        std::size_t planes;
        const char* technique;
    };
    const Case cases[] = {
        {"capped", true, 0.0f, 1.0f, 1, "CappedSimulationTechnique"},
        {"capped even when transparent", true, 0.0f, 0.5f, 8, "CappedSimulationTechnique"},
        {"capped with negative zero deformation", true, -0.0f, 1.0f, 2, "CappedSimulationTechnique"},
        {"any deformation", true, 0.00001f, 1.0f, 1, "SimulationTechnique"},
        {"any deformation, transparent", true, 0.00001f, 0.999f, 1, "TransparentSimulationTechnique"},
        {"no plane", true, 0.0f, 1.0f, 0, "SimulationTechnique"},
        {"capping off, transparent", false, 0.0f, 0.0f, 3, "TransparentSimulationTechnique"},
    };
    for (const Case& c : cases) {
        mesh.SetCapping(c.capping);
        mesh.SetDeformation(c.deformation);
        mesh.SetAlpha(c.alpha);
        mesh.SetClipPlanes(PlanesAcrossX(c.planes));
        EXPECT_EQ(mesh.GetTechnique(), StringId(c.technique)) << c.name;
    }
}

// A colour table becomes a 1D RGBA8 image of one texel per colour; its end
// colours (or the ones given) colour values beyond the range.
TEST_F(TriangleMeshTest, ColorMapInstallsAGradientImageAndItsEndColours) {
    struct Case {
        const char* name;
        Bytes under, table, over;
        std::uint32_t texels;
        std::size_t width;
        Float4 underflow, overflow;
    };
    const float k51 = 0.2f, k255 = 1.0f;
    const Case cases[] = {
        {"256 colours", {}, Colors(256), {}, 256, 256, {0, k255, k51, 1}, {k255, 0, k51, 1}},
        // One texel spread over two; the last colour is the last four bytes.
        {"one colour and two bytes", {}, {51, 102, 153, 204, 255, 0}, {}, 1, 2, {0.2f, 0.4f, 0.6f, 0.8f},
         {0.6f, 0.8f, 1, 0}},
        {"end colours given", {0, 0, 255, 255}, Colors(8), {255, 0, 0, 255}, 8, 8, {0, 0, 1, 1}, {1, 0, 0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TriangleGridMesh fresh(device);
        device.ClearCalls();
        if (c.under.empty())
            fresh.SetColorMap(c.table);
        else
            fresh.SetColorMap(c.under, c.table, c.over);
        ASSERT_THAT(device.OperationNames(), ElementsAre("CreateImage", "WriteImage", "CreateImageView"));
        EXPECT_EQ(device.Calls()[0].arguments, "{" + std::to_string(c.texels) + ",0,0,6,1,1,65}");
        EXPECT_EQ(device.ImageBytes(ImageId{device.Calls()[0].result}),
                  Bytes(c.table.begin(), c.table.begin() + 4 * c.texels));
        EXPECT_EQ(fresh.GradientWidth(), c.width);
        EXPECT_EQ(fresh.Constants().underflow_color, c.underflow);
        EXPECT_EQ(fresh.Constants().overflow_color, c.overflow);
    }

    mesh.SetColorMap(Colors(8));
    const TriangleConstants before = mesh.Constants();
    device.ClearCalls();
    const Bytes shortView{1, 2, 3}, oneColor{1, 2, 3, 4};
    mesh.SetColorMap(shortView);
    mesh.SetColorMap(shortView, Colors(4), oneColor);
    mesh.SetColorMap(oneColor, shortView, oneColor);
    mesh.SetColorMap(oneColor, Colors(4), shortView);
    EXPECT_TRUE(device.Calls().empty()) << "views shorter than a colour change nothing";
    EXPECT_EQ(std::memcmp(&before, &mesh.Constants(), sizeof before), 0);

    mesh.SetColorMap(Colors(16));
    EXPECT_THAT(device.OperationNames(),
                ElementsAre("DestroyImageView", "DestroyImage", "CreateImage", "WriteImage", "CreateImageView"));
    EXPECT_EQ(mesh.GradientWidth(), 16u);
}

TEST_F(TriangleMeshTest, DrawsOnceGeometryAndValuesAreAttachedInstallingViridisFirst) {
    for (const bool geometry : {false, true}) {
        TriangleGridMesh bare(device);
        if (geometry) bare.SetGeometry(MakeGeometry(device, 3));
        bare.SetGrids(geometry ? nullptr : MakeValues(device), MakeDisplacements(device), kUnitBox);
        bare.SetClipPlanes(PlanesAcrossX(2));
        EXPECT_THAT(Draw(bare), ElementsAre()) << (geometry ? "no values" : "no geometry");
        EXPECT_EQ(bare.GradientWidth(), 1u);
    }

    Attach();
    EXPECT_THAT(Draw(mesh), ElementsAre("CreateImage", "WriteImage", "CreateImageView", "GetImageInfo",
                                        "UpdateBuffer", "CreateProgram", "CreatePipelineState", "BindDrawCall",
                                        "DrawIndexed"));
    EXPECT_EQ(First("CreateImage").arguments, "{256,0,0,6,1,1,65}");
    const Bytes& viridis = First("WriteImage").As<Bytes>();
    EXPECT_EQ(Bytes(viridis.begin(), viridis.begin() + 4), (Bytes{68, 1, 84, 255}));
    EXPECT_EQ(Bytes(viridis.end() - 4, viridis.end()), (Bytes{253, 231, 36, 255}));
    EXPECT_EQ(mesh.Constants().underflow_color, (Float4{68 / 255.0f, 1 / 255.0f, 84 / 255.0f, 1}));
    EXPECT_THAT(Draw(mesh), ElementsAre("GetImageInfo", "UpdateBuffer", "BindDrawCall", "DrawIndexed"));
}

// Without caps a draw is one pass with every plane: both faces, the
// variant's program, constants to the stages that read them, the textures.
TEST_F(TriangleMeshTest, UncappedDrawIsOnePassOfTheVariantItsStateSelects) {
    struct Case {
        const char* name;
        std::size_t planes;
        bool capping, vectorGrid;
        float deformation;
        bool probes;
        Variant variant;
    };
    const Case cases[] = {
        {"plain", 0, true, false, 0.0f, false, {0, false, false, false, false}},
        {"probes", 0, true, false, 0.0f, true, {0, false, false, true, true}},
        {"clipped, capping off", 5, false, true, 0.0f, false, {5, false, false, false, false}},
        {"deformation too small to displace", 0, true, true, 0.00005f, true, {0, false, false, true, true}},
        {"deformed and clipped", 3, true, true, -0.5f, true, {3, true, false, true, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Attach(c.vectorGrid);
        mesh.SetCapping(c.capping);
        mesh.SetDeformation(c.deformation);
        mesh.SetClipPlanes(PlanesAcrossX(c.planes));
        RenderPassDesc pass = Pass(c.probes, c.probes);
        pass.cullMode = kCullBack;
        const std::vector<RecordedPass> passes = DrawPasses(pass);

        ASSERT_EQ(passes.size(), 1u);
        const RecordedPass& p = passes[0];
        const bool deform = c.variant.deform;
        EXPECT_EQ(p.programKey, ProgramKey(c.variant));
        EXPECT_EQ(p.state.topology, deform ? kTopologyPatch3 : kTopologyTriangleList);
        EXPECT_EQ(p.state.cullMode, kCullNone);
        EXPECT_EQ(p.state.targetFormats[kTargetProbeValue], c.probes ? kFormatR32Float : 0u);
        EXPECT_EQ(p.state.targetFormats[kTargetProbeDepth], c.probes ? kFormatR32Float : 0u);
        const DrawCallDesc& d = p.drawCall;
        EXPECT_EQ(d.constantBuffers[0].stageMask, deform ? 23u : 17u);
        EXPECT_EQ(d.resources[1].view, deform ? displacements->GetTexture().view : ImageViewId::Null());
        EXPECT_EQ(d.resources[1].stageMask, deform ? 4u : 0u);
        EXPECT_EQ(d.resources[2].view, values->GetTexture().view);
        EXPECT_EQ(d.resources[2].stageMask, 16u);
        EXPECT_FALSE(d.resources[3].view.IsNull()) << "the gradient";
        EXPECT_EQ(d.resources[3].stageMask, 16u);
        EXPECT_FALSE(d.resources[2].sampler.IsNull());
        EXPECT_EQ(d.resources[3].sampler, d.resources[2].sampler) << "one sampler for every texture";
        if (deform) {
            EXPECT_EQ(d.resources[1].sampler, d.resources[2].sampler);
        }
        const std::uint64_t stateHash = detail::HashPipelineState(p.state);
        EXPECT_EQ(cache.pipelineStates.begin()->first, Combine(ProgramKey(c.variant), Fnv1a(&stateHash, 8)));
    }

    // The caller's state learns that both faces are drawn; its draw call stays.
    PipelineStateDesc state = detail::PipelineStateForPass(Pass());
    state.cullMode = kCullBack;
    DrawCallDesc drawCall = detail::DrawCallForPass(Pass());
    const DrawCallDesc drawCallBefore = drawCall;
    mesh.DrawWithState(device, state, drawCall, cache, nullptr);
    EXPECT_EQ(state.cullMode, kCullNone);
    EXPECT_TRUE(state.program.IsNull()) << "the program goes into the pass's own copy";
    EXPECT_EQ(std::memcmp(&drawCall, &drawCallBefore, sizeof drawCall), 0);
}

}  // namespace
}  // namespace Korvex::Rendering::test_support
