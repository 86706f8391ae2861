// Programs through the translator, and the pipeline checks that tie topology
// to the stages a program has. What tessellation and geometry stages draw,
// the meshes' drawing tests show.

#include "GlTestSupport.h"

#include "../shaderc/SamplePrograms.h"

#include <algorithm>
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

}  // namespace
}  // namespace Korvex::Rendering::gltest
