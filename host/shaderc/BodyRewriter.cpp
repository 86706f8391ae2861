#include "BodyRewriter.h"

#include "Placeholders.h"
#include "StageInterface.h"
#include "TranslationError.h"
#include "Vocabulary.h"

namespace Korvex::Rendering::ShaderCompiler {
namespace {

// Bounds the recursion through call arguments and placeholder indices, so
// that no input can exhaust the stack.
constexpr int kMaxNesting = 64;

std::string Quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

// Comments become blanks, keeping their line breaks.
std::string BlankComment(std::string_view comment) {
    std::string blank = " ";
    for (char c : comment) {
        if (c == '\n') {
            blank += '\n';
        }
    }
    return blank;
}

bool IsWhitespace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Strips the blanks around a translated argument; the line breaks among them
// are collected in `lineBreaks` and written after the whole expression.
std::string Trimmed(const std::string& text, std::string& lineBreaks) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsWhitespace(text[first])) {
        ++first;
    }
    while (last > first && IsWhitespace(text[last - 1])) {
        --last;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((i < first || i >= last) && text[i] == '\n') {
            lineBreaks += '\n';
        }
    }
    return text.substr(first, last - first);
}

}  // namespace

std::string BodyRewriter::Run() {
    return Rewrite(Range{0, tokens_.size()});
}

std::string BodyRewriter::RewriteNested(Range range, std::size_t line) {
    if (++nesting_ > kMaxNesting) {
        Fail(line, "expression nested too deeply");
    }
    std::string out = Rewrite(range);
    --nesting_;
    return out;
}

std::string BodyRewriter::Rewrite(Range range) {
    std::string out;
    for (std::size_t i = range.begin; i < range.end; ++i) {
        const Token& token = tokens_[i];
        switch (token.kind) {
        case TokenKind::Comment: out += BlankComment(token.text); break;
        case TokenKind::Identifier: i = RewriteIdentifier(i, range.end, out); break;
        case TokenKind::Dollar: i = RewritePlaceholder(i, range.end, out); break;
        default: out += token.text; break;
        }
    }
    return out;
}

std::size_t BodyRewriter::RewriteIdentifier(std::size_t at, std::size_t end, std::string& out) {
    const Token& token = tokens_[at];
    const std::string_view name = token.text;
    if (ResourceTable::IsDeclarationMacro(name)) {
        return RewriteDeclaration(at, end, out);
    }
    if (ResourceTable::IsAccessMacro(name)) {
        return RewriteAccess(at, end, out);
    }
    if (name == "mul" || name == "saturate") {
        return RewriteExpressionMacro(at, end, out);
    }
    if (name == "static") {
        const std::size_t next = NextSignificant(at + 1, end);
        if (next == end || tokens_[next].text != "const") {
            Fail(token.line, "'static' is only supported in 'static const'");
        }
        return at;  // GLSL globals are per invocation already
    }
    if (name == "main" && stage_ == StageKind::Hull) {
        out += "kx_control_point_main";
    } else if (name == "main" && writesClipDistances_ && stage_ != StageKind::Geometry) {
        out += "kx_stage_main";
    } else if (name == "EmitVertex" && writesClipDistances_ && stage_ == StageKind::Geometry) {
        out += "kx_emit_vertex";
    } else if (const std::optional<std::string_view> renamed = GlslRename(name)) {
        out += *renamed;
    } else if (IsReservedName(name)) {
        Fail(token.line, Quoted(name) + " is reserved in GLSL; choose another name");
    } else {
        out += name;
    }
    return at;
}

std::size_t BodyRewriter::RewritePlaceholder(std::size_t at, std::size_t end, std::string& out) {
    const std::size_t line = tokens_[at].line;
    const std::size_t nameIndex = at + 1;
    if (nameIndex >= end || tokens_[nameIndex].kind != TokenKind::Identifier) {
        Fail(line, "'$' must begin a placeholder such as $name$");
    }
    const std::string_view name = tokens_[nameIndex].text;
    std::vector<std::string> indices;
    std::size_t next = nameIndex + 1;
    while (next < end && IsPunct(tokens_[next], '[')) {
        const std::size_t close = MatchingClose(next, end);
        indices.push_back(RewriteNested(Range{next + 1, close}, line));
        next = close + 1;
    }
    if (next >= end || tokens_[next].kind != TokenKind::Dollar) {
        Fail(line, "placeholder $" + std::string(name) + " is not closed by '$'");
    }
    out += ResolvePlaceholder(name, indices, line, stage_, interface_);
    return next;
}

std::size_t BodyRewriter::RewriteDeclaration(std::size_t at, std::size_t end, std::string& out) {
    const Token& macro = tokens_[at];
    if (macro.braceDepth != 0) {
        Fail(macro.line, std::string(macro.text) + " declarations belong at file scope");
    }
    const Call call = ParseCall(at, end);
    std::vector<Token> arguments;
    for (const Range& argument : call.arguments) {
        arguments.push_back(SingleToken(argument, macro));
    }
    out += resources_.Declare(macro, arguments);
    const bool constantBuffer = macro.text == "CBUFFER";
    const std::size_t next = NextSignificant(call.close + 1, end);
    if (next == end || !IsPunct(tokens_[next], constantBuffer ? '{' : ';')) {
        Fail(macro.line, constantBuffer ? "CBUFFER(name, slot) must be followed by '{ fields };'"
                                        : std::string(macro.text) + "(...) must be followed by ';'");
    }
    return call.close;
}

std::size_t BodyRewriter::RewriteAccess(std::size_t at, std::size_t end, std::string& out) {
    const Token& macro = tokens_[at];
    const Call call = ParseCall(at, end);
    if (call.arguments.empty()) {
        Fail(macro.line, std::string(macro.text) + " needs a texture or buffer as its first argument");
    }
    const Token& resource = SingleToken(call.arguments[0], macro);
    std::vector<std::string> arguments;
    std::string lineBreaks;
    for (std::size_t k = 1; k < call.arguments.size(); ++k) {
        arguments.push_back(Trimmed(RewriteNested(call.arguments[k], macro.line), lineBreaks));
    }
    out += resources_.Access(macro, resource, arguments) + lineBreaks;
    return call.close;
}

// mul(a, b) is a matrix product in GLSL's column-vector convention, which is
// the host's; saturate(x) clamps to [0, 1].
std::size_t BodyRewriter::RewriteExpressionMacro(std::size_t at, std::size_t end, std::string& out) {
    const Token& macro = tokens_[at];
    const bool mul = macro.text == "mul";
    const Call call = ParseCall(at, end);
    if (call.arguments.size() != (mul ? 2u : 1u)) {
        Fail(macro.line, mul ? "mul takes two arguments: mul(a, b)" : "saturate takes one argument: saturate(x)");
    }
    std::string lineBreaks;
    std::vector<std::string> arguments;
    for (const Range& argument : call.arguments) {
        arguments.push_back(Trimmed(RewriteNested(argument, macro.line), lineBreaks));
    }
    out += mul ? "((" + arguments[0] + ") * (" + arguments[1] + "))" : "clamp((" + arguments[0] + "), 0.0, 1.0)";
    out += lineBreaks;
    return call.close;
}

BodyRewriter::Call BodyRewriter::ParseCall(std::size_t at, std::size_t end) const {
    const Token& macro = tokens_[at];
    const std::size_t open = NextSignificant(at + 1, end);
    if (open == end || !IsPunct(tokens_[open], '(')) {
        Fail(macro.line, Quoted(macro.text) + " must be followed by '('");
    }
    Call call;
    call.close = MatchingClose(open, end);
    std::size_t argumentBegin = open + 1;
    for (std::size_t i = open + 1; i < call.close; ++i) {
        const Token& token = tokens_[i];
        if (IsPunct(token, '(') || IsPunct(token, '[') || IsPunct(token, '{')) {
            i = token.partner;
        } else if (IsPunct(token, ',')) {
            call.arguments.push_back(Range{argumentBegin, i});
            argumentBegin = i + 1;
        }
    }
    if (NextSignificant(argumentBegin, call.close) != call.close || !call.arguments.empty()) {
        call.arguments.push_back(Range{argumentBegin, call.close});
    }
    return call;
}

// The scanner has paired every bracket; a range never splits a pair.
std::size_t BodyRewriter::MatchingClose(std::size_t open, std::size_t end) const {
    const std::size_t close = tokens_[open].partner;
    if (close <= open || close >= end) {
        Fail(tokens_[open].line, "'" + std::string(tokens_[open].text) + "' is never closed");
    }
    return close;
}

std::size_t BodyRewriter::NextSignificant(std::size_t from, std::size_t end) const {
    while (from < end && !IsSignificant(tokens_[from])) {
        ++from;
    }
    return from;
}

const Token& BodyRewriter::SingleToken(Range range, const Token& macro) const {
    const std::size_t first = NextSignificant(range.begin, range.end);
    if (first == range.end || NextSignificant(first + 1, range.end) != range.end) {
        Fail(macro.line, std::string(macro.text) + ": each of these arguments must be a single name or number");
    }
    return tokens_[first];
}

}  // namespace Korvex::Rendering::ShaderCompiler
