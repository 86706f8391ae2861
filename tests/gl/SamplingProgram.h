#pragma once

// A program that samples a 3D image into the probe target, for tests of
// images and of the grids that fill them.

#include "GlTestSupport.h"

namespace Korvex::Rendering::gltest {

// One triangle over the whole target.
constexpr const char* kFullScreenVertex = R"(
void main()
{
    float2 corner = float2(float(($VertexId$ << 1) & 2), float($VertexId$ & 2));
    $Position$ = float4(corner * 2.0 - float2(1.0, 1.0), 0.5, 1.0);
}
)";

// The probe value is the texel at (pixel / scale) of slice coordinate z,
// weighted by channel: one float shows all four channels of small integers.
constexpr const char* kSample3DPixel = R"(
CBUFFER(lookup, 0)
{
    float4 weights;
    float4 scale_z;
};
TEXTURE_3D(float4, value_texture, 2);
[out float4 target_color : 0]
[out float4 target_value : 1]

void main()
{
    float3 coord = float3($Position$.xy / scale_z.xy, scale_z.z);
    float v = dot(SAMPLE_LEVEL(value_texture, coord, 0.0), weights);
    $target_color$ = float4(1.0, 1.0, 1.0, 1.0);
    $target_value$ = float4(v, v, v, v);
}
)";

struct Lookup {
    std::array<float, 4> weights{1, 0, 0, 0};
    std::array<float, 4> scaleZ{8, 8, 0.75f, 0};
};

class SamplingTest : public GlDeviceTest {
protected:
    void SetUp() override {
        GlDeviceTest::SetUp();
        if (HasFatalFailure()) return;
        MakeTargets();
    }

    // Draws the sampling program with view at resource slot 2.
    void DrawSampledView(ImageViewId view, SamplerId sampler, const Lookup& lookup) {
        auto program = Program(kFullScreenVertex, kSample3DPixel);
        auto pipeline = MakePipeline(Pipeline(program.Get()));
        auto constants = MakeBuffer(Device(), kBufferUsageConstant | kBufferUsageDynamic, lookup);
        DrawCallDesc drawCall = DrawCall(constants.Get());
        drawCall.resources[2] = {view, sampler, kStagePixel};
        Device().BindDrawCall(pipeline.Get(), drawCall);
        Device().DrawVertices({}, 3, 0);
    }

    void DrawSampled(ImageId image, SamplerId sampler, const Lookup& lookup) {
        GpuHandle<ImageViewTag> view(Device(), Device().CreateImageView(image, {}));
        DrawSampledView(view.Get(), sampler, lookup);
    }
};

}  // namespace Korvex::Rendering::gltest
