#include "SamplePrograms.h"
#include "TranslatorTestSupport.h"

#include <algorithm>

namespace Korvex::Rendering::ShaderCompiler {
namespace {

using Testing::Contains;
using Testing::ErrorOf;
using Testing::GlslOf;
using Testing::StageWith;

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
        {"bool b; bool2 b2; bool3 b3; bool4 b4;", "bool b; bvec2 b2; bvec3 b3; bvec4 b4;"},
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
        {"x = rsqrt(y);", "x = inversesqrt(y);"},
        {"x = ddx(y) + ddy(y);", "x = dFdx(y) + dFdy(y);"},
        {"x = atan2(y, z);", "x = atan(y, z);"},
        {"x = saturate(y + 1.0);", "x = clamp((y + 1.0), 0.0, 1.0);"},
        {"x = saturate(lerp(a, b, t));", "x = clamp((mix(a, b, t)), 0.0, 1.0);"},
        {"x = mul(M, v);", "x = ((M) * (v));"},
        {"x = mul( M ,  v );", "x = ((M) * (v));"},
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
        {"[unroll] for (int i = 0; i < 2; ++i) {}", " for (int i = 0; i < 2; ++i) {}"},
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

}  // namespace
}  // namespace Korvex::Rendering::ShaderCompiler
