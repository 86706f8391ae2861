// Images, views, buffer views and samplers as the shader stages see them:
// uploads through staging images, copies and writes, read back by drawing.

#include "SamplingProgram.h"

#include <cmath>

namespace Korvex::Rendering::gltest {
namespace {

class ShaderResourcesTest : public SamplingTest {
protected:
    // A GPU image filled through a mapped staging image that is destroyed
    // right after the copy.
    GpuHandle<ImageTag> Upload(std::uint32_t width, std::uint32_t height, std::uint32_t depth, std::uint32_t format,
                               const std::vector<float>& texels) {
        ImageDesc desc{width, height, depth, format, 1, 1, kImageUsageCpuWrite | kImageUsageCopySource};
        GpuHandle<ImageTag> staging(Device(), Device().CreateImage(desc));
        const MappedImage mapped = Device().MapImage(staging.Get(), 0, kMapWrite);
        EXPECT_NE(mapped.data, nullptr);
        const std::size_t texelBytes = format == kFormatRgba32Float ? 16 : 4;
        EXPECT_EQ(mapped.rowPitch, width * texelBytes);
        EXPECT_EQ(mapped.slicePitch, width * height * texelBytes);
        if (mapped.data != nullptr) std::memcpy(mapped.data, texels.data(), texels.size() * sizeof(float));
        Device().UnmapImage(staging.Get(), 0);
        desc.usage = kImageUsageSampled | kImageUsageCopyDestination;
        GpuHandle<ImageTag> image(Device(), Device().CreateImage(desc));
        Device().CopyImage(staging.Get(), image.Get());
        return image;
    }
};

TEST_F(ShaderResourcesTest, ScalarImageUploadedThroughStagingIsSampled) {
    std::vector<float> values;
    for (int z = 0; z < 2; ++z)
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) values.push_back(float(x + 10 * y + 100 * z));
    auto image = Upload(8, 8, 2, kFormatR32Float, values);
    GpuHandle<SamplerTag> nearest(Device(), Device().CreateSampler({kFilterNearest, kAddressClamp}));
    DrawSampled(image.Get(), nearest.Get(), Lookup{});
    for (std::uint32_t y = 0; y < 8; ++y)
        for (std::uint32_t x = 0; x < 8; ++x) ASSERT_EQ(ProbeAt(x, y), float(x + 10 * y + 100)) << x << "," << y;
    // Clamped beyond the image.
    EXPECT_EQ(ProbeAt(40, 3), float(7 + 30 + 100));
}

TEST_F(ShaderResourcesTest, ViewKeepsSamplingAfterItsImageIsDestroyed) {
    auto image = Upload(2, 1, 1, kFormatR32Float, {4.0f, 6.0f});
    GpuHandle<ImageViewTag> view(Device(), Device().CreateImageView(image.Get(), {}));
    image.Reset();
    // A new image may take the old texture's name; the view must not see it.
    auto other = Upload(2, 1, 1, kFormatR32Float, {-1.0f, -1.0f});
    GpuHandle<SamplerTag> nearest(Device(), Device().CreateSampler({kFilterNearest, kAddressClamp}));
    Lookup lookup;
    lookup.scaleZ = {2, 1, 0.5f, 0};
    DrawSampledView(view.Get(), nearest.Get(), lookup);
    EXPECT_EQ(ProbeAt(0, 0), 4.0f);
    EXPECT_EQ(ProbeAt(1, 0), 6.0f);
}

TEST_F(ShaderResourcesTest, VectorImageKeepsAllFourChannels) {
    std::vector<float> texels;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) texels.insert(texels.end(), {float(x), float(y), 2.0f, -1.0f});
    auto image = Upload(4, 4, 1, kFormatRgba32Float, texels);
    GpuHandle<SamplerTag> nearest(Device(), Device().CreateSampler({kFilterNearest, kAddressClamp}));
    Lookup lookup;
    lookup.weights = {1, 10, 100, 1000};
    lookup.scaleZ = {4, 4, 0.5f, 0};
    DrawSampled(image.Get(), nearest.Get(), lookup);
    for (std::uint32_t y = 0; y < 4; ++y)
        for (std::uint32_t x = 0; x < 4; ++x) EXPECT_EQ(ProbeAt(x, y), float(x) + 10.0f * float(y) + 200.0f - 1000.0f);
}

TEST_F(ShaderResourcesTest, CopyBetweenGpuImagesCopiesEveryTexel) {
    std::vector<float> values{1, 2, 3, 4, 5, 6, 7, 8};
    auto source = Upload(2, 2, 2, kFormatR32Float, values);
    // Upload made a sampled copy destination; copying from it needs a source.
    ImageDesc desc{2, 2, 2, kFormatR32Float, 1, 1, kImageUsageCopySource | kImageUsageCopyDestination};
    GpuHandle<ImageTag> middle(Device(), Device().CreateImage(desc));
    desc.usage = kImageUsageSampled | kImageUsageCopyDestination;
    GpuHandle<ImageTag> last(Device(), Device().CreateImage(desc));
    Device().CopyImage(source.Get(), middle.Get());
    EXPECT_FALSE(Device().Diagnostics().empty()) << "the source is no copy source";
    ASSERT_TRUE(Device().WriteImage(middle.Get(), {}, values.data(), values.size() * sizeof(float)));
    Device().CopyImage(middle.Get(), last.Get());
    EXPECT_EQ(Device().ReadFloats(last.Get()), values);
}

TEST_F(ShaderResourcesTest, EqualSamplersShareOneObjectThatLivesUntilTheLastIsDestroyed) {
    const std::vector<float> values{0, 10, 0, 10};
    auto image = Upload(2, 2, 1, kFormatR32Float, values);
    GpuHandle<SamplerTag> first(Device(), Device().CreateSampler({kFilterLinear, kAddressClamp}));
    GpuHandle<SamplerTag> second(Device(), Device().CreateSampler({kFilterLinear, kAddressClamp}));
    EXPECT_NE(first.Get(), second.Get());
    first.Reset();
    // Pixel x = 1 samples at u = 0.5 (scale 3), halfway between the texels.
    Lookup lookup;
    lookup.scaleZ = {3, 3, 0.5f, 0};
    DrawSampled(image.Get(), second.Get(), lookup);
    EXPECT_NEAR(ProbeAt(1, 0), 5.0f, 1e-3) << "linear filtering";
    EXPECT_EQ(ProbeAt(0, 0), 0.0f);
}

TEST_F(ShaderResourcesTest, WrittenGradientIsSampledAsA1DImage) {
    constexpr const char* kGradientPixel = R"(
TEXTURE_1D(float4, gradient_texture, 3);
[out float4 target_color : 0]

void main()
{
    $target_color$ = SAMPLE(gradient_texture, $Position$.x / 64.0);
}
)";
    ImageDesc desc{4, 0, 0, kFormatRgba8Unorm, 1, 1, kImageUsageSampled | kImageUsageCopyDestination};
    GpuHandle<ImageTag> gradient(Device(), Device().CreateImage(desc));
    const std::uint8_t rgba[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    EXPECT_FALSE(Device().WriteImage(gradient.Get(), {}, rgba, 15)) << "one byte short";
    ASSERT_TRUE(Device().WriteImage(gradient.Get(), {}, rgba, sizeof(rgba)));
    EXPECT_EQ(Device().GetImageInfo(gradient.Get()).width, 4u);
    auto program = Program(kFullScreenVertex, kGradientPixel);
    auto pipeline = MakePipeline(Pipeline(program.Get()));
    GpuHandle<ImageViewTag> view(Device(), Device().CreateImageView(gradient.Get(), {}));
    GpuHandle<SamplerTag> nearest(Device(), Device().CreateSampler({kFilterNearest, kAddressClamp}));
    DrawCallDesc drawCall = DrawCall();
    drawCall.resources[3] = {view.Get(), nearest.Get(), kStagePixel};
    Device().BindDrawCall(pipeline.Get(), drawCall);
    Device().DrawVertices({}, 3, 0);
    EXPECT_EQ(ColorAt(5, 9), (std::array<std::uint8_t, 4>{255, 0, 0, 255}));
    EXPECT_EQ(ColorAt(20, 9), (std::array<std::uint8_t, 4>{0, 255, 0, 255}));
    EXPECT_EQ(ColorAt(40, 9), (std::array<std::uint8_t, 4>{0, 0, 255, 255}));
    EXPECT_EQ(ColorAt(60, 9), (std::array<std::uint8_t, 4>{255, 255, 255, 255}));

    // A region write replaces one texel.
    const std::uint8_t black[4] = {0, 0, 0, 255};
    SubImage texel2;
    texel2.x = 2;
    texel2.width = 1;
    ASSERT_TRUE(Device().WriteImage(gradient.Get(), texel2, black, sizeof(black)));
    ClearTargets();
    Device().DrawVertices({}, 3, 0);
    EXPECT_EQ(ColorAt(40, 9), (std::array<std::uint8_t, 4>{0, 0, 0, 255}));
    EXPECT_EQ(ColorAt(60, 9), (std::array<std::uint8_t, 4>{255, 255, 255, 255}));
}

// Points at pixels (2i, row) carry the buffer's words, read by the vertex
// stage through a view of format 22.
TEST_F(ShaderResourcesTest, VertexStageReadsBufferViewWords) {
    constexpr const char* kReadVertex = R"(
BUFFER(uint, voxels, 0);
[out float word_value : voxel_word]

void main()
{
    uint word = READ(voxels, $VertexId$);
    float x = float(2 * $VertexId$) + 0.5;
    $Position$ = float4(x / 32.0 - 1.0, 0.5 / 32.0 - 1.0, 0.5, 1.0);
    $word_value$ = float(word);
}
)";
    const std::string kReadPixel = ProbePixel("[in float word_value : voxel_word]", "$word_value$");
    const std::array<std::uint32_t, 4> words{7, 0x00100401, 1049601, 16777215};
    GpuHandle<BufferTag> buffer(Device(), Device().CreateBuffer({sizeof(words), kBufferUsageShaderRead}, words.data()));
    GpuHandle<ImageViewTag> view(Device(), Device().CreateBufferView(buffer.Get(), kFormatR32Uint, 0, 4));
    ASSERT_FALSE(view.IsNull()) << Diagnostics();
    EXPECT_TRUE(Device().CreateBufferView(buffer.Get(), kFormatR32Uint, 0, 5).IsNull()) << "past the end";
    EXPECT_TRUE(Device().CreateBufferView(buffer.Get(), kFormatRgb32Float, 0, 1).IsNull()) << "no such view format";

    auto program = Program(kReadVertex, kReadPixel);
    auto pipeline = MakePipeline(Pipeline(program.Get(), kTopologyPoints));
    DrawCallDesc drawCall = DrawCall();
    drawCall.resources[0] = {view.Get(), SamplerId::Null(), kStageVertex};
    Device().BindDrawCall(pipeline.Get(), drawCall);
    Device().DrawVertices({}, 4, 0);
    for (std::uint32_t i = 0; i < words.size(); ++i) {
        EXPECT_EQ(ProbeAt(2 * i, 0), float(words[i])) << "word " << i;
        EXPECT_EQ(ProbeAt(2 * i + 1, 0), -1.0f) << "between points";
    }
}

}  // namespace
}  // namespace Korvex::Rendering::gltest
