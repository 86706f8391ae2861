#include "shaders/Specialize.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Korvex::Rendering::detail {
namespace {

std::string SpecializeLine(std::string text, std::uint64_t planeCount, bool probeValue = false,
                           bool probePosition = false) {
    return SpecializeShader(std::move(text), planeCount, LineShaderFeatures(probeValue, probePosition));
}

TEST(SpecializeShader, PlaneCountZeroRemovesClippingSectionsAndWritesZero) {
    const std::string text = "float d[PLANE_COUNT];\n<CLIPPING>for (i < PLANE_COUNT) clip();</CLIPPING>\nend";
    EXPECT_EQ(SpecializeLine(text, 0), "float d[0];\n\nend");
}

TEST(SpecializeShader, PlaneCountInsideKeptClippingSectionIsWrittenAndTagsGo) {
    const std::string text =
        "<CLIPPING>[out float clip_distances : clip_distance : PLANE_COUNT]</CLIPPING>";
    EXPECT_EQ(SpecializeLine(text, 8), "[out float clip_distances : clip_distance : 8]");
}

TEST(SpecializeShader, PlaneCountUsesPlainDecimalText) {
    struct Case {
        std::uint64_t count;
        const char* expected;
    };
    for (const Case& c : {Case{1, "[1]"}, Case{8, "[8]"}, Case{1000000, "[1000000]"},
                          Case{18446744073709551615ull, "[18446744073709551615]"}})
        EXPECT_EQ(SpecializeLine("[PLANE_COUNT]", c.count), c.expected) << c.count;
}

TEST(SpecializeShader, EachSectionOfOneTagIsResolvedAndTextBetweenStays) {
    const std::string text = "a<PROBE_VALUE>b</PROBE_VALUE>c<PROBE_VALUE>d</PROBE_VALUE>e";
    EXPECT_EQ(SpecializeLine(text, 0, true), "abcde");
    EXPECT_EQ(SpecializeLine(text, 0, false), "ace");
}

TEST(SpecializeShader, SectionEndsAtTheFirstClosingTag) {
    const std::string text = "<CLIPPING>x</CLIPPING>keep</CLIPPING>";
    EXPECT_EQ(SpecializeLine(text, 0), "keep</CLIPPING>");
}

TEST(SpecializeShader, TagsOnTheirOwnLinesLeaveTheLineBreaks) {
    const std::string text = "top\n<PROBE_POSITION>\nDepthClip = z;\n</PROBE_POSITION>\nbottom\n";
    EXPECT_EQ(SpecializeLine(text, 0, false, true), "top\n\nDepthClip = z;\n\nbottom\n");
    EXPECT_EQ(SpecializeLine(text, 0, false, false), "top\n\nbottom\n");
}

TEST(SpecializeShader, SectionsOfDifferentTagsOnOneLine) {
    const std::string text = "<PROBE_VALUE>v</PROBE_VALUE><PROBE_POSITION>p</PROBE_POSITION><CLIPPING>c</CLIPPING>";
    EXPECT_EQ(SpecializeLine(text, 2, true, false), "vc");
    EXPECT_EQ(SpecializeLine(text, 0, false, true), "p");
}

TEST(SpecializeShader, TemplateWithoutTagsChangesOnlyPlaneCount) {
    const std::string text = "\nfloat4 main() { $Position$ = x; float a[PLANE_COUNT]; }\n";
    EXPECT_EQ(SpecializeLine(text, 3, true, true), "\nfloat4 main() { $Position$ = x; float a[3]; }\n");
    EXPECT_EQ(SpecializeLine("", 3, true, true), "");
}

// The replacement format is "$1": dollar sequences in the text itself must
// pass through as they are, inside kept sections and outside any.
TEST(SpecializeShader, DollarSequencesPassThroughUntouched) {
    const std::string text =
        "$uvw$ $1 $& $$ $`<CLIPPING>$clip_distances[1]$ = $1$2$&;$'</CLIPPING>$P[$OutputControlPointID$]$";
    EXPECT_EQ(SpecializeLine(text, 1), "$uvw$ $1 $& $$ $`$clip_distances[1]$ = $1$2$&;$'$P[$OutputControlPointID$]$");
    EXPECT_EQ(SpecializeLine(text, 0), "$uvw$ $1 $& $$ $`$P[$OutputControlPointID$]$");
}

TEST(SpecializeShader, TagsOfOtherMeshesAreLeftAlone) {
    const std::string text = "<WIREFRAME>w</WIREFRAME><DRAWING_PLANE>d</DRAWING_PLANE>";
    EXPECT_EQ(SpecializeLine(text, 1, true, true), text);
}

// Each mesh kind resolves exactly its own tags, each by its own flag.
TEST(SpecializeShader, EachMeshKindResolvesItsTagsByItsFlags) {
    const std::string text =
        "<CLIPPING>C</CLIPPING><DRAWING_PLANE>D</DRAWING_PLANE><DEFORM>F</DEFORM><PROBE_VALUE>V</PROBE_VALUE>"
        "<PROBE_POSITION>P</PROBE_POSITION><WIREFRAME>W</WIREFRAME>";
    const std::string drawingPlane = "<DRAWING_PLANE>D</DRAWING_PLANE>";
    const std::string deform = "<DEFORM>F</DEFORM>";
    const std::string wireframe = "<WIREFRAME>W</WIREFRAME>";

    EXPECT_EQ(SpecializeShader(text, 1, LineShaderFeatures(true, false)),
              "C" + drawingPlane + deform + "V" + wireframe);
    EXPECT_EQ(SpecializeShader(text, 0, LineShaderFeatures(false, true)), drawingPlane + deform + "P" + wireframe);

    EXPECT_EQ(SpecializeShader(text, 1, TriangleShaderFeatures(true, false, false)), "CD" + deform + wireframe);
    EXPECT_EQ(SpecializeShader(text, 0, TriangleShaderFeatures(false, true, true)), deform + "VP" + wireframe);

    EXPECT_EQ(SpecializeShader(text, 1, VoxelShaderFeatures(true, false, false, false)), "C" + drawingPlane + "F");
    EXPECT_EQ(SpecializeShader(text, 0, VoxelShaderFeatures(false, true, false, true)), drawingPlane + "VW");
    EXPECT_EQ(SpecializeShader(text, 0, VoxelShaderFeatures(false, false, true, false)), drawingPlane + "P");
}

// Tags are resolved in list order, so a section of an earlier tag decides
// about the later tags inside it.
TEST(SpecializeShader, EarlierTagDecidesAboutSectionsNestedInIt) {
    const std::string text = "<DEFORM>d<PROBE_VALUE>v</PROBE_VALUE></DEFORM>";
    EXPECT_EQ(SpecializeShader(text, 0, VoxelShaderFeatures(false, true, false, false)), "");
    EXPECT_EQ(SpecializeShader(text, 0, VoxelShaderFeatures(true, true, false, false)), "dv");
    EXPECT_EQ(SpecializeShader(text, 0, VoxelShaderFeatures(true, false, false, false)), "d");
}

TEST(SpecializeProgram, SpecializesEveryStageAndKeepsEmptyStagesEmpty) {
    ShaderStageSources sources;
    sources.stages[kStageIndexVertex] = "v[PLANE_COUNT]<CLIPPING>c</CLIPPING>";
    sources.stages[kStageIndexGeometry] = "g<PROBE_VALUE>p</PROBE_VALUE>";
    sources.stages[kStageIndexPixel] = "p<PROBE_POSITION>d</PROBE_POSITION>";

    const ShaderStageSources result = SpecializeProgram(sources, 2, LineShaderFeatures(true, false));

    EXPECT_THAT(result.stages, testing::ElementsAre("v[2]c", "", "", "gp", "p"));
}

TEST(AssembleProgram, PrefixesConstantsToPresentStagesOnly) {
    const ShaderStageSources sources = AssembleProgram("\nCBUFFER(constants, 0)\n", {"\nvs", "", "\nds", "", "\nps"});
    EXPECT_THAT(sources.stages, testing::ElementsAre("\nCBUFFER(constants, 0)\n\nvs", "",
                                                      "\nCBUFFER(constants, 0)\n\nds", "",
                                                      "\nCBUFFER(constants, 0)\n\nps"));
}

}  // namespace
}  // namespace Korvex::Rendering::detail
