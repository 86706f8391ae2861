// Vertex input by semantic, indexed and instanced draws, and commands that
// name missing, stale or unfit objects.

#include "GlTestSupport.h"

namespace Korvex::Rendering::gltest {
namespace {

constexpr const char* kAttributeVertex = R"(
[in float3 P : position]
[in float3 N : normal]
[out float3 oN : normal]

void main()
{
    $Position$ = float4($P$, 1.0);
    $oN$ = $N$;
}
)";

const std::string kAttributePixel = ProbePixel("[in float3 N : normal]", "$N$.x + 10.0 * $N$.y + 100.0 * $N$.z");

constexpr Rgba kBlack{0, 0, 0, 255};

// Normal first, then position: the reverse of the program's declarations.
struct NormalPosition {
    float normal[3];
    float position[3];
};

class DrawCommandsTest : public GlDeviceTest {
protected:
    void SetUp() override {
        GlDeviceTest::SetUp();
        if (HasFatalFailure()) return;
        MakeTargets();
    }

    static PipelineStateDesc AttributeDesc(ProgramId program) {
        PipelineStateDesc desc = Pipeline(program);
        desc.vertexInput[0] = {"normal", 0, kFormatRgb32Float};
        desc.vertexInput[1] = {"position", 0, kFormatRgb32Float};
        return desc;
    }
};

TEST_F(DrawCommandsTest, AttributesMeetInputsBySemanticInDeclarationOrder) {
    auto program = Program(kAttributeVertex, kAttributePixel);
    auto pipeline = MakePipeline(AttributeDesc(program.Get()));
    // Vertices 0 and 1 are never drawn: base vertex 2 skips them.
    const NormalPosition vertices[] = {
        {{9, 9, 9}, {0, 0, 0}},          {{9, 9, 9}, {0, 0, 0}},
        {{0.25f, 2, 0}, {-1, -1, 0.5f}}, {{0.25f, 2, 0}, {0, -1, 0.5f}},
        {{0.25f, 2, 0}, {-1, 0, 0.5f}},
    };
    const std::uint16_t indices[] = {7, 7, 0, 1, 2};
    GpuHandle<BufferTag> vertexBuffer(Device(), Device().CreateBuffer({sizeof(vertices), kBufferUsageVertex}, vertices));
    GpuHandle<BufferTag> indexBuffer(Device(), Device().CreateBuffer({sizeof(indices), kBufferUsageIndex}, indices));
    Device().BindDrawCall(pipeline.Get(), DrawCall());
    Device().DrawIndexed({vertexBuffer.Get()}, indexBuffer.Get(), kFormatR16Uint, 3, 2, 2);
    EXPECT_EQ(ProbeAt(4, 4), 20.25f);
    EXPECT_EQ(ProbeAt(4, 24), 20.25f) << "position taken from byte 12";
    EXPECT_EQ(ProbeAt(40, 4), -1.0f);
    EXPECT_EQ(ProbeAt(30, 30), -1.0f);

    // An input no attribute feeds reads GL's default, zero.
    PipelineStateDesc positionOnly = Pipeline(program.Get());
    positionOnly.vertexInput[0] = {"position", 0, kFormatRgb32Float};
    auto partial = MakePipeline(positionOnly);
    const float positions[] = {-1, -1, 0.25f, 0, -1, 0.25f, -1, 0, 0.25f};
    GpuHandle<BufferTag> positionBuffer(Device(),
                                        Device().CreateBuffer({sizeof(positions), kBufferUsageVertex}, positions));
    Device().BindDrawCall(partial.Get(), DrawCall());
    Device().DrawIndexed({positionBuffer.Get()}, indexBuffer.Get(), kFormatR16Uint, 3, 2, 0);
    EXPECT_EQ(ProbeAt(4, 4), 0.0f);

    // Draws that would read outside their buffers are skipped.
    Device().BindDrawCall(pipeline.Get(), DrawCall());
    const std::uint64_t draws = Device().Counters().draws;
    const BufferId vb = vertexBuffer.Get(), ib = indexBuffer.Get();
    Device().DrawIndexed({vb}, ib, kFormatR16Uint, 3, 3, 2);     // one index past the end
    Device().DrawIndexed({vb}, ib, kFormatR32Uint, 3, 0, 2);     // 12 bytes of indices in 10
    Device().DrawIndexed({vb}, ib, kFormatRgb32Float, 3, 0, 0);  // no index format
    Device().DrawIndexed({}, ib, kFormatR16Uint, 3, 2, 2);       // the attributes need a buffer
    Device().DrawIndexed({vb}, BufferId::Null(), kFormatR16Uint, 3, 2, 2);
    Device().DrawIndexedInstanced(0, {vb}, ib, kFormatR16Uint, 3, 2, 2);
    EXPECT_EQ(Device().Counters().draws, draws);
}

// Draws through missing, stale or unfit objects do nothing; so do releases
// and reads of them.
TEST_F(DrawCommandsTest, StaleAndNullIdsAreIgnored) {
    auto program = QuadProgram();
    auto constants = QuadConstants();
    const QuadParams red{{0, 0, 64, 64}, {1, 0, 0, 1}};
    Device().UpdateBuffer(constants.Get(), 0, sizeof(red), &red);
    const std::uint64_t draws = Device().Counters().draws;
    const auto drawQuad = [&](PipelineStateId pipeline, const DrawCallDesc& drawCall) {
        Device().BindDrawCall(pipeline, drawCall);
        Device().DrawVertices({}, 6, 0);
    };
    const PipelineStateId stalePipeline = Device().CreatePipelineState(Pipeline(program.Get()));
    Device().DestroyPipelineState(stalePipeline);
    Device().DestroyPipelineState(stalePipeline);
    drawQuad(stalePipeline, DrawCall(constants.Get()));
    drawQuad(PipelineStateId::Null(), DrawCall(constants.Get()));
    // A pipeline whose program is gone draws nothing, and is still destroyed.
    GpuHandle<ProgramTag> doomed = QuadProgram();
    GpuHandle<PipelineStateTag> orphan(Device(), Device().CreatePipelineState(Pipeline(doomed.Get())));
    const ProgramId stale = doomed.Get();
    doomed.Reset();
    drawQuad(orphan.Get(), DrawCall(constants.Get()));
    EXPECT_FALSE(Device().ApplyPipelineStateDesc(Pipeline(stale)));
    EXPECT_TRUE(Device().CreatePipelineState(Pipeline(ProgramId::Null())).IsNull());
    // A target that is gone, or goes between bind and draw.
    auto pipeline = MakePipeline(Pipeline(program.Get()));
    ImageDesc desc{kTargetSize, kTargetSize, 0, kFormatR32Float, 1, 1, kImageUsageColorTarget};
    const ImageId gone = Device().CreateImage(desc);
    Device().DestroyImage(gone);
    DrawCallDesc withStaleTarget = DrawCall(constants.Get());
    withStaleTarget.targets[kTargetProbeValue] = gone;
    drawQuad(pipeline.Get(), withStaleTarget);
    DrawCallDesc withProbe = DrawCall(constants.Get());
    withProbe.targets[kTargetProbeValue] = Device().CreateImage(desc);
    Device().BindDrawCall(pipeline.Get(), withProbe);
    Device().DestroyImage(withProbe.targets[kTargetProbeValue]);
    Device().DrawVertices({}, 6, 0);
    EXPECT_EQ(Device().Counters().draws, draws);
    EXPECT_EQ(ColorAt(32, 32), kBlack);

    Device().DestroyBuffer(BufferId::FromParts(1234, 5));
    Device().DestroyImageView(ImageViewId::Null());
    Device().DestroySampler(SamplerId::FromParts(0, 77));
    Device().DestroyProgram(ProgramId::FromParts(0, 77));
    Device().UpdateBuffer(BufferId::FromParts(0, 77), 0, 4, &red);
    EXPECT_EQ(Device().MapImage(gone, 0, kMapWrite).data, nullptr);
    Device().UnmapImage(gone, 0);
    Device().CopyImage(gone, ColorTarget());
    EXPECT_EQ(Device().GetImageInfo(gone).width, 0u);
    EXPECT_TRUE(Device().CreateImageView(gone, {}).IsNull());
    EXPECT_TRUE(Device().ReadRgba8(gone).empty());
    Device().ClearDepthStencil(gone, DepthStencilTarget(), 1.0f, 0);
    drawQuad(pipeline.Get(), DrawCall(constants.Get()));
    EXPECT_EQ(ColorAt(32, 32), (Rgba{255, 0, 0, 255})) << "good objects still draw";
}

// ClearDepth keeps stencil; without a colour target the depth-stencil image
// alone is cleared; a clear between bind and draw keeps the bound state.
TEST_F(DrawCommandsTest, ClearsReachTheirTargetsAndKeepTheBoundState) {
    Device().ClearDepthStencil(ColorTarget(), DepthStencilTarget(), 0.25f, 9);
    EXPECT_NEAR(DepthAt(3, 5), 0.25f, 1e-6);
    EXPECT_EQ(StencilAt(3, 5), 9);
    Device().ClearDepth(ImageId::Null(), DepthStencilTarget(), 0.75f);
    EXPECT_NEAR(DepthAt(60, 60), 0.75f, 1e-6);
    EXPECT_EQ(StencilAt(60, 60), 9);

    auto program = QuadProgram();
    auto constants = QuadConstants();
    PipelineStateDesc desc = Pipeline(program.Get());
    desc.depthWrite = 0;
    auto pipeline = MakePipeline(desc);
    const QuadParams params{{0, 0, 64, 64}, {1, 1, 1, 1}, 0.25f};
    Device().UpdateBuffer(constants.Get(), 0, sizeof(params), &params);
    Device().BindDrawCall(pipeline.Get(), DrawCall(constants.Get()));
    Device().ClearDepth(ColorTarget(), DepthStencilTarget(), 0.5f);
    Device().DrawVertices({}, 6, 0);
    EXPECT_NEAR(DepthAt(32, 32), 0.5f, 1e-6) << "no depth written";
    EXPECT_EQ(ColorAt(32, 32), (Rgba{255, 255, 255, 255}));
}

}  // namespace
}  // namespace Korvex::Rendering::gltest
