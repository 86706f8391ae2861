#include "shaders/Specialize.h"

#include <regex>
#include <sstream>

namespace Korvex::Rendering::detail {

namespace {

// "$1" keeps a section's contents without its tags; "" drops the section.
std::string ResolveSections(const std::string& text, std::string_view tag, bool keep) {
    std::ostringstream pattern;
    pattern << '<' << tag << R"(>([\s\S]*?)<\/)" << tag << '>';
    return std::regex_replace(text, std::regex(pattern.str()), keep ? "$1" : "");
}

}  // namespace

std::string SpecializeShader(std::string text, std::uint64_t planeCount, std::span<const ShaderFeature> features) {
    std::ostringstream count;
    count << planeCount;
    text = std::regex_replace(text, std::regex(std::string(kPlaneCountSymbol)), count.str());
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
