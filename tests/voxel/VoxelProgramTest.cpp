// The voxel mesh's stage texts for every variant, as the host compiler gets
// them, and the constants declaration that heads them.

#include "VoxelKeys.h"

#include "meshes/voxel/VoxelConstants.h"
#include "meshes/voxel/VoxelProgram.h"

#include <ShaderTranslator.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace Korvex::Rendering::voxel_test {
namespace {

using detail::VoxelConstants;
using detail::VoxelProgramVariant;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

std::vector<VoxelProgramVariant> AllVariants() {
    std::vector<VoxelProgramVariant> variants;
    for (std::uint64_t planes = 0; planes <= 8; ++planes)
        for (int flags = 0; flags < 16; ++flags)
            variants.push_back({(flags & 1) != 0, (flags & 2) != 0, (flags & 4) != 0, planes, (flags & 8) != 0});
    return variants;
}

std::string Describe(const VoxelProgramVariant& v) {
    return std::to_string(v.planeCount) + " planes" + (v.deform ? ", deform" : "") +
           (v.probeValue ? ", probe value" : "") + (v.probePosition ? ", probe position" : "") +
           (v.wireframe ? ", wireframe" : "");
}

TEST(VoxelProgramTest, EveryVariantIsFullySpecialisedAndTranslates) {
    using ShaderCompiler::StageKind;
    const std::vector<VoxelProgramVariant> variants = AllVariants();
    ASSERT_EQ(variants.size(), 144u);
    const std::string declaration(detail::VoxelConstantsDeclaration());
    const std::regex tagMarker("</?(CLIPPING|DEFORM|PROBE_VALUE|PROBE_POSITION|WIREFRAME)>");
    for (const VoxelProgramVariant& variant : variants) {
        SCOPED_TRACE(Describe(variant));
        const ShaderStageSources sources = detail::VoxelProgramSources(variant);
        EXPECT_TRUE(sources.stages[kStageIndexHull].empty());
        EXPECT_TRUE(sources.stages[kStageIndexDomain].empty());
        const std::pair<std::size_t, StageKind> stages[] = {{kStageIndexVertex, StageKind::Vertex},
                                                            {kStageIndexGeometry, StageKind::Geometry},
                                                            {kStageIndexPixel, StageKind::Pixel}};
        for (const auto& [stage, kind] : stages) {
            const std::string& text = sources.stages[stage];
            EXPECT_THAT(text, StartsWith(declaration + "\n"));
            EXPECT_THAT(text, Not(HasSubstr("PLANE_COUNT")));
            EXPECT_FALSE(std::regex_search(text, tagMarker)) << "stage " << stage;
            const ShaderCompiler::Translation translation = ShaderCompiler::TranslateStage(text, kind);
            EXPECT_TRUE(translation.Ok()) << "stage " << stage << ": " << translation.error << "\n" << text;
        }
    }
}

TEST(VoxelProgramTest, PlainVariantHasNoOptionalInterfaceAndWritesOnlyColour) {
    const ShaderStageSources sources = detail::VoxelProgramSources({});
    for (const std::string& text : sources.stages) {
        EXPECT_FALSE(std::regex_search(text, std::regex("</?[A-Z_]+>"))) << "a tag marker is left";
        for (const char* absent : {"PLANE_COUNT", "visible", "deformation_texture", "quad_pos", "DepthClip"})
            EXPECT_THAT(text, Not(HasSubstr(absent)));
    }
    const std::string& pixel = sources.stages[kStageIndexPixel];
    const std::regex output(R"(\[out [^\]]*\])");
    std::vector<std::string> outputs;
    for (auto it = std::sregex_iterator(pixel.begin(), pixel.end(), output); it != std::sregex_iterator(); ++it)
        outputs.push_back(it->str());
    EXPECT_THAT(outputs, ::testing::ElementsAre("[out float4 color : 0]"));
}

TEST(VoxelProgramTest, ClippingVariantTestsEveryPlaneAndDropsInvisibleVoxels) {
    const ShaderStageSources sources = detail::VoxelProgramSources({false, false, false, 3, false});
    EXPECT_THAT(sources.stages[kStageIndexVertex], HasSubstr("for (int cp = 0; cp < 3; ++cp)"));
    EXPECT_THAT(sources.stages[kStageIndexVertex], HasSubstr("[out float visible    : visibility       ]"));
    EXPECT_THAT(sources.stages[kStageIndexGeometry], HasSubstr("[in float visible : visibility]"));
    EXPECT_THAT(sources.stages[kStageIndexGeometry], HasSubstr("if ($visible[0]$ == 0.0)"));
}

// The stages meet by semantic: what one stage writes, the next reads.
TEST(VoxelProgramTest, StagesDeclareTheirInterfaceAndAttributes) {
    const ShaderStageSources sources = detail::VoxelProgramSources({true, true, true, 1, true});
    const std::string& vertex = sources.stages[kStageIndexVertex];
    const std::string& geometry = sources.stages[kStageIndexGeometry];
    const std::string& pixel = sources.stages[kStageIndexPixel];
    for (const char* line : {"BUFFER(uint, voxels, 0);", "TEXTURE_3D(float4, deformation_texture, 1);",
                             "[out float4 uvw       : sample_coord  : 8]", "[out float4 view_pos  : view_position : 8]"})
        EXPECT_THAT(vertex, HasSubstr(line));
    for (const char* line :
         {"[instances = 6]", "[input_topology = points]", "[output_topology = triangles]", "[max_vertices = 4]",
          "[in float4 uvw : sample_coord : 8]", "[in float4 view_pos : view_position : 8]",
          "[out float4 o_uvw    : sample_coord]", "[out float diffuse   : diffuse_factor]",
          "[out float2 quad_pos : signed_uv]", "[out float DepthClip  : DepthClip]"})
        EXPECT_THAT(geometry, HasSubstr(line));
    for (const char* line :
         {"TEXTURE_3D(float4, value_texture, 2);", "TEXTURE_1D(float4, gradient_texture, 3);",
          "[in float4 uvw : sample_coord]", "[in float diffuse : diffuse_factor]", "[in float2 quad_pos : signed_uv]",
          "[in float DepthClip : DepthClip]", "[out float4 color : 0]", "[out float4 value : 1]",
          "[out float4 oDepthClip : 2]"})
        EXPECT_THAT(pixel, HasSubstr(line));
}

TEST(VoxelProgramTest, EveryVariantHasItsOwnKey) {
    std::set<std::uint64_t> keys;
    for (const VoxelProgramVariant& v : AllVariants()) {
        const std::uint64_t key = detail::VoxelProgramKey(v);
        EXPECT_EQ(key, ExpectedProgramKey({v.deform, v.probeValue, v.probePosition, v.planeCount, v.wireframe}))
            << Describe(v);
        keys.insert(key);
    }
    EXPECT_EQ(keys.size(), 144u);
}

// The declaration lists the block's fields in order with their sizes, so
// each field's offset in the text matches the struct's.
TEST(VoxelConstantsTest, DeclarationMatchesTheBlockFieldForField) {
    const std::string_view declaration = detail::VoxelConstantsDeclaration();
    EXPECT_EQ(declaration.size(), 534u);
    EXPECT_THAT(std::string(declaration), StartsWith("\nCBUFFER(constants, 0)\n      {\n"));
    EXPECT_THAT(std::string(declaration), ::testing::EndsWith("\n      };\n"));

    const std::map<std::string, std::size_t> offsets = {
        {"model_matrix", offsetof(VoxelConstants, model_matrix)},
        {"model_view_matrix", offsetof(VoxelConstants, model_view_matrix)},
        {"projection_matrix", offsetof(VoxelConstants, projection_matrix)},
        {"min_value", offsetof(VoxelConstants, min_value)},
        {"max_value", offsetof(VoxelConstants, max_value)},
        {"min_sample_value", offsetof(VoxelConstants, min_sample_value)},
        {"sample_value_range", offsetof(VoxelConstants, sample_value_range)},
        {"underflow_color", offsetof(VoxelConstants, underflow_color)},
        {"overflow_color", offsetof(VoxelConstants, overflow_color)},
        {"deformation", offsetof(VoxelConstants, deformation)},
        {"brightness", offsetof(VoxelConstants, brightness)},
        {"alpha_value", offsetof(VoxelConstants, alpha_value)},
        {"padding0", offsetof(VoxelConstants, padding0)},
        {"corner_min", offsetof(VoxelConstants, corner_min)},
        {"corner_max", offsetof(VoxelConstants, corner_max)},
        {"dimensions", offsetof(VoxelConstants, dimensions)},
        {"wireframe_color", offsetof(VoxelConstants, wireframe_color)},
        {"clip_planes", offsetof(VoxelConstants, clip_planes)}};
    const std::map<std::string, std::size_t> typeSizes = {{"float", 4}, {"float4", 16}, {"float4x4", 64}};

    const std::regex field(R"(^      (float\w*) (\w+)(?:\[(\d+)\])?;$)");
    std::istringstream lines{std::string(declaration)};
    std::size_t offset = 0, fields = 0;
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        if (!std::regex_match(line, match, field)) continue;
        SCOPED_TRACE(line);
        ASSERT_EQ(offsets.count(match[2]), 1u);
        EXPECT_EQ(offsets.at(match[2]), offset);
        offset += typeSizes.at(match[1]) * (match[3].matched ? std::stoul(match[3]) : 1);
        ++fields;
    }
    EXPECT_EQ(fields, offsets.size());
    EXPECT_EQ(offset, sizeof(VoxelConstants));
}

}  // namespace
}  // namespace Korvex::Rendering::voxel_test
