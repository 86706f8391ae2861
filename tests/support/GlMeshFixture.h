#pragma once

// A mesh drawn on llvmpipe through the host's offscreen frame. Every test
// ends with no device object left alive; a failed test leaves its colour
// target as <suite>.<test>.png in the test's working directory.

#include <GlDevice.h>
#include <Korvex/Math/KxTransformMatrix.h>
#include <Korvex/Rendering/Gpu/GpuHandle.h>
#include <OffscreenFrame.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace Korvex::Rendering::test_support {

// Mesh is the mesh's interface; the derived fixture creates mesh_.
template <class Mesh>
class GlMeshFixture : public ::testing::Test {
protected:
    static constexpr std::uint32_t kSize = 64;  // frame width and height

    void SetUp() override {
        std::string error;
        device_ = GlDevice::Create(&error);
        ASSERT_NE(device_, nullptr) << error;
        MakeFrame({0, 0, 0, 1});
    }

    void TearDown() override { if (frame_ != nullptr && HasFailure()) SaveColor(); }

    // Runs after the derived fixture released its objects.
    ~GlMeshFixture() override {
        mesh_.reset();
        frame_.reset();
        if (device_ == nullptr) return;
        EXPECT_EQ(device_->LiveObjectCount(), 0u) << "objects left alive";
        if (failOnDiagnostics_)
            for (const std::string& message : device_->Diagnostics()) ADD_FAILURE() << message;
    }

    // A new frame of kSize pixels with probes, cleared to background.
    void MakeFrame(const std::array<float, 4>& background) {
        std::string error;
        frame_ = OffscreenFrame::Create(*device_, {kSize, kSize, true, background}, &error);
        ASSERT_NE(frame_, nullptr) << error;
    }

    // mesh_ seen through view_ and projection_ in a cleared frame, read back
    // into color_; answers how many renderables were drawn.
    std::size_t Render() {
        mesh_->SetViewProjection(view_, projection_);
        frame_->Clear();
        IRenderable* const renderables[] = {mesh_.get()};
        const std::size_t drawn = frame_->Draw(renderables);
        color_ = frame_->ReadColor();
        return drawn;
    }

    // Clip coordinates of a world point (the model transform is identity).
    std::array<double, 4> Clip(const std::array<double, 3>& p) const {
        const KxTransformMatrix m = projection_ * view_;
        std::array<double, 4> clip;
        for (int r = 0; r < 4; ++r)
            clip[std::size_t(r)] = m.GetElement(r, 3, false) + m.GetElement(r, 0, false) * p[0] +
                                   m.GetElement(r, 1, false) * p[1] + m.GetElement(r, 2, false) * p[2];
        return clip;
    }
    // z/w of a world point: what the probe depth holds where it is drawn.
    double Depth(const std::array<double, 3>& p) const {
        const std::array<double, 4> clip = Clip(p);
        return clip[2] / clip[3];
    }

    void ExpectProgramLinks(const ShaderStageSources& sources, const std::string& variant) {
        GpuHandle<ProgramTag> program(*device_, device_->CreateProgram(sources));
        EXPECT_FALSE(program.IsNull()) << variant << ": " << device_->LastProgramLog();
    }

    std::unique_ptr<GlDevice> device_;
    std::unique_ptr<OffscreenFrame> frame_;
    std::unique_ptr<Mesh> mesh_;
    KxTransformMatrix view_;
    KxTransformMatrix projection_;
    std::vector<std::uint8_t> color_;  // RGBA8, bottom row first
    // Any device diagnostic fails the test, rejections included.
    bool failOnDiagnostics_ = false;

private:
    void SaveColor() const {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "." + info->name() + ".png";
        std::replace(name.begin(), name.end(), '/', '_');
        std::string error;
        if (frame_->WriteColorPng(name, &error))
            std::cerr << "actual image: " << name << "\n";
        else
            std::cerr << error << "\n";
    }
};

}  // namespace Korvex::Rendering::test_support
