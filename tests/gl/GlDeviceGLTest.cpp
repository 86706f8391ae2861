// The GL device: what it accepts and rejects when creating, mapping, copying
// and writing resources; vertex input by semantic, indexed and instanced
// draws; views and samplers as the stages see them; and commands that name
// missing, stale or unfit objects.

#include <GlApi.h>
#include <GlDevice.h>
#include <Korvex/Rendering/Gpu/GpuHandle.h>
#include <PngWriter.h>

#include <gtest/gtest.h>

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <array>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Korvex::Rendering::gltest {
namespace {

inline constexpr std::uint32_t kTargetSize = 64;
using Rgba = std::array<std::uint8_t, 4>;

// One triangle over the whole target, from the vertex id, at a depth.
std::string FullScreenVertex(std::string_view depth) {
    return "void main() {\n    float2 corner = float2(float(($VertexId$ << 1) & 2), float($VertexId$ & 2));\n"
           "    $Position$ = float4(corner * 2.0 - float2(1.0, 1.0), " + std::string(depth) + ", 1.0);\n}\n";
}

// The whole-target program's constants: a colour at a depth, and the value
// it writes to the probe target.
struct QuadParams { std::array<float, 4> color{1, 1, 1, 1}; float depth = 0.5f, value = 1.0f; float padding[2] = {}; };
constexpr std::string_view kQuadConstants =
    "CBUFFER(params, 0) { float4 color; float depth; float value; float2 padding; };\n";

// A pixel stage with the declared inputs that writes colour, and value (an
// expression of the inputs) to the probe target.
std::string ProbePixel(std::string_view inputs, std::string_view value, std::string_view color = "1.0") {
    return std::string(inputs) + "\n[out float4 target_color : 0]\n[out float4 target_value : 1]\nvoid main() {\n" +
           "    $target_color$ = float4(" + std::string(color) + ");\n    $target_value$ = float4(" +
           std::string(value) + ", 0.0, 0.0, 0.0);\n}\n";
}

// A GL device with colour RGBA8 (target 0), probe value R32F (target 1) and
// depth-stencil (4) targets of 64 x 64, cleared to black, -1, depth 1 and
// stencil 0. Every test ends with no device object left alive and without
// any GL debug message; a failed test leaves its colour target as
// <suite>.<test>.png.
class GlDeviceGLTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        device_ = GlDevice::Create(&error);
        ASSERT_NE(device_, nullptr) << error;
        const auto make = [&](std::uint32_t format, std::uint32_t usage) {
            return device_->CreateImage({kTargetSize, kTargetSize, 0, format, 1, 1, usage});
        };
        color_ = make(kFormatRgba8Unorm, kImageUsageColorTarget);
        probe_ = make(kFormatR32Float, kImageUsageColorTarget);
        depthStencil_ = make(kFormatDepth24Stencil8, kImageUsageDepthStencilTarget);
        device_->ClearImage(color_, {0, 0, 0, 1});
        device_->ClearImage(probe_, {-1, -1, -1, -1});
        device_->ClearDepthStencil(color_, depthStencil_, 1.0f, 0);
    }

    // Runs after the tests released their objects.
    ~GlDeviceGLTest() override {
        if (device_ == nullptr) return;
        if (HasFailure()) SaveColor();
        for (ImageId target : {color_, probe_, depthStencil_}) device_->DestroyImage(target);
        EXPECT_EQ(device_->LiveObjectCount(), 0u) << "objects left alive";
        // Rejections are reported by the device; GL itself must never complain.
        for (const std::string& message : device_->Diagnostics())
            EXPECT_EQ(message.find("GL debug output"), std::string::npos) << message;
    }

    GlDevice& Device() { return *device_; }

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

    GpuHandle<ProgramTag> Program(std::string_view vertex, std::string_view pixel) {
        ShaderStageSources sources;
        sources.stages = {std::string(vertex), "", "", "", std::string(pixel)};
        GpuHandle<ProgramTag> program(*device_, device_->CreateProgram(sources));
        EXPECT_FALSE(program.IsNull()) << device_->LastProgramLog();
        return program;
    }
    GpuHandle<ProgramTag> QuadProgram() {
        return Program(std::string(kQuadConstants) + FullScreenVertex("depth"),
                       std::string(kQuadConstants) + ProbePixel("", "value", "color.x, color.y, color.z, color.w"));
    }
    GpuHandle<PipelineStateTag> MakePipeline(const PipelineStateDesc& desc) {
        GpuHandle<PipelineStateTag> pipeline(*device_, device_->CreatePipelineState(desc));
        EXPECT_FALSE(pipeline.IsNull());
        return pipeline;
    }
    GpuHandle<BufferTag> QuadConstants() {
        const QuadParams params;
        return {*device_, device_->CreateBuffer({sizeof params, kBufferUsageConstant | kBufferUsageDynamic}, &params)};
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
    ImageId color_, probe_, depthStencil_;
};

constexpr const char* kAttributeVertex =
    "[in float3 P : position]\n[in float3 N : normal]\n[out float3 oN : normal]\n"
    "void main() { $Position$ = float4($P$, 1.0); $oN$ = $N$; }\n";
const std::string kAttributePixel = ProbePixel("[in float3 N : normal]", "$N$.x + 10.0 * $N$.y + 100.0 * $N$.z");


constexpr Rgba kBlack{0, 0, 0, 255};

GpuHandle<ImageTag> Written(IGpu& device, const ImageDesc& desc, const std::vector<float>& texels) {
    GpuHandle<ImageTag> image(device, device.CreateImage(desc));
    EXPECT_TRUE(device.WriteImage(image.Get(), {}, texels.data(), texels.size() * sizeof(float)));
    return image;
}

bool Lists(const char* extensions, std::string_view name) {
    return extensions != nullptr && (" " + std::string(extensions) + " ").find(" " + std::string(name) + " ") !=
                                        std::string::npos;
}

// Whether EGL itself reports a device that is not Mesa's software one.
bool EglHasHardwareDevice() {
    const char* client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!Lists(client, "EGL_EXT_device_enumeration") || !Lists(client, "EGL_EXT_platform_device")) return false;
    const auto query = reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
    const auto describe = reinterpret_cast<PFNEGLQUERYDEVICESTRINGEXTPROC>(eglGetProcAddress("eglQueryDeviceStringEXT"));
    EGLDeviceEXT devices[16];
    EGLint count = 0;
    if (query == nullptr || describe == nullptr || query(16, devices, &count) != EGL_TRUE) return false;
    for (EGLint i = 0; i < count; ++i)
        if (!Lists(describe(devices[i], EGL_EXTENSIONS), "EGL_MESA_device_software")) return true;
    return false;
}

// A GPU's device platform first; Mesa's software device through the
// surfaceless platform.
TEST_F(GlDeviceGLTest, DeviceNamesItsRendererAndPlatform) {
    EXPECT_FALSE(Device().Renderer().empty());
    EXPECT_EQ(Device().Platform(), EglHasHardwareDevice() ? "device" : "surfaceless");
    EXPECT_EQ(Device().GetMaxBufferSize(), 256u << 20);
}

TEST_F(GlDeviceGLTest, ImageDescriptionsAreCheckedBeforeAnythingIsMade) {
    constexpr std::uint32_t kSampled = kImageUsageSampled | kImageUsageCopyDestination;
    const struct { ImageDesc desc; bool accepted; ImageInfo info; } cases[] = {
        {{256, 0, 0, kFormatRgba8Unorm, 1, 1, kSampled}, true, {256, 1}},
        {{8, 4, 0, kFormatR32Float, 1, 1, kSampled}, true, {8, 4}},
        {{8, 4, 2, kFormatRgba32Float, 1, 1, kSampled}, true, {8, 4}},
        {{8, 4, 2, kFormatR32Float, 1, 1, kImageUsageCpuWrite | kImageUsageCopySource}, true, {8, 4}},
        {{8, 8, 0, kFormatDepth24Stencil8, 1, 1, kImageUsageDepthStencilTarget}, true, {8, 8}},
        {{8, 8, 0, kFormatR32Float, 4, 1, kSampled}, true, {8, 8}},
        {{8, 8, 0, 12, 1, 1, kSampled}, false, {}},                               // unknown format
        {{8, 8, 0, kFormatRgb32Float, 1, 1, kSampled}, false, {}},                // a vertex format
        {{0, 8, 0, kFormatR32Float, 1, 1, kSampled}, false, {}},                  // no width
        {{8, 0, 2, kFormatR32Float, 1, 1, kSampled}, false, {}},                  // depth without height
        {{8, 8, 0, kFormatR32Float, 1, 4, kSampled}, false, {}},                  // arrays
        {{8, 8, 0, kFormatR32Float, 5, 1, kSampled}, false, {}},                  // more levels than sizes
        {{8, 8, 0, kFormatR32Float, 1, 1, 0}, false, {}},                         // no usage
        {{8, 8, 0, kFormatR32Float, 1, 1, 2}, false, {}},                         // unknown usage bit
        {{8, 8, 0, kFormatR32Float, 1, 1, kImageUsageCpuWrite | kImageUsageSampled}, false, {}},
        {{8, 8, 2, kFormatR32Float, 1, 1, kImageUsageColorTarget}, false, {}},    // 3D target
        {{8, 8, 0, kFormatDepth24Stencil8, 1, 1, kImageUsageColorTarget}, false, {}},
        {{8, 8, 0, kFormatRgba8Unorm, 1, 1, kImageUsageDepthStencilTarget}, false, {}},
        {{1u << 20, 1, 0, kFormatR32Float, 1, 1, kSampled}, false, {}},          // beyond GL's limit
    };
    for (const auto& c : cases) {
        GpuHandle<ImageTag> image(Device(), Device().CreateImage(c.desc));
        EXPECT_EQ(!image.IsNull(), c.accepted) << c.desc.width << "x" << c.desc.height << "x" << c.desc.depth
                                                << " format " << c.desc.format << " usage " << c.desc.usage;
        if (c.accepted) {
            EXPECT_EQ(Device().GetImageInfo(image.Get()).width, c.info.width);
            EXPECT_EQ(Device().GetImageInfo(image.Get()).height, c.info.height);
        } else {
            EXPECT_TRUE(LastDiagnosticStartsWith("GlDevice::CreateImage(): "));
        }
    }
}

TEST_F(GlDeviceGLTest, BufferAndSamplerDescriptionsAreChecked) {
    EXPECT_TRUE(Device().CreateBuffer({16, 0}, nullptr).IsNull());
    EXPECT_TRUE(Device().CreateBuffer({16, 8}, nullptr).IsNull());
    EXPECT_TRUE(Device().CreateBuffer({Device().GetMaxBufferSize() + 1, kBufferUsageVertex}, nullptr).IsNull());
    EXPECT_TRUE(LastDiagnosticStartsWith("GlDevice::CreateBuffer(): "));
    GpuHandle<BufferTag> empty(Device(), Device().CreateBuffer({0, kBufferUsageShaderRead}, nullptr));
    EXPECT_FALSE(empty.IsNull()) << "an empty list still gets a buffer";
    GpuHandle<ImageViewTag> emptyView(Device(), Device().CreateBufferView(empty.Get(), kFormatR32Uint, 0, 0));
    EXPECT_FALSE(emptyView.IsNull());

    GpuHandle<BufferTag> vertices(Device(), Device().CreateBuffer({16, kBufferUsageVertex}, nullptr));
    EXPECT_TRUE(Device().CreateBufferView(vertices.Get(), kFormatR32Uint, 0, 4).IsNull()) << "not shader-readable";
    const float data[4] = {};
    Device().ClearDiagnostics();
    Device().UpdateBuffer(vertices.Get(), 0, sizeof(data), data);
    EXPECT_TRUE(LastDiagnosticStartsWith("GlDevice::UpdateBuffer(): ")) << "not made for updates";
    GpuHandle<BufferTag> constants(Device(), Device().CreateBuffer({16, kBufferUsageConstant | kBufferUsageDynamic}, nullptr));
    Device().ClearDiagnostics();
    Device().UpdateBuffer(constants.Get(), 0, sizeof(data), data);
    EXPECT_TRUE(Device().Diagnostics().empty());
    Device().UpdateBuffer(constants.Get(), 4, sizeof(data), data);
    EXPECT_TRUE(LastDiagnosticStartsWith("GlDevice::UpdateBuffer(): ")) << "past the end";

    EXPECT_TRUE(Device().CreateSampler({1, kAddressClamp}).IsNull());
    EXPECT_TRUE(Device().CreateSampler({kFilterLinear, 5}).IsNull());
    GpuHandle<SamplerTag> sampler(Device(), Device().CreateSampler({kFilterNearest, kAddressRepeat}));
    EXPECT_FALSE(sampler.IsNull());
}

// Only an unmapped staging image maps, with tight pitches, and copies into
// a GPU image of its size and format made to receive copies.
TEST_F(GlDeviceGLTest, StagingImagesMapAndCopyIntoMatchingImagesOnly) {
    const auto make = [&](std::uint32_t width, std::uint32_t format, std::uint32_t usage) {
        return GpuHandle<ImageTag>(Device(), Device().CreateImage({width, 3, 2, format, 1, 1, usage}));
    };
    constexpr std::uint32_t kStaging = kImageUsageCpuWrite | kImageUsageCopySource;
    auto staging = make(5, kFormatRgba32Float, kStaging);
    auto gpu = make(5, kFormatRgba32Float, kImageUsageSampled | kImageUsageCopyDestination);
    EXPECT_EQ(Device().MapImage(gpu.Get(), 0, kMapWrite).data, nullptr);
    EXPECT_EQ(Device().MapImage(staging.Get(), 1, kMapWrite).data, nullptr) << "subresource 1";
    EXPECT_EQ(Device().MapImage(staging.Get(), 0, 2).data, nullptr) << "mode 2";
    const MappedImage mapped = Device().MapImage(staging.Get(), 0, kMapWrite);
    ASSERT_NE(mapped.data, nullptr);
    EXPECT_EQ(mapped.rowPitch, 5u * 16u);
    EXPECT_EQ(mapped.slicePitch, 5u * 16u * 3u);
    EXPECT_EQ(Device().MapImage(staging.Get(), 0, kMapWrite).data, nullptr) << "already mapped";
    std::vector<float> texels(5 * 3 * 2 * 4);
    for (std::size_t i = 0; i < texels.size(); ++i) texels[i] = float(i);
    std::memcpy(mapped.data, texels.data(), texels.size() * sizeof(float));
    auto wider = make(8, kFormatRgba32Float, kImageUsageCopyDestination);
    auto otherFormat = make(5, kFormatR32Float, kImageUsageCopyDestination);
    auto notDestination = make(5, kFormatRgba32Float, kImageUsageSampled);
    for (ImageId target : {gpu.Get(), wider.Get(), otherFormat.Get(), notDestination.Get()}) {
        Device().ClearDiagnostics();
        Device().CopyImage(staging.Get(), target);  // the first while mapped
        EXPECT_TRUE(LastDiagnosticStartsWith("GlDevice::CopyImage(): "));
        Device().UnmapImage(staging.Get(), 0);
    }
    Device().CopyImage(staging.Get(), gpu.Get());
    EXPECT_EQ(Device().ReadFloats(gpu.Get()), texels);
    EXPECT_TRUE(Device().CreateImageView(staging.Get(), {}).IsNull()) << "staging images have no view";
    ImageViewDesc notWhole;
    notWhole.reserved[0] = 1;
    EXPECT_TRUE(Device().CreateImageView(gpu.Get(), notWhole).IsNull());
}

TEST_F(GlDeviceGLTest, WritesStayInsideTheirRegion) {
    GpuHandle<ImageTag> volume(Device(), Device().CreateImage({4, 3, 2, kFormatR32Float, 1, 1, kImageUsageSampled}));
    std::vector<float> expected(4 * 3 * 2, 0.0f);
    ASSERT_TRUE(Device().WriteImage(volume.Get(), {}, expected.data(), expected.size() * sizeof(float)));
    const float block[4] = {1, 2, 3, 4};
    const SubImage region{2, 1, 1, 2, 2, 1};
    ASSERT_TRUE(Device().WriteImage(volume.Get(), region, block, sizeof(block)));
    expected[(1 * 3 + 1) * 4 + 2] = 1, expected[(1 * 3 + 1) * 4 + 3] = 2;
    expected[(1 * 3 + 2) * 4 + 2] = 3, expected[(1 * 3 + 2) * 4 + 3] = 4;
    EXPECT_EQ(Device().ReadFloats(volume.Get()), expected);
    for (const SubImage& bad : {SubImage{3, 1, 1, 2, 2, 1}, SubImage{2, 1, 1, 2, 2, 0}, SubImage{2, 1, 1, 2, 2, 1, 1}})
        EXPECT_FALSE(Device().WriteImage(volume.Get(), bad, block, sizeof(block))) << "outside, empty, level 1";
    EXPECT_FALSE(Device().WriteImage(volume.Get(), region, block, sizeof(block) - 1));
    EXPECT_FALSE(Device().WriteImage(volume.Get(), region, nullptr, sizeof(block)));
    EXPECT_EQ(Device().ReadFloats(volume.Get()), expected) << "rejected writes change nothing";
}

TEST_F(GlDeviceGLTest, FailedProgramGivesNullIdAndKeepsTheLog) {
    const std::string vertex = "\nvoid main()\n{\n    $Position$ = float4(0.0, 0.0, 0.0, 1.0);\n}\n";
    const std::string pixel = "\n[out float4 c : 0]\nvoid main()\n{\n    $c$ = float4(1.0, 1.0, 1.0, 1.0);\n}\n";
    const struct {
        const char* what; std::array<std::string, kShaderStageCount> stages; const char* logStart;
    } cases[] = {
        {"translation", {vertex, "", "", "", "\nvoid main()\n{\n    float sample = 1.0;\n}\n"},
         "GlDevice::CreateProgram(): pixel stage: line "},
        {"compilation", {"\nvoid main()\n{\n    $Position$ = float3(0.0, 0.0, 0.0);\n}\n", "", "", "", pixel},
         "GlDevice::CreateProgram(): vertex stage: "},
        {"link", {vertex, "", "", "", "\n[out float4 c : 0]\nfloat4 helper();\nvoid main()\n{\n    $c$ = helper();\n}\n"},
         "GlDevice::CreateProgram(): link: "},
        {"no vertex stage", {"", "", "", "", pixel}, "GlDevice::CreateProgram(): no vertex stage"},
    };
    for (const auto& c : cases) {
        ShaderStageSources sources;
        sources.stages = c.stages;
        EXPECT_TRUE(Device().CreateProgram(sources).IsNull()) << c.what;
        EXPECT_EQ(Device().LastProgramLog().rfind(c.logStart, 0), 0u) << c.what << ": " << Device().LastProgramLog();
    }
    GpuHandle<ProgramTag> good = Program(vertex, pixel);
    EXPECT_FALSE(good.IsNull());
    EXPECT_EQ(Device().LastProgramLog(), "");
}

TEST(GlDeviceLifetime, DeviceReleasesWhatIsStillAliveWhenDestroyed) {
    std::string error;
    std::unique_ptr<GlDevice> device = GlDevice::Create(&error);
    ASSERT_NE(device, nullptr) << error;
    device->CreateBuffer({64, kBufferUsageVertex}, nullptr);
    device->CreateImageView(device->CreateImage({4, 4, 0, kFormatRgba8Unorm, 1, 1, kImageUsageColorTarget}), {});
    device->CreateSampler({});
    EXPECT_EQ(device->LiveObjectCount(), 4u);
    device.reset();
    device = GlDevice::Create(&error);  // a second device afterwards starts clean
    ASSERT_NE(device, nullptr) << error;
    EXPECT_EQ(device->LiveObjectCount(), 0u);
}

// Normal first, then position: the reverse of the program's declarations.
struct NormalPosition { float normal[3]; float position[3]; };

TEST_F(GlDeviceGLTest, AttributesMeetInputsBySemanticInDeclarationOrder) {
    auto program = Program(kAttributeVertex, kAttributePixel);
    PipelineStateDesc desc = Pipeline(program.Get());
    desc.vertexInput[0] = {"normal", 0, kFormatRgb32Float};
    desc.vertexInput[1] = {"position", 0, kFormatRgb32Float};
    auto pipeline = MakePipeline(desc);
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
TEST_F(GlDeviceGLTest, StaleAndNullIdsAreIgnored) {
    auto program = QuadProgram();
    auto constants = QuadConstants();
    const QuadParams red{{1, 0, 0, 1}};
    Device().UpdateBuffer(constants.Get(), 0, sizeof(red), &red);
    const std::uint64_t draws = Device().Counters().draws;
    const auto drawQuad = [&](PipelineStateId pipeline, const DrawCallDesc& drawCall) {
        Device().BindDrawCall(pipeline, drawCall);
        Device().DrawVertices({}, 3, 0);
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
    Device().DrawVertices({}, 3, 0);
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
TEST_F(GlDeviceGLTest, ClearsReachTheirTargetsAndKeepTheBoundState) {
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
    const QuadParams params{{1, 1, 1, 1}, 0.25f};
    Device().UpdateBuffer(constants.Get(), 0, sizeof(params), &params);
    Device().BindDrawCall(pipeline.Get(), DrawCall(constants.Get()));
    Device().ClearDepth(ColorTarget(), DepthStencilTarget(), 0.5f);
    Device().DrawVertices({}, 3, 0);
    EXPECT_NEAR(DepthAt(32, 32), 0.5f, 1e-6) << "no depth written";
    EXPECT_EQ(ColorAt(32, 32), (Rgba{255, 255, 255, 255}));
}

// A view shares its image's storage and keeps it alive; equal sampler
// descriptions share one GL sampler, alive until the last is destroyed.
TEST_F(GlDeviceGLTest, ViewsOutliveTheirImageAndEqualSamplersShareOne) {
    // The probe value is the texel at pixel / 4 (x), linearly filtered.
    const char* const samplePixel =
        "TEXTURE_3D(float4, value_texture, 2);\n[out float4 target_color : 0]\n[out float4 target_value : 1]\n"
        "void main() {\n    float v = SAMPLE_LEVEL(value_texture, float3($Position$.x / 4.0, 0.5, 0.5), 0.0).x;\n"
        "    $target_color$ = float4(1.0, 1.0, 1.0, 1.0);\n    $target_value$ = float4(v, v, v, v);\n}\n";
    auto image = Written(Device(), {2, 1, 1, kFormatR32Float, 1, 1, kImageUsageSampled}, {4.0f, 6.0f});
    GpuHandle<ImageViewTag> view(Device(), Device().CreateImageView(image.Get(), {}));
    image.Reset();
    // A new image may take the old texture's name; the view must not see it.
    auto other = Written(Device(), {2, 1, 1, kFormatR32Float, 1, 1, kImageUsageSampled}, {-1.0f, -1.0f});
    GpuHandle<SamplerTag> first(Device(), Device().CreateSampler({kFilterLinear, kAddressClamp}));
    GpuHandle<SamplerTag> second(Device(), Device().CreateSampler({kFilterLinear, kAddressClamp}));
    EXPECT_NE(first.Get(), second.Get());
    first.Reset();
    auto program = Program(FullScreenVertex("0.5"), samplePixel);
    auto pipeline = MakePipeline(Pipeline(program.Get()));
    DrawCallDesc drawCall = DrawCall();
    drawCall.resources[2] = {view.Get(), second.Get(), kStagePixel};
    Device().BindDrawCall(pipeline.Get(), drawCall);
    Device().DrawVertices({}, 3, 0);
    // Pixel x samples u = (x + 0.5) / 4: texel centres at pixels 0.5 and 2.5.
    EXPECT_EQ(ProbeAt(0, 0), 4.0f);
    EXPECT_NEAR(ProbeAt(1, 0), 4.5f, 1e-3) << "linear filtering, a quarter of the way";
    EXPECT_EQ(ProbeAt(3, 0), 6.0f) << "clamped";
}

// Points at pixels (2i, 0) carry words 64 to 67 of the buffer, read by the
// vertex stage through a view of format 22 from element 64.
TEST_F(GlDeviceGLTest, VertexStageReadsTheWordsOfABufferView) {
    const char* const readVertex =
        "BUFFER(uint, voxels, 0);\n[out float word_value : voxel_word]\nvoid main() {\n"
        "    $Position$ = float4((float(2 * $VertexId$) + 0.5) / 32.0 - 1.0, 0.5 / 32.0 - 1.0, 0.5, 1.0);\n"
        "    $word_value$ = float(READ(voxels, $VertexId$));\n}\n";
    std::array<std::uint32_t, 72> words;
    for (std::uint32_t i = 0; i < words.size(); ++i) words[i] = 3 * i + 1;
    words[65] = 0x00100401;
    GpuHandle<BufferTag> buffer(Device(), Device().CreateBuffer({sizeof(words), kBufferUsageShaderRead}, words.data()));
    GpuHandle<ImageViewTag> view(Device(), Device().CreateBufferView(buffer.Get(), kFormatR32Uint, 64, 4));
    ASSERT_FALSE(view.IsNull()) << Device().Diagnostics().back();
    EXPECT_TRUE(Device().CreateBufferView(buffer.Get(), kFormatR32Uint, 64, 9).IsNull()) << "past the end";
    EXPECT_TRUE(Device().CreateBufferView(buffer.Get(), kFormatRgb32Float, 0, 1).IsNull()) << "no such view format";

    auto program = Program(readVertex, ProbePixel("[in float word_value : voxel_word]", "$word_value$"));
    auto pipeline = MakePipeline(Pipeline(program.Get(), kTopologyPoints));
    DrawCallDesc drawCall = DrawCall();
    drawCall.resources[0] = {view.Get(), SamplerId::Null(), kStageVertex};
    Device().BindDrawCall(pipeline.Get(), drawCall);
    Device().DrawVertices({}, 4, 0);
    for (std::uint32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(ProbeAt(2 * i, 0), float(words[64 + i])) << "word " << i;
        EXPECT_EQ(ProbeAt(2 * i + 1, 0), -1.0f) << "between points";
    }
}

// Clip distances clip before rasterising (the left half here), only in the
// program that writes them.
TEST_F(GlDeviceGLTest, ClipDistancesClipBeforeRasterisingOnlyInTheirProgram) {
    std::string vertex =
        std::string(kQuadConstants) + "[out float c : clip_distance : 1]\n" + FullScreenVertex("depth");
    vertex.replace(vertex.rfind('}'), 1, "    $c[0]$ = ($Position$.x + 1.0) * 32.0 - 32.0;\n}\n");
    auto clippedProgram = Program(vertex, std::string(kQuadConstants) +
                                              ProbePixel("[in float c : clip_distance : 1]", "$c[0]$ + 5.0"));
    auto plainProgram = QuadProgram();
    auto clipped = MakePipeline(Pipeline(clippedProgram.Get()));
    auto plain = MakePipeline(Pipeline(plainProgram.Get()));
    auto constants = QuadConstants();
    Device().BindDrawCall(clipped.Get(), DrawCall(constants.Get()));
    Device().DrawVertices({}, 3, 0);
    // llvmpipe clips by what the program writes; GL asks for the enables too.
    EXPECT_TRUE(glIsEnabled(GL_CLIP_DISTANCE0));
    EXPECT_EQ(ColorAt(31, 10), kBlack);
    EXPECT_EQ(ColorAt(33, 10), (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(ProbeAt(40, 10), 5.0f) << "the pixel stage reads the distance as 0";

    const QuadParams blue{{0, 0, 1, 1}, 0.25f};
    Device().UpdateBuffer(constants.Get(), 0, sizeof blue, &blue);
    Device().BindDrawCall(plain.Get(), DrawCall(constants.Get()));
    Device().DrawVertices({}, 3, 0);
    EXPECT_FALSE(glIsEnabled(GL_CLIP_DISTANCE0));
    EXPECT_EQ(ColorAt(10, 10), (Rgba{0, 0, 255, 255})) << "the next program is not clipped";
}

}  // namespace
}  // namespace Korvex::Rendering::gltest
