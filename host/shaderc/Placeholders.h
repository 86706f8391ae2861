#pragma once

#include "ShaderTranslator.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace Korvex::Rendering::ShaderCompiler {

class StageInterface;

bool IsBuiltInPlaceholder(std::string_view name);

// The GLSL expression for `$name$` or `$name[i][j]$`; `indices` holds the
// translated index expressions.
std::string ResolvePlaceholder(std::string_view name, std::span<const std::string> indices, std::size_t line,
                               StageKind stage, const StageInterface& interface);

}  // namespace Korvex::Rendering::ShaderCompiler
