#pragma once

#include "Directives.h"
#include "ShaderTranslator.h"

#include <string>
#include <string_view>
#include <vector>

namespace Korvex::Rendering::ShaderCompiler {

struct InterfaceVariable {
    InterfaceDeclaration declaration;
    std::string glslName;  // kx_in_<name> / kx_out_<name>
    unsigned location = 0;
    bool perVertex = false;  // an array over control points or vertices
    bool readsZero = false;  // declared as a constant 0 instead of an input
};

// The declared inputs and outputs of one stage, with their locations.
class StageInterface {
public:
    explicit StageInterface(StageKind stage) : stage_(stage) {}

    // Validates the declaration against the stage and the earlier ones.
    void Add(const InterfaceDeclaration& declaration);

    const InterfaceVariable* Find(std::string_view name) const;
    // The output of that semantic, if declared.
    const InterfaceVariable* FindOutput(std::string_view semantic) const;
    // Makes the input of that semantic, if declared, a constant 0.
    void ReadInputAsZero(std::string_view semantic);
    std::string Declarations() const;
    std::vector<std::string> VertexInputSemantics() const;

private:
    unsigned LocationOf(const InterfaceDeclaration& declaration) const;
    void CheckOverlap(const InterfaceVariable& added) const;

    StageKind stage_;
    std::vector<InterfaceVariable> variables_;
};

}  // namespace Korvex::Rendering::ShaderCompiler
