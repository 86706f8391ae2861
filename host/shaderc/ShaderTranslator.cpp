#include "ShaderTranslator.h"

#include "BodyRewriter.h"
#include "Lexer.h"
#include "SourceScanner.h"
#include "Stage.h"
#include "StageInterface.h"
#include "StageLayout.h"
#include "TranslationError.h"

#include <algorithm>
#include <exception>
#include <string>

namespace Korvex::Rendering::ShaderCompiler {
namespace {

// GL guarantees at least 8.
constexpr unsigned kMaxClipDistances = 8;
constexpr std::string_view kClipDistanceSemantic = "clip_distance";

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

// The output that the stage feeding the rasteriser copies to
// gl_ClipDistance, if it has one.
const InterfaceVariable* ClipDistanceOutput(const StageInterface& interface, StageKind stage,
                                            const TranslationOptions& options) {
    const bool preRaster = stage == StageKind::Vertex || stage == StageKind::Domain || stage == StageKind::Geometry;
    if (!options.feedsRasterizer || !preRaster) {
        return nullptr;
    }
    const InterfaceVariable* output = interface.FindOutput(kClipDistanceSemantic);
    if (output == nullptr) {
        return nullptr;
    }
    const InterfaceDeclaration& declaration = output->declaration;
    if (declaration.type.scalar != ScalarKind::Float || declaration.type.components != 1 ||
        declaration.count > kMaxClipDistances) {
        Fail(declaration.line, "clip distances are single floats, at most " + std::to_string(kMaxClipDistances));
    }
    return output;
}

// Vertex and domain stages copy after their main has run, geometry stages
// before each vertex they emit.
std::string ClipDistanceCopy(const InterfaceVariable& output, StageKind stage) {
    const unsigned count = std::max(output.declaration.count, 1u);
    std::string copies;
    for (unsigned i = 0; i < count; ++i) {
        const std::string element = output.declaration.count != 0 ? "[" + std::to_string(i) + "]" : "";
        copies += "    gl_ClipDistance[" + std::to_string(i) + "] = " + output.glslName + element + ";\n";
    }
    if (stage == StageKind::Geometry) {
        return "void kx_emit_vertex()\n{\n" + copies + "    EmitVertex();\n}\n";
    }
    return "\nvoid main()\n{\n    kx_stage_main();\n" + copies + "}\n";
}

std::string Translate(std::string_view source, StageKind stage, const TranslationOptions& options,
                      Translation& result) {
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
    if (stage == StageKind::Pixel && options.clippedBeforeRasterizer) {
        interface.ReadInputAsZero(kClipDistanceSemantic);
    }
    const InterfaceVariable* clipDistances = ClipDistanceOutput(interface, stage, options);
    std::string glsl = "#version 450 core\n";
    glsl += layout.Declarations(scanned.lastLine);
    glsl += interface.Declarations();
    if (clipDistances != nullptr) {
        result.clipDistances = std::max(clipDistances->declaration.count, 1u);
        glsl += "out float gl_ClipDistance[" + std::to_string(result.clipDistances) + "];\n";
        if (stage == StageKind::Geometry) {
            glsl += ClipDistanceCopy(*clipDistances, stage);
        }
    }
    // Compiler messages then give the template's line numbers.
    glsl += "#line 1\n";
    glsl += BodyRewriter(scanned.tokens, stage, interface, clipDistances != nullptr).Run();
    if (hull) {
        glsl += kHullEntryPoint;
    }
    if (clipDistances != nullptr && stage != StageKind::Geometry) {
        glsl += ClipDistanceCopy(*clipDistances, stage);
    }
    result.vertexInputs = interface.VertexInputSemantics();
    return glsl;
}

}  // namespace

Translation TranslateStage(std::string_view source, StageKind stage, const TranslationOptions& options) {
    Translation result;
    try {
        if (stage < StageKind::Vertex || stage > StageKind::Pixel) {
            Fail(1, "unknown stage kind " + std::to_string(static_cast<int>(stage)));
        }
        result.glsl = Translate(source, stage, options, result);
    } catch (const TranslationError& error) {
        result.error = "line " + std::to_string(error.line) + ": " + error.message;
    } catch (const std::exception& exception) {
        // Out of memory, in practice; the caller still gets an answer.
        result.error = std::string("line 1: ") + exception.what();
    }
    if (!result.Ok()) {
        result.glsl.clear();
        result.vertexInputs.clear();
        result.clipDistances = 0;
    }
    return result;
}

}  // namespace Korvex::Rendering::ShaderCompiler
