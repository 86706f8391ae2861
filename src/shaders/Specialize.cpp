#include "shaders/Specialize.h"

#include <string>

namespace Korvex::Rendering::detail {

namespace {

// Every occurrence of symbol, left to right, replaced by text.
std::string ReplaceEvery(const std::string& text, std::string_view symbol, std::string_view by) {
    std::string result;
    result.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t at = text.find(symbol); at != std::string::npos; at = text.find(symbol, from)) {
        result.append(text, from, at - from).append(by);
        from = at + symbol.size();
    }
    return result.append(text, from);
}

// A section runs from <tag> to the first </tag> after it; kept, it loses its
// tags, otherwise it goes whole. An opening tag without a closing one stays
// as it is. One pass, copying the text around the sections as it is.
std::string ResolveSections(const std::string& text, std::string_view tag, bool keep) {
    const std::string open = "<" + std::string(tag) + ">";
    const std::string close = "</" + std::string(tag) + ">";
    std::string result;
    result.reserve(text.size());
    std::size_t from = 0;
    for (;;) {
        const std::size_t begin = text.find(open, from);
        if (begin == std::string::npos) break;
        const std::size_t contents = begin + open.size();
        const std::size_t end = text.find(close, contents);
        if (end == std::string::npos) break;
        result.append(text, from, begin - from);
        if (keep) result.append(text, contents, end - contents);
        from = end + close.size();
    }
    return result.append(text, from);
}

}  // namespace

std::string SpecializeShader(std::string text, std::uint64_t planeCount, std::span<const ShaderFeature> features) {
    text = ReplaceEvery(text, kPlaneCountSymbol, std::to_string(planeCount));
    text = ResolveSections(text, kTagClipping, planeCount != 0);
    for (const ShaderFeature& feature : features) text = ResolveSections(text, feature.tag, feature.enabled);
    return text;
}

ShaderStageSources SpecializeProgram(const ShaderStageSources& sources, std::uint64_t planeCount,
                                     std::span<const ShaderFeature> features) {
    ShaderStageSources specialized;
    for (std::size_t stage = 0; stage < kShaderStageCount; ++stage)
        specialized.stages[stage] = SpecializeShader(sources.stages[stage], planeCount, features);
    return specialized;
}

ShaderStageSources AssembleProgram(std::string_view constantsDeclaration,
                                   const std::array<std::string_view, kShaderStageCount>& templates) {
    ShaderStageSources sources;
    for (std::size_t stage = 0; stage < kShaderStageCount; ++stage) {
        if (templates[stage].empty()) continue;
        std::string& text = sources.stages[stage];
        text.reserve(constantsDeclaration.size() + templates[stage].size());
        text.append(constantsDeclaration).append(templates[stage]);
    }
    return sources;
}

}  // namespace Korvex::Rendering::detail
