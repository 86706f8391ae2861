#include "SourceScanner.h"

#include "TranslationError.h"

#include <string>

namespace Korvex::Rendering::ShaderCompiler {
namespace {

char ClosingOf(char opening) {
    return opening == '(' ? ')' : opening == '[' ? ']' : '}';
}

bool IsOpening(const Token& token) {
    return IsPunct(token, '(') || IsPunct(token, '[') || IsPunct(token, '{');
}

bool IsClosing(const Token& token) {
    return IsPunct(token, ')') || IsPunct(token, ']') || IsPunct(token, '}');
}

bool StartsStatement(const Token* previous, bool previousWasDirective) {
    return previous == nullptr || previousWasDirective || IsPunct(*previous, ';') || IsPunct(*previous, '{') ||
           IsPunct(*previous, '}');
}

// Index of the ']' closing the directive opened at `open`; directives stay on
// one line and hold no brackets.
std::size_t DirectiveEnd(const std::vector<Token>& tokens, std::size_t open) {
    for (std::size_t i = open + 1; i < tokens.size(); ++i) {
        const Token& token = tokens[i];
        if (IsPunct(token, ']')) {
            return i;
        }
        if (IsPunct(token, '[') || (token.kind == TokenKind::Space && token.text.find('\n') != std::string_view::npos)) {
            break;
        }
    }
    Fail(tokens[open].line, "'[' opens an attribute that is not closed on its line");
}

class Scanner {
public:
    explicit Scanner(std::vector<Token> tokens) : input_(std::move(tokens)) {}

    ScannedSource Run() {
        for (std::size_t i = 0; i < input_.size(); ++i) {
            Token token = input_[i];
            if (!IsSignificant(token)) {
                Keep(token);
                continue;
            }
            if (IsPunct(token, '[') && StartsStatement(previous_, previousWasDirective_)) {
                i = TakeDirective(i);
                continue;
            }
            Keep(token);
            Balance(result_.tokens.size() - 1);
            previous_ = &input_[i];
            previousWasDirective_ = false;
        }
        if (!open_.empty()) {
            const Token& unclosed = result_.tokens[open_.back()];
            Fail(unclosed.line, "'" + std::string(unclosed.text) + "' is never closed");
        }
        result_.lastLine = input_.empty() ? 1 : input_.back().line;
        return std::move(result_);
    }

private:
    std::size_t TakeDirective(std::size_t open) {
        const std::size_t close = DirectiveEnd(input_, open);
        const Directive directive =
            ParseDirective(std::span<const Token>(input_.data() + open, close - open + 1));
        const int depth = braceDepth_;
        if (const auto* declaration = std::get_if<InterfaceDeclaration>(&directive)) {
            RequireFileScope(depth, declaration->line, "interface declarations");
            result_.interfaceDeclarations.push_back(*declaration);
        } else if (const auto* attribute = std::get_if<StageAttribute>(&directive)) {
            RequireFileScope(depth, attribute->line, "stage attributes");
            result_.attributes.push_back(*attribute);
        }
        previousWasDirective_ = true;
        return close;
    }

    static void RequireFileScope(int depth, std::size_t line, const char* what) {
        if (depth != 0) {
            Fail(line, std::string(what) + " belong at file scope, outside any braces");
        }
    }

    void Balance(std::size_t index) {
        std::vector<Token>& tokens = result_.tokens;
        const Token& token = tokens[index];
        if (IsOpening(token)) {
            open_.push_back(index);
            braceDepth_ += IsPunct(token, '{') ? 1 : 0;
        } else if (IsClosing(token)) {
            if (open_.empty()) {
                Fail(token.line, "'" + std::string(token.text) + "' closes nothing");
            }
            Token& opening = tokens[open_.back()];
            if (ClosingOf(opening.text[0]) != token.text[0]) {
                Fail(token.line, "'" + std::string(token.text) + "' does not match '" + std::string(opening.text) +
                                     "' opened on line " + std::to_string(opening.line));
            }
            opening.partner = index;
            tokens[index].partner = open_.back();
            braceDepth_ -= IsPunct(opening, '{') ? 1 : 0;
            open_.pop_back();
        }
    }

    void Keep(Token token) {
        token.braceDepth = braceDepth_;
        result_.tokens.push_back(token);
    }

    std::vector<Token> input_;
    std::vector<std::size_t> open_;  // indices of unclosed brackets in result_.tokens
    const Token* previous_ = nullptr;
    bool previousWasDirective_ = false;
    int braceDepth_ = 0;
    ScannedSource result_;
};

}  // namespace

ScannedSource Scan(std::vector<Token> tokens) {
    return Scanner(std::move(tokens)).Run();
}

}  // namespace Korvex::Rendering::ShaderCompiler
