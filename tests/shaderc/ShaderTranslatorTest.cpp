// The shader translator: stage attributes, placeholders, interfaces,
// resources and vocabulary as GLSL, and every error at its line.

#include "meshes/line/LineGridMesh.h"

#include <ShaderTranslator.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace Korvex::Rendering::ShaderCompiler {
namespace {

// The attributes a stage cannot do without, so that a test can focus on one
// construct.
inline std::string_view RequiredAttributes(StageKind stage) {
    switch (stage) {
    case StageKind::Hull: return "[output_control_points = 3]\n";
    case StageKind::Domain: return "[domain = triangle]\n";
    case StageKind::Geometry: return "[input_topology = points]\n[output_topology = triangles]\n[max_vertices = 4]\n";
    default: return "";
    }
}

// A stage made of `declarations`, a main with `body`, and what the stage
// needs besides (attributes, the hull's patch-constant function).
inline std::string StageWith(StageKind stage, std::string_view declarations, std::string_view body) {
    std::string text = std::string(RequiredAttributes(stage)) + std::string(declarations) + "\nvoid main()\n{\n" +
                       std::string(body) + "\n}\n";
    if (stage == StageKind::Hull) {
        text += "void patch_constant_function()\n{\n}\n";
    }
    return text;
}

inline std::string GlslOf(std::string_view source, StageKind stage) {
    const Translation translation = TranslateStage(source, stage);
    EXPECT_TRUE(translation.Ok()) << translation.error << "\n--- source:\n" << source;
    return translation.glsl;
}

inline std::string ErrorOf(std::string_view source, StageKind stage) {
    const Translation translation = TranslateStage(source, stage);
    EXPECT_FALSE(translation.Ok()) << "translated without error:\n" << translation.glsl;
    EXPECT_TRUE(translation.glsl.empty());
    return translation.error;
}

inline bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

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
        {StageKind::Domain, "[domain = triangle]\n[spacing = pow2]",
         "line 2: [spacing = pow2]: expected one of equal, fractional_odd, fractional_even"},
        {StageKind::Hull, "[output_control_points = 0]", "line 1: [output_control_points = 0]: expected a number from 1 to 32"},
        {StageKind::Geometry, "[max_vertices = 257]", "line 1: [max_vertices = 257]: expected a number from 1 to 256"},
        {StageKind::Hull, "[output_control_points = 2]\n[output_control_points = 2]",
         "line 2: [output_control_points] is already given on line 1"},
        {StageKind::Hull, "[domain = isoline]", "line 3: a hull stage needs [output_control_points = ...]"},
        {StageKind::Domain, "[domain = isoline]\n[output_topology = triangles]",
         "line 2: [output_topology = triangles] does not fit [domain = isoline]"},
    };
    for (const LayoutCase& c : cases) {
        EXPECT_EQ(ErrorOf(WithMain(c.attributes, c.stage), c.stage), c.expected) << c.attributes;
    }
}

TEST(StageTranslation, HullRunsMainPerControlPointThenPatchConstantsOnce) {
    const std::string glsl = GlslOf(LineGridMesh::ProgramKey{2, true, true, true}.BuildSources().stages[kStageIndexHull], StageKind::Hull);
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
        {StageKind::Hull, "$TessLevelOuter[1]$", "gl_TessLevelOuter[1]"},
        {StageKind::Hull, "$OutputControlPointID$", "gl_InvocationID"},
        {StageKind::Hull, "$Position[$OutputControlPointID$]$", "gl_in[gl_InvocationID].gl_Position"},
        {StageKind::Domain, "$TessCoord$", "gl_TessCoord"},
        {StageKind::Geometry, "$GSInstanceID$", "gl_InvocationID"},
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
        {StageKind::Geometry, "$TessLevelOuter[0]$", "line 7: $TessLevelOuter$ is not available in a geometry stage"},
        {StageKind::Vertex, "$Position[0]$",
         "line 4: $Position[...]$ reads per-vertex inputs, which a vertex stage does not have"},
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
        {StageKind::Hull, "$oc$[i]", "kx_out_oc[gl_InvocationID][i]"},
        {StageKind::Domain, "$oc[i]$", "kx_out_oc[i]"},
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

struct Case {
    std::string_view source;
    std::string_view expected;
};

std::string Translated(StageKind stage, std::string_view declarations) {
    return GlslOf(StageWith(stage, declarations, ""), stage);
}

TEST(InterfaceTranslation, KnownSemanticsHaveFixedLocations) {
    const Case cases[] = {
        {"[out float4 p : position]", "layout(location = 0) out vec4 kx_out_p;"},
        {"[out float4 p : position : 32]", "layout(location = 0) out vec4 kx_out_p[32];"},
        {"[out float3 n : normal]", "layout(location = 1) out vec3 kx_out_n;"},
        {"[out float4 uvw : sample_coord : 8]", "layout(location = 2) out vec4 kx_out_uvw[8];"},
        {"[out float c : clip_distance : 8]", "layout(location = 10) out float kx_out_c[8];"},
        {"[out float4 corners : view_position : 8]", "layout(location = 10) out vec4 kx_out_corners[8];"},
        {"[out float d : DepthClip]", "layout(location = 18) out float kx_out_d;"},
        {"[out float2 q : signed_uv]", "layout(location = 22) out vec2 kx_out_q;"},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(Contains(Translated(StageKind::Vertex, c.source), c.expected)) << c.source;
    }
}

TEST(InterfaceTranslation, VertexInputsTakeLocationsInDeclarationOrder) {
    const std::string source = StageWith(StageKind::Vertex, "[in float3 N : normal]\n[in float3 P : position]\n"
                                                            "[in uint4 ids : bone_ids]\n[out float3 oN : normal]", "");
    const Translation translation = TranslateStage(source, StageKind::Vertex);
    ASSERT_TRUE(translation.Ok()) << translation.error;
    EXPECT_TRUE(Contains(translation.glsl, "layout(location = 0) in vec3 kx_in_N;"));
    EXPECT_TRUE(Contains(translation.glsl, "layout(location = 1) in vec3 kx_in_P;"));
    EXPECT_TRUE(Contains(translation.glsl, "layout(location = 2) in uvec4 kx_in_ids;"));
    EXPECT_TRUE(Contains(translation.glsl, "layout(location = 1) out vec3 kx_out_oN;"));
    EXPECT_EQ(translation.vertexInputs, (std::vector<std::string>{"normal", "position", "bone_ids"}));
    EXPECT_TRUE(TranslateStage(StageWith(StageKind::Pixel, "[in float3 N : normal]", ""), StageKind::Pixel)
                    .vertexInputs.empty());
}

TEST(InterfaceTranslation, PixelOutputsTakeTheirTargetNumber) {
    const std::string glsl = Translated(StageKind::Pixel, "[out float4 color : 0]\n[out float4 oDepthClip : 2]\n"
                                                          "[out float4 value : 1]\n[out uint id : 7]");
    EXPECT_TRUE(Contains(glsl, "layout(location = 0) out vec4 kx_out_color;"));
    EXPECT_TRUE(Contains(glsl, "layout(location = 1) out vec4 kx_out_value;"));
    EXPECT_TRUE(Contains(glsl, "layout(location = 2) out vec4 kx_out_oDepthClip;"));
    EXPECT_TRUE(Contains(glsl, "layout(location = 7) out uint kx_out_id;"));
}

TEST(InterfaceTranslation, RejectsBadDeclarations) {
    const Case cases[] = {
        {"[in float3 P : position : 2]", "line 1: vertex input 'P' needs a semantic name and no count"},
        {"[in float3 P : position]\n[in float3 Q : position]", "line 2: vertex input semantic 'position' is declared twice"},
        {"[out float4 P : 0]", "line 1: numeric semantics are for pixel outputs; 'P' needs a semantic name"},
        {"[out float4 a : position]\n[in float3 a : normal]",
         "line 2: 'a' is already declared on line 1; inputs and outputs need distinct names"},
        {"[out float c : clip_distance : 2]\n[out float4 v : view_position : 8]",
         "line 2: 'v' (semantic 'view_position', location 10) overlaps 'c' (semantic 'clip_distance', location 10, line 1)"},
        {"[out float4 x : something : 10]", "line 1: semantic 'something' with 10 elements does not fit below location 32"},
        {"[out float4 x : clip_distance : 0]", "line 1: array count '0' of 'x' must be a number from 1 to 32"},
        {"[out bool x : flag]", "line 1: 'bool' is not an interface type (float, int or uint, 1 to 4 components)"},
        {"[out float4 x]",
         "line 1: malformed interface declaration '[out float4 x]'; expected [in|out type name : semantic] or [... : "
         "semantic : count]"},
        {"[out float4 x : a : b]", "line 1: array count 'b' of 'x' must be a number from 1 to 32"},
        {"[out float5 x : m]", "line 1: 'float5' is not an interface type (float, int or uint, 1 to 4 components)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ErrorOf(std::string(c.source) + "\nvoid main() {}\n", StageKind::Vertex), c.expected) << c.source;
    }
}

TEST(InterfaceTranslation, RejectsBadPixelOutputsAndTooManyVertexInputs) {
    EXPECT_EQ(ErrorOf("[out float4 color : target]\nvoid main() {}\n", StageKind::Pixel),
              "line 1: pixel output 'color' needs a render-target number 0 to 7 as its semantic, e.g. [out float4 color : 0]");
    EXPECT_EQ(ErrorOf("[out float4 color : 8]\nvoid main() {}\n", StageKind::Pixel),
              "line 1: pixel output 'color' needs a render-target number 0 to 7 as its semantic, e.g. [out float4 color : 0]");
    EXPECT_EQ(ErrorOf("[out float4 a : 1]\n[out float4 b : 1]\nvoid main() {}\n", StageKind::Pixel),
              "line 2: 'b' (semantic '1', location 1) overlaps 'a' (semantic '1', location 1, line 1)");
    std::string inputs;
    for (int i = 0; i < 11; ++i) {
        inputs += "[in float4 a" + std::to_string(i) + " : s" + std::to_string(i) + "]\n";
    }
    EXPECT_EQ(ErrorOf(inputs + "void main() {}\n", StageKind::Vertex), "line 11: a vertex stage takes at most 10 inputs");
}


TEST(ResourceTranslation, ConstantBufferBecomesStd140BlockWithGlobalMembers) {
    const std::string glsl = GlslOf("\nCBUFFER(constants, 3)\n      {\n      float4x4 model_matrix;\n"
                                    "      float alpha_value;\n      float4 clip_planes[8];\n      };\n"
                                    "void main() { x = mul(model_matrix, clip_planes[1]) * alpha_value; }\n",
                                    StageKind::Vertex);
    EXPECT_TRUE(Contains(glsl, "layout(std140, binding = 3) uniform kx_cbuffer_constants\n      {\n"
                               "      mat4 model_matrix;\n      float alpha_value;\n      vec4 clip_planes[8];\n"
                               "      };"))
        << glsl;
    EXPECT_TRUE(Contains(glsl, "x = ((model_matrix) * (clip_planes[1])) * alpha_value;"));
}

TEST(ResourceTranslation, TexturesAndBuffersBecomeSamplersAtTheirSlots) {
    const Case cases[] = {
        {"TEXTURE_3D(float4, value_texture, 2);", "layout(binding = 2) uniform sampler3D value_texture;"},
        {"TEXTURE_1D(float4, gradient_texture, 3);", "layout(binding = 3) uniform sampler1D gradient_texture;"},
        {"TEXTURE_3D(int4, t, 1);", "layout(binding = 1) uniform isampler3D t;"},
        {"BUFFER(uint, voxels, 0);", "layout(binding = 0) uniform usamplerBuffer voxels;"},
        {"BUFFER( uint , spaced ,  5 ) ;", "layout(binding = 5) uniform usamplerBuffer spaced ;"},
    };
    for (const Case& c : cases) {
        const std::string glsl = GlslOf(std::string(c.source) + "\nvoid main() {}\n", StageKind::Pixel);
        EXPECT_TRUE(Contains(glsl, c.expected)) << c.source << "\n" << glsl;
    }
}

TEST(ResourceTranslation, AccessesBecomeTextureCallsWithTheTexelWidth) {
    const std::string_view declarations =
        "TEXTURE_3D(float4, t4, 0);\nTEXTURE_3D(float, t1, 1);\nTEXTURE_1D(float3, t3, 2);\n"
        "BUFFER(uint, voxels, 3);\nBUFFER(float2, pairs, 4);\n";
    const Case cases[] = {
        {"c = SAMPLE(t4, uvw);", "c = texture(t4, uvw);"},
        {"c = SAMPLE_LEVEL(t4, uvw.xyz, 0.0).x;", "c = textureLod(t4, uvw.xyz, 0.0).x;"},
        {"c = SAMPLE( t3 , saturate(u) );", "c = texture(t3, clamp((u), 0.0, 1.0)).xyz;"},
        {"i = READ(voxels, $VertexId$);", "i = texelFetch(voxels, int(gl_VertexID)).x;"},
        {"p = READ(pairs, 2u * n + 1u);", "p = texelFetch(pairs, int(2u * n + 1u)).xy;"},
        {"c = mul(M, SAMPLE_LEVEL(t4, lerp(a, b, t), 0.0));", "c = ((M) * (textureLod(t4, mix(a, b, t), 0.0)));"},
    };
    for (const Case& c : cases) {
        const std::string glsl = GlslOf(StageWith(StageKind::Vertex, declarations, c.source), StageKind::Vertex);
        EXPECT_TRUE(Contains(glsl, c.expected)) << c.source << "\n" << glsl;
    }
}

TEST(ResourceTranslation, RejectsMalformedResources) {
    const Case cases[] = {
        {"CBUFFER(c, 8) { float x; };", "line 1: CBUFFER(name, slot): slot '8' is not a number from 0 to 7"},
        {"CBUFFER(c) { float x; };", "line 1: expected CBUFFER(name, slot)"},
        {"CBUFFER(c, 0);", "line 1: CBUFFER(name, slot) must be followed by '{ fields };'"},
        {"TEXTURE_3D(float4, t, 16);", "line 1: TEXTURE_3D(type, name, slot): slot '16' is not a number from 0 to 15"},
        {"TEXTURE_3D(bool, t, 1);",
         "line 1: TEXTURE_3D(type, name, slot): 'bool' is not a texel type (float, int or uint, 1 to 4 components)"},
        {"TEXTURE_3D(float4, t + 1, 1);",
         "line 1: TEXTURE_3D: each of these arguments must be a single name or number"},
        {"TEXTURE_3D(float4, t, 1)\nvoid main() {}", "line 1: TEXTURE_3D(...) must be followed by ';'"},
        {"TEXTURE_3D(float4, sample, 1);", "line 1: 'sample' is reserved in GLSL; choose another name"},
        {"TEXTURE_3D(float4, t, 1);\nTEXTURE_1D(float4, t, 2);", "line 2: 't' is already declared on line 1"},
        {"TEXTURE_3D(float4, a, 1);\nBUFFER(uint, b, 1);", "line 2: slot 1 is already used by 'a' on line 1"},
        {"void f() { TEXTURE_3D(float4, t, 1); }", "line 1: TEXTURE_3D declarations belong at file scope"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ErrorOf(std::string(c.source) + "\nvoid main() {}\n", StageKind::Pixel), c.expected) << c.source;
    }
}

TEST(ResourceTranslation, RejectsMisusedAccesses) {
    const std::string_view declarations = "TEXTURE_3D(float4, t, 0);\nBUFFER(uint, b, 1);\nCBUFFER(c, 0) { float x; };\n";
    const Case cases[] = {
        {"v = SAMPLE(b, 1);", "line 5: SAMPLE(texture, coord): 'b' is a BUFFER; use READ"},
        {"v = READ(t, 1);", "line 5: READ(buffer, index): 't' is a texture; use SAMPLE or SAMPLE_LEVEL"},
        {"v = SAMPLE(missing, uvw);", "line 5: SAMPLE(texture, coord): 'missing' is not a declared texture or buffer"},
        {"v = SAMPLE(c, uvw);", "line 5: SAMPLE(texture, coord): 'c' is not a declared texture or buffer"},
        {"v = SAMPLE(t);", "line 5: expected SAMPLE(texture, coord)"},
        {"v = READ();", "line 5: READ needs a texture or buffer as its first argument"},
        {"v = SAMPLE(t + 1, uvw);", "line 5: SAMPLE: each of these arguments must be a single name or number"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ErrorOf(std::string(declarations) + "void main() {\n" + std::string(c.source) + "\n}\n",
                          StageKind::Pixel),
                  c.expected)
            << c.source;
    }
}

struct Rewrite {
    std::string_view hlsl;
    std::string_view glsl;
};

std::string TranslatedBody(std::string_view body) {
    return GlslOf(StageWith(StageKind::Vertex, "", body), StageKind::Vertex);
}

TEST(VocabularyTranslation, TypesBecomeGlslTypes) {
    const Rewrite cases[] = {
        {"float2 a; float3 b; float4 c; float d;", "vec2 a; vec3 b; vec4 c; float d;"},
        {"float2x2 m2; float3x3 m3; float4x4 m4;", "mat2 m2; mat3 m3; mat4 m4;"},
        {"int i; int2 i2; int3 i3; int4 i4;", "int i; ivec2 i2; ivec3 i3; ivec4 i4;"},
        {"uint u; uint2 u2; uint3 u3; uint4 u4;", "uint u; uvec2 u2; uvec3 u3; uvec4 u4;"},
        {"float3x3 n = float3x3(m);", "mat3 n = mat3(m);"},
    };
    for (const Rewrite& c : cases) {
        EXPECT_TRUE(Contains(TranslatedBody(c.hlsl), c.glsl)) << c.hlsl;
    }
}

TEST(VocabularyTranslation, FunctionsBecomeGlslFunctions) {
    const Rewrite cases[] = {
        {"x = lerp(a, b, t);", "x = mix(a, b, t);"},
        {"x = frac(y);", "x = fract(y);"},
        {"x = ddx(y) + ddy(y);", "x = dFdx(y) + dFdy(y);"},
        {"x = saturate(y + 1.0);", "x = clamp((y + 1.0), 0.0, 1.0);"},
        {"x = saturate(lerp(a, b, t));", "x = clamp((mix(a, b, t)), 0.0, 1.0);"},
        {"x = mul(M, v);", "x = ((M) * (v));"},
        {"x = mul(mul(A, B), float4(v, 1.0));", "x = ((((A) * (B))) * (vec4(v, 1.0)));"},
        {"x = mul(f(a, b), g(c[1], (d, e)));", "x = ((f(a, b)) * (g(c[1], (d, e))));"},
        {"x = mul(a + b, c - d).xyz;", "x = ((a + b) * (c - d)).xyz;"},
    };
    for (const Rewrite& c : cases) {
        const std::string glsl = TranslatedBody(c.hlsl);
        EXPECT_TRUE(Contains(glsl, c.glsl)) << c.hlsl << "\n" << glsl;
    }
}

TEST(VocabularyTranslation, CommonFunctionsPassThrough) {
    const std::string_view body =
        "x = smoothstep(0.0, fwidth(y) * 1.5, y) + clamp(y, 0.0, 1.0) + dot(a, b) + length(a)"
        " + abs(y) + min(y, z) + max(y, z) + step(y, z); n = normalize(cross(a, b));";
    EXPECT_TRUE(Contains(TranslatedBody(body), body));
    const std::string pixel = GlslOf(StageWith(StageKind::Pixel, "", "if (x < 0.0) { discard; }"), StageKind::Pixel);
    EXPECT_TRUE(Contains(pixel, "if (x < 0.0) { discard; }"));
}

TEST(VocabularyTranslation, LoopHintsAreDropped) {
    const Rewrite cases[] = {
        {"[unroll]\n    for (int i = 0; i < 2; ++i) {}", "\n    for (int i = 0; i < 2; ++i) {}"},
        {"[unroll(8)] for (;;) {}", " for (;;) {}"},
        {"x = 1; [loop] while (x > 0) { [branch] if (y) {} --x; }", "x = 1;  while (x > 0) {  if (y) {} --x; }"},
    };
    for (const Rewrite& c : cases) {
        const std::string glsl = TranslatedBody(c.hlsl);
        EXPECT_TRUE(Contains(glsl, c.glsl)) << c.hlsl << "\n" << glsl;
        EXPECT_FALSE(Contains(glsl, "[unroll")) << c.hlsl;
    }
}

TEST(VocabularyTranslation, StaticConstLosesStatic) {
    const std::string glsl = GlslOf("static const float2 k[2] = { float2(1.0, 0.0), float2(0.0, 1.0) };\n"
                                    "void main() {}\n",
                                    StageKind::Vertex);
    EXPECT_TRUE(Contains(glsl, " const vec2 k[2] = { vec2(1.0, 0.0), vec2(0.0, 1.0) };"));
    EXPECT_FALSE(Contains(glsl, "static"));
    EXPECT_EQ(ErrorOf("static float k;\nvoid main() {}\n", StageKind::Vertex),
              "line 1: 'static' is only supported in 'static const'");
}

TEST(VocabularyTranslation, IndexingAfterAnExpressionIsNotAnAttribute) {
    const std::string glsl = TranslatedBody("x = planes[i][1] + float3(1.0, 2.0, 3.0)[j];");
    EXPECT_TRUE(Contains(glsl, "x = planes[i][1] + vec3(1.0, 2.0, 3.0)[j];"));
}

TEST(VocabularyTranslation, MultiLineArgumentsAndCommentsKeepLineCount) {
    const std::string source =
        "void main()\n{\n    x = mul(M, // model\n            v);\n    /* one\n       two */ y = 1;\n}\n";
    const std::string glsl = GlslOf(source, StageKind::Vertex);
    const std::string body = glsl.substr(glsl.find("#line 1\n") + 8);
    EXPECT_EQ(std::count(body.begin(), body.end(), '\n'), 7);
    EXPECT_TRUE(Contains(body, "x = ((M) * (v))\n;"));  // the break moves behind the expression
    EXPECT_FALSE(Contains(body, "model"));
    EXPECT_FALSE(Contains(body, "two"));
}

TEST(VocabularyTranslation, CommentsMayHoldAnyText) {
    const std::string glsl = GlslOf("// p' = M \xC3\x97 p, \"quoted\" #hash $dollar$ [in x]\n"
                                    "/* \x01 [out y] */ void main() {}\n",
                                    StageKind::Vertex);
    EXPECT_FALSE(Contains(glsl, "quoted"));
    EXPECT_FALSE(Contains(glsl, "dollar"));
}


TEST(ErrorTranslation, ReportsTheLineOfTheFault) {
    const Case cases[] = {
        {"void main()\n{\n    x = (1;\n}\n", "line 4: '}' does not match '(' opened on line 3"},
        {"void main()\n{\n    x = 1;\n", "line 2: '{' is never closed"},
        {"void main() {}\n}\n", "line 2: '}' closes nothing"},
        {"#define X 1\nvoid main() {}\n", "line 1: preprocessor directives are not supported"},
        {"void main()\n{\n    s = \"text\";\n}\n", "line 3: unexpected character '\"'"},
        {"void main() { x = 1\xC3\x97 2; }\n", "line 1: unexpected character 0xC3"},
        {"void main() {\n x = $P;\n}\n", "line 2: placeholder $P is not closed by '$'"},
        {"void main() {\n x = $ P$;\n}\n", "line 2: '$' must begin a placeholder such as $name$"},
        {"void main() {\n\n x = mul(a);\n}\n", "line 3: mul takes two arguments: mul(a, b)"},
        {"void main() {\n x = saturate();\n}\n", "line 2: saturate takes one argument: saturate(x)"},
        {"void main() {\n x = mul;\n}\n", "line 2: 'mul' must be followed by '('"},
        {"[foo bar]\nvoid main() {}\n", "line 1: unknown attribute '[foo bar]'"},
        {"\n[unroll\nvoid main() {}\n", "line 2: '[' opens an attribute that is not closed on its line"},
        {"", "line 1: the vertex stage defines no main()"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ErrorOf(c.source, StageKind::Vertex), c.expected) << c.source;
    }
}

TEST(ErrorTranslation, RejectsNamesGlslReserves) {
    for (std::string_view name : {"sample", "input", "output", "filter", "packed", "half", "common", "patch", "buffer",
                                  "shared", "precise", "interface", "active", "partition", "smooth", "flat",
                                  "uniform", "layout", "texture", "textureLod", "texelFetch", "mix", "fract",
                                  "barrier", "sampler3D", "usamplerBuffer", "gl_Position", "kx_in_P"}) {
        const std::string source = "void main()\n{\n    float " + std::string(name) + " = 1.0;\n}\n";
        EXPECT_EQ(ErrorOf(source, StageKind::Pixel), "line 3: '" + std::string(name) + "' is reserved in GLSL; choose another name");
    }
    EXPECT_EQ(ErrorOf("CBUFFER(constants, 0)\n{\n    float4 filter;\n};\nvoid main() {}\n", StageKind::Pixel),
              "line 3: 'filter' is reserved in GLSL; choose another name");
}

TEST(ErrorTranslation, AcceptsNamesHlslAndGlslShare) {
    GlslOf(StageWith(StageKind::Pixel, "",
                     "float sampler = 1.0; float image = 2.0; float samples = 3.0; float input_value = 4.0;"
                     " float patches = 5.0; float half_width = 6.0;"),
           StageKind::Pixel);
}

TEST(ErrorTranslation, DeepNestingIsRejectedNotRecursedInto) {
    std::string calls = "void main() { x = ";
    std::string placeholders = calls;
    std::string parentheses = calls;
    for (int i = 0; i < 100000; ++i) {
        calls += "mul(a, ";
        placeholders += "$P[";
        parentheses += "(";
    }
    for (int i = 0; i < 100000; ++i) {
        calls += ")";
        placeholders += "]$";
        parentheses += ")";
    }
    EXPECT_EQ(ErrorOf(calls + "; }", StageKind::Vertex), "line 1: expression nested too deeply");
    EXPECT_EQ(ErrorOf("[out float4 P : position]\n" + placeholders + "; }", StageKind::Vertex),
              "line 2: expression nested too deeply");
    EXPECT_EQ(ErrorOf(parentheses, StageKind::Vertex), "line 1: '{' is never closed");
}

}  // namespace
}  // namespace Korvex::Rendering::ShaderCompiler
