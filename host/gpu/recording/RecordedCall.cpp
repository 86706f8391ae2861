#include "RecordedCall.h"

namespace Korvex::Rendering {

std::string IdText(std::uint64_t idValue) {
    const auto index = static_cast<std::uint32_t>(idValue);
    if (index == ~std::uint32_t{0}) return "null";
    return std::to_string(index) + ":" + std::to_string(idValue >> 32);
}

}  // namespace Korvex::Rendering
