#include "ShaderTranslator.h"

#include "BodyRewriter.h"
#include "Lexer.h"
#include "SourceScanner.h"
#include "Stage.h"
#include "StageInterface.h"
#include "StageLayout.h"
#include "TranslationError.h"

#include <exception>
#include <string>

namespace Korvex::Rendering::ShaderCompiler {
namespace {

// A function defined or declared at file scope: its name followed by '('.
bool HasFileScopeFunction(const std::vector<Token>& tokens, std::string_view name) {
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].kind != TokenKind::Identifier || tokens[i].text != name || tokens[i].braceDepth != 0) {
            continue;
        }
        std::size_t next = i + 1;
        while (next < tokens.size() && !IsSignificant(tokens[next])) {
            ++next;
        }
        if (next < tokens.size() && IsPunct(tokens[next], '(')) {
            return true;
        }
    }
    return false;
}

// The hull template's main runs per control point; once all have run,
// control point 0 runs the patch-constant function, which may read every
// control point's outputs.
constexpr std::string_view kHullEntryPoint =
    "\nvoid main()\n"
    "{\n"
    "    kx_control_point_main();\n"
    "    barrier();\n"
    "    if (gl_InvocationID == 0) {\n"
    "        patch_constant_function();\n"
    "    }\n"
    "}\n";

std::string Translate(std::string_view source, StageKind stage, std::vector<std::string>& vertexInputs) {
    ScannedSource scanned = Scan(Lex(source));
    StageInterface interface(stage);
    for (const InterfaceDeclaration& declaration : scanned.interfaceDeclarations) {
        interface.Add(declaration);
    }
    StageLayout layout(stage);
    for (const StageAttribute& attribute : scanned.attributes) {
        layout.Add(attribute);
    }
    if (!HasFileScopeFunction(scanned.tokens, "main")) {
        Fail(scanned.lastLine, "the " + std::string(StageName(stage)) + " stage defines no main()");
    }
    const bool hull = stage == StageKind::Hull;
    if (hull && !HasFileScopeFunction(scanned.tokens, "patch_constant_function")) {
        Fail(scanned.lastLine, "the hull stage defines no patch_constant_function()");
    }
    std::string glsl = "#version 450 core\n";
    glsl += layout.Declarations(scanned.lastLine);
    glsl += interface.Declarations();
    // Compiler messages then give the template's line numbers.
    glsl += "#line 1\n";
    glsl += BodyRewriter(scanned.tokens, stage, interface).Run();
    if (hull) {
        glsl += kHullEntryPoint;
    }
    vertexInputs = interface.VertexInputSemantics();
    return glsl;
}

}  // namespace

Translation TranslateStage(std::string_view source, StageKind stage) {
    Translation result;
    try {
        if (stage < StageKind::Vertex || stage > StageKind::Pixel) {
            Fail(1, "unknown stage kind " + std::to_string(static_cast<int>(stage)));
        }
        result.glsl = Translate(source, stage, result.vertexInputs);
    } catch (const TranslationError& error) {
        result.error = "line " + std::to_string(error.line) + ": " + error.message;
    } catch (const std::exception& exception) {
        // Out of memory, in practice; the caller still gets an answer.
        result.error = std::string("line 1: ") + exception.what();
    }
    if (!result.Ok()) {
        result.glsl.clear();
        result.vertexInputs.clear();
    }
    return result;
}

}  // namespace Korvex::Rendering::ShaderCompiler
