// Rasteriser, depth, stencil, colour-write and blend state of pipelines, and
// the state shadow, observed through what the quad program draws.

#include "GlTestSupport.h"

#include <functional>

namespace Korvex::Rendering::gltest {
namespace {

constexpr Rgba kBlack{0, 0, 0, 255};
constexpr Rgba kRed{255, 0, 0, 255};
constexpr Rgba kBlue{0, 0, 255, 255};

class FixedFunctionTest : public GlDeviceTest {
protected:
    void SetUp() override {
        GlDeviceTest::SetUp();
        if (HasFatalFailure()) return;
        MakeTargets();
        program_ = QuadProgram();
        constants_ = QuadConstants();
    }

    PipelineStateDesc QuadDesc() const { return Pipeline(program_.Get()); }

    GpuHandle<ProgramTag> program_;
    GpuHandle<BufferTag> constants_;
};

// A blue quad at depth 0.5 (probe 2), then a red one (probe 7) drawn with
// the row's settings; the centre pixel shows what landed.
TEST_F(FixedFunctionTest, PipelineSettingsDecideWhatLands) {
    struct Case {
        const char* name;
        std::function<void(PipelineStateDesc&)> settings;
        float depth;
        bool clockwise;
        float alpha;
        Rgba color;
        float probe, depthAfter;
    };
    const auto cull = [](std::uint32_t mode, std::uint32_t front) {
        return [=](PipelineStateDesc& d) { d.cullMode = mode, d.frontFace = front; };
    };
    const auto depth = [](std::uint32_t compare, std::uint8_t write) {
        return [=](PipelineStateDesc& d) { d.depthCompare = compare, d.depthWrite = write; };
    };
    const Case cases[] = {
        {"no culling, clockwise", cull(kCullNone, kFrontFaceCounterClockwise), 0.25f, true, 1, kRed, 7, 0.25f},
        {"back culling, counter-clockwise", cull(kCullBack, kFrontFaceCounterClockwise), 0.25f, false, 1, kRed, 7, 0.25f},
        {"back culling, clockwise", cull(kCullBack, kFrontFaceCounterClockwise), 0.25f, true, 1, kBlue, 2, 0.5f},
        {"front culling, counter-clockwise", cull(kCullFront, kFrontFaceCounterClockwise), 0.25f, false, 1, kBlue, 2, 0.5f},
        {"back culling, clockwise front", cull(kCullBack, kFrontFaceClockwise), 0.25f, true, 1, kRed, 7, 0.25f},
        {"less, farther", depth(kCompareLess, 1), 0.75f, false, 1, kBlue, 2, 0.5f},
        // "Always" with writes still writes depth, also when farther.
        {"always, farther", depth(kCompareAlways, 1), 0.75f, false, 1, kRed, 7, 0.75f},
        {"always without writes", depth(kCompareAlways, 0), 0.75f, false, 1, kRed, 7, 0.5f},
        {"greater, farther", depth(kCompareGreater, 1), 0.75f, false, 1, kRed, 7, 0.75f},
        {"colour writes off spare target 0 only", [](PipelineStateDesc& d) { d.colorWrite = 0; }, 0.25f, false, 1, kBlue,
         7, 0.25f},
        {"no probe format, no probe written",
         [](PipelineStateDesc& d) { d.targetFormats[kTargetProbeValue] = 0; }, 0.25f, false, 1, kRed, 2, 0.25f},
        // A quarter red over blue, one step of rounding; the probe is not blended.
        {"alpha blending", [](PipelineStateDesc& d) { d.blendMode = kBlendAlpha; }, 0.25f, false, 0.25f,
         {64, 0, 191, 255}, 7, 0.25f},
    };
    const GpuHandle<PipelineStateTag> first = MakePipeline(QuadDesc());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearTargets();
        QuadParams params;
        params.color = {0, 0, 1, 1};
        params.value = 2.0f;
        DrawQuad(first.Get(), constants_.Get(), params);
        PipelineStateDesc desc = QuadDesc();
        c.settings(desc);
        const GpuHandle<PipelineStateTag> second = MakePipeline(desc);
        params = {{0, 0, 64, 64}, {1, 0, 0, c.alpha}, c.depth, 7.0f, c.clockwise ? 1.0f : 0.0f};
        DrawQuad(second.Get(), constants_.Get(), params);

        const Rgba seen = ColorAt(32, 32);
        for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(seen[i], c.color[i], 1) << "channel " << i;
        EXPECT_EQ(seen[3], 255) << "an opaque background stays opaque";
        EXPECT_EQ(ProbeAt(32, 32), c.probe);
        EXPECT_NEAR(DepthAt(32, 32), c.depthAfter, 1e-6);
    }
    // The quad covers its rectangle only.
    ClearTargets();
    DrawQuad(first.Get(), constants_.Get(), {{8, 16, 24, 40}, {1, 0, 0, 1}});
    EXPECT_EQ(ColorAt(8, 16), kRed);
    EXPECT_EQ(ColorAt(23, 39), kRed);
    EXPECT_EQ(ColorAt(24, 16), kBlack);
    EXPECT_EQ(ColorAt(8, 40), kBlack);
}

// Front faces increment and back faces decrement the stencil where they pass
// the depth test; a later draw tests "equal" against the draw call's reference.
TEST_F(FixedFunctionTest, StencilCountsFrontAndBackFacesOppositely) {
    PipelineStateDesc count = QuadDesc();
    count.depthWrite = 0;
    count.colorWrite = 0;
    count.stencilPassOpFront = kStencilIncrementWrap;
    count.stencilPassOpBack = kStencilDecrementWrap;
    const GpuHandle<PipelineStateTag> counting = MakePipeline(count);
    DrawQuad(counting.Get(), constants_.Get(), {{0, 0, 40, 64}});  // front faces on the left, twice
    DrawQuad(counting.Get(), constants_.Get(), {{0, 0, 40, 64}});
    DrawQuad(counting.Get(), constants_.Get(), {{24, 0, 64, 64}, {1, 1, 1, 1}, 0.5f, 1, 1.0f});  // back, right
    EXPECT_EQ(StencilAt(10, 10), 2);
    EXPECT_EQ(StencilAt(30, 10), 1);
    EXPECT_EQ(StencilAt(50, 10), 255) << "decrement wraps";
    EXPECT_EQ(ColorAt(10, 10), kBlack) << "colour writes were off";

    PipelineStateDesc test = QuadDesc();
    test.stencilCompareFront = kCompareEqual;
    test.stencilCompareBack = kCompareEqual;
    const GpuHandle<PipelineStateTag> testing = MakePipeline(test);
    DrawQuad(testing.Get(), constants_.Get(), {{0, 0, 64, 64}, {1, 0, 0, 1}}, 1);
    EXPECT_EQ(ColorAt(10, 10), kBlack);
    EXPECT_EQ(ColorAt(30, 10), kRed);
    EXPECT_EQ(ColorAt(50, 10), kBlack);
    EXPECT_EQ(StencilAt(30, 10), 1) << "kept";
    DrawQuad(testing.Get(), constants_.Get(), {{0, 0, 64, 64}, {0, 1, 0, 1}, 0.25f}, 2);
    EXPECT_EQ(ColorAt(10, 10), (Rgba{0, 255, 0, 255}));
    EXPECT_EQ(ColorAt(30, 10), kRed);
}

// Only what differs from the bound state is set; an applied description
// replaces the bound pipeline's state until the next bind.
TEST_F(FixedFunctionTest, StateCallsFollowOnlyWhatChanges) {
    const GpuHandle<PipelineStateTag> plain = MakePipeline(QuadDesc());
    PipelineStateDesc culledDesc = QuadDesc();
    culledDesc.cullMode = kCullBack;
    const GpuHandle<PipelineStateTag> culled = MakePipeline(culledDesc);
    const QuadParams clockwise{{0, 0, 64, 64}, {1, 0, 0, 1}, 0.5f, 1, 1.0f};
    DrawQuad(plain.Get(), constants_.Get(), clockwise);
    const GlCallCounters first = Device().Counters();
    DrawQuad(plain.Get(), constants_.Get(), clockwise);
    EXPECT_EQ(Device().Counters().stateCalls, first.stateCalls);
    EXPECT_EQ(Device().Counters().draws, first.draws + 1);
    DrawQuad(culled.Get(), constants_.Get(), clockwise);
    DrawQuad(plain.Get(), constants_.Get(), clockwise);
    EXPECT_EQ(Device().Counters().stateCalls, first.stateCalls + 2) << "culling on, then off";

    ClearTargets();
    Device().BindDrawCall(plain.Get(), DrawCall(constants_.Get()));
    ASSERT_TRUE(Device().ApplyPipelineStateDesc(culledDesc));
    const std::uint64_t callsBefore = Device().Counters().stateCalls;
    ASSERT_TRUE(Device().ApplyPipelineStateDesc(culledDesc));
    EXPECT_EQ(Device().Counters().stateCalls, callsBefore) << "an equal description changes nothing";
    Device().DrawVertices({}, 6, 0);
    EXPECT_EQ(ColorAt(32, 32), kBlack) << "the clockwise quad is culled";
    PipelineStateDesc bad = culledDesc;
    bad.program = ProgramId::Null();
    EXPECT_FALSE(Device().ApplyPipelineStateDesc(bad));
    bad = culledDesc;
    bad.topology = 9;
    EXPECT_FALSE(Device().ApplyPipelineStateDesc(bad));
    ASSERT_TRUE(Device().ApplyPipelineStateDesc(QuadDesc()));
    Device().DrawVertices({}, 6, 0);
    EXPECT_EQ(ColorAt(32, 32), kRed);
}

}  // namespace
}  // namespace Korvex::Rendering::gltest
