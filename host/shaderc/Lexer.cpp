#include "Lexer.h"

#include "TranslationError.h"

#include <cstdio>
#include <string>

namespace Korvex::Rendering::ShaderCompiler {
namespace {

bool IsIdentifierStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsIdentifierChar(char c) {
    return IsIdentifierStart(c) || IsDigit(c);
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool IsPunctChar(char c) {
    constexpr std::string_view kPunct = "+-*/%=<>!&|^~?:;,.(){}[]";
    return kPunct.find(c) != std::string_view::npos;
}

std::string DescribeByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x21 && byte < 0x7f) {
        return std::string("'") + c + "'";
    }
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return text;
}

class Lexer {
public:
    explicit Lexer(std::string_view source) : source_(source) {}

    std::vector<Token> Run() {
        while (pos_ < source_.size()) {
            const char c = source_[pos_];
            if (IsSpace(c)) {
                Take(TokenKind::Space, SpanWhile(IsSpace));
            } else if (c == '/' && Peek(1) == '/') {
                const std::size_t newline = source_.find('\n', pos_);
                Take(TokenKind::Comment, (newline == std::string_view::npos ? source_.size() : newline) - pos_);
            } else if (c == '/' && Peek(1) == '*') {
                const std::size_t close = source_.find("*/", pos_ + 2);
                if (close == std::string_view::npos) {
                    Fail(line_, "comment is never closed");
                }
                Take(TokenKind::Comment, close + 2 - pos_);
            } else if (IsIdentifierStart(c)) {
                Take(TokenKind::Identifier, SpanWhile(IsIdentifierChar));
            } else if (IsDigit(c) || (c == '.' && IsDigit(Peek(1)))) {
                Take(TokenKind::Number, NumberLength());
            } else if (c == '$') {
                Take(TokenKind::Dollar, 1);
            } else if (IsPunctChar(c)) {
                Take(TokenKind::Punct, 1);
            } else if (c == '#') {
                Fail(line_, "preprocessor directives are not supported");
            } else {
                Fail(line_, "unexpected character " + DescribeByte(c));
            }
        }
        return std::move(tokens_);
    }

private:
    char Peek(std::size_t ahead) const {
        return pos_ + ahead < source_.size() ? source_[pos_ + ahead] : '\0';
    }

    std::size_t SpanWhile(bool (*accept)(char)) const {
        std::size_t end = pos_;
        while (end < source_.size() && accept(source_[end])) {
            ++end;
        }
        return end - pos_;
    }

    // Digits, letters, dots and the sign of an exponent: "1.5e-3f", "0x3F", "8u".
    std::size_t NumberLength() const {
        const bool hex = source_[pos_] == '0' && (Peek(1) == 'x' || Peek(1) == 'X');
        std::size_t end = pos_;
        while (end < source_.size()) {
            const char c = source_[end];
            const bool exponentSign = !hex && (c == '+' || c == '-') && end > pos_ &&
                                      (source_[end - 1] == 'e' || source_[end - 1] == 'E');
            if (!IsIdentifierChar(c) && c != '.' && !exponentSign) {
                break;
            }
            ++end;
        }
        return end - pos_;
    }

    void Take(TokenKind kind, std::size_t length) {
        const std::string_view text = source_.substr(pos_, length);
        tokens_.push_back(Token{kind, text, line_});
        for (char c : text) {
            line_ += c == '\n' ? 1 : 0;
        }
        pos_ += length;
    }

    std::string_view source_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
    std::vector<Token> tokens_;
};

}  // namespace

std::vector<Token> Lex(std::string_view source) {
    return Lexer(source).Run();
}

}  // namespace Korvex::Rendering::ShaderCompiler
