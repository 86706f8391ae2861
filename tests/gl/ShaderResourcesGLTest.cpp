// Image views, buffer views and samplers as the shader stages see them.

#include "SamplingProgram.h"

namespace Korvex::Rendering::gltest {
namespace {

class ShaderResourcesTest : public SamplingTest {
protected:
    GpuHandle<ImageTag> Written(const ImageDesc& desc, const std::vector<float>& texels) {
        GpuHandle<ImageTag> image(Device(), Device().CreateImage(desc));
        EXPECT_TRUE(Device().WriteImage(image.Get(), {}, texels.data(), texels.size() * sizeof(float)));
        return image;
    }
};

// A view shares its image's storage and keeps it alive; equal sampler
// descriptions share one GL sampler, alive until the last is destroyed.
TEST_F(ShaderResourcesTest, ViewsOutliveTheirImageAndEqualSamplersShareOne) {
    auto image = Written({2, 1, 1, kFormatR32Float, 1, 1, kImageUsageSampled}, {4.0f, 6.0f});
    GpuHandle<ImageViewTag> view(Device(), Device().CreateImageView(image.Get(), {}));
    image.Reset();
    // A new image may take the old texture's name; the view must not see it.
    auto other = Written({2, 1, 1, kFormatR32Float, 1, 1, kImageUsageSampled}, {-1.0f, -1.0f});
    GpuHandle<SamplerTag> first(Device(), Device().CreateSampler({kFilterLinear, kAddressClamp}));
    GpuHandle<SamplerTag> second(Device(), Device().CreateSampler({kFilterLinear, kAddressClamp}));
    EXPECT_NE(first.Get(), second.Get());
    first.Reset();
    // Pixel x samples u = (x + 0.5) / 4: texel centres at pixels 0.5 and 2.5.
    DrawSampledView(view.Get(), second.Get(), {{1, 0, 0, 0}, {4, 1, 0.5f, 0}});
    EXPECT_EQ(ProbeAt(0, 0), 4.0f);
    EXPECT_NEAR(ProbeAt(1, 0), 4.5f, 1e-3) << "linear filtering, a quarter of the way";
    EXPECT_EQ(ProbeAt(3, 0), 6.0f) << "clamped";
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
    GpuHandle<ImageTag> gradient(Device(), Device().CreateImage({4, 0, 0, kFormatRgba8Unorm, 1, 1, kImageUsageSampled}));
    const std::uint8_t rgba[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    EXPECT_FALSE(Device().WriteImage(gradient.Get(), {}, rgba, 15)) << "one byte short";
    ASSERT_TRUE(Device().WriteImage(gradient.Get(), {}, rgba, sizeof(rgba)));
    SubImage texel2;  // a region write replaces one texel
    texel2.x = 2;
    texel2.width = 1;
    const std::uint8_t black[4] = {0, 0, 0, 255};
    ASSERT_TRUE(Device().WriteImage(gradient.Get(), texel2, black, sizeof(black)));
    auto program = Program(kFullScreenVertex, kGradientPixel);
    auto pipeline = MakePipeline(Pipeline(program.Get()));
    GpuHandle<ImageViewTag> view(Device(), Device().CreateImageView(gradient.Get(), {}));
    GpuHandle<SamplerTag> nearest(Device(), Device().CreateSampler({kFilterNearest, kAddressClamp}));
    DrawCallDesc drawCall = DrawCall();
    drawCall.resources[3] = {view.Get(), nearest.Get(), kStagePixel};
    Device().BindDrawCall(pipeline.Get(), drawCall);
    Device().DrawVertices({}, 3, 0);
    EXPECT_EQ(ColorAt(5, 9), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(ColorAt(20, 9), (Rgba{0, 255, 0, 255}));
    EXPECT_EQ(ColorAt(40, 9), (Rgba{0, 0, 0, 255}));
    EXPECT_EQ(ColorAt(60, 9), (Rgba{255, 255, 255, 255}));
}

// Points at pixels (2i, 0) carry words 64 to 67 of the buffer, read by the
// vertex stage through a view of format 22 from element 64.
TEST_F(ShaderResourcesTest, VertexStageReadsTheWordsOfABufferView) {
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
    std::array<std::uint32_t, 72> words;
    for (std::uint32_t i = 0; i < words.size(); ++i) words[i] = 3 * i + 1;
    words[65] = 0x00100401;
    GpuHandle<BufferTag> buffer(Device(), Device().CreateBuffer({sizeof(words), kBufferUsageShaderRead}, words.data()));
    GpuHandle<ImageViewTag> view(Device(), Device().CreateBufferView(buffer.Get(), kFormatR32Uint, 64, 4));
    ASSERT_FALSE(view.IsNull()) << Device().Diagnostics().back();
    EXPECT_TRUE(Device().CreateBufferView(buffer.Get(), kFormatR32Uint, 64, 9).IsNull()) << "past the end";
    EXPECT_TRUE(Device().CreateBufferView(buffer.Get(), kFormatRgb32Float, 0, 1).IsNull()) << "no such view format";

    auto program = Program(kReadVertex, ProbePixel("[in float word_value : voxel_word]", "$word_value$"));
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

}  // namespace
}  // namespace Korvex::Rendering::gltest
