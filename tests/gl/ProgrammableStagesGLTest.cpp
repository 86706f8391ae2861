// Programs through the translator, tessellation and geometry stages, and
// the pipeline checks that tie topology to the stages a program has.

#include "GlTestSupport.h"

#include "../shaderc/SamplePrograms.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace Korvex::Rendering::gltest {
namespace {

using ShaderCompiler::Samples::SampleProgram;
using ShaderCompiler::Samples::SamplePrograms;

class ProgrammableStagesTest : public GlDeviceTest {
protected:
    void SetUp() override {
        GlDeviceTest::SetUp();
        if (HasFatalFailure()) return;
        MakeTargets();
    }

    ProgramId Compile(std::array<std::string, kShaderStageCount> stages) {
        ShaderStageSources sources;
        sources.stages = std::move(stages);
        return Device().CreateProgram(sources);
    }
};

TEST_F(ProgrammableStagesTest, EverySampleProgramLinksAndTakesOnlyTopologiesItsStagesAccept) {
    constexpr std::uint32_t kAll[] = {kTopologyPoints, kTopologyLineList, kTopologyTriangleList, kTopologyPatch2,
                                      kTopologyPatch3};
    const std::vector<std::uint32_t> accepted[] = {
        {kTopologyPoints, kTopologyLineList, kTopologyTriangleList},  // Line
        {kTopologyPatch2, kTopologyPatch3},                           // LinePatch: tessellation
        {kTopologyPoints, kTopologyLineList, kTopologyTriangleList},  // Triangle
        {kTopologyPatch2, kTopologyPatch3},                           // TrianglePatch
        {kTopologyPoints},                                            // Voxel: points into a geometry stage
    };
    const std::vector<SampleProgram>& samples = SamplePrograms();
    ASSERT_EQ(std::size(accepted), samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        GpuHandle<ProgramTag> program(Device(), Device().CreateProgram(samples[i].sources));
        ASSERT_FALSE(program.IsNull()) << samples[i].name << ": " << Device().LastProgramLog();
        EXPECT_EQ(Device().LastProgramLog(), "");

        for (std::uint32_t topology : kAll) {
            PipelineStateDesc desc = Pipeline(program.Get(), topology);
            desc.vertexInput[0] = {"position", 0, kFormatRgb32Float};
            desc.vertexInput[1] = {"normal", 0, kFormatRgb32Float};
            GpuHandle<PipelineStateTag> pipeline(Device(), Device().CreatePipelineState(desc));
            const bool expected = std::find(accepted[i].begin(), accepted[i].end(), topology) != accepted[i].end();
            EXPECT_EQ(!pipeline.IsNull(), expected) << samples[i].name << " with topology " << topology;
        }
    }
}

TEST_F(ProgrammableStagesTest, FailedProgramGivesNullIdAndKeepsTheLog) {
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
        EXPECT_TRUE(Compile(c.stages).IsNull()) << c.what;
        EXPECT_EQ(Device().LastProgramLog().rfind(c.logStart, 0), 0u) << c.what << ": " << Device().LastProgramLog();
    }
    GpuHandle<ProgramTag> good(Device(), Compile({vertex, "", "", "", pixel}));
    EXPECT_FALSE(good.IsNull());
    EXPECT_EQ(Device().LastProgramLog(), "");
}

// value = t * t per tessellated vertex, interpolated along each segment: the
// probe row holds the chords of t^2 over as many segments as were made.
constexpr const char* kTessVertex = R"(
[in float3 P : position]
[out float4 oP : position]

void main()
{
    $oP$ = float4($P$, 1.0);
}
)";

constexpr const char* kTessHull = R"(
CBUFFER(tessellation, 0)
{
    float4 levels;
};
[domain = isoline]
[spacing = equal]
[input_control_points = 2]
[output_control_points = 2]
[output_topology = lines]
[in float4 P : position]
[out float4 oP : position]

void patch_constant_function()
{
    $TessLevelOuter[0]$ = 1.0;
    $TessLevelOuter[1]$ = levels.x;
}

void main()
{
    $oP$ = $P[$OutputControlPointID$]$;
}
)";

constexpr const char* kTessDomain = R"(
[domain = isoline]
[spacing = equal]
[input_control_points = 2]
[output_control_points = 2]
[output_topology = lines]
[in float4 P : position]
[out float square : tess_square]

void main()
{
    float t = $TessCoord$.x;
    $Position$ = lerp($P[0]$, $P[1]$, t);
    $square$ = t * t;
}
)";

const std::string kTessPixel = ProbePixel("[in float square : tess_square]", "$square$");

double Chord(double t, int segments) {
    const int k = std::min(int(t * segments), segments - 1);
    const double t0 = double(k) / segments, t1 = double(k + 1) / segments;
    return t0 * t0 + (t - t0) * (t0 + t1);
}

TEST_F(ProgrammableStagesTest, IsolineOfATwoPointPatchHasTheRequestedSegments) {
    auto program = Program(kTessVertex, kTessPixel, kTessHull, kTessDomain);
    PipelineStateDesc desc = Pipeline(program.Get(), kTopologyPatch2);
    desc.vertexInput[0] = {"position", 0, kFormatRgb32Float};
    auto pipeline = MakePipeline(desc);
    // A line through the centres of pixel row 0, across the whole target.
    const float y = 0.5f / 32.0f - 1.0f;
    const std::array<float, 6> ends{-1.0f, y, 0.5f, 1.0f, y, 0.5f};
    GpuHandle<BufferTag> vertices(Device(), Device().CreateBuffer({sizeof(ends), kBufferUsageVertex}, ends.data()));
    auto constants = MakeBuffer(Device(), kBufferUsageConstant | kBufferUsageDynamic, std::array<float, 4>{});

    for (int segments : {1, 4, 7}) {
        ClearTargets();
        const std::array<float, 4> levels{float(segments), 0, 0, 0};
        Device().UpdateBuffer(constants.Get(), 0, sizeof(levels), levels.data());
        Device().BindDrawCall(pipeline.Get(), DrawCall(constants.Get()));
        Device().DrawVertices({vertices.Get()}, 2, 0);
        const std::vector<float> row = Device().ReadFloats(ProbeTarget());
        // The row must fit the chords of this segment count best: samples sit
        // up to a tenth of a pixel off, which rules out exact comparison.
        int best = 0, drawn = 0;
        double bestError = 1e9, worst = 0.0;
        for (int candidate = 1; candidate <= 16; ++candidate) {
            double error = 0.0;
            drawn = 0;
            for (std::uint32_t x = 0; x < kTargetSize; ++x) {
                if (row[x] == -1.0f) continue;  // the last pixel may be left out
                ++drawn;
                const double difference = row[x] - Chord((x + 0.5) / kTargetSize, candidate);
                error += difference * difference;
                if (candidate == segments) worst = std::max(worst, std::abs(difference));
            }
            if (error < bestError) bestError = error, best = candidate;
        }
        EXPECT_EQ(best, segments);
        EXPECT_LT(worst, 4e-3) << segments << " segments";
        EXPECT_GE(drawn, int(kTargetSize) - 1);
    }
}

TEST_F(ProgrammableStagesTest, GeometryStageWithSixInstancesExpandsAPointIntoSixQuads) {
    constexpr const char* kPointVertex = "\nvoid main()\n{\n    $Position$ = float4(0.0, 0.0, 0.5, 1.0);\n}\n";
    constexpr const char* kQuadsGeometry = R"(
[instances = 6]
[input_topology = points]
[output_topology = triangles]
[max_vertices = 4]
[out float face : face_number]

void main()
{
    int f = $GSInstanceID$;
    for (int n = 0; n < 4; ++n)
    {
        float x = 8.0 * float(f + (n & 1));
        float y = 8.0 * float(n >> 1);
        $Position$ = float4(x / 32.0 - 1.0, y / 32.0 - 1.0, 0.5, 1.0);
        $face$ = float(f);
        EmitVertex();
    }
}
)";
    const std::string kFacePixel = ProbePixel("[in float face : face_number]", "$face$");
    auto program = Program(kPointVertex, kFacePixel, "", "", kQuadsGeometry);
    auto pipeline = MakePipeline(Pipeline(program.Get(), kTopologyPoints));
    Device().BindDrawCall(pipeline.Get(), DrawCall());
    Device().DrawVertices({}, 1, 0);
    const std::vector<float> probe = Device().ReadFloats(ProbeTarget());
    for (std::uint32_t y = 0; y < 16; ++y)
        for (std::uint32_t x = 0; x < kTargetSize; ++x) {
            const float expected = y < 8 && x < 48 ? float(x / 8) : -1.0f;
            ASSERT_EQ(probe[y * kTargetSize + x], expected) << x << "," << y;
        }
}

}  // namespace
}  // namespace Korvex::Rendering::gltest
