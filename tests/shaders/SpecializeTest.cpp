#include "shaders/Specialize.h"

#include <gmock/gmock.h>

#include <string>

namespace Korvex::Rendering::detail {
namespace {

// SpecializeShader itself is checked against a plain reading of its rules by
// fuzz/SpecializeShaderFuzzer.cpp; here, the tags each mesh's features name,
// and how a program's stages are put together and specialised.
TEST(SpecializeProgram, EachMeshNamesItsTagsAndPresentStagesAreSpecialized) {
    const std::string all = "<CLIPPING>C</CLIPPING><DRAWING_PLANE>D</DRAWING_PLANE><DEFORM>F</DEFORM>"
                            "<PROBE_VALUE>V</PROBE_VALUE><PROBE_POSITION>P</PROBE_POSITION><WIREFRAME>W</WIREFRAME>";
    EXPECT_EQ(SpecializeShader(all, 1, LineShaderFeatures(true, false)),
              "C<DRAWING_PLANE>D</DRAWING_PLANE><DEFORM>F</DEFORM>V<WIREFRAME>W</WIREFRAME>");
    EXPECT_EQ(SpecializeShader(all, 0, TriangleShaderFeatures(true, false, true)),
              "D<DEFORM>F</DEFORM>P<WIREFRAME>W</WIREFRAME>");
    EXPECT_EQ(SpecializeShader(all, 2, VoxelShaderFeatures(true, false, true, true)),
              "C<DRAWING_PLANE>D</DRAWING_PLANE>FPW");

    const ShaderStageSources assembled = AssembleProgram("\nCBUFFER(c, 0)\n", {"\nv[PLANE_COUNT]", "", "\nd", "", "\np"});
    EXPECT_THAT(assembled.stages, testing::ElementsAre("\nCBUFFER(c, 0)\n\nv[PLANE_COUNT]", "", "\nCBUFFER(c, 0)\n\nd",
                                                        "", "\nCBUFFER(c, 0)\n\np"));
    ShaderStageSources sources;
    sources.stages = {"v[PLANE_COUNT]<CLIPPING>c</CLIPPING>", "", "", "g<PROBE_VALUE>p</PROBE_VALUE>",
                      "p<PROBE_POSITION>d</PROBE_POSITION>"};
    EXPECT_THAT(SpecializeProgram(sources, 2, LineShaderFeatures(true, false)).stages,
                testing::ElementsAre("v[2]c", "", "", "gp", "p"));
}

}  // namespace
}  // namespace Korvex::Rendering::detail
