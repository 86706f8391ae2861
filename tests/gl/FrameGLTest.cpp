// The host's frame: a pass per technique, opaque and capped meshes in list
// order and transparent ones last, its PNG output and the release of
// everything it made.

#include <GlDevice.h>
#include <OffscreenFrame.h>

#include <gmock/gmock.h>
#include <png.h>
#include <unistd.h>

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

}  // namespace
}  // namespace Korvex::Rendering::gltest
