// The host's render loop: target clears, passes per technique, draw order,
// readback and PNG output, and release of everything it made.

#include "GlTestSupport.h"

#include <OffscreenFrame.h>

#include <gmock/gmock.h>
#include <png.h>

#include <cmath>
#include <filesystem>

namespace Korvex::Rendering::gltest {
namespace {

// Draws the quad program into the pass's targets the way a mesh does: its
// pipeline state copies the pass's settings, program and pipeline live in
// the host's cache.
class QuadRenderable final : public IRenderable {
public:
    QuadRenderable(IGpu& device, const char* technique, const QuadParams& params)
        : device_(device), technique_(technique), params_(params) {
        constants_ = GpuHandle<BufferTag>(device, device.CreateBuffer({sizeof(QuadParams), kBufferUsageConstant |
                                                                                             kBufferUsageDynamic},
                                                                      nullptr));
    }

    const char* GetName() const override { return ""; }
    void SetName(const char*) override {}
    std::uint32_t GetUserValue() const override { return 0; }
    void SetUserValue(std::uint32_t) override {}
    StringId GetTechnique() const override { return technique_; }

    void Draw(void*, const RenderPassDesc& pass, ResourceCache& cache, void*) override {
        GpuHandle<ProgramTag>& program = cache.programs[1];
        if (program.IsNull()) {
            ShaderStageSources sources;
            sources.stages[kStageIndexVertex] = std::string(kQuadConstants) + std::string(kQuadVertex);
            sources.stages[kStageIndexPixel] =
                std::string(kQuadConstants) + ProbePixel("", "value", "color.x, color.y, color.z, color.w");
            program = GpuHandle<ProgramTag>(device_, device_.CreateProgram(sources));
        }
        PipelineStateDesc state;
        state.program = program.Get();
        state.cullMode = pass.cullMode;
        state.frontFace = pass.frontFace;
        state.blendMode = pass.blendMode;
        state.stencilCompareFront = pass.stencilCompareFront;
        state.stencilCompareBack = pass.stencilCompareBack;
        state.depthCompare = pass.depthCompare;
        state.depthWrite = pass.depthWrite;
        state.colorWrite = static_cast<std::uint8_t>(pass.targets[kTargetColor].writeEnable);
        DrawCallDesc drawCall;
        for (std::size_t k = 0; k < kRenderTargetCount; ++k) {
            state.targetFormats[k] = pass.targets[k].format;
            drawCall.targets[k] = pass.targets[k].image;
        }
        GpuHandle<PipelineStateTag>& pipeline = cache.pipelineStates[2 + pass.blendMode];
        if (pipeline.IsNull()) pipeline = GpuHandle<PipelineStateTag>(device_, device_.CreatePipelineState(state));
        device_.UpdateBuffer(constants_.Get(), 0, sizeof(params_), &params_);
        drawCall.constantBuffers[0] = {constants_.Get(), kStageVertex | kStagePixel};
        device_.BindDrawCall(pipeline.Get(), drawCall);
        device_.DrawVertices({}, 6, 0);
    }

private:
    IGpu& device_;
    StringId technique_;
    QuadParams params_;
    GpuHandle<BufferTag> constants_;
};

// Notes the order in which the frame draws it.
class OrderRenderable final : public IRenderable {
public:
    OrderRenderable(const char* technique, std::vector<std::string>& log)
        : technique_(technique), name_(technique), log_(log) {}

    const char* GetName() const override { return name_; }
    void SetName(const char*) override {}
    std::uint32_t GetUserValue() const override { return 0; }
    void SetUserValue(std::uint32_t) override {}
    StringId GetTechnique() const override { return technique_; }
    void Draw(void*, const RenderPassDesc&, ResourceCache&, void*) override { log_.emplace_back(name_); }

private:
    StringId technique_;
    const char* name_;
    std::vector<std::string>& log_;
};

class OffscreenFrameTest : public GlDeviceTest {
protected:
    std::unique_ptr<OffscreenFrame> MakeFrame(bool probes = true) {
        FrameDesc desc;
        desc.width = kTargetSize;
        desc.height = kTargetSize;
        desc.probeTargets = probes;
        desc.background = {0, 0, 0.5f, 1};
        std::string error;
        std::unique_ptr<OffscreenFrame> frame = OffscreenFrame::Create(Device(), desc, &error);
        EXPECT_NE(frame, nullptr) << error;
        return frame;
    }

    static QuadParams Params(std::array<float, 4> color, float depth, float value) {
        QuadParams params;
        params.color = color;
        params.depth = depth;
        params.value = value;
        return params;
    }

    static std::array<std::uint8_t, 4> TexelOf(const std::vector<std::uint8_t>& texels, std::uint32_t x,
                                               std::uint32_t y) {
        const std::size_t i = (std::size_t{y} * kTargetSize + x) * 4;
        return {texels[i], texels[i + 1], texels[i + 2], texels[i + 3]};
    }
};

TEST_F(OffscreenFrameTest, ClearGivesEveryTargetItsEmptyValue) {
    auto frame = MakeFrame();
    QuadRenderable quad(Device(), "SimulationTechnique", Params({1, 1, 1, 1}, 0.25f, 3.0f));
    IRenderable* list[] = {&quad};
    frame->Draw(list);
    frame->Clear();
    const std::size_t texels = std::size_t{kTargetSize} * kTargetSize;
    const std::vector<std::uint8_t> color = frame->ReadColor();
    ASSERT_EQ(color.size(), texels * 4);
    EXPECT_EQ(TexelOf(color, 20, 20), (std::array<std::uint8_t, 4>{0, 0, 128, 255}));
    const std::vector<float> value = frame->ReadProbeValue();
    ASSERT_EQ(value.size(), texels);
    EXPECT_TRUE(std::isnan(value[100]));
    EXPECT_EQ(frame->ReadProbeDepth()[100], 1.0f);
    const DepthStencilTexels depthStencil = frame->ReadDepthStencil();
    EXPECT_EQ(depthStencil.depth[100], 1.0f);
    EXPECT_EQ(depthStencil.stencil[100], 0);
}

// The transparent quad is nearer; drawn first, it would keep the opaque one
// out through the depth test.
TEST_F(OffscreenFrameTest, TransparentTechniqueIsDrawnAfterTheOpaqueOnes) {
    auto frame = MakeFrame();
    frame->Clear();
    QuadRenderable glass(Device(), "TransparentSimulationTechnique", Params({1, 0, 0, 0.5f}, 0.25f, 1.0f));
    QuadRenderable wall(Device(), "SimulationTechnique", Params({0, 1, 0, 1}, 0.5f, 2.0f));
    QuadRenderable capped(Device(), "CappedSimulationTechnique", Params({0, 0, 1, 1}, 0.75f, 3.0f));
    QuadRenderable unknown(Device(), "ShadowTechnique", Params({1, 1, 1, 1}, 0.0f, 4.0f));
    IRenderable* list[] = {&glass, nullptr, &unknown, &wall, &capped};
    EXPECT_EQ(frame->Draw(list), 3u);
    const std::array<std::uint8_t, 4> seen = TexelOf(frame->ReadColor(), 32, 32);
    EXPECT_NEAR(seen[0], 128, 1);
    EXPECT_NEAR(seen[1], 128, 1);
    EXPECT_EQ(seen[2], 0);
    EXPECT_EQ(seen[3], 255);
    EXPECT_EQ(frame->ReadProbeValue()[32 * kTargetSize + 32], 1.0f) << "the last quad drawn wins the probe";
    EXPECT_EQ(frame->Pass(PassKind::Transparent).blendMode, kBlendAlpha);
    EXPECT_EQ(frame->Pass(PassKind::Opaque).blendMode, kBlendOff);

    // A capped mesh clears depth and stencil first, so it must not come
    // after what it would erase.
    std::vector<std::string> order;
    OrderRenderable glassLast("TransparentSimulationTechnique", order);
    OrderRenderable wallNext("SimulationTechnique", order);
    OrderRenderable cappedFirst("CappedSimulationTechnique", order);
    IRenderable* ordered[] = {&glassLast, &wallNext, &cappedFirst};
    frame->Draw(ordered);
    EXPECT_THAT(order, ::testing::ElementsAre("CappedSimulationTechnique", "SimulationTechnique",
                                              "TransparentSimulationTechnique"));
}

TEST_F(OffscreenFrameTest, PngHasTheTopRowFirst) {
    auto frame = MakeFrame(false);
    frame->Clear();
    QuadParams params = Params({1, 0, 0, 1}, 0.5f, 0.0f);
    params.rect = {0, 0, kTargetSize, 8};  // the bottom rows
    QuadRenderable quad(Device(), "SimulationTechnique", params);
    IRenderable* list[] = {&quad};
    frame->Draw(list);
    EXPECT_TRUE(frame->ReadProbeValue().empty());

    const std::string path = ::testing::TempDir() + "frame_top_row_first.png";
    std::string error;
    ASSERT_TRUE(frame->WriteColorPng(path, &error)) << error;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_NE(png_image_begin_read_from_file(&image, path.c_str()), 0) << image.message;
    image.format = PNG_FORMAT_RGBA;
    ASSERT_EQ(image.width, kTargetSize);
    ASSERT_EQ(image.height, kTargetSize);
    std::vector<std::uint8_t> rows(PNG_IMAGE_SIZE(image));
    ASSERT_NE(png_image_finish_read(&image, nullptr, rows.data(), 0, nullptr), 0) << image.message;
    std::filesystem::remove(path);
    EXPECT_EQ(TexelOf(rows, 5, 0), (std::array<std::uint8_t, 4>{0, 0, 128, 255})) << "top: background";
    EXPECT_EQ(TexelOf(rows, 5, kTargetSize - 1), (std::array<std::uint8_t, 4>{255, 0, 0, 255})) << "bottom: quad";

    EXPECT_FALSE(frame->WriteColorPng("/nonexistent-folder/x.png", &error));
    EXPECT_EQ(error.rfind("WritePng(): ", 0), 0u) << error;
}

TEST_F(OffscreenFrameTest, FrameReleasesItsTargetsAndCacheAndAFailedOneLeavesNothing) {
    auto frame = MakeFrame();
    {
        QuadRenderable quad(Device(), "SimulationTechnique", Params({1, 1, 1, 1}, 0.5f, 1.0f));
        IRenderable* list[] = {&quad};
        frame->Draw(list);
    }
    EXPECT_EQ(Device().LiveObjectCount(), 4u + 2u) << "four targets, a program and a pipeline";
    frame.reset();
    EXPECT_EQ(Device().LiveObjectCount(), 0u);

    FrameDesc desc;
    desc.width = 0;
    std::string error;
    EXPECT_EQ(OffscreenFrame::Create(Device(), desc, &error), nullptr);
    EXPECT_EQ(error.rfind("OffscreenFrame::Create(): ", 0), 0u) << error;
    EXPECT_EQ(Device().LiveObjectCount(), 0u);
}

}  // namespace
}  // namespace Korvex::Rendering::gltest
