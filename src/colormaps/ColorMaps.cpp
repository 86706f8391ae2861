#include <Korvex/Rendering/Simulation/ColorMaps.h>

#include "colormaps/ViridisTable.h"

#include <algorithm>
#include <cstddef>

namespace Korvex::Rendering {

namespace {

constexpr int kEntryCount = 256;
constexpr std::size_t kTableSize = 4 * kEntryCount;

float Limit(float value) { return std::max(std::min(value, 1.0f), 0.0f); }

// Blue-cyan-yellow-red ramp, in single precision throughout.
std::vector<float> ComputeJet() {
    std::vector<float> table;
    table.reserve(kTableSize);
    for (int i = 0; i < kEntryCount; ++i) {
        const float x = (static_cast<float>(i) / 255.0f) * 4.0f;
        table.push_back(Limit(std::min(4.5f - x, x - 1.5f)));
        table.push_back(Limit(std::min(3.5f - x, x - 0.5f)));
        table.push_back(Limit(std::min(2.5f - x, x + 0.5f)));
        table.push_back(1.0f);
    }
    return table;
}

std::uint8_t ToByte(float value) {
    const float p = value * 255.0f;
    // Converting NaN or a float outside the int32 range to int is undefined.
    if (!(p >= -2147483648.0f && p < 2147483648.0f)) return 0;
    return static_cast<std::uint8_t>(static_cast<std::int32_t>(p) & 0xFF);
}

}  // namespace

std::vector<float> GetRgbaFColorMap(ColorMaps map) {
    if (map == ColorMaps::Jet) return ComputeJet();
    return detail::kViridisTable;
}

std::vector<std::uint8_t> GetRgbaColorMap(ColorMaps map) { return f2b(GetRgbaFColorMap(map)); }

std::vector<std::uint8_t> f2b(const std::vector<float>& values) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(values.size());
    for (const float value : values) bytes.push_back(ToByte(value));
    return bytes;
}

}  // namespace Korvex::Rendering
