// libFuzzer entry: the first byte picks the stage (and, in its top bits, the
// clip-distance options), the rest is the text.
// Any answer is fine as long as it is GLSL or a located error; the
// sanitizers catch the rest.

#include "ShaderTranslator.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace Korvex::Rendering::ShaderCompiler;
    if (size == 0) return 0;
    const auto stage = static_cast<StageKind>(data[0] % 5);
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const TranslationOptions options{.feedsRasterizer = (data[0] & 0x40) != 0,
                                     .clippedBeforeRasterizer = (data[0] & 0x80) != 0};
    const Translation translation = TranslateStage(text, stage, options);
    const bool wellFormed = translation.Ok() ? translation.glsl.starts_with("#version 450 core\n")
                                             : translation.glsl.empty() && translation.error.starts_with("line ");
    if (!wellFormed) std::abort();
    return 0;
}
