#include "Placeholders.h"

#include "Stage.h"
#include "StageInterface.h"
#include "TranslationError.h"

#include <algorithm>
#include <iterator>

namespace Korvex::Rendering::ShaderCompiler {
namespace {

constexpr std::string_view kBuiltIns[] = {"Position",  "TessLevelOuter", "TessLevelInner", "TessCoord",
                                          "OutputControlPointID", "VertexId", "GSInstanceID"};

std::string Subscripts(std::span<const std::string> indices) {
    std::string text;
    for (const std::string& index : indices) {
        text += "[" + index + "]";
    }
    return text;
}

[[noreturn]] void NotAvailable(std::string_view name, std::size_t line, StageKind stage) {
    Fail(line, "$" + std::string(name) + "$ is not available in a " + std::string(StageName(stage)) + " stage");
}

std::string Scalar(std::string_view name, std::string_view glsl, std::span<const std::string> indices,
                   std::size_t line) {
    if (!indices.empty()) {
        Fail(line, "$" + std::string(name) + "$ cannot be indexed");
    }
    return std::string(glsl);
}

// gl_Position is per control point on the hull's output side, and indexed
// forms read the per-vertex inputs.
std::string Position(std::span<const std::string> indices, std::size_t line, StageKind stage) {
    if (!indices.empty()) {
        if (!HasPerVertexInputs(stage)) {
            Fail(line, "$Position[...]$ reads per-vertex inputs, which a " + std::string(StageName(stage)) +
                           " stage does not have");
        }
        return "gl_in[" + indices[0] + "].gl_Position" + Subscripts(indices.subspan(1));
    }
    switch (stage) {
    case StageKind::Hull: return "gl_out[gl_InvocationID].gl_Position";
    case StageKind::Pixel: return "gl_FragCoord";
    default: return "gl_Position";
    }
}

std::string BuiltIn(std::string_view name, std::span<const std::string> indices, std::size_t line, StageKind stage) {
    const bool tessellation = stage == StageKind::Hull || stage == StageKind::Domain;
    if (name == "Position") {
        return Position(indices, line, stage);
    }
    if ((name == "TessLevelOuter" || name == "TessLevelInner") && tessellation) {
        return "gl_" + std::string(name) + Subscripts(indices);
    }
    if (name == "TessCoord" && stage == StageKind::Domain) {
        return "gl_TessCoord" + Subscripts(indices);
    }
    if (name == "OutputControlPointID" && stage == StageKind::Hull) {
        return Scalar(name, "gl_InvocationID", indices, line);
    }
    if (name == "VertexId" && stage == StageKind::Vertex) {
        return Scalar(name, "gl_VertexID", indices, line);
    }
    if (name == "GSInstanceID" && stage == StageKind::Geometry) {
        return Scalar(name, "gl_InvocationID", indices, line);
    }
    NotAvailable(name, line, stage);
}

// A hull control point writes only its own outputs, so the bare name picks
// that element.
std::string Variable(const InterfaceVariable& variable, std::span<const std::string> indices, std::size_t line,
                     StageKind stage) {
    const bool hullOutput = stage == StageKind::Hull && variable.declaration.direction == Direction::Out;
    if (indices.empty()) {
        return hullOutput ? variable.glslName + "[gl_InvocationID]" : variable.glslName;
    }
    const std::size_t dimensions = (variable.perVertex ? 1u : 0u) + (variable.declaration.count != 0 ? 1u : 0u);
    if (indices.size() > dimensions && variable.declaration.type.components == 1) {
        Fail(line, "$" + std::string(variable.declaration.name) + "$ has " + std::to_string(dimensions) +
                       " array dimension(s), not " + std::to_string(indices.size()));
    }
    return variable.glslName + Subscripts(indices);
}

}  // namespace

bool IsBuiltInPlaceholder(std::string_view name) {
    return std::find(std::begin(kBuiltIns), std::end(kBuiltIns), name) != std::end(kBuiltIns);
}

std::string ResolvePlaceholder(std::string_view name, std::span<const std::string> indices, std::size_t line,
                               StageKind stage, const StageInterface& interface) {
    if (IsBuiltInPlaceholder(name)) {
        return BuiltIn(name, indices, line, stage);
    }
    if (const InterfaceVariable* variable = interface.Find(name)) {
        return Variable(*variable, indices, line, stage);
    }
    Fail(line, "unknown placeholder $" + std::string(name) + "$: no input or output of that name");
}

}  // namespace Korvex::Rendering::ShaderCompiler
