#pragma once

// Colour maps by name, as the tables the library's meshes take.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace Korvex::Rendering {

// "viridis" and "jet" as the library gives them; "cividis", "inferno",
// "turbo", "coolwarm" (diverging) and "gray" from their published
// definitions; "NAME_r" is NAME reversed. 256 RGBA8 entries, entry 0 at the
// low end of the value range; nothing for an unknown name.
std::optional<std::vector<std::uint8_t>> ColorMapTable(std::string_view name);

// The names without "_r", for usage texts.
std::vector<std::string_view> ColorMapNames();

}  // namespace Korvex::Rendering
