// The host's frame: a pass per technique, opaque and capped meshes in list
// order and transparent ones last, its PNG output and the release of
// everything it made.

#include <GlDevice.h>
#include <OffscreenFrame.h>
#include <PictureCompositor.h>

#include <gmock/gmock.h>
#include <png.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>

namespace Korvex::Rendering::gltest {
namespace {

// Notes the order in which the frame draws it and the pass it was given.
class LoggingRenderable final : public IRenderable {
public:
    LoggingRenderable(const char* technique, std::vector<std::string>& log) : technique_(technique), log_(log) {}
    const char* GetName() const override { return ""; }
    void SetName(const char*) override {}
    std::uint32_t GetUserValue() const override { return 0; }
    void SetUserValue(std::uint32_t) override {}
    StringId GetTechnique() const override { return StringId(technique_); }
    void Draw(void*, const RenderPassDesc& pass, ResourceCache&, void*) override {
        log_.push_back(std::string(technique_) + (pass.blendMode == kBlendAlpha ? " blended" : ""));
    }

private:
    const char* technique_;
    std::vector<std::string>& log_;
};

constexpr std::uint32_t kTargetSize = 64;
using Rgba = std::array<std::uint8_t, 4>;

// Every test ends with no device object left alive and no GL debug message.
class FrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        device_ = GlDevice::Create(&error);
        ASSERT_NE(device_, nullptr) << error;
    }
    ~FrameTest() override {
        if (device_ == nullptr) return;
        EXPECT_EQ(device_->LiveObjectCount(), 0u) << "objects left alive";
        for (const std::string& message : device_->Diagnostics())
            EXPECT_EQ(message.find("GL debug output"), std::string::npos) << message;
    }
    GlDevice& Device() { return *device_; }

    std::unique_ptr<OffscreenFrame> MakeFrame(std::uint32_t width = kTargetSize) {
        std::string error;
        std::unique_ptr<OffscreenFrame> frame =
            OffscreenFrame::Create(Device(), {width, kTargetSize, true, {0, 0, 0.5f, 1}}, &error);
        EXPECT_NE(frame, nullptr) << error;
        return frame;
    }

    std::unique_ptr<GlDevice> device_;
};

// A capped mesh keeps the depth of what came before it, so it is drawn in
// its place; transparent ones blend over everything else.
TEST_F(FrameTest, DrawsOpaqueAndCappedInListOrderThenTransparentAndSkipsTheRest) {
    auto frame = MakeFrame();
    std::vector<std::string> log;
    LoggingRenderable glass("TransparentSimulationTechnique", log), wall("SimulationTechnique", log),
        capped("CappedSimulationTechnique", log), shadow("ShadowTechnique", log);
    IRenderable* list[] = {&glass, nullptr, &shadow, &wall, &capped};
    EXPECT_EQ(frame->Draw(list), 3u);
    EXPECT_THAT(log, ::testing::ElementsAre("SimulationTechnique", "CappedSimulationTechnique",
                                            "TransparentSimulationTechnique blended"));
}

TEST_F(FrameTest, PngHasTheTopRowFirst) {
    auto frame = MakeFrame();
    frame->Clear();
    const std::vector<std::uint8_t> white(4 * kTargetSize, 255);
    const SubImage bottomRow{0, 0, 0, kTargetSize, 1, 0, 0};
    ASSERT_TRUE(Device().WriteImage(frame->Targets().color, bottomRow, white.data(), white.size()));
    const std::string path = ::testing::TempDir() + "frame-" + std::to_string(getpid()) + ".png";
    std::string error;
    ASSERT_TRUE(frame->WriteColorPng(path, &error)) << error;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_NE(png_image_begin_read_from_file(&image, path.c_str()), 0) << image.message;
    image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> rows(PNG_IMAGE_SIZE(image));
    ASSERT_NE(png_image_finish_read(&image, nullptr, rows.data(), 0, nullptr), 0) << image.message;
    std::filesystem::remove(path);
    ASSERT_EQ(rows.size(), 4u * kTargetSize * kTargetSize);
    EXPECT_EQ((Rgba{rows[0], rows[1], rows[2], rows[3]}), (Rgba{0, 0, 128, 255})) << "top: background";
    EXPECT_EQ(rows[rows.size() - 4], 255) << "bottom: the written row";
    EXPECT_FALSE(frame->WriteColorPng("/nonexistent-folder/x.png", &error));
    EXPECT_EQ(error.rfind("WritePng(): ", 0), 0u) << error;
}

TEST_F(FrameTest, ReleasesItsTargetsAndCacheAndAFailedOneLeavesNothing) {
    auto frame = MakeFrame();
    ShaderStageSources sources;
    sources.stages = {"void main() { $Position$ = float4(0.0, 0.0, 0.0, 1.0); }\n", "", "", "",
                      "[out float4 c : 0]\nvoid main() { $c$ = float4(1.0, 1.0, 1.0, 1.0); }\n"};
    frame->Cache().programs[1] = GpuHandle<ProgramTag>(Device(), Device().CreateProgram(sources));
    ASSERT_FALSE(frame->Cache().programs[1].IsNull()) << Device().LastProgramLog();
    EXPECT_EQ(Device().LiveObjectCount(), 5u) << "four targets and a program in the frame's cache";
    frame.reset();
    EXPECT_EQ(Device().LiveObjectCount(), 0u);
    std::string error;
    EXPECT_EQ(OffscreenFrame::Create(Device(), {0, 8, true, {}}, &error), nullptr);
    EXPECT_EQ(error.rfind("OffscreenFrame::Create(): ", 0), 0u) << error;
    EXPECT_EQ(Device().LiveObjectCount(), 0u);
}

// The overlay blends over the scene's colours in a picture of its own, rows
// bottom first as in the frame; a new overlay needs no new scene. A frame
// of a new size keeps its cache, and probes one pixel of its targets.
TEST_F(FrameTest, OverlayBlendsOverTheSceneAndTheFrameResizesKeepingItsCache) {
    auto frame = MakeFrame();
    frame->Clear();
    std::string error;
    auto compositor = PictureCompositor::Create(Device(), kTargetSize, kTargetSize, &error);
    ASSERT_NE(compositor, nullptr) << error;
    std::vector<std::uint8_t> overlay(4 * kTargetSize * kTargetSize, 0);
    const auto put = [&](std::uint32_t x, std::uint32_t y, const Rgba& color) {
        std::copy(color.begin(), color.end(), overlay.begin() + 4 * (y * kTargetSize + x));
    };
    const auto pictureAt = [&](std::uint32_t x, std::uint32_t y) {
        const std::vector<std::uint8_t> texels = Device().ReadRgba8(compositor->Picture());
        const std::size_t i = 4 * (std::size_t{y} * kTargetSize + x);
        return Rgba{texels[i], texels[i + 1], texels[i + 2], texels[i + 3]};
    };
    put(0, 0, {255, 0, 0, 255});
    put(5, kTargetSize - 1, {0, 255, 0, 128});
    ASSERT_TRUE(compositor->SetOverlay(overlay));
    compositor->Compose(frame->Targets().color);
    EXPECT_EQ(pictureAt(0, 0), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(pictureAt(1, 0), (Rgba{0, 0, 128, 255})) << "the background where the overlay is clear";
    // Half green over (0, 0, 128): 128 green, 64 blue, within a step of rounding.
    const Rgba half = pictureAt(5, kTargetSize - 1);
    EXPECT_NEAR(half[1], 128, 1);
    EXPECT_NEAR(half[2], 64, 1);
    EXPECT_EQ(half[3], 255) << "an opaque picture stays opaque";
    ASSERT_TRUE(compositor->SetOverlay(std::vector<std::uint8_t>(overlay.size(), 0)));
    compositor->Compose(frame->Targets().color);
    EXPECT_EQ(pictureAt(0, 0), (Rgba{0, 0, 128, 255}));
    EXPECT_FALSE(compositor->SetOverlay(std::vector<std::uint8_t>(4, 0))) << "another size";

    ShaderStageSources sources;
    sources.stages = {"void main() { $Position$ = float4(0.0, 0.0, 0.0, 1.0); }\n", "", "", "",
                      "[out float4 c : 0]\nvoid main() { $c$ = float4(1.0, 1.0, 1.0, 1.0); }\n"};
    frame->Cache().programs[1] = GpuHandle<ProgramTag>(Device(), Device().CreateProgram(sources));
    const std::size_t alive = Device().LiveObjectCount();
    ASSERT_TRUE(frame->Resize(32, 16, &error)) << error;
    EXPECT_EQ(Device().LiveObjectCount(), alive) << "four targets for four, the program kept";
    EXPECT_EQ(frame->ReadColor().size(), 4u * 32 * 16);
    frame->Clear();
    const std::optional<ProbeTexel> probe = frame->ReadProbeAt(31, 15);
    ASSERT_TRUE(probe);
    EXPECT_TRUE(std::isnan(probe->value));
    EXPECT_EQ(probe->depth, 1.0f);
    EXPECT_FALSE(frame->ReadProbeAt(32, 0)) << "outside the frame";
}

}  // namespace
}  // namespace Korvex::Rendering::gltest
