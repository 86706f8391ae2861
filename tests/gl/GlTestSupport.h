#pragma once

// A GL device with small render targets for drawing tests. Every test ends
// with no device object left alive (checked once the fixture released its
// handles) and without any GL debug message; a failed test leaves its colour target
// as <suite>.<test>.png in the test's working directory.

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

// Buffer with the bytes of a value, for UpdateBuffer and CreateBuffer.
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

// Six vertices from the vertex id: a rectangle of two triangles.
inline constexpr const char* kQuadConstants = R"(
CBUFFER(params, 0)
{
    float4 rect;
    float4 color;
    float depth;
    float value;
    float clockwise;
    float padding;
};
)";

inline constexpr const char* kQuadVertex = R"(
void main()
{
    int corner = $VertexId$;
    if (clockwise > 0.5)
    {
        corner = 5 - corner;
    }
    float2 xy = rect.xy;
    if (corner == 1 || corner == 4 || corner == 5)
    {
        xy.x = rect.z;
    }
    if (corner == 2 || corner == 3 || corner == 5)
    {
        xy.y = rect.w;
    }
    $Position$ = float4(xy / 32.0 - float2(1.0, 1.0), depth, 1.0);
}
)";

inline constexpr const char* kQuadPixel = R"(
[out float4 target_color : 0]
[out float4 target_value : 1]

void main()
{
    $target_color$ = color;
    $target_value$ = float4(value, value, value, value);
}
)";

// A pixel stage with the declared inputs that writes white, and value (an
// expression of the inputs) to the probe target.
inline std::string ProbePixel(std::string_view inputs, std::string_view value) {
    return "\n" + std::string(inputs) + R"(
[out float4 target_color : 0]
[out float4 target_value : 1]

void main()
{
    $target_color$ = float4(1.0, 1.0, 1.0, 1.0);
    $target_value$ = float4()" + std::string(value) + R"(, 0.0, 0.0, 0.0);
}
)";
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
        color_ = probe_ = depthStencil_ = ImageId::Null();
        EXPECT_EQ(device_->LiveObjectCount(), 0u) << "objects left alive";
        // Rejections are reported by the device; GL itself must never complain.
        for (const std::string& message : device_->Diagnostics())
            EXPECT_EQ(message.find("GL debug output"), std::string::npos) << message;
    }

    GlDevice& Device() { return *device_; }

    // Colour RGBA8 (target 0), probe value R32F (target 1), depth-stencil (4),
    // cleared to black, no value (-1), depth 1 and stencil 0.
    void MakeTargets() {
        const auto make = [&](std::uint32_t format, std::uint32_t usage) {
            ImageDesc desc;
            desc.width = kTargetSize;
            desc.height = kTargetSize;
            desc.format = format;
            desc.usage = usage;
            const ImageId id = device_->CreateImage(desc);
            EXPECT_FALSE(id.IsNull());
            return id;
        };
        color_ = make(kFormatRgba8Unorm, kImageUsageColorTarget);
        probe_ = make(kFormatR32Float, kImageUsageColorTarget);
        depthStencil_ = make(kFormatDepth24Stencil8, kImageUsageDepthStencilTarget);
        ClearTargets();
    }

    void ClearTargets() {
        device_->ClearImage(color_, {0, 0, 0, 1});
        device_->ClearImage(probe_, {-1, -1, -1, -1});
        device_->ClearDepthStencil(color_, depthStencil_, 1.0f, 0);
    }

    // Draw call with the three targets and constant buffer 0.
    DrawCallDesc DrawCall(BufferId constants = BufferId::Null()) const {
        DrawCallDesc drawCall;
        drawCall.targets[kTargetColor] = color_;
        drawCall.targets[kTargetProbeValue] = probe_;
        drawCall.targets[kTargetDepthStencil] = depthStencil_;
        drawCall.constantBuffers[0].buffer = constants;
        drawCall.constantBuffers[0].stageMask = kStageVertex | kStagePixel;
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

    GpuHandle<ProgramTag> Program(const std::string& vertex, const std::string& pixel, const std::string& hull = "",
                                  const std::string& domain = "", const std::string& geometry = "") {
        ShaderStageSources sources;
        sources.stages = {vertex, hull, domain, geometry, pixel};
        GpuHandle<ProgramTag> program(*device_, device_->CreateProgram(sources));
        EXPECT_FALSE(program.IsNull()) << device_->LastProgramLog();
        return program;
    }

    GpuHandle<ProgramTag> QuadProgram() {
        return Program(std::string(kQuadConstants) + kQuadVertex, std::string(kQuadConstants) + kQuadPixel);
    }

    GpuHandle<PipelineStateTag> MakePipeline(const PipelineStateDesc& desc) {
        GpuHandle<PipelineStateTag> pipeline(*device_, device_->CreatePipelineState(desc));
        EXPECT_FALSE(pipeline.IsNull()) << Diagnostics();
        return pipeline;
    }

    // Binds the quad pipeline with its parameters and draws it.
    void DrawQuad(PipelineStateId pipeline, BufferId constants, const QuadParams& params,
                  std::uint32_t stencilReference = 0) {
        device_->UpdateBuffer(constants, 0, sizeof(params), &params);
        DrawCallDesc drawCall = DrawCall(constants);
        drawCall.stencilReference = stencilReference;
        device_->BindDrawCall(pipeline, drawCall);
        device_->DrawVertices({}, 6, 0);
    }

    GpuHandle<BufferTag> QuadConstants() {
        return MakeBuffer(*device_, kBufferUsageConstant | kBufferUsageDynamic, QuadParams{});
    }

    std::array<std::uint8_t, 4> ColorAt(std::uint32_t x, std::uint32_t y) const {
        const std::vector<std::uint8_t> texels = device_->ReadRgba8(color_);
        std::array<std::uint8_t, 4> texel{};
        std::memcpy(texel.data(), &texels[(std::size_t{y} * kTargetSize + x) * 4], 4);
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

    std::string Diagnostics() const {
        std::string all;
        for (const std::string& message : device_->Diagnostics()) all += message + "\n";
        return all;
    }

    ImageId ColorTarget() const { return color_; }
    ImageId ProbeTarget() const { return probe_; }
    ImageId DepthStencilTarget() const { return depthStencil_; }

private:
    void SaveColor() const {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::string path = std::string(info->test_suite_name()) + "." + info->name() + ".png";
        const std::vector<std::uint8_t> texels = device_->ReadRgba8(color_);
        std::string error;
        if (WritePng(path, kTargetSize, kTargetSize, texels.data(), &error))
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
