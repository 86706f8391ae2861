#include "shaders/Specialize.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Korvex::Rendering::detail {
namespace {

struct Case {
    const char* name;
    std::string text;
    std::uint64_t planes;
    std::vector<ShaderFeature> features;
    std::string expected;
};

std::vector<ShaderFeature> Line(bool value, bool position) {
    const auto features = LineShaderFeatures(value, position);
    return {features.begin(), features.end()};
}

// Tags are resolved in list order, so a section of an earlier tag decides
// about the later tags inside it. The replacement format is "$1": dollar
// sequences in the text must pass through as they are.
TEST(SpecializeShader, WritesThePlaneCountAndKeepsOrDropsEachTaggedSection) {
    const std::string all = "<CLIPPING>C</CLIPPING><DRAWING_PLANE>D</DRAWING_PLANE><DEFORM>F</DEFORM>"
                            "<PROBE_VALUE>V</PROBE_VALUE><PROBE_POSITION>P</PROBE_POSITION><WIREFRAME>W</WIREFRAME>";
    const auto triangle = TriangleShaderFeatures(true, false, true);
    const auto voxel = VoxelShaderFeatures(true, false, true, true);
    const Case cases[] = {
        {"no planes", "float d[PLANE_COUNT];\n<CLIPPING>clip(PLANE_COUNT);</CLIPPING>\nend", 0, Line(0, 0),
         "float d[0];\n\nend"},
        {"planes", "<CLIPPING>[out float c : clip_distance : PLANE_COUNT]</CLIPPING>", 8, Line(0, 0),
         "[out float c : clip_distance : 8]"},
        {"plain decimal", "[PLANE_COUNT]", 18446744073709551615ull, Line(0, 0), "[18446744073709551615]"},
        {"each section", "a<PROBE_VALUE>b</PROBE_VALUE>c<PROBE_VALUE>d</PROBE_VALUE>e", 0, Line(1, 0), "abcde"},
        {"each section dropped", "a<PROBE_VALUE>b</PROBE_VALUE>c<PROBE_VALUE>d</PROBE_VALUE>e", 0, Line(0, 1), "ace"},
        {"first closing tag", "<CLIPPING>x</CLIPPING>keep</CLIPPING>", 0, Line(0, 0), "keep</CLIPPING>"},
        {"line breaks stay", "top\n<PROBE_POSITION>\nz;\n</PROBE_POSITION>\nend\n", 0, Line(0, 1),
         "top\n\nz;\n\nend\n"},
        {"dollars", "$uvw$ $1 $& $$ $`<CLIPPING>$c[1]$ = $1$2$&;$'</CLIPPING>$P[$ID$]$", 1, Line(0, 0),
         "$uvw$ $1 $& $$ $`$c[1]$ = $1$2$&;$'$P[$ID$]$"},
        {"dollars dropped", "$1 $&<CLIPPING>$1$2$&;$'</CLIPPING>$$", 0, Line(0, 0), "$1 $&$$"},
        {"line tags only", all, 1, Line(1, 0), "C<DRAWING_PLANE>D</DRAWING_PLANE><DEFORM>F</DEFORM>V<WIREFRAME>W</WIREFRAME>"},
        {"triangle tags only", all, 0, {triangle.begin(), triangle.end()}, "D<DEFORM>F</DEFORM>P<WIREFRAME>W</WIREFRAME>"},
        {"voxel tags only", all, 2, {voxel.begin(), voxel.end()}, "C<DRAWING_PLANE>D</DRAWING_PLANE>FPW"},
        {"nested, outer kept", "<DEFORM>d<PROBE_VALUE>v</PROBE_VALUE></DEFORM>", 0,
         {{kTagDeform, true}, {kTagProbeValue, true}}, "dv"},
        {"nested, outer dropped", "<DEFORM>d<PROBE_VALUE>v</PROBE_VALUE></DEFORM>", 0,
         {{kTagDeform, false}, {kTagProbeValue, true}}, ""},
        {"empty", "", 3, Line(1, 1), ""},
    };
    for (const Case& c : cases) EXPECT_EQ(SpecializeShader(c.text, c.planes, c.features), c.expected) << c.name;
}

TEST(SpecializeProgram, PrefixesAndSpecializesPresentStagesOnly) {
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
