#pragma once

#include "Token.h"
#include "Vocabulary.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <variant>

namespace Korvex::Rendering::ShaderCompiler {

enum class Direction { In, Out };

// [in T name : semantic] / [out T name : semantic : count]
struct InterfaceDeclaration {
    Direction direction = Direction::In;
    ValueType type;
    std::string_view name;
    std::string_view semantic;
    std::optional<unsigned> semanticNumber;  // pixel outputs: [out float4 color : 1]
    unsigned count = 0;  // 0: not an array
    std::size_t line = 0;
};

// [key = value]
struct StageAttribute {
    std::string_view key;
    std::string_view value;
    std::size_t line = 0;
};

// [unroll], [unroll(4)], [loop], [branch], [flatten]: hints GLSL has no
// words for; dropped.
struct DroppedHint {};

using Directive = std::variant<InterfaceDeclaration, StageAttribute, DroppedHint>;

// Parses the tokens from '[' to the matching ']' inclusive.
Directive ParseDirective(std::span<const Token> bracketed);

}  // namespace Korvex::Rendering::ShaderCompiler
