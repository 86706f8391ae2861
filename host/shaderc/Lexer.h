#pragma once

#include "Token.h"

#include <string_view>
#include <vector>

namespace Korvex::Rendering::ShaderCompiler {

// Splits a stage text into tokens. Rejects bytes that no stage text may hold
// (outside comments): preprocessor lines, strings, control and non-ASCII bytes.
std::vector<Token> Lex(std::string_view source);

}  // namespace Korvex::Rendering::ShaderCompiler
