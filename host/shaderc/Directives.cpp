#include "Directives.h"

#include "TranslationError.h"

#include <string>
#include <vector>

namespace Korvex::Rendering::ShaderCompiler {
namespace {

constexpr unsigned kMaxArrayCount = 32;

bool IsHintName(std::string_view name) {
    return name == "unroll" || name == "loop" || name == "branch" || name == "flatten";
}

bool IsIdentifier(const Token& token) {
    return token.kind == TokenKind::Identifier;
}

bool IsHint(const std::vector<Token>& words) {
    if (words.empty() || !IsIdentifier(words[0]) || !IsHintName(words[0].text)) {
        return false;
    }
    return words.size() == 1 || (words.size() == 4 && IsPunct(words[1], '(') &&
                                 DecimalValue(words[2].text).has_value() && IsPunct(words[3], ')'));
}

InterfaceDeclaration ParseInterface(const std::vector<Token>& words, std::string_view text, std::size_t line) {
    const auto malformed = [&]() {
        Fail(line, "malformed interface declaration '" + std::string(text) +
                       "'; expected [in|out type name : semantic] or [... : semantic : count]");
    };
    if ((words.size() != 5 && words.size() != 7) || !IsIdentifier(words[1]) || !IsIdentifier(words[2]) ||
        !IsPunct(words[3], ':') || (words[4].kind != TokenKind::Identifier && !DecimalValue(words[4].text))) {
        malformed();
    }
    InterfaceDeclaration declaration;
    declaration.direction = words[0].text == "in" ? Direction::In : Direction::Out;
    declaration.name = words[2].text;
    declaration.semantic = words[4].text;
    declaration.semanticNumber = DecimalValue(words[4].text);
    declaration.line = line;
    const std::optional<ValueType> type = ParseValueType(words[1].text);
    if (!type || type->scalar == ScalarKind::Bool) {
        Fail(line, "'" + std::string(words[1].text) + "' is not an interface type (float, int or uint, 1 to 4 components)");
    }
    declaration.type = *type;
    if (words.size() == 7) {
        if (!IsPunct(words[5], ':')) {
            malformed();
        }
        const std::optional<unsigned> count = DecimalValue(words[6].text);
        if (!count || *count == 0 || *count > kMaxArrayCount) {
            Fail(line, "array count '" + std::string(words[6].text) + "' of '" + std::string(declaration.name) +
                           "' must be a number from 1 to " + std::to_string(kMaxArrayCount));
        }
        declaration.count = *count;
    }
    return declaration;
}

}  // namespace

Directive ParseDirective(std::span<const Token> bracketed) {
    const std::size_t line = bracketed.front().line;
    const Token& last = bracketed.back();
    const std::string_view text(bracketed.front().text.data(),
                                static_cast<std::size_t>(last.text.data() + last.text.size() - bracketed.front().text.data()));
    std::vector<Token> words;
    for (const Token& token : bracketed.subspan(1, bracketed.size() - 2)) {
        if (IsSignificant(token)) {
            words.push_back(token);
        }
    }
    if (IsHint(words)) {
        return DroppedHint{};
    }
    if (!words.empty() && IsIdentifier(words[0]) && (words[0].text == "in" || words[0].text == "out")) {
        return ParseInterface(words, text, line);
    }
    if (words.size() == 3 && IsIdentifier(words[0]) && IsPunct(words[1], '=') &&
        (IsIdentifier(words[2]) || words[2].kind == TokenKind::Number)) {
        return StageAttribute{words[0].text, words[2].text, line};
    }
    Fail(line, "unknown attribute '" + std::string(text) + "'");
}

}  // namespace Korvex::Rendering::ShaderCompiler
