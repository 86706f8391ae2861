// What a voxel mesh's draw asks of the device: the upload, the program and
// pipeline variant and their cache keys, the bindings and the draw call.

#include "VoxelKeys.h"
#include "VoxelRecording.h"

#include <AllocationCounter.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace Korvex::Rendering::voxel_test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

using test_support::AllocationCount;
using VoxelMeshDrawTest = VoxelRecordingTest;

std::vector<ClipPlane> Planes(std::uint64_t count) {
    return std::vector<ClipPlane>(count, ClipPlane{0.0f, 1.0f, 0.0f, 0.5f});
}

TEST_F(VoxelMeshDrawTest, NothingIsCalledWithoutVoxelsOrScalarGrid) {
    struct Case {
        const char* name;
        bool voxels, emptyList, values;
    };
    const Case cases[] = {{"nothing attached", false, false, false},
                          {"voxels only", true, false, false},
                          {"grids only", false, false, true},
                          {"an empty voxel list", false, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mesh = std::make_unique<VoxelGridMesh>(device);
        if (c.voxels) mesh->SetVoxels(kThreeVoxels);
        if (c.emptyList) mesh->SetVoxels({});
        mesh->SetGrids(c.values ? MakeValues() : nullptr, MakeDisplacements(), kUnitBox);
        EXPECT_THAT(Draw({true, true}), IsEmpty());
        EXPECT_EQ(mesh->GradientWidth(), 1u) << "no default gradient either";
    }
}

TEST_F(VoxelMeshDrawTest, FirstDrawInstallsTheViridisGradientOnlyWhenNoneWasSet) {
    MakeDrawable();
    EXPECT_THAT(Draw(), ElementsAre("CreateImage", "WriteImage", "CreateImageView", "UpdateBuffer", "CreateProgram",
                                    "CreatePipelineState", "BindDrawCall", "DrawVertices"));
    EXPECT_EQ(Only("CreateImage").arguments, "{256,0,0,6,1,1,65}");
    EXPECT_EQ(device.ImageBytes(ImageId{Only("CreateImage").result}), GetRgbaColorMap(ColorMaps::Viridis));
    EXPECT_EQ(mesh->GradientWidth(), 256u);
    const VoxelConstants uploaded = ConstantsOf(Only("UpdateBuffer").As<std::vector<std::uint8_t>>());
    EXPECT_FLOAT_EQ(uploaded.min_sample_value, -1.0f / 510);
    EXPECT_FLOAT_EQ(uploaded.sample_value_range, 256.0f / 255);
    EXPECT_THAT(uploaded.underflow_color, ElementsAre(68 / 255.0f, 1 / 255.0f, 84 / 255.0f, 1.0f));
    EXPECT_THAT(uploaded.overflow_color, ElementsAre(253 / 255.0f, 231 / 255.0f, 36 / 255.0f, 1.0f));

    EXPECT_THAT(Draw(), ElementsAre("UpdateBuffer", "BindDrawCall", "DrawVertices"));

    mesh = std::make_unique<VoxelGridMesh>(device);
    MakeDrawable();
    const std::uint8_t gray[] = {128, 128, 128, 255};
    mesh->SetColorMap(gray);
    EXPECT_THAT(Draw(), Not(Contains("CreateImage")));
    EXPECT_EQ(mesh->GradientWidth(), 2u);
}

TEST_F(VoxelMeshDrawTest, DrawUploadsTheBlockThenDrawsOnePointPerVoxelWithItsBindings) {
    MakeDrawable();
    KxTransformMatrix model, view, projection({0.5, 0, 0, 0, 0, 0.25, 0, 0, 0, 0, -0.1, 0.2, 0, 0, 0, 1});
    model.MakeTranslation({1.0, 2.0, 3.0});
    view.MakeRotation({0.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, 0.5);
    mesh->SetModelTransform(model);
    mesh->SetViewProjection(view, projection);
    mesh->SetBrightness(0.3f);
    Draw();

    const RecordedCall& update = Only("UpdateBuffer");
    EXPECT_EQ(update.arguments, IdText(constantBuffer) + ",0,448");
    const VoxelConstants uploaded = ConstantsOf(update.As<std::vector<std::uint8_t>>());
    VoxelConstants expected = mesh->Constants();
    model.ConvertToFloat16(expected.model_matrix.data());
    (view * model).ConvertToFloat16(expected.model_view_matrix.data());
    projection.ConvertToFloat16(expected.projection_matrix.data());
    EXPECT_EQ(std::memcmp(&uploaded, &expected, sizeof expected), 0) << "the whole block, matrices included";
    EXPECT_NE(uploaded.model_view_matrix, VoxelConstants::kIdentity4x4);
    EXPECT_EQ(uploaded.brightness, 0.3f);

    const PipelineStateDesc state = Only("CreatePipelineState").As<PipelineStateDesc>();
    EXPECT_EQ(state.program.value, Only("CreateProgram").result);
    EXPECT_EQ(state.topology, 0u) << "points";
    EXPECT_EQ(state.cullMode, 2u) << "back faces";
    EXPECT_EQ(state.targetFormats[kTargetProbeValue], 0u);
    EXPECT_EQ(state.targetFormats[kTargetProbeDepth], 0u);

    const BindDrawCallArguments& bind = Only("BindDrawCall").As<BindDrawCallArguments>();
    EXPECT_EQ(bind.pipeline.value, Only("CreatePipelineState").result);
    const DrawCallDesc& call = bind.drawCall;
    EXPECT_EQ(call.constantBuffers[0].buffer, constantBuffer);
    EXPECT_EQ(call.constantBuffers[0].stageMask, 25u) << "vertex, geometry and pixel";
    for (std::size_t i = 1; i < kMaxConstantBufferBindings; ++i) EXPECT_TRUE(call.constantBuffers[i].buffer.IsNull());

    struct Binding {
        ImageViewId view;
        SamplerId sampler;
        std::uint32_t stageMask;
    };
    const Binding bindings[kMaxResourceBindings] = {{voxelView, SamplerId::Null(), 1},
                                                    {ImageViewId::Null(), SamplerId::Null(), 0},
                                                    {values->GetTexture().view, sampler, 16},
                                                    {ImageViewId{Only("CreateImageView").result}, sampler, 16}};
    for (std::size_t i = 0; i < kMaxResourceBindings; ++i) {
        SCOPED_TRACE("resource " + std::to_string(i));
        EXPECT_EQ(call.resources[i].view, bindings[i].view);
        EXPECT_EQ(call.resources[i].sampler, bindings[i].sampler);
        EXPECT_EQ(call.resources[i].stageMask, bindings[i].stageMask);
    }
    EXPECT_EQ(call.targets[kTargetColor], color);
    EXPECT_EQ(call.targets[kTargetDepthStencil], depthStencil);

    const DrawArguments& draw = Only("DrawVertices").As<DrawArguments>();
    for (const BufferId& buffer : draw.vertexBuffers) EXPECT_TRUE(buffer.IsNull());
    EXPECT_EQ(draw.vertexCount, 3u);
    EXPECT_EQ(draw.firstVertex, 0u);
}

// Each flag is hashed twice and folded into the class seed in the order
// deform, probe value, probe position, plane count, wireframe; the pipeline
// key folds the state's hash, hashed once, into the class seed.
TEST_F(VoxelMeshDrawTest, CacheKeysFollowFromTheVariantFlags) {
    const Flags cases[] = {{},
                           {true},
                           {false, true},
                           {false, false, true},
                           {false, false, false, 1},
                           {false, false, false, 8},
                           {false, false, false, 0, true},
                           {true, true, true, 3, true}};
    std::set<std::uint64_t> programKeys, pipelineKeys;
    for (const Flags& f : cases) {
        SCOPED_TRACE(std::string(f.deform ? "deform " : "") + (f.probeValue ? "value " : "") +
                     (f.probePosition ? "position " : "") + std::to_string(f.planeCount) + " planes" +
                     (f.wireframe ? " wireframe" : ""));
        mesh = std::make_unique<VoxelGridMesh>(device);
        MakeDrawable(true);
        mesh->SetDeformation(f.deform ? 0.5f : 0.0f);
        const std::vector<ClipPlane> planes = Planes(f.planeCount);
        mesh->SetClipPlanes(planes);
        mesh->SetWireframe(f.wireframe);
        cache = {};
        Draw({f.probeValue, f.probePosition});

        ASSERT_EQ(cache.programs.size(), 1u);
        EXPECT_EQ(cache.programs.begin()->first, ExpectedProgramKey(f));
        EXPECT_EQ(cache.programs.begin()->second.Get().value, Only("CreateProgram").result);
        const PipelineStateDesc state = Only("CreatePipelineState").As<PipelineStateDesc>();
        ASSERT_EQ(cache.pipelineStates.size(), 1u);
        EXPECT_EQ(cache.pipelineStates.begin()->first, ExpectedPipelineKey(state));
        programKeys.insert(ExpectedProgramKey(f));
        pipelineKeys.insert(ExpectedPipelineKey(state));

        // The program is the one the flags select.
        const ShaderStageSources& sources = Only("CreateProgram").As<ShaderStageSources>();
        const std::string& vertex = sources.stages[kStageIndexVertex];
        const std::string& pixel = sources.stages[kStageIndexPixel];
        EXPECT_EQ(vertex.find("deformation_texture") != std::string::npos, f.deform);
        EXPECT_EQ(pixel.find("[out float4 value : 1]") != std::string::npos, f.probeValue);
        EXPECT_EQ(pixel.find("[out float4 oDepthClip : 2]") != std::string::npos, f.probePosition);
        EXPECT_EQ(vertex.find("cp < " + std::to_string(f.planeCount) + ";") != std::string::npos, f.planeCount > 0);
        EXPECT_EQ(pixel.find("quad_pos") != std::string::npos, f.wireframe);
        const DrawCallDesc& call = Only("BindDrawCall").As<BindDrawCallArguments>().drawCall;
        EXPECT_EQ(call.resources[1].view.IsNull(), !f.deform);
        if (f.deform) {
            EXPECT_EQ(call.resources[1].view, displacements->GetTexture().view);
            EXPECT_EQ(call.resources[1].stageMask, 1u);
        }
    }
    EXPECT_EQ(programKeys.size(), std::size(cases));
    EXPECT_EQ(pipelineKeys.size(), std::size(cases));
}

TEST_F(VoxelMeshDrawTest, DeformationNeedsAVectorGridAndAFactorAboveTheThreshold) {
    struct Case {
        bool vectorGrid;
        float factor;
        bool deform;
    };
    const Case cases[] = {{true, 0.0001f, false}, {true, 0.00011f, true}, {true, -0.5f, true},
                          {true, -0.0001f, false}, {false, 1.0f, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.factor) + (c.vectorGrid ? " with" : " without") + " vector grid");
        mesh = std::make_unique<VoxelGridMesh>(device);
        MakeDrawable(c.vectorGrid);
        mesh->SetDeformation(c.factor);
        cache = {};
        Draw();
        EXPECT_EQ(cache.programs.begin()->first, ExpectedProgramKey({c.deform}));
        EXPECT_EQ(Only("CreateProgram").As<ShaderStageSources>().stages[kStageIndexVertex].find("deformation_texture") !=
                      std::string::npos,
                  c.deform);
    }
}

TEST_F(VoxelMeshDrawTest, ProbeTargetsKeepTheirSectionsAndGetFloatFormats) {
    struct Case {
        ProbeTargets probes;
        std::uint32_t valueFormat, depthFormat;
    };
    // Without its target a probe's format stays as the pass gave it: absent.
    const Case cases[] = {{{false, true}, 0, 37}, {{true, false}, 37, 0}, {{true, true}, 37, 37}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.probes.value) + std::to_string(c.probes.depth));
        mesh = std::make_unique<VoxelGridMesh>(device);
        MakeDrawable();
        cache = {};
        Draw(c.probes);
        const ShaderStageSources& sources = Only("CreateProgram").As<ShaderStageSources>();
        const auto has = [&](std::size_t stage, const char* text) {
            return sources.stages[stage].find(text) != std::string::npos;
        };
        EXPECT_FALSE(has(kStageIndexVertex, "DepthClip"));
        EXPECT_EQ(has(kStageIndexGeometry, "$DepthClip$ = PositionClip.z / PositionClip.w;"), c.probes.depth);
        EXPECT_EQ(has(kStageIndexPixel, "$oDepthClip$ ="), c.probes.depth);
        EXPECT_EQ(has(kStageIndexPixel, "$value$ = float4(v, v, v, v);"), c.probes.value);
        const PipelineStateDesc state = Only("CreatePipelineState").As<PipelineStateDesc>();
        EXPECT_EQ(state.targetFormats[kTargetProbeValue], c.valueFormat);
        EXPECT_EQ(state.targetFormats[kTargetProbeDepth], c.depthFormat);
        EXPECT_EQ(state.targetFormats[kTargetColor], kFormatRgba8Unorm);
    }
}

TEST_F(VoxelMeshDrawTest, RepeatedDrawReusesTheVariantAndWireframeSelectsAnother) {
    MakeDrawable();
    Draw();
    EXPECT_THAT(Draw(), ElementsAre("UpdateBuffer", "BindDrawCall", "DrawVertices"));

    mesh->SetWireframe(true);
    EXPECT_THAT(Draw(), ElementsAre("UpdateBuffer", "CreateProgram", "CreatePipelineState", "BindDrawCall",
                                    "DrawVertices"));
    EXPECT_EQ(cache.programs.size(), 2u);
    EXPECT_EQ(cache.programs.count(ExpectedProgramKey({false, false, false, 0, true})), 1u);
    EXPECT_EQ(cache.pipelineStates.size(), 2u);

    // A second mesh finds both variants in the shared cache.
    mesh->SetWireframe(false);
    mesh = std::make_unique<VoxelGridMesh>(device);
    MakeDrawable();
    mesh->SetColorMap(GetRgbaColorMap(ColorMaps::Jet));
    for (const bool wireframe : {true, false}) {
        mesh->SetWireframe(wireframe);
        EXPECT_THAT(Draw(), ElementsAre("UpdateBuffer", "BindDrawCall", "DrawVertices"));
    }
}

TEST_F(VoxelMeshDrawTest, FailedProgramOrPipelineIsCachedAndLaterDrawsOnlyUpload) {
    for (const char* failing : {"CreateProgram", "CreatePipelineState"}) {
        SCOPED_TRACE(failing);
        mesh = std::make_unique<VoxelGridMesh>(device);
        MakeDrawable();
        cache = {};
        device.FailOperation(failing);
        const std::vector<std::string> first = Draw();
        device.ClearFaults();
        EXPECT_EQ(first.back(), failing);
        EXPECT_THAT(first, Not(Contains("BindDrawCall")));
        EXPECT_THAT(Draw(), ElementsAre("UpdateBuffer"));
        EXPECT_EQ(cache.programs.size(), 1u);
    }
}

// A steady frame: two cache lookups, one upload, one bind, one draw, and no
// heap allocation (the recording device keeps nothing while not recording).
TEST_F(VoxelMeshDrawTest, DrawWithCachedVariantAllocatesNothing) {
    MakeDrawable(true);
    mesh->SetDeformation(1.0f);
    const std::vector<ClipPlane> planes = Planes(2);
    mesh->SetClipPlanes(planes);
    mesh->SetWireframe(true);
    const RenderPassDesc pass = Pass({true, true});
    const std::size_t atFirstDraw = AllocationCount();
    mesh->Draw(nullptr, pass, cache, nullptr);
    ASSERT_GT(AllocationCount(), atFirstDraw) << "building the variant allocates, and the counter sees it";
    device.SetRecording(false);
    const std::size_t before = AllocationCount();
    mesh->Draw(nullptr, pass, cache, nullptr);
    const std::size_t allocated = AllocationCount() - before;
    device.SetRecording(true);
    EXPECT_EQ(allocated, 0u);
    EXPECT_EQ(cache.programs.size(), 1u);
}

}  // namespace
}  // namespace Korvex::Rendering::voxel_test
