#include "NamedColorMaps.h"

#include "ListedColorTables.h"

#include <Korvex/Rendering/Simulation/ColorMaps.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace Korvex::Rendering {

namespace {

using detail::RgbF;

constexpr std::size_t kEntries = 256;
constexpr std::string_view kReversedSuffix = "_r";

// Rounded to the nearest byte: the published tables are exact to well within that.
std::uint8_t UnitToByte(float value) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
}

template <class Color>
std::vector<std::uint8_t> ToBytes(std::size_t count, Color color) {
    std::vector<std::uint8_t> rgba;
    rgba.reserve(4 * count);
    for (std::size_t i = 0; i < count; ++i) {
        const RgbF c = color(i);
        rgba.insert(rgba.end(), {UnitToByte(c.r), UnitToByte(c.g), UnitToByte(c.b), 255});
    }
    return rgba;
}

std::vector<std::uint8_t> Listed(const detail::ListedColorTable& table) {
    return ToBytes(kEntries, [&](std::size_t i) { return table[i]; });
}

// Entry i at i / 255 of the published points, linear between them.
std::vector<std::uint8_t> CoolWarm() {
    const auto& points = detail::kCoolWarmPoints;
    const std::size_t segments = points.size() - 1;
    return ToBytes(kEntries, [&](std::size_t i) {
        const double x = static_cast<double>(i * segments) / (kEntries - 1);
        const std::size_t k = std::min(static_cast<std::size_t>(x), segments - 1);
        const auto w = static_cast<float>(x - static_cast<double>(k));
        const RgbF& a = points[k];
        const RgbF& b = points[k + 1];
        return RgbF{a.r + w * (b.r - a.r), a.g + w * (b.g - a.g), a.b + w * (b.b - a.b)};
    });
}

std::vector<std::uint8_t> Gray() {
    return ToBytes(kEntries, [](std::size_t i) {
        const float level = static_cast<float>(i) / (kEntries - 1);
        return RgbF{level, level, level};
    });
}

std::vector<std::uint8_t> Viridis() { return GetRgbaColorMap(ColorMaps::Viridis); }
std::vector<std::uint8_t> Jet() { return GetRgbaColorMap(ColorMaps::Jet); }
std::vector<std::uint8_t> Cividis() { return Listed(detail::kCividisTable); }
std::vector<std::uint8_t> Inferno() { return Listed(detail::kInfernoTable); }
std::vector<std::uint8_t> Turbo() { return Listed(detail::kTurboTable); }

struct NamedMap {
    std::string_view name;
    std::vector<std::uint8_t> (*make)();
};

constexpr std::array<NamedMap, 7> kMaps{{{"viridis", Viridis},
                                         {"jet", Jet},
                                         {"cividis", Cividis},
                                         {"inferno", Inferno},
                                         {"turbo", Turbo},
                                         {"coolwarm", CoolWarm},
                                         {"gray", Gray}}};

std::optional<std::vector<std::uint8_t>> BaseTable(std::string_view name) {
    for (const NamedMap& map : kMaps)
        if (map.name == name) return map.make();
    return std::nullopt;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> ColorMapTable(std::string_view name) {
    if (!name.ends_with(kReversedSuffix)) return BaseTable(name);
    std::optional<std::vector<std::uint8_t>> table = BaseTable(name.substr(0, name.size() - kReversedSuffix.size()));
    if (!table) return std::nullopt;
    // Whole entries swap places; their bytes keep their order.
    std::vector<std::uint8_t>& rgba = *table;
    for (std::size_t low = 0, high = rgba.size() / 4 - 1; low < high; ++low, --high)
        std::swap_ranges(rgba.begin() + 4 * low, rgba.begin() + 4 * low + 4, rgba.begin() + 4 * high);
    return table;
}

std::vector<std::string_view> ColorMapNames() {
    std::vector<std::string_view> names;
    for (const NamedMap& map : kMaps) names.push_back(map.name);
    return names;
}

}  // namespace Korvex::Rendering
