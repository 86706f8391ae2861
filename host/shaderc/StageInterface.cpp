#include "StageInterface.h"

#include "Placeholders.h"
#include "SemanticLocations.h"
#include "Stage.h"
#include "TranslationError.h"

#include <Korvex/Rendering/Gpu/Descriptions.h>

#include <algorithm>

namespace Korvex::Rendering::ShaderCompiler {
namespace {

constexpr unsigned kMaxPixelOutputs = 8;  // GL draw buffers

std::string Quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

unsigned Slots(const InterfaceDeclaration& declaration) {
    return std::max(declaration.count, 1u);
}

// Integer varyings are not interpolated.
bool NeedsFlat(const InterfaceVariable& variable, StageKind stage) {
    if (variable.declaration.type.scalar == ScalarKind::Float) {
        return false;
    }
    const bool in = variable.declaration.direction == Direction::In;
    return in ? stage == StageKind::Pixel
              : stage == StageKind::Vertex || stage == StageKind::Domain || stage == StageKind::Geometry;
}

// `T name = T(0)` or, for arrays, `T name[N] = T[N](T(0), ...)`.
std::string ZeroConstant(const InterfaceVariable& variable) {
    const InterfaceDeclaration& declaration = variable.declaration;
    const std::string type = GlslTypeName(declaration.type);
    const std::string zero = type + "(0)";
    if (declaration.count == 0) {
        return type + " " + variable.glslName + " = " + zero + ";\n";
    }
    std::string elements;
    for (unsigned i = 0; i < declaration.count; ++i) {
        elements += (i == 0 ? "" : ", ") + zero;
    }
    const std::string size = "[" + std::to_string(declaration.count) + "]";
    return type + " " + variable.glslName + size + " = " + type + size + "(" + elements + ");\n";
}

}  // namespace

void StageInterface::Add(const InterfaceDeclaration& declaration) {
    const std::size_t line = declaration.line;
    if (const InterfaceVariable* earlier = Find(declaration.name)) {
        Fail(line, Quoted(declaration.name) + " is already declared on line " +
                       std::to_string(earlier->declaration.line) + "; inputs and outputs need distinct names");
    }
    if (IsBuiltInPlaceholder(declaration.name)) {
        Fail(line, Quoted(declaration.name) + " is the name of a built-in placeholder");
    }
    const bool in = declaration.direction == Direction::In;
    InterfaceVariable variable;
    variable.declaration = declaration;
    variable.glslName = std::string(in ? "kx_in_" : "kx_out_") + std::string(declaration.name);
    variable.perVertex = (in && HasPerVertexInputs(stage_)) || (!in && stage_ == StageKind::Hull);
    variable.location = LocationOf(declaration);
    CheckOverlap(variable);
    variables_.push_back(std::move(variable));
}

unsigned StageInterface::LocationOf(const InterfaceDeclaration& declaration) const {
    const std::size_t line = declaration.line;
    const bool in = declaration.direction == Direction::In;
    const bool numeric = declaration.semanticNumber.has_value();
    if (stage_ == StageKind::Vertex && in) {
        if (numeric || declaration.count != 0) {
            Fail(line, "vertex input " + Quoted(declaration.name) + " needs a semantic name and no count");
        }
        const std::vector<std::string> semantics = VertexInputSemantics();
        if (std::find(semantics.begin(), semantics.end(), declaration.semantic) != semantics.end()) {
            Fail(line, "vertex input semantic " + Quoted(declaration.semantic) + " is declared twice");
        }
        const auto inputs = static_cast<unsigned>(semantics.size());
        if (inputs >= kMaxVertexAttributes) {
            Fail(line, "a vertex stage takes at most " + std::to_string(kMaxVertexAttributes) + " inputs");
        }
        return inputs;
    }
    if (stage_ == StageKind::Pixel && !in) {
        const unsigned target = declaration.semanticNumber.value_or(kMaxPixelOutputs);
        if (target >= kMaxPixelOutputs || declaration.count != 0) {
            Fail(line, "pixel output " + Quoted(declaration.name) + " needs a render-target number 0 to " +
                           std::to_string(kMaxPixelOutputs - 1) + " as its semantic, e.g. [out float4 color : 0]");
        }
        return target;
    }
    if (numeric) {
        Fail(line, "numeric semantics are for pixel outputs; " + Quoted(declaration.name) + " needs a semantic name");
    }
    const unsigned location = SemanticLocation(declaration.semantic, Slots(declaration));
    if (location + Slots(declaration) > kVaryingLocationCount) {
        Fail(line, "semantic " + Quoted(declaration.semantic) + " with " + std::to_string(Slots(declaration)) +
                       " elements does not fit below location " + std::to_string(kVaryingLocationCount));
    }
    return location;
}

void StageInterface::CheckOverlap(const InterfaceVariable& added) const {
    const InterfaceDeclaration& a = added.declaration;
    for (const InterfaceVariable& other : variables_) {
        const InterfaceDeclaration& b = other.declaration;
        if (a.direction != b.direction) {
            continue;
        }
        const bool overlap = added.location < other.location + Slots(b) && other.location < added.location + Slots(a);
        if (overlap) {
            Fail(a.line, Quoted(a.name) + " (semantic " + Quoted(a.semantic) + ", location " +
                             std::to_string(added.location) + ") overlaps " + Quoted(b.name) + " (semantic " +
                             Quoted(b.semantic) + ", location " + std::to_string(other.location) + ", line " +
                             std::to_string(b.line) + ")");
        }
    }
}

const InterfaceVariable* StageInterface::Find(std::string_view name) const {
    const auto found = std::find_if(variables_.begin(), variables_.end(),
                                    [&](const InterfaceVariable& v) { return v.declaration.name == name; });
    return found == variables_.end() ? nullptr : &*found;
}

const InterfaceVariable* StageInterface::FindOutput(std::string_view semantic) const {
    const auto found = std::find_if(variables_.begin(), variables_.end(), [&](const InterfaceVariable& v) {
        return v.declaration.direction == Direction::Out && v.declaration.semantic == semantic;
    });
    return found == variables_.end() ? nullptr : &*found;
}

void StageInterface::ReadInputAsZero(std::string_view semantic) {
    for (InterfaceVariable& variable : variables_) {
        if (variable.declaration.direction == Direction::In && variable.declaration.semantic == semantic) {
            variable.readsZero = true;
        }
    }
}

std::string StageInterface::Declarations() const {
    std::string text;
    for (const InterfaceVariable& variable : variables_) {
        const InterfaceDeclaration& declaration = variable.declaration;
        if (variable.readsZero) {
            text += "const " + ZeroConstant(variable);
            continue;
        }
        text += "layout(location = " + std::to_string(variable.location) + ") ";
        text += NeedsFlat(variable, stage_) ? "flat " : "";
        text += declaration.direction == Direction::In ? "in " : "out ";
        text += GlslTypeName(declaration.type) + " " + variable.glslName;
        text += variable.perVertex ? "[]" : "";
        text += declaration.count != 0 ? "[" + std::to_string(declaration.count) + "]" : "";
        text += ";\n";
    }
    return text;
}

std::vector<std::string> StageInterface::VertexInputSemantics() const {
    std::vector<std::string> semantics;
    if (stage_ == StageKind::Vertex) {
        for (const InterfaceVariable& variable : variables_) {
            if (variable.declaration.direction == Direction::In) {
                semantics.emplace_back(variable.declaration.semantic);
            }
        }
    }
    return semantics;
}

}  // namespace Korvex::Rendering::ShaderCompiler
