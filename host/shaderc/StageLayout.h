#pragma once

#include "Directives.h"
#include "ShaderTranslator.h"

#include <cstddef>
#include <string>
#include <vector>

namespace Korvex::Rendering::ShaderCompiler {

// The stage attributes ([domain = isoline], [max_vertices = 4], ...) of one
// stage and the GLSL layout qualifiers they become.
class StageLayout {
public:
    explicit StageLayout(StageKind stage) : stage_(stage) {}

    // Validates key, value and stage; each key at most once.
    void Add(const StageAttribute& attribute);

    // The layout declarations; reports attributes the stage cannot do
    // without at `endLine`.
    std::string Declarations(std::size_t endLine) const;

private:
    const StageAttribute* Find(std::string_view key) const;
    std::string_view Value(std::string_view key, std::string_view fallback) const;
    std::string_view Required(std::string_view key, std::size_t endLine) const;
    std::string HullDeclarations(std::size_t endLine) const;
    std::string DomainDeclarations(std::size_t endLine) const;
    std::string GeometryDeclarations(std::size_t endLine) const;

    StageKind stage_;
    std::vector<StageAttribute> attributes_;
};

}  // namespace Korvex::Rendering::ShaderCompiler
