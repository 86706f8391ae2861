// The shader translator: stage attributes, placeholders, interfaces,
// resources and vocabulary as GLSL, and every error at its line.

#include "meshes/line/LineGridMesh.h"

#include <ShaderTranslator.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace Korvex::Rendering::ShaderCompiler {
namespace {

using enum StageKind;

// The attributes a stage cannot do without, so that a case can focus on one
// construct.
std::string_view RequiredAttributes(StageKind stage) {
    switch (stage) {
    case Hull: return "[output_control_points = 3]\n";
    case Domain: return "[domain = triangle]\n";
    case Geometry: return "[input_topology = points]\n[output_topology = triangles]\n[max_vertices = 4]\n";
    default: return "";
    }
}

// A stage made of `declarations`, a main with `body`, and what the stage
// needs besides (attributes, the hull's patch-constant function).
std::string StageWith(StageKind stage, std::string_view declarations, std::string_view body) {
    return std::string(RequiredAttributes(stage)) + std::string(declarations) + "\nvoid main()\n{\n" +
           std::string(body) + "\n}\n" + (stage == Hull ? "void patch_constant_function()\n{\n}\n" : "");
}

std::string GlslOf(std::string_view source, StageKind stage) {
    const Translation translation = TranslateStage(source, stage);
    EXPECT_TRUE(translation.Ok()) << translation.error << "\n--- source:\n" << source;
    return translation.glsl;
}

std::string ErrorOf(std::string_view source, StageKind stage) {
    const Translation translation = TranslateStage(source, stage);
    EXPECT_FALSE(translation.Ok()) << "translated without error:\n" << translation.glsl;
    EXPECT_TRUE(translation.glsl.empty());
    return translation.error;
}

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

const std::string kMain = "\nvoid main() {}\n";
const std::string kHullMain = kMain + "void patch_constant_function() {}\n";

TEST(ShaderTranslator, AttributesBecomeLayoutQualifiers) {
    const std::tuple<StageKind, std::string_view, std::string_view> cases[] = {
        {Hull, "[domain = isoline]\n[spacing = equal]\n[input_control_points = 2]\n[output_control_points = 2]\n"
               "[output_topology = lines]",
         "layout(vertices = 2) out;\n"},
        {Domain, "[domain = isoline]\n[spacing = equal]\n[output_control_points = 2]\n[output_topology = lines]",
         "layout(isolines, equal_spacing) in;\n"},
        {Domain, "[domain = triangle]\n[spacing = equal]\n[input_control_points = 3]\n[output_topology = triangles]",
         "layout(triangles, equal_spacing, ccw) in;\n"},
        {Domain, "[domain = quad]\n[spacing = fractional_odd]\n[output_topology = points]",
         "layout(quads, fractional_odd_spacing, ccw, point_mode) in;\n"},
        {Geometry, "[instances = 6]\n[input_topology = points]\n[output_topology = triangles]\n[max_vertices = 4]",
         "layout(points, invocations = 6) in;\nlayout(triangle_strip, max_vertices = 4) out;\n"},
        {Geometry, "[input_topology = triangles]\n[output_topology = triangles]\n[max_vertices = 3]",
         "layout(triangles) in;\nlayout(triangle_strip, max_vertices = 3) out;\n"},
        {Geometry, "[input_topology = points]\n[output_topology = points]\n[max_vertices = 1]",
         "layout(points) in;\nlayout(points, max_vertices = 1) out;\n"},
    };
    for (const auto& [stage, attributes, expected] : cases) {
        const std::string glsl = GlslOf(std::string(attributes) + (stage == Hull ? kHullMain : kMain), stage);
        EXPECT_TRUE(Contains(glsl, "#version 450 core\n" + std::string(expected))) << attributes << "\n" << glsl;
        EXPECT_FALSE(Contains(glsl, "[")) << attributes;
    }
}

TEST(ShaderTranslator, HullRunsMainPerControlPointThenPatchConstantsOnce) {
    const std::string glsl = GlslOf(LineGridMesh::ProgramKey{2, true, true, true}.BuildSources().stages[kStageIndexHull], Hull);
    EXPECT_TRUE(Contains(glsl, "void kx_control_point_main()\n{\n    kx_out_oP[gl_InvocationID] = kx_in_P[gl_InvocationID];"));
    EXPECT_TRUE(Contains(glsl, "void main()\n{\n    kx_control_point_main();\n    barrier();\n"
                               "    if (gl_InvocationID == 0) {\n        patch_constant_function();\n    }\n}\n"));
    EXPECT_TRUE(Contains(glsl, "gl_TessLevelOuter[1] = clamp(length(kx_in_P[1] - kx_in_P[0]) / pixel_size_min_cell_size.z, 1.0, 64.0);"));
    EXPECT_TRUE(Contains(glsl, "if (!(kx_in_clip_distances[0][i] < 0.0 && kx_in_clip_distances[1][i] < 0.0))"));
    EXPECT_TRUE(Contains(glsl, "kx_out_oclip_distances[gl_InvocationID][i] = kx_in_clip_distances[gl_InvocationID][i];"));
}

// Each row: a stage of these declarations and main body holds this GLSL.
TEST(ShaderTranslator, ConstructsBecomeTheirGlsl) {
    const std::string_view io = "[in float4 P : position]\n[in float c : clip_distance : 2]\n"
                                "[out float4 oP : position]\n[out float oc : clip_distance : 2]";
    const std::string_view textures = "TEXTURE_3D(float4, t4, 0);\nTEXTURE_3D(float, t1, 1);\nTEXTURE_1D(float3, t3, 2);\n"
                                      "BUFFER(uint, voxels, 3);\nBUFFER(float2, pairs, 4);\n";
    const std::string_view targets = "[out float4 color : 0]\n[out float4 oDepthClip : 2]\n[out float4 value : 1]\n"
                                     "[out uint id : 7]";
    const std::string_view constants = "\nCBUFFER(constants, 3)\n      {\n      float4x4 model_matrix;\n"
                                       "      float alpha_value;\n      float4 clip_planes[8];\n      };\n";
    const std::string_view common = "x = smoothstep(0.0, fwidth(y) * 1.5, y) + clamp(y, 0.0, 1.0) + dot(a, b) + "
                                    "length(a) + abs(y) + min(y, z) + max(y, z) + step(y, z); n = normalize(cross(a, b));";
    const struct { StageKind stage; std::string_view declarations, body, glsl; } cases[] = {
        // built-in placeholders
        {Vertex, "", "x = $Position$;", "x = gl_Position;"},
        {Hull, "", "x = $Position$;", "x = gl_out[gl_InvocationID].gl_Position;"},
        {Hull, "", "x = $TessLevelOuter[1]$;", "x = gl_TessLevelOuter[1];"},
        {Hull, "", "x = $OutputControlPointID$;", "x = gl_InvocationID;"},
        {Hull, "", "x = $Position[$OutputControlPointID$]$;", "x = gl_in[gl_InvocationID].gl_Position;"},
        {Domain, "", "x = $TessCoord$;", "x = gl_TessCoord;"},
        {Geometry, "", "x = $GSInstanceID$;", "x = gl_InvocationID;"},
        {Pixel, "", "x = $Position$.xy;", "x = gl_FragCoord.xy;"},
        // variable placeholders follow the stage's shape
        {Hull, io, "x = $P$;", "x = kx_in_P;"},
        {Hull, io, "x = $P[$OutputControlPointID$]$;", "x = kx_in_P[gl_InvocationID];"},
        {Hull, io, "x = $c[1]$[i];", "x = kx_in_c[1][i];"},
        {Hull, io, "x = $oP$;", "x = kx_out_oP[gl_InvocationID];"},
        {Hull, io, "x = $oc$[i];", "x = kx_out_oc[gl_InvocationID][i];"},
        {Domain, io, "x = $oc[i]$;", "x = kx_out_oc[i];"},
        {Geometry, io, "x = $oc[$GSInstanceID$]$;", "x = kx_out_oc[gl_InvocationID];"},
        // interface locations: fixed per known semantic, the target number for pixel outputs
        {Vertex, "[out float4 p : position]", "", "layout(location = 0) out vec4 kx_out_p;"},
        {Vertex, "[out float4 p : position : 32]", "", "layout(location = 0) out vec4 kx_out_p[32];"},
        {Vertex, "[out float3 n : normal]", "", "layout(location = 1) out vec3 kx_out_n;"},
        {Vertex, "[out float4 uvw : sample_coord : 8]", "", "layout(location = 2) out vec4 kx_out_uvw[8];"},
        {Vertex, "[out float c : clip_distance : 8]", "", "layout(location = 10) out float kx_out_c[8];"},
        {Vertex, "[out float4 corners : view_position : 8]", "", "layout(location = 10) out vec4 kx_out_corners[8];"},
        {Vertex, "[out float d : DepthClip]", "", "layout(location = 18) out float kx_out_d;"},
        {Vertex, "[out float2 q : signed_uv]", "", "layout(location = 22) out vec2 kx_out_q;"},
        {Pixel, targets, "", "layout(location = 0) out vec4 kx_out_color;"},
        {Pixel, targets, "", "layout(location = 1) out vec4 kx_out_value;"},
        {Pixel, targets, "", "layout(location = 2) out vec4 kx_out_oDepthClip;"},
        {Pixel, targets, "", "layout(location = 7) out uint kx_out_id;"},
        // resources at their slots, and their accesses with the texel width
        {Vertex, constants, "", "layout(std140, binding = 3) uniform kx_cbuffer_constants\n      {\n      mat4 model_matrix;\n"
                                "      float alpha_value;\n      vec4 clip_planes[8];\n      };"},
        {Vertex, constants, "x = mul(model_matrix, clip_planes[1]) * alpha_value;",
         "x = ((model_matrix) * (clip_planes[1])) * alpha_value;"},
        {Pixel, "TEXTURE_3D(float4, value_texture, 2);", "", "layout(binding = 2) uniform sampler3D value_texture;"},
        {Pixel, "TEXTURE_1D(float4, gradient_texture, 3);", "", "layout(binding = 3) uniform sampler1D gradient_texture;"},
        {Pixel, "TEXTURE_3D(int4, t, 1);", "", "layout(binding = 1) uniform isampler3D t;"},
        {Pixel, "BUFFER(uint, voxels, 0);", "", "layout(binding = 0) uniform usamplerBuffer voxels;"},
        {Pixel, "BUFFER( uint , spaced ,  5 ) ;", "", "layout(binding = 5) uniform usamplerBuffer spaced ;"},
        {Vertex, textures, "c = SAMPLE(t4, uvw);", "c = texture(t4, uvw);"},
        {Vertex, textures, "c = SAMPLE_LEVEL(t4, uvw.xyz, 0.0).x;", "c = textureLod(t4, uvw.xyz, 0.0).x;"},
        {Vertex, textures, "c = SAMPLE( t3 , saturate(u) );", "c = texture(t3, clamp((u), 0.0, 1.0)).xyz;"},
        {Vertex, textures, "i = READ(voxels, $VertexId$);", "i = texelFetch(voxels, int(gl_VertexID)).x;"},
        {Vertex, textures, "p = READ(pairs, 2u * n + 1u);", "p = texelFetch(pairs, int(2u * n + 1u)).xy;"},
        {Vertex, textures, "c = mul(M, SAMPLE_LEVEL(t4, lerp(a, b, t), 0.0));", "c = ((M) * (textureLod(t4, mix(a, b, t), 0.0)));"},
        // vocabulary: types, functions, loop hints, static const
        {Vertex, "", "float2 a; float3 b; float4 c; float d;", "vec2 a; vec3 b; vec4 c; float d;"},
        {Vertex, "", "float2x2 m2; float3x3 m3; float4x4 m4;", "mat2 m2; mat3 m3; mat4 m4;"},
        {Vertex, "", "int i; int2 i2; int3 i3; int4 i4;", "int i; ivec2 i2; ivec3 i3; ivec4 i4;"},
        {Vertex, "", "uint u; uint2 u2; uint3 u3; uint4 u4;", "uint u; uvec2 u2; uvec3 u3; uvec4 u4;"},
        {Vertex, "", "float3x3 n = float3x3(m);", "mat3 n = mat3(m);"},
        {Vertex, "", "x = lerp(a, b, t);", "x = mix(a, b, t);"},
        {Vertex, "", "x = frac(y);", "x = fract(y);"},
        {Vertex, "", "x = ddx(y) + ddy(y);", "x = dFdx(y) + dFdy(y);"},
        {Vertex, "", "x = saturate(y + 1.0);", "x = clamp((y + 1.0), 0.0, 1.0);"},
        {Vertex, "", "x = saturate(lerp(a, b, t));", "x = clamp((mix(a, b, t)), 0.0, 1.0);"},
        {Vertex, "", "x = mul(M, v);", "x = ((M) * (v));"},
        {Vertex, "", "x = mul(mul(A, B), float4(v, 1.0));", "x = ((((A) * (B))) * (vec4(v, 1.0)));"},
        {Vertex, "", "x = mul(f(a, b), g(c[1], (d, e)));", "x = ((f(a, b)) * (g(c[1], (d, e))));"},
        {Vertex, "", "x = mul(a + b, c - d).xyz;", "x = ((a + b) * (c - d)).xyz;"},
        {Vertex, "", common, common},
        {Pixel, "", "if (x < 0.0) { discard; }", "if (x < 0.0) { discard; }"},
        {Vertex, "", "x = planes[i][1] + float3(1.0, 2.0, 3.0)[j];", "x = planes[i][1] + vec3(1.0, 2.0, 3.0)[j];"},
        {Vertex, "", "x = 0;\n[unroll]\n    for (int i = 0; i < 2; ++i) {}", "x = 0;\n\n    for (int i = 0; i < 2; ++i) {}"},
        {Vertex, "", "x = 0; [unroll(8)] for (;;) {}", "x = 0;  for (;;) {}"},
        {Vertex, "", "x = 1; [loop] while (x > 0) { [branch] if (y) {} --x; }", "x = 1;  while (x > 0) {  if (y) {} --x; }"},
        {Vertex, "static const float2 k[2] = { float2(1.0, 0.0), float2(0.0, 1.0) };", "",
         " const vec2 k[2] = { vec2(1.0, 0.0), vec2(0.0, 1.0) };"},
    };
    for (const auto& c : cases) {
        const std::string glsl = GlslOf(StageWith(c.stage, c.declarations, c.body), c.stage);
        EXPECT_TRUE(Contains(glsl, c.glsl)) << c.declarations << "\n" << c.body << "\n" << glsl;
        for (const char* hint : {"[unroll", "[loop]", "[branch]", "static"}) EXPECT_FALSE(Contains(glsl, hint)) << hint;
    }
}

// Each row: a stage of this source fails with this message.
TEST(ShaderTranslator, ReportsEachFaultAtItsLine) {
    const std::string geometry = "[input_topology = points]\n[output_topology = triangles]\n[max_vertices = 4]\n";
    const std::string uses = "TEXTURE_3D(float4, t, 0);\nBUFFER(uint, b, 1);\nCBUFFER(c, 0) { float x; };\nvoid main() {\n";
    const struct { StageKind stage; std::string source; std::string_view error; } cases[] = {
        // stage attributes and entry points
        {Vertex, "[max_vertices = 4]" + kMain, "line 1: [max_vertices = 4] is not allowed in a vertex stage"},
        {Pixel, "[domain = triangle]" + kMain, "line 1: [domain = triangle] is not allowed in a pixel stage"},
        {Domain, "[domain = triangle]\n[spacing = pow2]" + kMain,
         "line 2: [spacing = pow2]: expected one of equal, fractional_odd, fractional_even"},
        {Hull, "[output_control_points = 0]" + kHullMain, "line 1: [output_control_points = 0]: expected a number from 1 to 32"},
        {Geometry, "[max_vertices = 257]" + kMain, "line 1: [max_vertices = 257]: expected a number from 1 to 256"},
        {Hull, "[output_control_points = 2]\n[output_control_points = 2]" + kHullMain,
         "line 2: [output_control_points] is already given on line 1"},
        {Hull, "[domain = isoline]" + kHullMain, "line 3: a hull stage needs [output_control_points = ...]"},
        {Domain, "[domain = isoline]\n[output_topology = triangles]" + kMain,
         "line 2: [output_topology = triangles] does not fit [domain = isoline]"},
        {Geometry, "void main()\n{\n    [max_vertices = 4]\n}\n", "line 3: stage attributes belong at file scope, outside any braces"},
        {Vertex, "void main()\n{\n    [in float4 P : position]\n}\n",
         "line 3: interface declarations belong at file scope, outside any braces"},
        {Hull, "[output_control_points = 2]\nvoid main()\n{\n}\n", "line 4: the hull stage defines no patch_constant_function()"},
        {Hull, "[output_control_points = 2]\nvoid patch_constant_function()\n{\n}\n", "line 4: the hull stage defines no main()"},
        {Pixel, "float main_value;\n", "line 1: the pixel stage defines no main()"},
        {Vertex, "", "line 1: the vertex stage defines no main()"},
        {static_cast<StageKind>(7), kMain, "line 1: unknown stage kind 7"},
        // placeholders
        {Vertex, "void main() { x = $TessCoord$; }", "line 1: $TessCoord$ is not available in a vertex stage"},
        {Pixel, "void main() { x = $VertexId$; }", "line 1: $VertexId$ is not available in a pixel stage"},
        {Geometry, geometry + "void main() { x = $TessLevelOuter[0]$; }",
         "line 4: $TessLevelOuter$ is not available in a geometry stage"},
        {Vertex, "void main() { x = $Position[0]$; }",
         "line 1: $Position[...]$ reads per-vertex inputs, which a vertex stage does not have"},
        {Vertex, "void main() { x = $Unknown$; }", "line 1: unknown placeholder $Unknown$: no input or output of that name"},
        {Vertex, "[out float d : DepthClip]\nvoid main() { x = $d[0]$; }", "line 2: $d$ has 0 array dimension(s), not 1"},
        // interface declarations
        {Vertex, "[in float3 P : position : 2]" + kMain, "line 1: vertex input 'P' needs a semantic name and no count"},
        {Vertex, "[in float3 P : position]\n[in float3 Q : position]" + kMain,
         "line 2: vertex input semantic 'position' is declared twice"},
        {Vertex, "[out float4 P : 0]" + kMain, "line 1: numeric semantics are for pixel outputs; 'P' needs a semantic name"},
        {Vertex, "[out float4 a : position]\n[in float3 a : normal]" + kMain,
         "line 2: 'a' is already declared on line 1; inputs and outputs need distinct names"},
        {Vertex, "[out float c : clip_distance : 2]\n[out float4 v : view_position : 8]" + kMain,
         "line 2: 'v' (semantic 'view_position', location 10) overlaps 'c' (semantic 'clip_distance', location 10, line 1)"},
        {Vertex, "[out float4 x : something : 10]" + kMain,
         "line 1: semantic 'something' with 10 elements does not fit below location 32"},
        {Vertex, "[out float4 x : clip_distance : 0]" + kMain, "line 1: array count '0' of 'x' must be a number from 1 to 32"},
        {Vertex, "[out float4 x : a : b]" + kMain, "line 1: array count 'b' of 'x' must be a number from 1 to 32"},
        {Vertex, "[out bool x : flag]" + kMain,
         "line 1: 'bool' is not an interface type (float, int or uint, 1 to 4 components)"},
        {Vertex, "[out float5 x : m]" + kMain,
         "line 1: 'float5' is not an interface type (float, int or uint, 1 to 4 components)"},
        {Vertex, "[out float4 x]" + kMain,
         "line 1: malformed interface declaration '[out float4 x]'; expected [in|out type name : semantic] or [... : "
         "semantic : count]"},
        {Pixel, "[out float4 color : target]" + kMain,
         "line 1: pixel output 'color' needs a render-target number 0 to 7 as its semantic, e.g. [out float4 color : 0]"},
        {Pixel, "[out float4 color : 8]" + kMain,
         "line 1: pixel output 'color' needs a render-target number 0 to 7 as its semantic, e.g. [out float4 color : 0]"},
        {Pixel, "[out float4 a : 1]\n[out float4 b : 1]" + kMain,
         "line 2: 'b' (semantic '1', location 1) overlaps 'a' (semantic '1', location 1, line 1)"},
        // resources and their accesses
        {Pixel, "CBUFFER(c, 8) { float x; };" + kMain, "line 1: CBUFFER(name, slot): slot '8' is not a number from 0 to 7"},
        {Pixel, "CBUFFER(c) { float x; };" + kMain, "line 1: expected CBUFFER(name, slot)"},
        {Pixel, "CBUFFER(c, 0);" + kMain, "line 1: CBUFFER(name, slot) must be followed by '{ fields };'"},
        {Pixel, "TEXTURE_3D(float4, t, 16);" + kMain,
         "line 1: TEXTURE_3D(type, name, slot): slot '16' is not a number from 0 to 15"},
        {Pixel, "TEXTURE_3D(bool, t, 1);" + kMain,
         "line 1: TEXTURE_3D(type, name, slot): 'bool' is not a texel type (float, int or uint, 1 to 4 components)"},
        {Pixel, "TEXTURE_3D(float4, t + 1, 1);" + kMain, "line 1: TEXTURE_3D: each of these arguments must be a single name or number"},
        {Pixel, "TEXTURE_3D(float4, t, 1)\nvoid main() {}", "line 1: TEXTURE_3D(...) must be followed by ';'"},
        {Pixel, "TEXTURE_3D(float4, sample, 1);" + kMain, "line 1: 'sample' is reserved in GLSL; choose another name"},
        {Pixel, "TEXTURE_3D(float4, t, 1);\nTEXTURE_1D(float4, t, 2);" + kMain, "line 2: 't' is already declared on line 1"},
        {Pixel, "TEXTURE_3D(float4, a, 1);\nBUFFER(uint, b, 1);" + kMain, "line 2: slot 1 is already used by 'a' on line 1"},
        {Pixel, "void f() { TEXTURE_3D(float4, t, 1); }" + kMain, "line 1: TEXTURE_3D declarations belong at file scope"},
        {Pixel, uses + "v = SAMPLE(b, 1);\n}\n", "line 5: SAMPLE(texture, coord): 'b' is a BUFFER; use READ"},
        {Pixel, uses + "v = READ(t, 1);\n}\n", "line 5: READ(buffer, index): 't' is a texture; use SAMPLE or SAMPLE_LEVEL"},
        {Pixel, uses + "v = SAMPLE(missing, uvw);\n}\n",
         "line 5: SAMPLE(texture, coord): 'missing' is not a declared texture or buffer"},
        {Pixel, uses + "v = SAMPLE(c, uvw);\n}\n", "line 5: SAMPLE(texture, coord): 'c' is not a declared texture or buffer"},
        {Pixel, uses + "v = SAMPLE(t);\n}\n", "line 5: expected SAMPLE(texture, coord)"},
        {Pixel, uses + "v = READ();\n}\n", "line 5: READ needs a texture or buffer as its first argument"},
        {Pixel, uses + "v = SAMPLE(t + 1, uvw);\n}\n", "line 5: SAMPLE: each of these arguments must be a single name or number"},
        // syntax
        {Vertex, "static float k;" + kMain, "line 1: 'static' is only supported in 'static const'"},
        {Vertex, "void main()\n{\n    x = (1;\n}\n", "line 4: '}' does not match '(' opened on line 3"},
        {Vertex, "void main()\n{\n    x = 1;\n", "line 2: '{' is never closed"},
        {Vertex, "void main() {}\n}\n", "line 2: '}' closes nothing"},
        {Vertex, "#define X 1\nvoid main() {}\n", "line 1: preprocessor directives are not supported"},
        {Vertex, "void main()\n{\n    s = \"text\";\n}\n", "line 3: unexpected character '\"'"},
        {Vertex, "void main() { x = 1\xC3\x97 2; }\n", "line 1: unexpected character 0xC3"},
        {Vertex, "void main() {\n x = $P;\n}\n", "line 2: placeholder $P is not closed by '$'"},
        {Vertex, "void main() {\n x = $ P$;\n}\n", "line 2: '$' must begin a placeholder such as $name$"},
        {Vertex, "void main() {\n\n x = mul(a);\n}\n", "line 3: mul takes two arguments: mul(a, b)"},
        {Vertex, "void main() {\n x = saturate();\n}\n", "line 2: saturate takes one argument: saturate(x)"},
        {Vertex, "void main() {\n x = mul;\n}\n", "line 2: 'mul' must be followed by '('"},
        {Vertex, "[foo bar]\nvoid main() {}\n", "line 1: unknown attribute '[foo bar]'"},
        {Vertex, "\n[unroll\nvoid main() {}\n", "line 2: '[' opens an attribute that is not closed on its line"},
        {Pixel, "CBUFFER(constants, 0)\n{\n    float4 filter;\n};\nvoid main() {}\n",
         "line 3: 'filter' is reserved in GLSL; choose another name"},
    };
    for (const auto& c : cases) EXPECT_EQ(ErrorOf(c.source, c.stage), c.error) << c.source;

    std::string inputs;
    for (int i = 0; i < 11; ++i) inputs += "[in float4 a" + std::to_string(i) + " : s" + std::to_string(i) + "]\n";
    EXPECT_EQ(ErrorOf(inputs + "void main() {}\n", Vertex), "line 11: a vertex stage takes at most 10 inputs");
}

TEST(ShaderTranslator, VertexInputsTakeLocationsInDeclarationOrder) {
    const std::string source =
        StageWith(Vertex, "[in float3 N : normal]\n[in float3 P : position]\n[in uint4 ids : bone_ids]\n[out float3 oN : normal]", "");
    const Translation translation = TranslateStage(source, Vertex);
    ASSERT_TRUE(translation.Ok()) << translation.error;
    EXPECT_TRUE(Contains(translation.glsl, "layout(location = 0) in vec3 kx_in_N;"));
    EXPECT_TRUE(Contains(translation.glsl, "layout(location = 1) in vec3 kx_in_P;"));
    EXPECT_TRUE(Contains(translation.glsl, "layout(location = 2) in uvec4 kx_in_ids;"));
    EXPECT_TRUE(Contains(translation.glsl, "layout(location = 1) out vec3 kx_out_oN;"));
    EXPECT_EQ(translation.vertexInputs, (std::vector<std::string>{"normal", "position", "bone_ids"}));
    EXPECT_TRUE(TranslateStage(StageWith(Pixel, "[in float3 N : normal]", ""), Pixel).vertexInputs.empty());
}

TEST(ShaderTranslator, CommentsAndMultiLineArgumentsKeepTheLineCount) {
    const std::string source =
        "void main()\n{\n    x = mul(M, // model\n            v);\n    /* one\n       two */ y = 1;\n}\n";
    const std::string glsl = GlslOf(source, Vertex);
    const std::string body = glsl.substr(glsl.find("#line 1\n") + 8);
    EXPECT_EQ(std::count(body.begin(), body.end(), '\n'), 7);
    EXPECT_TRUE(Contains(body, "x = ((M) * (v))\n;"));  // the break moves behind the expression
    EXPECT_FALSE(Contains(body, "model"));
    EXPECT_FALSE(Contains(body, "two"));
    // Comments may hold any text.
    const std::string any = GlslOf("// p' = M \xC3\x97 p, \"quoted\" #hash $dollar$ [in x]\n/* \x01 [out y] */ void main() {}\n", Vertex);
    EXPECT_FALSE(Contains(any, "quoted"));
    EXPECT_FALSE(Contains(any, "dollar"));
}

TEST(ShaderTranslator, RejectsNamesGlslReservesAndAcceptsNamesBothShare) {
    for (std::string_view name : {"sample", "input", "output", "filter", "packed", "half", "common", "patch", "buffer",
                                  "shared", "precise", "interface", "active", "partition", "smooth", "flat",
                                  "uniform", "layout", "texture", "textureLod", "texelFetch", "mix", "fract",
                                  "barrier", "sampler3D", "usamplerBuffer", "gl_Position", "kx_in_P"}) {
        const std::string source = "void main()\n{\n    float " + std::string(name) + " = 1.0;\n}\n";
        EXPECT_EQ(ErrorOf(source, Pixel), "line 3: '" + std::string(name) + "' is reserved in GLSL; choose another name");
    }
    GlslOf(StageWith(Pixel, "",
                     "float sampler = 1.0; float image = 2.0; float samples = 3.0; float input_value = 4.0;"
                     " float patches = 5.0; float half_width = 6.0;"),
           Pixel);
}

TEST(ShaderTranslator, DeepNestingIsRejectedNotRecursedInto) {
    std::string calls = "void main() { x = ";
    std::string placeholders = calls;
    std::string parentheses = calls;
    for (int i = 0; i < 100000; ++i) calls += "mul(a, ", placeholders += "$P[", parentheses += "(";
    for (int i = 0; i < 100000; ++i) calls += ")", placeholders += "]$", parentheses += ")";
    EXPECT_EQ(ErrorOf(calls + "; }", Vertex), "line 1: expression nested too deeply");
    EXPECT_EQ(ErrorOf("[out float4 P : position]\n" + placeholders + "; }", Vertex), "line 2: expression nested too deeply");
    EXPECT_EQ(ErrorOf(parentheses, Vertex), "line 1: '{' is never closed");
}

// The stage that feeds the rasteriser copies its clip distances to
// gl_ClipDistance; the pixel stage after it reads them as 0.
TEST(ClipDistanceTranslation, TheStageFeedingTheRasteriserWritesGlClipDistance) {
    constexpr std::string_view kArray = "[out float c : clip_distance : 3]";
    struct Case {
        const char* what;
        StageKind stage;
        std::string_view declaration;
        bool feedsRasterizer;
        unsigned count;
        std::vector<std::string_view> expected;
    };
    const Case cases[] = {
        {"vertex", StageKind::Vertex, kArray, true, 3,
         {"out float gl_ClipDistance[3];", "void kx_stage_main()", "kx_stage_main();\n    gl_ClipDistance[0] = "
          "kx_out_c[0];\n    gl_ClipDistance[1] = kx_out_c[1];\n    gl_ClipDistance[2] = kx_out_c[2];\n}"}},
        {"domain", StageKind::Domain, kArray, true, 3, {"gl_ClipDistance[2] = kx_out_c[2];"}},
        {"geometry", StageKind::Geometry, kArray, true, 3,
         {"void kx_emit_vertex()\n{\n    gl_ClipDistance[0] = kx_out_c[0];", "    EmitVertex();\n}",
          "kx_emit_vertex();"}},
        {"one distance", StageKind::Vertex, "[out float c : clip_distance]", true, 1,
         {"gl_ClipDistance[0] = kx_out_c;"}},
        {"a stage before another", StageKind::Vertex, kArray, false, 0, {"void main()"}},
        {"a hull stage", StageKind::Hull, "[out float c : clip_distance : 3]", true, 0, {}},
        {"no clip distances", StageKind::Vertex, "[out float4 p : position]", true, 0, {"void main()"}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        const std::string body = test.stage == StageKind::Geometry ? "EmitVertex();" : "";
        const Translation translation = TranslateStage(StageWith(test.stage, test.declaration, body), test.stage,
                                                       {.feedsRasterizer = test.feedsRasterizer});
        ASSERT_TRUE(translation.Ok()) << translation.error;
        EXPECT_EQ(translation.clipDistances, test.count);
        EXPECT_EQ(Contains(translation.glsl, "gl_ClipDistance"), test.count != 0);
        for (std::string_view part : test.expected)
            EXPECT_TRUE(Contains(translation.glsl, part)) << part << "\n" << translation.glsl;
    }
}

TEST(ClipDistanceTranslation, ThePixelStageAfterHardwareClippingReadsZero) {
    const std::string source = StageWith(StageKind::Pixel,
                                         "[in float c : clip_distance : 2]\n[in float d : clip_distance_b]\n"
                                         "[out float4 color : 0]",
                                         "");
    const std::string clipped = TranslateStage(source, StageKind::Pixel, {.clippedBeforeRasterizer = true}).glsl;
    EXPECT_TRUE(Contains(clipped, "const float kx_in_c[2] = float[2](float(0), float(0));")) << clipped;
    EXPECT_FALSE(Contains(clipped, "in float kx_in_c"));
    EXPECT_TRUE(Contains(clipped, "in float kx_in_d;")) << "other inputs stay inputs";
    EXPECT_TRUE(Contains(TranslateStage(source, StageKind::Pixel).glsl, "in float kx_in_c[2];"));
}

TEST(ClipDistanceTranslation, OnlyUpToEightFloatsCanClip) {
    for (std::string_view declaration : {"[out int c : clip_distance : 3]", "[out float2 c : clip_distance]",
                                         "[out float c : clip_distance : 9]"}) {
        const Translation translation =
            TranslateStage(StageWith(StageKind::Vertex, declaration, ""), StageKind::Vertex, {.feedsRasterizer = true});
        EXPECT_EQ(translation.error, "line 1: clip distances are single floats, at most 8") << declaration;
    }
}

}  // namespace
}  // namespace Korvex::Rendering::ShaderCompiler
