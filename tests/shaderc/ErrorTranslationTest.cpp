#include "TranslatorTestSupport.h"


namespace Korvex::Rendering::ShaderCompiler {
namespace {

using Testing::ErrorOf;
using Testing::GlslOf;
using Testing::StageWith;

struct Case {
    std::string_view source;
    std::string_view expected;
};

TEST(ErrorTranslation, ReportsTheLineOfTheFault) {
    const Case cases[] = {
        {"void main()\n{\n    x = (1;\n}\n", "line 4: '}' does not match '(' opened on line 3"},
        {"void main()\n{\n    x = 1;\n", "line 2: '{' is never closed"},
        {"void main() {}\n}\n", "line 2: '}' closes nothing"},
        {"void main()\n{\n    x = a[1);\n}\n", "line 3: ')' does not match '[' opened on line 3"},
        {"\n\n/* never\nclosed", "line 3: comment is never closed"},
        {"#define X 1\nvoid main() {}\n", "line 1: preprocessor directives are not supported"},
        {"void main()\n{\n    s = \"text\";\n}\n", "line 3: unexpected character '\"'"},
        {"void main()\n{\n\n    x = 1 \x01;\n}\n", "line 4: unexpected character 0x01"},
        {"void main() { x = 1\xC3\x97 2; }\n", "line 1: unexpected character 0xC3"},
        {"void main()\n{\n    x = \\ 1;\n}\n", "line 3: unexpected character '\\'"},
        {"void main() {\n x = $P;\n}\n", "line 2: placeholder $P is not closed by '$'"},
        {"void main() {\n x = $P[0];\n}\n", "line 2: placeholder $P is not closed by '$'"},
        {"void main() {\n x = $ P$;\n}\n", "line 2: '$' must begin a placeholder such as $name$"},
        {"void main() {\n x = $1$;\n}\n", "line 2: '$' must begin a placeholder such as $name$"},
        {"void main() {\n\n x = mul(a);\n}\n", "line 3: mul takes two arguments: mul(a, b)"},
        {"void main() {\n x = mul(a, b, c);\n}\n", "line 2: mul takes two arguments: mul(a, b)"},
        {"void main() {\n x = saturate();\n}\n", "line 2: saturate takes one argument: saturate(x)"},
        {"void main() {\n x = mul;\n}\n", "line 2: 'mul' must be followed by '('"},
        {"[foo bar]\nvoid main() {}\n", "line 1: unknown attribute '[foo bar]'"},
        {"\n[unroll\nvoid main() {}\n", "line 2: '[' opens an attribute that is not closed on its line"},
        {"[a[0] = 1]\nvoid main() {}\n", "line 1: '[' opens an attribute that is not closed on its line"},
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
