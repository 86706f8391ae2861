#include "TranslatorTestSupport.h"

namespace Korvex::Rendering::ShaderCompiler {
namespace {

using Testing::Contains;
using Testing::ErrorOf;
using Testing::GlslOf;
using Testing::StageWith;

struct Case {
    std::string_view source;
    std::string_view expected;
};

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
        {"TEXTURE_2D(float, t, 15);", "layout(binding = 15) uniform sampler2D t;"},
        {"TEXTURE_3D(int4, t, 1);", "layout(binding = 1) uniform isampler3D t;"},
        {"BUFFER(uint, voxels, 0);", "layout(binding = 0) uniform usamplerBuffer voxels;"},
        {"BUFFER(float4, b, 4);", "layout(binding = 4) uniform samplerBuffer b;"},
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
        {"c = SAMPLE_LEVEL(t1, uvw, 0.0);", "c = textureLod(t1, uvw, 0.0).x;"},
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
        {"TEXTURE_3D(float4, t, x);", "line 1: TEXTURE_3D(type, name, slot): slot 'x' is not a number from 0 to 15"},
        {"TEXTURE_3D(bool, t, 1);",
         "line 1: TEXTURE_3D(type, name, slot): 'bool' is not a texel type (float, int or uint, 1 to 4 components)"},
        {"TEXTURE_3D(float4, 7, 1);", "line 1: TEXTURE_3D(type, name, slot): '7' is not a name"},
        {"TEXTURE_3D(float4, t + 1, 1);",
         "line 1: TEXTURE_3D: each of these arguments must be a single name or number"},
        {"TEXTURE_3D(float4, t, 1)\nvoid main() {}", "line 1: TEXTURE_3D(...) must be followed by ';'"},
        {"TEXTURE_3D(float4, sample, 1);", "line 1: 'sample' is reserved in GLSL; choose another name"},
        {"TEXTURE_3D(float4, t, 1);\nTEXTURE_1D(float4, t, 2);", "line 2: 't' is already declared on line 1"},
        {"TEXTURE_3D(float4, a, 1);\nBUFFER(uint, b, 1);", "line 2: slot 1 is already used by 'a' on line 1"},
        {"CBUFFER(a, 1) {};\nCBUFFER(b, 1) {};", "line 2: slot 1 is already used by 'a' on line 1"},
        {"void f() { TEXTURE_3D(float4, t, 1); }", "line 1: TEXTURE_3D declarations belong at file scope"},
        {"TEXTURE_3D;", "line 1: 'TEXTURE_3D' must be followed by '('"},
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
        {"v = SAMPLE_LEVEL(t, uvw);", "line 5: expected SAMPLE_LEVEL(texture, coord, level)"},
        {"v = READ(b, 1, 2);", "line 5: expected READ(buffer, index)"},
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

}  // namespace
}  // namespace Korvex::Rendering::ShaderCompiler
