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
        {"[out float3 v : view_pos]", "layout(location = 19) out vec3 kx_out_v;"},
        {"[out float v : visibility]", "layout(location = 20) out float kx_out_v;"},
        {"[out float d : diffuse_factor]", "layout(location = 21) out float kx_out_d;"},
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
        {"[in float3 P : 0]", "line 1: vertex input 'P' needs a semantic name and no count"},
        {"[in float3 P : position]\n[in float3 Q : position]", "line 2: vertex input semantic 'position' is declared twice"},
        {"[out float4 P : 0]", "line 1: numeric semantics are for pixel outputs; 'P' needs a semantic name"},
        {"[out float4 a : position]\n[in float3 a : normal]",
         "line 2: 'a' is already declared on line 1; inputs and outputs need distinct names"},
        {"[out float4 Position : position]", "line 1: 'Position' is the name of a built-in placeholder"},
        {"[out float c : clip_distance : 2]\n[out float4 v : view_position : 8]",
         "line 2: 'v' (semantic 'view_position', location 10) overlaps 'c' (semantic 'clip_distance', location 10, line 1)"},
        {"[out float c : clip_distance : 1]\n[out float4 uvw : sample_coord : 9]",
         "line 2: 'uvw' (semantic 'sample_coord', location 2) overlaps 'c' (semantic 'clip_distance', location 10, line 1)"},
        {"[out float4 x : something : 10]", "line 1: semantic 'something' with 10 elements does not fit below location 32"},
        {"[out float4 x : clip_distance : 0]", "line 1: array count '0' of 'x' must be a number from 1 to 32"},
        {"[out float4 x : clip_distance : 33]", "line 1: array count '33' of 'x' must be a number from 1 to 32"},
        {"[out bool x : flag]", "line 1: 'bool' is not an interface type (float, int or uint, 1 to 4 components)"},
        {"[out float4x4 x : m]", "line 1: 'float4x4' is not an interface type (float, int or uint, 1 to 4 components)"},
        {"[out float4 x]",
         "line 1: malformed interface declaration '[out float4 x]'; expected [in|out type name : semantic] or [... : "
         "semantic : count]"},
        {"[out float4 x : a ; 2]",
         "line 1: malformed interface declaration '[out float4 x : a ; 2]'; expected [in|out type name : semantic] or "
         "[... : semantic : count]"},
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

}  // namespace
}  // namespace Korvex::Rendering::ShaderCompiler
