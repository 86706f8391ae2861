#include "TriangleProgramKeys.h"

#include "meshes/triangle/TriangleConstants.h"
#include "meshes/triangle/TriangleProgram.h"

#include <ShaderTranslator.h>

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <vector>

namespace Korvex::Rendering::triangle_test {
namespace {

std::vector<detail::TriangleProgramVariant> AllVariants() {
    std::vector<detail::TriangleProgramVariant> variants;
    for (std::uint64_t planes = 0; planes <= 8; ++planes)
        for (int flags = 0; flags < 16; ++flags)
            variants.push_back({planes, (flags & 1) != 0, (flags & 2) != 0, (flags & 4) != 0, (flags & 8) != 0});
    return variants;
}

struct SpecializedProgram {
    detail::TriangleProgramVariant variant;
    ShaderStageSources sources;
};

// Specialised once for all tests: the regular expressions take their time.
const std::vector<SpecializedProgram>& AllPrograms() {
    static const std::vector<SpecializedProgram> programs = [] {
        std::vector<SpecializedProgram> all;
        for (const detail::TriangleProgramVariant& v : AllVariants())
            all.push_back({v, detail::TriangleProgramSources(v)});
        return all;
    }();
    return programs;
}

std::string Name(const detail::TriangleProgramVariant& v) {
    std::ostringstream out;
    out << "planes " << v.planeCount << (v.deform ? " deform" : "") << (v.drawingPlane ? " plane" : "")
        << (v.probeValue ? " value" : "") << (v.probePosition ? " position" : "");
    return out.str();
}

bool Has(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

TEST(TriangleProgram, DeclarationListsTheConstantsBlockFieldByField) {
    const std::string_view text = detail::TriangleConstantsDeclaration();
    EXPECT_EQ(text.size(), 627u);
    ASSERT_TRUE(text.starts_with("\nCBUFFER(constants, 0)\n      {\n"));
    ASSERT_TRUE(text.ends_with("      };\n"));

    struct Field {
        std::string type, name;
    };
    std::vector<Field> fields;
    std::istringstream lines(std::string(text.substr(31, text.size() - 31 - 9)));
    std::string line;
    while (std::getline(lines, line)) {
        ASSERT_TRUE(line.starts_with("      ") && line.ends_with(";")) << line;
        std::istringstream words(line.substr(6, line.size() - 7));
        Field field;
        words >> field.type >> field.name;
        fields.push_back(field);
    }
    const std::vector<std::string> names = {
        "unit_plane_matrix", "model_matrix", "model_view_matrix", "normal_matrix", "projection_matrix",
        "model_view_projection_matrix", "min_value", "max_value", "min_sample_value", "sample_value_range",
        "underflow_color", "overflow_color", "deformation", "brightness", "alpha_value", "padding0", "corner_min",
        "corner_max", "clip_planes[8]", "pixel_size_min_cell_size"};
    ASSERT_EQ(fields.size(), names.size());
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(fields[i].name, names[i]);
        const std::size_t size = fields[i].type == "float4x4" ? 64 : fields[i].type == "float4" ? 16 : 4;
        bytes += fields[i].name.ends_with("[8]") ? 8 * size : size;
    }
    EXPECT_EQ(bytes, sizeof(detail::TriangleConstants));
}

TEST(TriangleProgram, EveryVariantTranslatesForEveryStage) {
    using ShaderCompiler::StageKind;
    constexpr StageKind kKinds[] = {StageKind::Vertex, StageKind::Hull, StageKind::Domain, StageKind::Geometry,
                                    StageKind::Pixel};
    for (const auto& [v, sources] : AllPrograms()) {
        for (std::size_t stage = 0; stage < kShaderStageCount; ++stage) {
            const std::string& text = sources.stages[stage];
            if (text.empty()) continue;
            for (std::string_view leftover : {"PLANE_COUNT", "<CLIPPING>", "DRAWING_PLANE>", "PROBE_VALUE>",
                                              "PROBE_POSITION>"})
                EXPECT_FALSE(Has(text, leftover)) << Name(v) << ", stage " << stage;
            const ShaderCompiler::Translation translation = ShaderCompiler::TranslateStage(text, kKinds[stage]);
            EXPECT_TRUE(translation.Ok()) << Name(v) << ", stage " << stage << ": " << translation.error;
        }
    }
}

TEST(TriangleProgram, DeformationSelectsTheTessellatedStages) {
    const std::string_view constants = detail::TriangleConstantsDeclaration();
    for (const auto& [v, sources] : AllPrograms()) {
        for (std::size_t stage = 0; stage < kShaderStageCount; ++stage) {
            const bool present = v.deform || stage == kStageIndexVertex || stage == kStageIndexPixel;
            EXPECT_EQ(!sources.stages[stage].empty(), present) << Name(v) << ", stage " << stage;
            // The geometry stage alone goes without the constants.
            const bool withConstants = present && stage != kStageIndexGeometry;
            EXPECT_EQ(sources.stages[stage].starts_with(constants), withConstants) << Name(v) << ", stage " << stage;
        }
        EXPECT_FALSE(Has(sources.stages[kStageIndexGeometry], "CBUFFER"));
    }
}

TEST(TriangleProgram, SectionsFollowTheVariant) {
    for (const auto& [v, s] : AllPrograms()) {
        const std::string& vertex = s.stages[kStageIndexVertex];
        const std::string& pixel = s.stages[kStageIndexPixel];
        const std::string clipDeclaration = "clip_distance : " + std::to_string(v.planeCount) + "]";
        EXPECT_EQ(Has(vertex, clipDeclaration), v.planeCount > 0) << Name(v);
        EXPECT_EQ(Has(pixel, clipDeclaration), v.planeCount > 0) << Name(v);
        EXPECT_EQ(Has(pixel, "discard"), v.planeCount > 0) << Name(v);
        EXPECT_EQ(Has(vertex, "Plocal = mul(unit_plane_matrix, Plocal);"), v.drawingPlane) << Name(v);
        EXPECT_EQ(Has(pixel, "[out float4 value : 1]"), v.probeValue) << Name(v);
        EXPECT_EQ(Has(pixel, "[out float4 oDepthClip : 2]"), v.probePosition) << Name(v);
        if (v.deform) {
            EXPECT_EQ(Has(s.stages[kStageIndexHull], "$TessLevelInner[0]$ = 0.0;"), v.planeCount > 0) << Name(v);
            EXPECT_EQ(Has(s.stages[kStageIndexDomain], "[out float DepthClip : DepthClip]"), v.probePosition);
        }
    }
}

TEST(TriangleProgram, KeysHashEachFieldTwiceAndTellEveryVariantApart) {
    std::set<std::uint64_t> keys;
    for (const detail::TriangleProgramVariant& v : AllVariants()) {
        const std::uint64_t key = detail::TriangleProgramKey(v);
        EXPECT_EQ(key, ExpectedProgramKey({v.planeCount, v.deform, v.drawingPlane, v.probeValue, v.probePosition}))
            << Name(v);
        keys.insert(key);
    }
    EXPECT_EQ(keys.size(), AllVariants().size());
}

}  // namespace
}  // namespace Korvex::Rendering::triangle_test
