#pragma once

#include "ResourceTable.h"
#include "ShaderTranslator.h"
#include "Token.h"

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace Korvex::Rendering::ShaderCompiler {

class StageInterface;

// The second pass: turns the body's tokens into GLSL. Resource macros become
// declarations and texture calls, HLSL names their GLSL spellings, `mul` and
// `saturate` expressions, placeholders variables and built-ins. Whitespace
// and line breaks are kept, so GLSL line numbers match the template's.
class BodyRewriter {
public:
    // writesClipDistances: the translation wraps main (vertex, domain) or
    // EmitVertex (geometry) to copy the clip distances to gl_ClipDistance.
    BodyRewriter(std::span<const Token> tokens, StageKind stage, const StageInterface& interface,
                 bool writesClipDistances = false)
        : tokens_(tokens), stage_(stage), interface_(interface), writesClipDistances_(writesClipDistances) {}

    std::string Run();

private:
    struct Range {
        std::size_t begin;
        std::size_t end;
    };

    struct Call {
        std::vector<Range> arguments;
        std::size_t close;  // index of the ')'
    };

    std::string Rewrite(Range range);
    std::string RewriteNested(Range range, std::size_t line);
    std::size_t RewriteIdentifier(std::size_t at, std::size_t end, std::string& out);
    std::size_t RewritePlaceholder(std::size_t at, std::size_t end, std::string& out);
    std::size_t RewriteDeclaration(std::size_t at, std::size_t end, std::string& out);
    std::size_t RewriteAccess(std::size_t at, std::size_t end, std::string& out);
    std::size_t RewriteExpressionMacro(std::size_t at, std::size_t end, std::string& out);

    Call ParseCall(std::size_t at, std::size_t end) const;
    std::size_t MatchingClose(std::size_t open, std::size_t end) const;
    std::size_t NextSignificant(std::size_t from, std::size_t end) const;
    const Token& SingleToken(Range range, const Token& macro) const;

    std::span<const Token> tokens_;
    StageKind stage_;
    const StageInterface& interface_;
    bool writesClipDistances_;
    ResourceTable resources_;
    int nesting_ = 0;
};

}  // namespace Korvex::Rendering::ShaderCompiler
