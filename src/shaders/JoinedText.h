#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace Korvex::Rendering::detail {

// Pieces' texts one after another, joined at compile time: the stage
// templates are put together from shared fragments and stay constants,
// with nothing to initialise when the library loads.
template <const auto& Pieces>
inline constexpr auto kJoinedChars = [] {
    constexpr std::size_t size = [] {
        std::size_t total = 0;
        for (std::string_view piece : Pieces) total += piece.size();
        return total;
    }();
    std::array<char, size> chars{};
    std::size_t at = 0;
    for (std::string_view piece : Pieces)
        for (char c : piece) chars[at++] = c;
    return chars;
}();

template <const auto& Pieces>
inline constexpr std::string_view kJoinedText{kJoinedChars<Pieces>.data(), kJoinedChars<Pieces>.size()};

}  // namespace Korvex::Rendering::detail
