#pragma once

// A GL device with 64 x 64 targets for drawing tests, and a quad program that
// draws a rectangle of pixels at a depth with a colour and a probe value.
// Every test ends with no device object left alive and without any GL debug
// message; a failed test leaves its colour target as <suite>.<test>.png.

#include <GlDevice.h>
#include <Korvex/Rendering/Gpu/GpuHandle.h>
#include <PngWriter.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Korvex::Rendering::gltest {

inline constexpr std::uint32_t kTargetSize = 64;
using Rgba = std::array<std::uint8_t, 4>;

template <class T>
GpuHandle<BufferTag> MakeBuffer(IGpu& device, std::uint32_t usage, const T& contents) {
    return {device, device.CreateBuffer({static_cast<std::uint32_t>(sizeof(T)), usage}, &contents)};
}

// The quad program's constants: a rectangle in pixels, drawn at a depth.
struct QuadParams {
    std::array<float, 4> rect{0, 0, kTargetSize, kTargetSize};  // x0, y0, x1, y1 in pixels
    std::array<float, 4> color{1, 1, 1, 1};
    float depth = 0.5f;
    float value = 1.0f;      // written to the probe target
    float clockwise = 0.0f;  // 1: the two triangles wind clockwise
    float padding = 0.0f;
};

inline constexpr std::string_view kQuadConstants =
    "CBUFFER(params, 0) { float4 rect; float4 color; float depth; float value; float clockwise; float padding; };\n";

// Six vertices from the vertex id: a rectangle of two triangles.
inline constexpr std::string_view kQuadVertex =
    "void main() {\n    int corner = clockwise > 0.5 ? 5 - $VertexId$ : $VertexId$;\n    float2 xy = rect.xy;\n"
    "    if (corner == 1 || corner == 4 || corner == 5) { xy.x = rect.z; }\n"
    "    if (corner == 2 || corner == 3 || corner == 5) { xy.y = rect.w; }\n"
    "    $Position$ = float4(xy / 32.0 - float2(1.0, 1.0), depth, 1.0);\n}\n";

// A pixel stage with the declared inputs that writes colour, and value (an
// expression of the inputs) to the probe target.
inline std::string ProbePixel(std::string_view inputs, std::string_view value, std::string_view color = "1.0") {
    return "\n" + std::string(inputs) + "\n[out float4 target_color : 0]\n[out float4 target_value : 1]\n" +
           "void main()\n{\n    $target_color$ = float4(" + std::string(color) + ");\n    $target_value$ = float4(" +
           std::string(value) + ", 0.0, 0.0, 0.0);\n}\n";
}

class GlDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        device_ = GlDevice::Create(&error);
        ASSERT_NE(device_, nullptr) << error;
    }

    // Runs after derived fixtures released their objects.
    ~GlDeviceTest() override {
        if (device_ == nullptr) return;
        if (HasFailure() && !color_.IsNull()) SaveColor();
        for (ImageId target : {color_, probe_, depthStencil_}) device_->DestroyImage(target);
        EXPECT_EQ(device_->LiveObjectCount(), 0u) << "objects left alive";
        // Rejections are reported by the device; GL itself must never complain.
        for (const std::string& message : device_->Diagnostics())
            EXPECT_EQ(message.find("GL debug output"), std::string::npos) << message;
    }

    GlDevice& Device() { return *device_; }

    // Colour RGBA8 (target 0), probe value R32F (target 1), depth-stencil (4).
    void MakeTargets() {
        const auto make = [&](std::uint32_t format, std::uint32_t usage) {
            return device_->CreateImage({kTargetSize, kTargetSize, 0, format, 1, 1, usage});
        };
        color_ = make(kFormatRgba8Unorm, kImageUsageColorTarget);
        probe_ = make(kFormatR32Float, kImageUsageColorTarget);
        depthStencil_ = make(kFormatDepth24Stencil8, kImageUsageDepthStencilTarget);
        ClearTargets();
    }
    // Black, no value (-1), depth 1 and stencil 0.
    void ClearTargets() {
        device_->ClearImage(color_, {0, 0, 0, 1});
        device_->ClearImage(probe_, {-1, -1, -1, -1});
        device_->ClearDepthStencil(color_, depthStencil_, 1.0f, 0);
    }

    // The three targets and constant buffer 0 for the vertex and pixel stages.
    DrawCallDesc DrawCall(BufferId constants = BufferId::Null()) const {
        DrawCallDesc drawCall;
        drawCall.targets[kTargetColor] = color_;
        drawCall.targets[kTargetProbeValue] = probe_;
        drawCall.targets[kTargetDepthStencil] = depthStencil_;
        drawCall.constantBuffers[0] = {constants, kStageVertex | kStagePixel};
        return drawCall;
    }

    // Depth test less with writes, formats for the three targets.
    static PipelineStateDesc Pipeline(ProgramId program, std::uint32_t topology = kTopologyTriangleList) {
        PipelineStateDesc desc;
        desc.program = program;
        desc.topology = topology;
        desc.targetFormats[kTargetColor] = kFormatRgba8Unorm;
        desc.targetFormats[kTargetProbeValue] = kFormatR32Float;
        desc.targetFormats[kTargetDepthStencil] = kFormatDepth24Stencil8;
        return desc;
    }

    GpuHandle<ProgramTag> Program(std::string_view vertex, std::string_view pixel, std::string_view geometry = "") {
        ShaderStageSources sources;
        sources.stages = {std::string(vertex), "", "", std::string(geometry), std::string(pixel)};
        GpuHandle<ProgramTag> program(*device_, device_->CreateProgram(sources));
        EXPECT_FALSE(program.IsNull()) << device_->LastProgramLog();
        return program;
    }
    GpuHandle<ProgramTag> QuadProgram() {
        return Program(std::string(kQuadConstants) + std::string(kQuadVertex),
                       std::string(kQuadConstants) + ProbePixel("", "value", "color.x, color.y, color.z, color.w"));
    }
    GpuHandle<PipelineStateTag> MakePipeline(const PipelineStateDesc& desc) {
        GpuHandle<PipelineStateTag> pipeline(*device_, device_->CreatePipelineState(desc));
        EXPECT_FALSE(pipeline.IsNull());
        return pipeline;
    }
    GpuHandle<BufferTag> QuadConstants() {
        return MakeBuffer(*device_, kBufferUsageConstant | kBufferUsageDynamic, QuadParams{});
    }

    // Binds the pipeline with the quad's parameters and draws it.
    void DrawQuad(PipelineStateId pipeline, BufferId constants, const QuadParams& params,
                  std::uint32_t stencilReference = 0) {
        device_->UpdateBuffer(constants, 0, sizeof(params), &params);
        DrawCallDesc drawCall = DrawCall(constants);
        drawCall.stencilReference = stencilReference;
        device_->BindDrawCall(pipeline, drawCall);
        device_->DrawVertices({}, 6, 0);
    }

    Rgba ColorAt(std::uint32_t x, std::uint32_t y) const {
        Rgba texel;
        std::memcpy(texel.data(), &device_->ReadRgba8(color_)[(std::size_t{y} * kTargetSize + x) * 4], 4);
        return texel;
    }
    float ProbeAt(std::uint32_t x, std::uint32_t y) const {
        return device_->ReadFloats(probe_)[std::size_t{y} * kTargetSize + x];
    }
    std::uint8_t StencilAt(std::uint32_t x, std::uint32_t y) const {
        return device_->ReadDepthStencil(depthStencil_).stencil[std::size_t{y} * kTargetSize + x];
    }
    float DepthAt(std::uint32_t x, std::uint32_t y) const {
        return device_->ReadDepthStencil(depthStencil_).depth[std::size_t{y} * kTargetSize + x];
    }
    bool LastDiagnosticStartsWith(std::string_view start) const {
        return !device_->Diagnostics().empty() && device_->Diagnostics().back().starts_with(start);
    }

    ImageId ColorTarget() const { return color_; }
    ImageId DepthStencilTarget() const { return depthStencil_; }

private:
    void SaveColor() const {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::string path = std::string(info->test_suite_name()) + "." + info->name() + ".png";
        std::string error;
        if (WritePng(path, kTargetSize, kTargetSize, device_->ReadRgba8(color_).data(), &error))
            std::cerr << "actual image: " << path << "\n";
        else
            std::cerr << error << "\n";
    }

    std::unique_ptr<GlDevice> device_;
    ImageId color_;
    ImageId probe_;
    ImageId depthStencil_;
};

}  // namespace Korvex::Rendering::gltest
