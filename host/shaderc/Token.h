#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace Korvex::Rendering::ShaderCompiler {

enum class TokenKind { Identifier, Number, Punct, Dollar, Space, Comment };

// A piece of the source text; whitespace and comments are kept so that the
// output keeps the source's lines.
struct Token {
    TokenKind kind;
    std::string_view text;
    std::size_t line;        // of the token's first character
    int braceDepth = 0;      // '{' nesting, filled in by the scanner
    std::size_t partner = 0; // brackets: index of the matching one, filled in by the scanner
};

inline bool IsSignificant(const Token& token) {
    return token.kind != TokenKind::Space && token.kind != TokenKind::Comment;
}

inline bool IsPunct(const Token& token, char c) {
    return token.kind == TokenKind::Punct && token.text.size() == 1 && token.text[0] == c;
}

// The value of a plain decimal literal, for slots, counts and sizes; any
// other text, or a value above 999999, gives nothing.
inline std::optional<unsigned> DecimalValue(std::string_view text) {
    if (text.empty() || text.size() > 6) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value;
}

}  // namespace Korvex::Rendering::ShaderCompiler
