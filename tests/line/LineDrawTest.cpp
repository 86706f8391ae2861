// What a line mesh's draw asks of the device: the constants it uploads, the
// program variant and pipeline state it looks up or creates, the bindings
// and the draws.

#include "LineRecordingScene.h"

#include <ExpectedKeys.h>

#include "core/CacheKey.h"
#include "meshes/line/LineGridMesh.h"

#include <Korvex/Math/KxTransformMatrix.h>
#include <Korvex/Rendering/Utilities.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <optional>
#include <string>

namespace Korvex::Rendering::linetest {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

using test_support::Combine;
using test_support::Fnv1a;

// The program key rule, written out here rather than taken from the library.
std::uint64_t ExpectedProgramKey(std::uint64_t planeCount, bool deform, bool probeValue, bool probePosition) {
    std::uint64_t h = Fnv1a("Korvex.Rendering.Simulation-LineGridMesh", 40);
    std::uint8_t planeBytes[8];
    for (int i = 0; i < 8; ++i) planeBytes[i] = static_cast<std::uint8_t>(planeCount >> (8 * i));
    h = Combine(h, Fnv1a(planeBytes, 8));
    for (const bool flag : {deform, probeValue, probePosition}) {
        const std::uint8_t byte = flag ? 1 : 0;
        h = Combine(h, Fnv1a(&byte, 1));
    }
    return h;
}

std::vector<ClipPlane> Planes(std::size_t count) { return std::vector<ClipPlane>(count, ClipPlane{1, 0, 0, 0}); }

bool IsEmpty(const ResourceBinding& binding) {
    return binding.view.IsNull() && binding.sampler.IsNull() && binding.stageMask == 0;
}
bool IsEmpty(const ConstantBufferBinding& binding) { return binding.buffer.IsNull() && binding.stageMask == 0; }

class LineDrawTest : public LineRecordingScene {
protected:
    LineDrawTest() {
        constantBuffer = BufferId{Get("CreateBuffer").result};
        sampler = SamplerId{Get("CreateSampler").result};
    }

    void MakeDrawable(bool withDisplacements = false) {
        mesh->SetGeometry(MakeGeometry());
        values = MakeValues();
        displacements = withDisplacements ? MakeDisplacements() : nullptr;
        mesh->SetGrids(values, displacements, gridBox);
    }

    BufferId constantBuffer;
    SamplerId sampler;
    std::shared_ptr<IScalarGrid> values;
    std::shared_ptr<IVectorGrid> displacements;
};

TEST(LineProgramKeyTest, FollowsTheFnvAndCombineRule) {
    EXPECT_EQ(ExpectedProgramKey(0, false, false, false), 0xaa1ed88f86ab5443ull);
    EXPECT_EQ(ExpectedProgramKey(8, true, true, true), 0x66a627bdf15c0f8dull);
    for (std::uint64_t planes : {0u, 1u, 8u})
        for (int flags = 0; flags < 8; ++flags) {
            const bool deform = flags & 1, probeValue = flags & 2, probePosition = flags & 4;
            EXPECT_EQ((LineGridMesh::ProgramKey{planes, deform, probeValue, probePosition}.Hash()),
                      ExpectedProgramKey(planes, deform, probeValue, probePosition))
                << planes << " planes, flags " << flags;
        }
}

TEST_F(LineDrawTest, NothingReachesTheDeviceUntilGeometryAndValuesAreAttached) {
    struct Case {
        const char* what;
        bool geometry;
        bool values;
        bool displacements;
    };
    for (const Case& test : {Case{"nothing", false, false, false}, Case{"geometry only", true, false, false},
                             Case{"values only", false, true, true}, Case{"displacements only", true, false, true}}) {
        SCOPED_TRACE(test.what);
        const std::unique_ptr<ILineGridMesh> fresh = CreateLineGridMesh(device);
        if (test.geometry) fresh->SetGeometry(MakeGeometry());
        fresh->SetGrids(test.values ? MakeValues() : nullptr, test.displacements ? MakeDisplacements() : nullptr,
                        gridBox);
        Draw(*fresh);
        EXPECT_THAT(device.OperationNames(), ElementsAre());
    }

    MakeDrawable();
    mesh->SetGrids(nullptr, MakeDisplacements(), gridBox);
    Draw();
    EXPECT_THAT(device.OperationNames(), ElementsAre()) << "values detached again";
}

TEST_F(LineDrawTest, FirstDrawCreatesProgramAndPipelineThenBindsAndDraws) {
    MakeDrawable();
    Draw();

    EXPECT_THAT(device.OperationNames(), ElementsAre("GetImageInfo", "UpdateBuffer", "CreateProgram",
                                                     "CreatePipelineState", "BindDrawCall", "DrawIndexed"));
    EXPECT_EQ(Get("GetImageInfo").arguments, IdText(depthStencil)) << "pixel size from the depth-stencil target";
    EXPECT_EQ(Get("UpdateBuffer").arguments, IdText(constantBuffer) + ",0,544");
    EXPECT_EQ(Bound().pipeline.value, Get("CreatePipelineState").result);
    EXPECT_EQ(cache.programs.size(), 1u);
    EXPECT_EQ(cache.pipelineStates.size(), 1u);
}

TEST_F(LineDrawTest, RepeatedDrawReusesProgramAndPipeline) {
    MakeDrawable();
    Draw();
    const PipelineStateId pipeline = Bound().pipeline;
    Draw();

    EXPECT_THAT(device.OperationNames(), ElementsAre("GetImageInfo", "UpdateBuffer", "BindDrawCall", "DrawIndexed"));
    EXPECT_EQ(Bound().pipeline, pipeline);
}

TEST_F(LineDrawTest, PipelineStateHoldsTheVariantOverThePassSettings) {
    MakeDrawable();
    Draw();
    const PipelineStateDesc& state = CreatedPipeline();

    EXPECT_EQ(state.program.value, Get("CreateProgram").result);
    EXPECT_EQ(state.topology, kTopologyLineList);
    EXPECT_EQ(state.cullMode, 2u) << "back faces, whatever the pass says";
    EXPECT_EQ(state.frontFace, 0u);
    EXPECT_EQ(state.blendMode, kBlendAlpha) << "from the pass";
    EXPECT_THAT(state.targetFormats, ElementsAre(kFormatRgba8Unorm, 37u, 37u, 0u, kFormatDepth24Stencil8));
    EXPECT_STREQ(state.vertexInput[0].name, "position") << "the geometry's vertex input";
    EXPECT_STREQ(state.vertexInput[1].name, "normal");
    const std::uint64_t stateHash = detail::HashPipelineState(state);
    EXPECT_EQ(cache.pipelineStates.count(Combine(ExpectedProgramKey(0, false, true, true), Fnv1a(&stateHash, 8))), 1u);
}

// The caller's state gets the rasteriser settings; the variant goes to a copy,
// and the caller's draw call stays as it was.
TEST_F(LineDrawTest, DrawWithStateChangesOnlyTheRasteriserSettingsOfTheCallersState) {
    MakeDrawable();
    PipelineStateDesc state;
    state.cullMode = kCullFront;
    state.frontFace = kFrontFaceClockwise;
    state.targetFormats[kTargetProbeValue] = 99;
    DrawCallDesc drawCall;
    drawCall.targets[kTargetDepthStencil] = depthStencil;
    drawCall.targets[kTargetProbeValue] = probeValue;
    PipelineStateDesc expectedState = state;
    expectedState.cullMode = kCullBack;
    expectedState.frontFace = kFrontFaceCounterClockwise;
    const DrawCallDesc expectedDrawCall = drawCall;

    mesh->DrawWithState(device, state, drawCall, cache, nullptr);

    EXPECT_EQ(std::memcmp(&state, &expectedState, sizeof state), 0);
    EXPECT_EQ(std::memcmp(&drawCall, &expectedDrawCall, sizeof drawCall), 0);
    EXPECT_EQ(Bound().drawCall.constantBuffers[0].buffer, constantBuffer);
}

TEST_F(LineDrawTest, DeformationAboveTheThresholdWithDisplacementsSelectsThePatchProgram) {
    struct Case {
        bool displacements;
        float deformation;
        bool deform;
    };
    const Case cases[] = {{false, 1.0f, false},    {true, 0.0f, false},     {true, 0.0001f, false},
                          {true, -0.0001f, false}, {true, 0.00011f, true},  {true, -0.00011f, true},
                          {true, -2.0f, true}};
    for (const Case& test : cases) {
        SCOPED_TRACE(::testing::Message() << "deformation " << test.deformation << " displacements "
                                          << test.displacements);
        cache = {};
        MakeDrawable(test.displacements);
        mesh->SetDeformation(test.deformation);
        Draw();

        const ShaderStageSources& sources = CompiledSources();
        EXPECT_EQ(sources.stages[kStageIndexHull].empty(), !test.deform);
        EXPECT_EQ(sources.stages[kStageIndexDomain].empty(), !test.deform);
        EXPECT_TRUE(sources.stages[kStageIndexGeometry].empty());
        EXPECT_EQ(CreatedPipeline().topology, test.deform ? 4u : 1u);
        EXPECT_EQ(cache.programs.count(ExpectedProgramKey(0, test.deform, true, true)), 1u);

        const DrawCallDesc& bound = Bound().drawCall;
        EXPECT_EQ(bound.constantBuffers[0].buffer, constantBuffer);
        EXPECT_EQ(bound.constantBuffers[0].stageMask, test.deform ? 23u : 17u);
        for (std::size_t k = 1; k < kMaxConstantBufferBindings; ++k) EXPECT_TRUE(IsEmpty(bound.constantBuffers[k]));
        if (test.deform) {
            EXPECT_EQ(bound.resources[1].view, displacements->GetTexture().view);
            EXPECT_EQ(bound.resources[1].sampler, sampler);
            EXPECT_EQ(bound.resources[1].stageMask, 4u);
        } else {
            EXPECT_TRUE(IsEmpty(bound.resources[1]));
        }
        EXPECT_EQ(bound.resources[2].view, values->GetTexture().view);
        EXPECT_EQ(bound.resources[2].sampler, sampler);
        EXPECT_EQ(bound.resources[2].stageMask, 16u);
        for (std::size_t k : {0u, 3u, 4u, 15u}) EXPECT_TRUE(IsEmpty(bound.resources[k])) << k;
        EXPECT_EQ(device.CountOf("DrawIndexed"), 1u);
    }
}

TEST_F(LineDrawTest, ProbeTargetsSelectTheProbeOutputs) {
    MakeDrawable();
    for (int present = 0; present < 4; ++present) {
        const bool withValue = present & 1, withDepth = present & 2;
        SCOPED_TRACE(::testing::Message() << "probe value " << withValue << ", probe depth " << withDepth);
        pass = Pass({withValue, withDepth, true});
        Draw();

        const PipelineStateDesc& state = CreatedPipeline();
        EXPECT_EQ(state.targetFormats[kTargetProbeValue], withValue ? 37u : 0u);
        EXPECT_EQ(state.targetFormats[kTargetProbeDepth], withDepth ? 37u : 0u);
        const std::string& pixel = CompiledSources().stages[kStageIndexPixel];
        EXPECT_EQ(pixel.find("[out float4 value : 1]") != std::string::npos, withValue);
        EXPECT_EQ(pixel.find("[out float4 oDepthClip : 2]") != std::string::npos, withDepth);
        EXPECT_EQ(cache.programs.count(ExpectedProgramKey(0, false, withValue, withDepth)), 1u);
    }
    EXPECT_EQ(cache.programs.size(), 4u);
}

TEST_F(LineDrawTest, PlaneCountSelectsTheClippingVariant) {
    MakeDrawable(true);
    mesh->SetDeformation(1.0f);
    for (std::size_t count : {0u, 1u, 8u, 12u}) {
        SCOPED_TRACE(::testing::Message() << count << " planes");
        mesh->SetClipPlanes(Planes(count));
        Draw();
        const std::size_t kept = std::min<std::size_t>(count, 8);
        EXPECT_EQ(cache.programs.count(ExpectedProgramKey(kept, true, true, true)), 1u);
        if (count == 12) {
            EXPECT_EQ(device.CountOf("CreateProgram"), 0u) << "the same variant as 8 planes";
            continue;
        }
        for (const std::string& stage : CompiledSources().stages) {
            if (stage.empty()) continue;
            if (kept == 0)
                EXPECT_THAT(stage, Not(HasSubstr("clip_distance")));
            else
                EXPECT_THAT(stage, HasSubstr("clip_distance : " + std::to_string(kept) + "]"));
        }
    }
}

TEST_F(LineDrawTest, MeshesDifferingOnlyInColourShareProgramAndPipeline) {
    MakeDrawable();
    const std::unique_ptr<ILineGridMesh> other = CreateLineGridMesh(device);
    LineRecordingScene::MakeDrawable(*other);
    const std::uint8_t red[] = {255, 0, 0, 255};
    other->SetColor(red);

    Draw();
    const PipelineStateId pipeline = Bound().pipeline;
    Draw(*other);

    EXPECT_THAT(device.OperationNames(), ElementsAre("GetImageInfo", "UpdateBuffer", "BindDrawCall", "DrawIndexed"));
    EXPECT_EQ(Bound().pipeline, pipeline);
    EXPECT_EQ(cache.programs.size(), 1u);
    EXPECT_EQ(cache.pipelineStates.size(), 1u);
}

TEST_F(LineDrawTest, FailedProgramSkipsTheDrawAndIsNotRetried) {
    MakeDrawable();
    device.FailOperation("CreateProgram", 1);
    Draw();
    EXPECT_THAT(device.OperationNames(), ElementsAre("GetImageInfo", "UpdateBuffer", "CreateProgram"));
    Draw();
    EXPECT_THAT(device.OperationNames(), ElementsAre("GetImageInfo", "UpdateBuffer"));
    ASSERT_EQ(cache.programs.size(), 1u);
    EXPECT_TRUE(cache.programs.begin()->second.IsNull());
}

TEST_F(LineDrawTest, FailedPipelineStateSkipsTheDrawAndIsNotRetried) {
    MakeDrawable();
    device.FailOperation("CreatePipelineState", 1);
    Draw();
    EXPECT_THAT(device.OperationNames(),
                ElementsAre("GetImageInfo", "UpdateBuffer", "CreateProgram", "CreatePipelineState"));
    Draw();
    EXPECT_THAT(device.OperationNames(), ElementsAre("GetImageInfo", "UpdateBuffer"));
}

TEST_F(LineDrawTest, PixelSizeComesFromTheDepthStencilTarget) {
    MakeDrawable();
    Draw();
    EXPECT_EQ(UploadedFloat(528), 2.0f / 64.0f);
    EXPECT_EQ(UploadedFloat(532), 2.0f / 32.0f);

    pass = Pass({true, true, false});
    Draw();
    EXPECT_EQ(Get("GetImageInfo").arguments, "null");
    EXPECT_EQ(UploadedFloat(528), std::numeric_limits<float>::infinity());
    EXPECT_EQ(UploadedFloat(532), std::numeric_limits<float>::infinity());
    EXPECT_EQ(device.CountOf("DrawIndexed"), 1u) << "drawn all the same";
}

// The smallest cell edge of the grid box, each axis divided by the larger of
// the two grids' sizes on it.
TEST_F(LineDrawTest, CellSizeIsTheSmallestEdgeOverBothGrids) {
    struct Case {
        Box box;
        Dimensions values;
        std::optional<Dimensions> displacements;
        float expected;
    };
    const Case cases[] = {
        {Box({0, 0, 0}, {2, 3, 4}), {4, 5, 6}, std::nullopt, 0.5f},
        {Box({0, 0, 0}, {2, 3, 4}), {4, 5, 6}, Dimensions{8, 2, 2}, 0.25f},
        {Box({0, 0, 0}, {8, 1, 8}), {4, 5, 6}, std::nullopt, 0.2f},
        {Box({-1, -1, -1}, {1, 1, 0}), {2, 2, 2}, Dimensions{1, 1, 4}, 0.25f},
        {Box({0, 0, 0}, {1, 1, 1}), {2, 2, 2}, Dimensions{2, 3, 2}, 1.0f / 3.0f},
        {Box({0, 0, 0}, {4, 4, 4}), {1, 1, 1}, std::nullopt, 4.0f},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(::testing::Message() << "expected " << test.expected);
        mesh->SetGeometry(MakeGeometry());
        mesh->SetGrids(MakeValues(test.values), test.displacements ? MakeDisplacements(*test.displacements) : nullptr,
                       test.box);
        Draw();
        EXPECT_FLOAT_EQ(UploadedFloat(536), test.expected);
        EXPECT_EQ(UploadedFloat(540), 0.0f);
    }
}

TEST_F(LineDrawTest, MatricesAreComposedPerDraw) {
    MakeDrawable();
    KxTransformMatrix model;
    model.MakeTranslation({1, 2, 3});
    KxTransformMatrix view;
    view.MakeRotation({0, 0, 0}, {0, 0, 1}, std::numbers::pi / 2);
    KxTransformMatrix projection(
        std::array<double, 16>{2, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0.5, 0.25, 0, 0, -1, 0});
    mesh->SetModelTransform(model);
    mesh->SetViewProjection(view, projection);
    Draw();
    const detail::SimulationConstants constants = Uploaded();

    const auto floats = [](const KxTransformMatrix& m) {
        std::array<float, 16> out;
        m.ConvertToFloat16(out.data());
        return out;
    };
    EXPECT_EQ(constants.model_matrix, floats(model));
    EXPECT_EQ(constants.model_view_matrix, floats(view * model));
    EXPECT_EQ(constants.normal_matrix, floats(ToNormalMatrix(view * model)));
    EXPECT_EQ(constants.projection_matrix, floats(projection));
    EXPECT_EQ(constants.model_view_projection_matrix, floats(projection * (view * model)));
    // The model origin is at (1, 2, 3) in the world and at (-2, 1, 3) in view
    // space: column 3 of model_view_matrix, at byte 64 + 4 * 12.
    EXPECT_FLOAT_EQ(UploadedFloat(112), -2.0f);
    EXPECT_FLOAT_EQ(UploadedFloat(116), 1.0f);
    EXPECT_FLOAT_EQ(UploadedFloat(120), 3.0f);
}

}  // namespace
}  // namespace Korvex::Rendering::linetest
