#pragma once

#include "Directives.h"
#include "Token.h"

#include <cstddef>
#include <vector>

namespace Korvex::Rendering::ShaderCompiler {

// The stage text after the first pass: brackets checked, bracketed directives
// taken out of the token stream and collected.
struct ScannedSource {
    std::vector<Token> tokens;  // without directives; braceDepth filled in
    std::vector<InterfaceDeclaration> interfaceDeclarations;
    std::vector<StageAttribute> attributes;
    std::size_t lastLine = 1;
};

// A '[' opens a directive where a statement could begin: at the start of the
// text, after ';', '{', '}' or another directive. Elsewhere it indexes.
ScannedSource Scan(std::vector<Token> tokens);

}  // namespace Korvex::Rendering::ShaderCompiler
