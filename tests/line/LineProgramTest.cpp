// The line mesh's stage texts for every variant, as the host compiler gets them.

#include "meshes/line/LineConstants.h"
#include "meshes/line/LineGridMesh.h"

#include <ShaderTranslator.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Korvex::Rendering {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

std::vector<LineGridMesh::ProgramKey> AllVariants() {
    std::vector<LineGridMesh::ProgramKey> variants;
    for (std::uint64_t planes = 0; planes <= 8; ++planes)
        for (int flags = 0; flags < 8; ++flags)
            variants.push_back({planes, (flags & 1) != 0, (flags & 2) != 0, (flags & 4) != 0});
    return variants;
}

std::string Describe(const LineGridMesh::ProgramKey& key) {
    return std::to_string(key.planeCount) + " planes" + (key.deform ? ", deform" : "") +
           (key.probeValue ? ", probe value" : "") + (key.probePosition ? ", probe position" : "");
}

TEST(LineProgramTest, EveryVariantIsFullySpecialisedAndTranslates) {
    constexpr ShaderCompiler::StageKind kinds[] = {ShaderCompiler::StageKind::Vertex, ShaderCompiler::StageKind::Hull,
                                                   ShaderCompiler::StageKind::Domain,
                                                   ShaderCompiler::StageKind::Geometry,
                                                   ShaderCompiler::StageKind::Pixel};
    for (const LineGridMesh::ProgramKey& key : AllVariants()) {
        SCOPED_TRACE(Describe(key));
        const ShaderStageSources sources = key.BuildSources();
        for (std::size_t stage = 0; stage < kShaderStageCount; ++stage) {
            const bool present = stage == kStageIndexVertex || stage == kStageIndexPixel ||
                                 (key.deform && stage != kStageIndexGeometry);
            const std::string& text = sources.stages[stage];
            ASSERT_EQ(!text.empty(), present) << "stage " << stage;
            if (!present) continue;
            EXPECT_THAT(text, StartsWith(detail::kLineConstantsDeclaration + "\n"));
            for (const char* leftover : {"PLANE_COUNT", "<CLIPPING>", "<PROBE_VALUE>", "<PROBE_POSITION>", "</"})
                EXPECT_THAT(text, Not(HasSubstr(leftover)));
            EXPECT_EQ(text.find("clip_distance :") != std::string::npos, key.planeCount != 0);
            const ShaderCompiler::Translation translation = ShaderCompiler::TranslateStage(text, kinds[stage]);
            EXPECT_TRUE(translation.Ok()) << "stage " << stage << ": " << translation.error << "\n" << text;
        }
    }
}

// The stages meet by semantic: what one stage writes, the next reads.
TEST(LineProgramTest, StagesPassDepthAndValueCoordinatesToThePixelStage) {
    const ShaderStageSources plain = LineGridMesh::ProgramKey{2, false, true, true}.BuildSources();
    EXPECT_THAT(plain.stages[kStageIndexVertex], HasSubstr("[out float DepthClip : DepthClip]"));
    EXPECT_THAT(plain.stages[kStageIndexVertex], HasSubstr("[out float clip_distances : clip_distance : 2]"));
    EXPECT_THAT(plain.stages[kStageIndexPixel], HasSubstr("[in float DepthClip : DepthClip]"));
    EXPECT_THAT(plain.stages[kStageIndexPixel], HasSubstr("[in float clip_distances : clip_distance : 2]"));

    const ShaderStageSources patch = LineGridMesh::ProgramKey{2, true, true, true}.BuildSources();
    EXPECT_THAT(patch.stages[kStageIndexVertex], Not(HasSubstr("DepthClip")));
    EXPECT_THAT(patch.stages[kStageIndexDomain], HasSubstr("[out float DepthClip : DepthClip]"));
    EXPECT_THAT(patch.stages[kStageIndexDomain], HasSubstr("TEXTURE_3D(float4, deformation_texture, 1);"));
    EXPECT_THAT(patch.stages[kStageIndexPixel], HasSubstr("TEXTURE_3D(float4, value_texture, 2);"));
    EXPECT_EQ(patch.stages[kStageIndexPixel], plain.stages[kStageIndexPixel]) << "one pixel stage for both";
}

}  // namespace
}  // namespace Korvex::Rendering
