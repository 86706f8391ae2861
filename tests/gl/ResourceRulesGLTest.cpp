// What the device accepts and rejects when creating, mapping, copying and
// writing resources, and its bookkeeping of live objects.

#include "GlTestSupport.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

namespace Korvex::Rendering::gltest {
namespace {

using ResourceRulesTest = GlDeviceTest;

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
TEST_F(ResourceRulesTest, DeviceNamesItsRendererAndPlatform) {
    EXPECT_FALSE(Device().Renderer().empty());
    EXPECT_EQ(Device().Platform(), EglHasHardwareDevice() ? "device" : "surfaceless");
    EXPECT_EQ(Device().GetMaxBufferSize(), 256u << 20);
}

TEST_F(ResourceRulesTest, ImageDescriptionsAreCheckedBeforeAnythingIsMade) {
    constexpr std::uint32_t kSampled = kImageUsageSampled | kImageUsageCopyDestination;
    const struct {
        ImageDesc desc;
        bool accepted;
        ImageInfo info;
    } cases[] = {
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

TEST_F(ResourceRulesTest, BufferAndSamplerDescriptionsAreChecked) {
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
TEST_F(ResourceRulesTest, StagingImagesMapAndCopyIntoMatchingImagesOnly) {
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

TEST_F(ResourceRulesTest, WritesStayInsideTheirRegion) {
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

TEST_F(ResourceRulesTest, FailedProgramGivesNullIdAndKeepsTheLog) {
    const std::string vertex = "\nvoid main()\n{\n    $Position$ = float4(0.0, 0.0, 0.0, 1.0);\n}\n";
    const std::string pixel = "\n[out float4 c : 0]\nvoid main()\n{\n    $c$ = float4(1.0, 1.0, 1.0, 1.0);\n}\n";
    const struct {
        const char* what;
        std::array<std::string, kShaderStageCount> stages;
        const char* logStart;
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

}  // namespace
}  // namespace Korvex::Rendering::gltest
