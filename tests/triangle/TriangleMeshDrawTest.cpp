#include "TriangleProgramKeys.h"
#include "TriangleRecording.h"

#include "core/CacheKey.h"

#include <Korvex/Rendering/Simulation/ColorMaps.h>
#include <Korvex/Rendering/Utilities.h>

#include <gmock/gmock.h>

#include <set>
#include <stdexcept>

namespace Korvex::Rendering::triangle_test {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAreArray;

const RecordedCall& FirstCall(const RecordingDevice& device, std::string_view operation) {
    for (const RecordedCall& call : device.Calls())
        if (call.operation == operation) return call;
    throw std::runtime_error("no " + std::string(operation));
}

std::vector<std::uint64_t> ProgramKeys(const ResourceCache& cache) {
    std::vector<std::uint64_t> keys;
    for (const auto& entry : cache.programs) keys.push_back(entry.first);
    return keys;
}

using TriangleMeshDrawTest = TriangleMeshRecordingTest;

TEST_F(TriangleMeshDrawTest, NothingReachesTheDeviceWithoutGeometryAndScalarGrid) {
    struct Case {
        const char* name;
        bool geometry;
        bool scalarGrid;
    };
    for (const Case c : {Case{"nothing", false, false}, Case{"geometry alone", true, false},
                         Case{"scalar grid alone", false, true}}) {
        TriangleGridMesh bare(device);
        if (c.geometry) bare.SetGeometry(MakeTriangle(device));
        // A vector grid and planes change nothing.
        bare.SetGrids(c.scalarGrid ? MakeScalarGrid(device) : nullptr, MakeVectorGrid(device), kUnitBox);
        const std::vector<ClipPlane> planes = PlanesX(2);
        bare.SetClipPlanes(planes);
        device.ClearCalls();

        bare.Draw(nullptr, targets.Pass(), cache, nullptr);

        EXPECT_THAT(device.OperationNames(), ElementsAre()) << c.name;
        EXPECT_EQ(bare.GradientWidth(), 1u) << c.name;
    }
}

TEST_F(TriangleMeshDrawTest, FirstDrawInstallsViridisWhenNoGradientWasGiven) {
    AttachInputs();
    device.ClearCalls();
    Draw();

    ASSERT_EQ(device.CountOf("CreateImage"), 1u);
    std::vector<std::uint8_t> written;
    for (const RecordedCall& call : device.Calls()) {
        if (call.operation == "CreateImage") {
            EXPECT_EQ(call.As<ImageDesc>().width, 256u);
        }
        if (call.operation == "WriteImage") written = call.As<std::vector<std::uint8_t>>();
    }
    EXPECT_EQ(written, GetRgbaColorMap(ColorMaps::Viridis));
    EXPECT_EQ(mesh.GradientWidth(), 256u);
    EXPECT_EQ(mesh.Constants().underflow_color, (detail::Float4{68 / 255.0f, 1 / 255.0f, 84 / 255.0f, 1.0f}));
    EXPECT_EQ(mesh.Constants().overflow_color, (detail::Float4{253 / 255.0f, 231 / 255.0f, 36 / 255.0f, 1.0f}));

    device.ClearCalls();
    Draw();
    EXPECT_EQ(device.CountOf("CreateImage"), 0u);
}

TEST_F(TriangleMeshDrawTest, DrawConstantsHoldPixelSizeSmallestCellAndTransforms) {
    RecordingTargets fullHd(device, 1920, 1080, false);
    const boundingbox<float, 3> box{{0, 0, 0}, {10, 20, 5}};
    mesh.SetGeometry(MakeTriangle(device));
    mesh.SetGrids(MakeScalarGrid(device, {11, 21, 6}), nullptr, box);
    KxTransformMatrix model, view, projection;
    model.MakeTranslation({1, 2, 3});
    view.MakeRotation({0, 0, 0}, {0, 1, 0}, 0.5);
    projection.MakeTranslation({0, 0, -4});
    mesh.SetModelTransform(model);
    mesh.SetViewProjection(view, projection);
    device.ClearCalls();

    mesh.Draw(nullptr, fullHd.Pass(), cache, nullptr);

    const std::vector<RecordedPass> passes = PassesOf(device);
    ASSERT_EQ(passes.size(), 1u);
    const TriangleConstants& c = passes[0].constants;
    EXPECT_EQ(c.pixel_size_min_cell_size, (detail::Float4{1.0f / 960.0f, 1.0f / 540.0f, 5.0f / 6.0f, 0.0f}));
    const auto floats = [](const KxTransformMatrix& m) {
        detail::Float4x4 f;
        m.ConvertToFloat16(f.data());
        return f;
    };
    EXPECT_EQ(c.model_matrix, floats(model));
    EXPECT_EQ(c.model_view_matrix, floats(view * model));
    EXPECT_EQ(c.normal_matrix, floats(ToNormalMatrix(view * model)));
    EXPECT_EQ(c.projection_matrix, floats(projection));
    EXPECT_EQ(c.model_view_projection_matrix, floats(projection * view * model));
    EXPECT_EQ(c.unit_plane_matrix, detail::kIdentityFloat4x4);
    EXPECT_EQ(std::memcmp(&c, &mesh.Constants(), sizeof c), 0) << "the draw's constants stay in the mesh";

    // A finer vector grid decides the cell edge along the axes where it is finer.
    mesh.SetGrids(MakeScalarGrid(device, {11, 21, 6}), MakeVectorGrid(device, {2, 40, 12}), box);
    mesh.Draw(nullptr, fullHd.Pass(), cache, nullptr);
    EXPECT_EQ(mesh.Constants().pixel_size_min_cell_size[2], 5.0f / 12.0f);
}

TEST_F(TriangleMeshDrawTest, FlatPassBindsConstantsValuesAndGradientToTheirStages) {
    auto values = MakeScalarGrid(device);
    mesh.SetGeometry(MakeTriangle(device));
    mesh.SetGrids(values, MakeVectorGrid(device), kUnitBox);
    mesh.SetDeformation(0.00005f);  // too small to deform
    device.ClearCalls();
    mesh.SetColorMap(GetRgbaColorMap(ColorMaps::Jet));
    const ImageViewId gradientView{FirstCall(device, "CreateImageView").result};

    const std::vector<RecordedPass> passes = DrawPasses();

    ASSERT_EQ(passes.size(), 1u);
    const RecordedPass& pass = passes[0];
    EXPECT_FALSE(pass.tessellated);
    EXPECT_EQ(pass.state.topology, 2u);
    const DrawCallDesc& d = pass.drawCall;
    EXPECT_EQ(d.constantBuffers[0].stageMask, 17u);
    EXPECT_FALSE(d.constantBuffers[0].buffer.IsNull());
    EXPECT_TRUE(d.resources[1].view.IsNull()) << "binding 1 as Draw left it";
    EXPECT_EQ(d.resources[1].stageMask, 0u);
    EXPECT_EQ(d.resources[2].view, values->GetTexture().view);
    EXPECT_EQ(d.resources[2].stageMask, 16u);
    EXPECT_EQ(d.resources[3].view, gradientView);
    EXPECT_EQ(d.resources[3].stageMask, 16u);
    EXPECT_FALSE(d.resources[2].sampler.IsNull());
    EXPECT_EQ(d.resources[3].sampler, d.resources[2].sampler) << "one sampler for every texture";
    // The geometry's draws follow the bind.
    EXPECT_THAT(device.OperationNames(), ElementsAre("GetImageInfo", "UpdateBuffer", "CreateProgram",
                                                     "CreatePipelineState", "BindDrawCall", "DrawIndexed"));
}

TEST_F(TriangleMeshDrawTest, DeformedPassIsTessellatedAndBindsTheVectorGridToTheDomainStage) {
    auto displacements = MakeVectorGrid(device);
    mesh.SetGeometry(MakeTriangle(device));
    mesh.SetGrids(MakeScalarGrid(device), displacements, kUnitBox);
    mesh.SetDeformation(-0.5f);
    const std::vector<ClipPlane> planes = PlanesX(2);
    mesh.SetClipPlanes(planes);  // capping is on, but caps need an undeformed surface

    const std::vector<RecordedPass> passes = DrawPasses();

    ASSERT_EQ(passes.size(), 1u);
    const RecordedPass& pass = passes[0];
    EXPECT_TRUE(pass.tessellated);
    EXPECT_EQ(pass.planeCount, 2u);
    EXPECT_EQ(pass.state.topology, 5u);
    EXPECT_EQ(pass.drawCall.constantBuffers[0].stageMask, 23u);
    EXPECT_EQ(pass.drawCall.resources[1].view, displacements->GetTexture().view);
    EXPECT_EQ(pass.drawCall.resources[1].stageMask, 4u);
    EXPECT_EQ(pass.drawCall.resources[1].sampler, pass.drawCall.resources[2].sampler);
}

TEST_F(TriangleMeshDrawTest, BothFacesAreDrawnAndTheCallersStateSaysSo) {
    AttachInputs();
    RenderPassDesc culling = targets.Pass();
    culling.cullMode = kCullBack;
    PipelineStateDesc state = detail::PipelineStateForPass(culling);
    DrawCallDesc drawCall = detail::DrawCallForPass(culling);
    const DrawCallDesc drawCallBefore = drawCall;
    device.ClearCalls();

    mesh.DrawWithState(device, state, drawCall, cache, nullptr);

    EXPECT_EQ(state.cullMode, 0u);
    EXPECT_EQ(state.program, ProgramId::Null()) << "the program goes into the pass's own copy";
    EXPECT_EQ(std::memcmp(&drawCall, &drawCallBefore, sizeof drawCall), 0);
    const std::vector<RecordedPass> passes = PassesOf(device);
    ASSERT_EQ(passes.size(), 1u);
    EXPECT_EQ(passes[0].state.cullMode, 0u);
}

TEST_F(TriangleMeshDrawTest, ProbeTargetsSelectTheProbeOutputsAndTheirFormats) {
    for (const bool probes : {false, true}) {
        RecordingTargets frame(device, 16, 16, probes);
        ResourceCache ownCache;
        AttachInputs();
        device.ClearCalls();

        mesh.Draw(nullptr, frame.Pass(), ownCache, nullptr);

        const std::vector<RecordedPass> passes = PassesOf(device);
        ASSERT_EQ(passes.size(), 1u);
        const std::uint32_t format = probes ? 37u : 0u;
        EXPECT_EQ(passes[0].state.targetFormats[1], format);
        EXPECT_EQ(passes[0].state.targetFormats[2], format);
        const std::string& pixel =
            FirstCall(device, "CreateProgram").As<ShaderStageSources>().stages[kStageIndexPixel];
        EXPECT_EQ(pixel.find("[out float4 value : 1]") != std::string::npos, probes);
        EXPECT_EQ(pixel.find("[out float4 oDepthClip : 2]") != std::string::npos, probes);
        EXPECT_THAT(ProgramKeys(ownCache), ElementsAre(ExpectedProgramKey({0, false, false, probes, probes})));
    }
}

struct KeyCase {
    const char* name;
    std::size_t planes;
    bool capping;
    float deformation;
    bool probes;
    std::vector<Variant> variants;
};

TEST_F(TriangleMeshDrawTest, ProgramKeysHashEachVariantFieldTwice) {
    const KeyCase cases[] = {
        {"plain", 0, true, 0.0f, false, {{0, false, false, false, false}}},
        {"probes", 0, true, 0.0f, true, {{0, false, false, true, true}}},
        {"clipped", 5, false, 0.0f, false, {{5, false, false, false, false}}},
        {"deformed", 3, true, 0.25f, true, {{3, true, false, true, true}}},
        {"capped",
         2,
         true,
         0.0f,
         false,
         {{1, false, true, false, false}, {0, false, false, false, false}, {2, false, false, false, false}}},
        {"capped with probes",
         8,
         true,
         0.0f,
         true,
         {{7, false, true, false, false},
          {0, false, false, false, false},
          {7, false, true, true, true},
          {8, false, false, true, true}}},
    };
    for (const KeyCase& c : cases) {
        RecordingTargets frame(device, 16, 16, c.probes);
        ResourceCache ownCache;
        AttachInputs(true);
        mesh.SetCapping(c.capping);
        mesh.SetDeformation(c.deformation);
        const std::vector<ClipPlane> planes = PlanesX(c.planes);
        mesh.SetClipPlanes(planes);
        device.ClearCalls();

        mesh.Draw(nullptr, frame.Pass(), ownCache, nullptr);

        std::vector<std::uint64_t> expected;
        for (const Variant& v : c.variants) expected.push_back(ExpectedProgramKey(v));
        EXPECT_THAT(ProgramKeys(ownCache), UnorderedElementsAreArray(expected)) << c.name;
        // Every pipeline is keyed by its program's key and the state it was made from.
        std::set<std::uint64_t> pipelineKeys;
        for (const RecordedPass& pass : PassesOf(device)) {
            if (pass.operation != "Draw") continue;
            const Variant variant{pass.planeCount, pass.tessellated, pass.drawingPlane,
                                  !pass.drawCall.targets[1].IsNull(), !pass.drawCall.targets[2].IsNull()};
            pipelineKeys.insert(
                ExpectedPipelineKey(ExpectedProgramKey(variant), detail::HashPipelineState(pass.state)));
        }
        std::set<std::uint64_t> cached;
        for (const auto& entry : ownCache.pipelineStates) cached.insert(entry.first);
        EXPECT_EQ(cached, pipelineKeys) << c.name;
    }
}

TEST_F(TriangleMeshDrawTest, RepeatedDrawFindsProgramAndPipelineInTheCache) {
    AttachInputs();
    Draw();
    device.ClearCalls();

    Draw();

    EXPECT_THAT(device.OperationNames(), ElementsAre("GetImageInfo", "UpdateBuffer", "BindDrawCall", "DrawIndexed"));
}

TEST_F(TriangleMeshDrawTest, FailedCreationSkipsThePassAndIsNotRetried) {
    for (const char* failing : {"CreateProgram", "CreatePipelineState"}) {
        ResourceCache ownCache;
        AttachInputs();
        device.FailOperation(failing, 1);
        device.ClearCalls();

        mesh.Draw(nullptr, targets.Pass(), ownCache, nullptr);
        mesh.Draw(nullptr, targets.Pass(), ownCache, nullptr);

        EXPECT_EQ(device.CountOf(failing), 1u) << failing;
        EXPECT_EQ(device.CountOf("BindDrawCall"), 0u) << failing;
        EXPECT_EQ(device.CountOf("DrawIndexed"), 0u) << failing;
        EXPECT_EQ(device.CountOf("UpdateBuffer"), 2u) << failing << ": constants go up before the lookup";
        device.ClearFaults();
    }
}

}  // namespace
}  // namespace Korvex::Rendering::triangle_test
