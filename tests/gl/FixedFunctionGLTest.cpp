// Rasteriser, depth, stencil, colour-write and blend state of pipelines, and
// the state shadow, observed through what the quad program draws.

#include "GlTestSupport.h"

namespace Korvex::Rendering::gltest {
namespace {

class FixedFunctionTest : public GlDeviceTest {
protected:
    void SetUp() override {
        GlDeviceTest::SetUp();
        if (HasFatalFailure()) return;
        MakeTargets();
        program_ = QuadProgram();
        constants_ = QuadConstants();
    }

    GpuHandle<PipelineStateTag> Quad(const PipelineStateDesc& desc) { return MakePipeline(desc); }
    PipelineStateDesc QuadDesc() const { return Pipeline(program_.Get()); }

    GpuHandle<ProgramTag> program_;
    GpuHandle<BufferTag> constants_;
};

TEST_F(FixedFunctionTest, QuadCoversItsRectangleOnly) {
    auto pipeline = Quad(QuadDesc());
    QuadParams params;
    params.rect = {8, 16, 24, 40};
    params.color = {1, 0, 0, 1};
    params.value = 7.0f;
    DrawQuad(pipeline.Get(), constants_.Get(), params);
    EXPECT_EQ(ColorAt(8, 16), (std::array<std::uint8_t, 4>{255, 0, 0, 255}));
    EXPECT_EQ(ColorAt(23, 39), (std::array<std::uint8_t, 4>{255, 0, 0, 255}));
    EXPECT_EQ(ColorAt(24, 16), (std::array<std::uint8_t, 4>{0, 0, 0, 255}));
    EXPECT_EQ(ColorAt(8, 40), (std::array<std::uint8_t, 4>{0, 0, 0, 255}));
    EXPECT_EQ(ProbeAt(10, 20), 7.0f);
    EXPECT_EQ(ProbeAt(30, 20), -1.0f);
    EXPECT_FLOAT_EQ(DepthAt(10, 20), 0.5f);
    EXPECT_EQ(DepthAt(30, 20), 1.0f);
}


using Rgba = std::array<std::uint8_t, 4>;
constexpr Rgba kBlack{0, 0, 0, 255};
constexpr Rgba kRed{255, 0, 0, 255};
constexpr Rgba kBlue{0, 0, 255, 255};

TEST_F(FixedFunctionTest, CullModeDropsTheFacesItNames) {
    const struct {
        std::uint32_t cullMode;
        std::uint32_t frontFace;
        bool clockwise;
        bool drawn;
    } cases[] = {
        {kCullNone, kFrontFaceCounterClockwise, false, true}, {kCullNone, kFrontFaceCounterClockwise, true, true},
        {kCullBack, kFrontFaceCounterClockwise, false, true}, {kCullBack, kFrontFaceCounterClockwise, true, false},
        {kCullFront, kFrontFaceCounterClockwise, false, false}, {kCullFront, kFrontFaceCounterClockwise, true, true},
        {kCullBack, kFrontFaceClockwise, false, false},         {kCullBack, kFrontFaceClockwise, true, true},
    };
    for (const auto& c : cases) {
        ClearTargets();
        PipelineStateDesc desc = QuadDesc();
        desc.cullMode = c.cullMode;
        desc.frontFace = c.frontFace;
        auto pipeline = Quad(desc);
        QuadParams params;
        params.color = {1, 0, 0, 1};
        params.clockwise = c.clockwise ? 1.0f : 0.0f;
        DrawQuad(pipeline.Get(), constants_.Get(), params);
        EXPECT_EQ(ColorAt(32, 32), c.drawn ? kRed : kBlack)
            << "cull " << c.cullMode << " front face " << c.frontFace << " clockwise " << c.clockwise;
    }
}

TEST_F(FixedFunctionTest, DepthCompareAndWriteDecideWhatLands) {
    const struct {
        std::uint32_t compare;
        std::uint8_t write;
        float secondDepth;  // the first quad lies at 0.5
        bool secondDrawn;
        float depthAfter;
    } cases[] = {
        {kCompareLess, 1, 0.25f, true, 0.25f},
        {kCompareLess, 1, 0.75f, false, 0.5f},
        // "Always" with writes still writes depth, also when farther.
        {kCompareAlways, 1, 0.75f, true, 0.75f},
        {kCompareAlways, 0, 0.75f, true, 0.5f},
        {kCompareLess, 0, 0.25f, true, 0.5f},
        {kCompareGreater, 1, 0.75f, true, 0.75f},
    };
    auto first = Quad(QuadDesc());
    for (const auto& c : cases) {
        ClearTargets();
        QuadParams params;
        params.color = {0, 0, 1, 1};
        params.depth = 0.5f;
        DrawQuad(first.Get(), constants_.Get(), params);

        PipelineStateDesc desc = QuadDesc();
        desc.depthCompare = c.compare;
        desc.depthWrite = c.write;
        auto second = Quad(desc);
        params.color = {1, 0, 0, 1};
        params.depth = c.secondDepth;
        DrawQuad(second.Get(), constants_.Get(), params);
        EXPECT_EQ(ColorAt(32, 32), c.secondDrawn ? kRed : kBlue)
            << "compare " << c.compare << " write " << int(c.write) << " depth " << c.secondDepth;
        EXPECT_NEAR(DepthAt(32, 32), c.depthAfter, 1e-6);
    }
}

// Front faces increment and back faces decrement the stencil where they pass
// the depth test; a later draw tests "equal" against the draw call's reference.
TEST_F(FixedFunctionTest, StencilCountsFrontAndBackFacesOppositely) {
    PipelineStateDesc count = QuadDesc();
    count.depthWrite = 0;
    count.colorWrite = 0;
    count.stencilPassOpFront = kStencilIncrementWrap;
    count.stencilPassOpBack = kStencilDecrementWrap;
    auto counting = Quad(count);
    QuadParams params;
    params.rect = {0, 0, 40, 64};  // front face on the left
    DrawQuad(counting.Get(), constants_.Get(), params);
    DrawQuad(counting.Get(), constants_.Get(), params);
    params.rect = {24, 0, 64, 64};  // back face on the right
    params.clockwise = 1.0f;
    DrawQuad(counting.Get(), constants_.Get(), params);
    EXPECT_EQ(StencilAt(10, 10), 2);
    EXPECT_EQ(StencilAt(30, 10), 1);
    EXPECT_EQ(StencilAt(50, 10), 255) << "decrement wraps";
    EXPECT_EQ(ColorAt(10, 10), kBlack) << "colour writes were off";

    PipelineStateDesc test = QuadDesc();
    test.stencilCompareFront = kCompareEqual;
    test.stencilCompareBack = kCompareEqual;
    auto testing = Quad(test);
    params = QuadParams{};
    params.color = {1, 0, 0, 1};
    DrawQuad(testing.Get(), constants_.Get(), params, 1);
    EXPECT_EQ(ColorAt(10, 10), kBlack);
    EXPECT_EQ(ColorAt(30, 10), kRed);
    EXPECT_EQ(ColorAt(50, 10), kBlack);
    EXPECT_EQ(StencilAt(30, 10), 1) << "keep";

    params.color = {0, 1, 0, 1};
    params.depth = 0.25f;
    DrawQuad(testing.Get(), constants_.Get(), params, 2);
    EXPECT_EQ(ColorAt(10, 10), (Rgba{0, 255, 0, 255}));
    EXPECT_EQ(ColorAt(30, 10), kRed);
}

TEST_F(FixedFunctionTest, ColorWriteOffSparesTargetZeroOnly) {
    PipelineStateDesc desc = QuadDesc();
    desc.colorWrite = 0;
    auto pipeline = Quad(desc);
    QuadParams params;
    params.color = {1, 0, 0, 1};
    params.value = 3.0f;
    params.depth = 0.25f;
    DrawQuad(pipeline.Get(), constants_.Get(), params);
    EXPECT_EQ(ColorAt(32, 32), kBlack);
    EXPECT_EQ(ProbeAt(32, 32), 3.0f);
    EXPECT_NEAR(DepthAt(32, 32), 0.25f, 1e-6);
}

TEST_F(FixedFunctionTest, TargetsWithoutFormatAreNotWritten) {
    PipelineStateDesc desc = QuadDesc();
    desc.targetFormats[kTargetProbeValue] = 0;
    auto pipeline = Quad(desc);
    QuadParams params;
    params.color = {1, 0, 0, 1};
    params.value = 3.0f;
    DrawQuad(pipeline.Get(), constants_.Get(), params);
    EXPECT_EQ(ColorAt(32, 32), kRed);
    EXPECT_EQ(ProbeAt(32, 32), -1.0f);
}

TEST_F(FixedFunctionTest, AlphaBlendingMixesTargetZeroOnly) {
    Device().ClearImage(ColorTarget(), {0, 0, 1, 1});
    PipelineStateDesc desc = QuadDesc();
    desc.blendMode = kBlendAlpha;
    auto blended = Quad(desc);
    QuadParams params;
    params.color = {1, 0, 0, 0.25f};
    params.value = 5.0f;
    DrawQuad(blended.Get(), constants_.Get(), params);
    // 0.25 red over blue; alpha stays opaque. One step of rounding allowed.
    const Rgba mixed = ColorAt(32, 32);
    EXPECT_NEAR(mixed[0], 64, 1);
    EXPECT_EQ(mixed[1], 0);
    EXPECT_NEAR(mixed[2], 191, 1);
    EXPECT_EQ(mixed[3], 255);
    EXPECT_EQ(ProbeAt(32, 32), 5.0f) << "the probe target is not blended";

    auto opaque = Quad(QuadDesc());
    params.depth = 0.25f;
    DrawQuad(opaque.Get(), constants_.Get(), params);
    EXPECT_EQ(ColorAt(32, 32), (Rgba{255, 0, 0, 64}));
}


TEST_F(FixedFunctionTest, RepeatedBindAndDrawIssueNoStateCalls) {
    auto plain = Quad(QuadDesc());
    PipelineStateDesc culledDesc = QuadDesc();
    culledDesc.cullMode = kCullBack;
    auto culled = Quad(culledDesc);
    QuadParams params;
    DrawQuad(plain.Get(), constants_.Get(), params);

    const GlCallCounters first = Device().Counters();
    DrawQuad(plain.Get(), constants_.Get(), params);
    const GlCallCounters repeated = Device().Counters();
    EXPECT_EQ(repeated.stateCalls, first.stateCalls);
    EXPECT_EQ(repeated.draws, first.draws + 1);

    // Only what differs is set: culling on, then off again.
    DrawQuad(culled.Get(), constants_.Get(), params);
    EXPECT_EQ(Device().Counters().stateCalls, repeated.stateCalls + 1);
    DrawQuad(plain.Get(), constants_.Get(), params);
    EXPECT_EQ(Device().Counters().stateCalls, repeated.stateCalls + 2);
}

TEST_F(FixedFunctionTest, AppliedDescriptionReplacesTheBoundPipelineState) {
    auto pipeline = Quad(QuadDesc());
    QuadParams params;
    params.clockwise = 1.0f;
    params.color = {1, 0, 0, 1};
    Device().UpdateBuffer(constants_.Get(), 0, sizeof(params), &params);
    Device().BindDrawCall(pipeline.Get(), DrawCall(constants_.Get()));

    PipelineStateDesc culled = QuadDesc();
    culled.cullMode = kCullBack;
    ASSERT_TRUE(Device().ApplyPipelineStateDesc(culled)) << Diagnostics();
    Device().DrawVertices({}, 6, 0);
    EXPECT_EQ(ColorAt(32, 32), kBlack) << "the clockwise quad is culled";

    const std::uint64_t callsBefore = Device().Counters().stateCalls;
    ASSERT_TRUE(Device().ApplyPipelineStateDesc(culled));
    EXPECT_EQ(Device().Counters().stateCalls, callsBefore) << "an equal description changes nothing";

    PipelineStateDesc noProgram = culled;
    noProgram.program = ProgramId::Null();
    EXPECT_FALSE(Device().ApplyPipelineStateDesc(noProgram));
    PipelineStateDesc badTopology = culled;
    badTopology.topology = 9;
    EXPECT_FALSE(Device().ApplyPipelineStateDesc(badTopology));

    ASSERT_TRUE(Device().ApplyPipelineStateDesc(QuadDesc()));
    Device().DrawVertices({}, 6, 0);
    EXPECT_EQ(ColorAt(32, 32), kRed);
}

}  // namespace
}  // namespace Korvex::Rendering::gltest
