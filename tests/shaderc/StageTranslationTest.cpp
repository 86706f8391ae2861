#include "SamplePrograms.h"
#include "TranslatorTestSupport.h"

#include <tuple>
#include <vector>

namespace Korvex::Rendering::ShaderCompiler {
namespace {

using Testing::Contains;
using Testing::ErrorOf;
using Testing::GlslOf;
using Testing::StageWith;

struct LayoutCase {
    StageKind stage;
    std::string_view attributes;
    std::string_view expected;
};

std::string WithMain(std::string_view declarations, StageKind stage) {
    std::string text = std::string(declarations) + "\nvoid main() {}\n";
    if (stage == StageKind::Hull) {
        text += "void patch_constant_function() {}\n";
    }
    return text;
}

TEST(StageTranslation, AttributesBecomeLayoutQualifiers) {
    const LayoutCase cases[] = {
        {StageKind::Hull, "[domain = isoline]\n[spacing = equal]\n[input_control_points = 2]\n"
                          "[output_control_points = 2]\n[output_topology = lines]",
         "layout(vertices = 2) out;\n"},
        {StageKind::Domain, "[domain = isoline]\n[spacing = equal]\n[output_control_points = 2]\n[output_topology = lines]",
         "layout(isolines, equal_spacing) in;\n"},
        {StageKind::Domain, "[domain = triangle]\n[spacing = equal]\n[input_control_points = 3]\n[output_topology = triangles]",
         "layout(triangles, equal_spacing, ccw) in;\n"},
        {StageKind::Domain, "[domain = quad]\n[spacing = fractional_odd]\n[output_topology = points]",
         "layout(quads, fractional_odd_spacing, ccw, point_mode) in;\n"},
        {StageKind::Geometry, "[instances = 6]\n[input_topology = points]\n[output_topology = triangles]\n[max_vertices = 4]",
         "layout(points, invocations = 6) in;\nlayout(triangle_strip, max_vertices = 4) out;\n"},
        {StageKind::Geometry, "[input_topology = triangles]\n[output_topology = triangles]\n[max_vertices = 3]",
         "layout(triangles) in;\nlayout(triangle_strip, max_vertices = 3) out;\n"},
        {StageKind::Geometry, "[input_topology = points]\n[output_topology = points]\n[max_vertices = 1]",
         "layout(points) in;\nlayout(points, max_vertices = 1) out;\n"},
    };
    for (const LayoutCase& c : cases) {
        const std::string glsl = GlslOf(WithMain(c.attributes, c.stage), c.stage);
        EXPECT_TRUE(Contains(glsl, "#version 450 core\n" + std::string(c.expected))) << c.attributes << "\n" << glsl;
        EXPECT_FALSE(Contains(glsl, "[")) << c.attributes;
    }
}

TEST(StageTranslation, RejectsBadAttributes) {
    const LayoutCase cases[] = {
        {StageKind::Vertex, "[max_vertices = 4]", "line 1: [max_vertices = 4] is not allowed in a vertex stage"},
        {StageKind::Pixel, "[domain = triangle]", "line 1: [domain = triangle] is not allowed in a pixel stage"},
        {StageKind::Domain, "[instances = 2]", "line 1: [instances = 2] is not allowed in a domain stage"},
        {StageKind::Geometry, "[partitioning = equal]", "line 1: unknown attribute [partitioning = equal]"},
        {StageKind::Domain, "[domain = tri]", "line 1: [domain = tri]: expected one of isoline, triangle, quad"},
        {StageKind::Domain, "[domain = triangle]\n[spacing = pow2]",
         "line 2: [spacing = pow2]: expected one of equal, fractional_odd, fractional_even"},
        {StageKind::Hull, "[output_control_points = 0]", "line 1: [output_control_points = 0]: expected a number from 1 to 32"},
        {StageKind::Geometry, "[max_vertices = 257]", "line 1: [max_vertices = 257]: expected a number from 1 to 256"},
        {StageKind::Geometry, "[input_topology = quads]", "line 1: [input_topology = quads]: expected one of points, lines, triangles"},
        {StageKind::Hull, "[output_control_points = 2]\n[output_control_points = 2]",
         "line 2: [output_control_points] is already given on line 1"},
        {StageKind::Hull, "[domain = isoline]", "line 3: a hull stage needs [output_control_points = ...]"},
        {StageKind::Domain, "[spacing = equal]", "line 2: a domain stage needs [domain = ...]"},
        {StageKind::Domain, "[domain = isoline]\n[output_topology = triangles]",
         "line 2: [output_topology = triangles] does not fit [domain = isoline]"},
        {StageKind::Geometry, "[input_topology = points]\n[output_topology = triangles]",
         "line 3: a geometry stage needs [max_vertices = ...]"},
    };
    for (const LayoutCase& c : cases) {
        EXPECT_EQ(ErrorOf(WithMain(c.attributes, c.stage), c.stage), c.expected) << c.attributes;
    }
}

TEST(StageTranslation, HullRunsMainPerControlPointThenPatchConstantsOnce) {
    const std::string glsl = GlslOf(Samples::SampleStage("LinePatch", kStageIndexHull), StageKind::Hull);
    EXPECT_TRUE(Contains(glsl, "void kx_control_point_main()\n{\n    kx_out_oP[gl_InvocationID] = kx_in_P[gl_InvocationID];"));
    EXPECT_TRUE(Contains(glsl, "void main()\n{\n    kx_control_point_main();\n    barrier();\n"
                               "    if (gl_InvocationID == 0) {\n        patch_constant_function();\n    }\n}\n"));
    EXPECT_TRUE(Contains(glsl, "gl_TessLevelOuter[1] = clamp(length(kx_in_P[1] - kx_in_P[0]) / pixel_size_min_cell_size.z, 1.0, 64.0);"));
    EXPECT_TRUE(Contains(glsl, "if (!(kx_in_clip_distances[0][i] < 0.0 && kx_in_clip_distances[1][i] < 0.0))"));
    EXPECT_TRUE(Contains(glsl, "kx_out_oclip_distances[gl_InvocationID][i] = kx_in_clip_distances[gl_InvocationID][i];"));
}

TEST(StageTranslation, RejectsMisplacedDirectivesAndMissingEntryPoints) {
    const std::tuple<StageKind, std::string_view, std::string_view> cases[] = {
        {StageKind::Geometry, "void main()\n{\n    [max_vertices = 4]\n}\n",
         "line 3: stage attributes belong at file scope, outside any braces"},
        {StageKind::Vertex, "void main()\n{\n    [in float4 P : position]\n}\n",
         "line 3: interface declarations belong at file scope, outside any braces"},
        {StageKind::Hull, "[output_control_points = 2]\nvoid main()\n{\n}\n",
         "line 4: the hull stage defines no patch_constant_function()"},
        {StageKind::Hull, "[output_control_points = 2]\nvoid patch_constant_function()\n{\n}\n",
         "line 4: the hull stage defines no main()"},
        {StageKind::Pixel, "float main_value;\n", "line 1: the pixel stage defines no main()"},
        {static_cast<StageKind>(7), "void main() {}\n", "line 1: unknown stage kind 7"},
    };
    for (const auto& [stage, source, expected] : cases) EXPECT_EQ(ErrorOf(source, stage), expected) << source;
}

struct PlaceholderCase {
    StageKind stage;
    std::string_view placeholder;
    std::string_view glsl;
};

TEST(StageTranslation, BuiltInPlaceholdersBecomeGlslBuiltIns) {
    const PlaceholderCase cases[] = {
        {StageKind::Vertex, "$Position$", "gl_Position"},
        {StageKind::Hull, "$Position$", "gl_out[gl_InvocationID].gl_Position"},
        {StageKind::Hull, "$Position[1]$", "gl_in[1].gl_Position"},
        {StageKind::Hull, "$TessLevelOuter[1]$", "gl_TessLevelOuter[1]"},
        {StageKind::Hull, "$TessLevelOuter$[2]", "gl_TessLevelOuter[2]"},
        {StageKind::Hull, "$OutputControlPointID$", "gl_InvocationID"},
        {StageKind::Hull, "$Position[$OutputControlPointID$]$", "gl_in[gl_InvocationID].gl_Position"},
        {StageKind::Domain, "$TessCoord$", "gl_TessCoord"},
        {StageKind::Domain, "$Position[ 2 ]$", "gl_in[ 2 ].gl_Position"},
        {StageKind::Geometry, "$GSInstanceID$", "gl_InvocationID"},
        {StageKind::Geometry, "$Position[i + 1]$", "gl_in[i + 1].gl_Position"},
        {StageKind::Pixel, "$Position$.xy", "gl_FragCoord.xy"},
    };
    for (const PlaceholderCase& c : cases) {
        const std::string glsl = GlslOf(StageWith(c.stage, "", "x = " + std::string(c.placeholder) + ";"), c.stage);
        EXPECT_TRUE(Contains(glsl, "x = " + std::string(c.glsl) + ";")) << c.placeholder << "\n" << glsl;
    }
}

TEST(StageTranslation, BuiltInsOutsideTheirStagesAreRejected) {
    const PlaceholderCase cases[] = {
        {StageKind::Vertex, "$TessCoord$", "line 4: $TessCoord$ is not available in a vertex stage"},
        {StageKind::Pixel, "$VertexId$", "line 4: $VertexId$ is not available in a pixel stage"},
        {StageKind::Domain, "$OutputControlPointID$", "line 5: $OutputControlPointID$ is not available in a domain stage"},
        {StageKind::Geometry, "$TessLevelOuter[0]$", "line 7: $TessLevelOuter$ is not available in a geometry stage"},
        {StageKind::Vertex, "$Position[0]$",
         "line 4: $Position[...]$ reads per-vertex inputs, which a vertex stage does not have"},
        {StageKind::Vertex, "$VertexId[0]$", "line 4: $VertexId$ cannot be indexed"},
        {StageKind::Vertex, "$Unknown$", "line 4: unknown placeholder $Unknown$: no input or output of that name"},
    };
    for (const PlaceholderCase& c : cases) {
        EXPECT_EQ(ErrorOf(StageWith(c.stage, "", "x = " + std::string(c.placeholder) + ";"), c.stage), c.glsl)
            << c.placeholder;
    }
}

TEST(StageTranslation, VariablePlaceholdersFollowTheStageShape) {
    const std::string_view hullDeclarations = "[in float4 P : position]\n[in float c : clip_distance : 2]\n"
                                              "[out float4 oP : position]\n[out float oc : clip_distance : 2]";
    const PlaceholderCase cases[] = {
        {StageKind::Hull, "$P$", "kx_in_P"},
        {StageKind::Hull, "$P[$OutputControlPointID$]$", "kx_in_P[gl_InvocationID]"},
        {StageKind::Hull, "$c[1]$[i]", "kx_in_c[1][i]"},
        {StageKind::Hull, "$oP$", "kx_out_oP[gl_InvocationID]"},
        {StageKind::Hull, "$oP[1]$", "kx_out_oP[1]"},
        {StageKind::Hull, "$oc$[i]", "kx_out_oc[gl_InvocationID][i]"},
        {StageKind::Domain, "$c[0]$[i]", "kx_in_c[0][i]"},
        {StageKind::Domain, "$oc[i]$", "kx_out_oc[i]"},
        {StageKind::Geometry, "$P[v]$", "kx_in_P[v]"},
        {StageKind::Geometry, "$oc[$GSInstanceID$]$", "kx_out_oc[gl_InvocationID]"},
    };
    for (const PlaceholderCase& c : cases) {
        const std::string glsl =
            GlslOf(StageWith(c.stage, hullDeclarations, "x = " + std::string(c.placeholder) + ";"), c.stage);
        EXPECT_TRUE(Contains(glsl, "x = " + std::string(c.glsl) + ";")) << c.placeholder << "\n" << glsl;
    }
    EXPECT_EQ(ErrorOf(StageWith(StageKind::Vertex, "[out float d : DepthClip]", "x = $d[0]$;"), StageKind::Vertex),
              "line 4: $d$ has 0 array dimension(s), not 1");
}

}  // namespace
}  // namespace Korvex::Rendering::ShaderCompiler
