// libFuzzer entry for shader specialisation: SpecializeShader must agree
// with a plain search-and-replace reading of the same rules (every
// PLANE_COUNT, then each tag's sections in order, each section ending at the
// first closing tag after its opening).

#include "FuzzSupport.h"
#include "shaders/Specialize.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace Korvex::Rendering;

std::string ReplaceSymbol(std::string_view text, std::string_view symbol, std::string_view by) {
    std::string result;
    std::size_t from = 0;
    for (std::size_t at = text.find(symbol); at != std::string_view::npos; at = text.find(symbol, from)) {
        result.append(text, from, at - from).append(by);
        from = at + symbol.size();
    }
    return result.append(text, from);
}

std::string ResolveSections(std::string_view text, std::string_view tag, bool keep) {
    const std::string open = "<" + std::string(tag) + ">";
    const std::string close = "</" + std::string(tag) + ">";
    std::string result;
    std::size_t from = 0;
    for (;;) {
        const std::size_t begin = text.find(open, from);
        if (begin == std::string_view::npos) break;
        const std::size_t end = text.find(close, begin + open.size());
        if (end == std::string_view::npos) break;
        result.append(text, from, begin - from);
        if (keep) result.append(text, begin + open.size(), end - begin - open.size());
        from = end + close.size();
    }
    return result.append(text, from);
}

std::string Expected(std::string_view text, std::uint64_t planeCount, std::span<const detail::ShaderFeature> features) {
    std::string result = ReplaceSymbol(text, detail::kPlaneCountSymbol, std::to_string(planeCount));
    result = ResolveSections(result, detail::kTagClipping, planeCount != 0);
    for (const detail::ShaderFeature& feature : features)
        result = ResolveSections(result, feature.tag, feature.enabled);
    return result;
}

std::vector<detail::ShaderFeature> Features(FuzzedDataProvider& input) {
    const bool a = input.ConsumeBool(), b = input.ConsumeBool(), c = input.ConsumeBool(), d = input.ConsumeBool();
    switch (input.ConsumeIntegralInRange(0, 2)) {
        case 0: return {{detail::kTagProbeValue, a}, {detail::kTagProbePosition, b}};
        case 1: return {{detail::kTagDrawingPlane, a}, {detail::kTagProbeValue, b}, {detail::kTagProbePosition, c}};
        default:
            return {{detail::kTagDeform, a}, {detail::kTagProbeValue, b}, {detail::kTagProbePosition, c},
                    {detail::kTagWireframe, d}};
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    // Mostly the counts a mesh uses, sometimes any 64-bit number.
    const std::uint64_t planeCount = input.ConsumeBool() ? input.ConsumeIntegral<std::uint64_t>()
                                                         : input.ConsumeIntegralInRange<std::uint64_t>(0, 8);
    const std::vector<detail::ShaderFeature> features = Features(input);
    const std::string text = input.ConsumeRemainingBytesAsString();
    KORVEX_FUZZ_CHECK(detail::SpecializeShader(text, planeCount, features) == Expected(text, planeCount, features));
    return 0;
}
