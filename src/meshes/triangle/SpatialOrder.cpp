#include "meshes/triangle/SpatialOrder.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace Korvex::Rendering::detail {

namespace {

constexpr unsigned kBitsPerAxis = 10;
constexpr std::uint32_t kStepsPerAxis = 1u << kBitsPerAxis;

// The 10 bits of v spread to every third bit.
std::uint32_t Spread(std::uint32_t v) {
    v = (v | (v << 16)) & 0x030000FFu;
    v = (v | (v << 8)) & 0x0300F00Fu;
    v = (v | (v << 4)) & 0x030C30C3u;
    v = (v | (v << 2)) & 0x09249249u;
    return v;
}

std::vector<std::uint32_t> MortonCodes(std::span<const std::array<float, 3>> points) {
    std::array<float, 3> low, high;
    low.fill(std::numeric_limits<float>::max());
    high.fill(std::numeric_limits<float>::lowest());
    for (const auto& point : points)
        for (std::size_t axis = 0; axis < 3; ++axis)
            if (std::isfinite(point[axis])) {
                low[axis] = std::min(low[axis], point[axis]);
                high[axis] = std::max(high[axis], point[axis]);
            }
    // One scale for all axes keeps the cells cubes.
    float extent = 0.0f;
    for (std::size_t axis = 0; axis < 3; ++axis) extent = std::max(extent, high[axis] - low[axis]);
    const float scale = extent > 0.0f && std::isfinite(extent) ? float(kStepsPerAxis - 1) / extent : 0.0f;

    std::vector<std::uint32_t> codes(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        std::uint32_t code = 0;
        for (std::size_t axis = 0; axis < 3; ++axis) {
            const float step = (points[i][axis] - low[axis]) * scale;
            // Comparisons false for NaN: such steps stay 0.
            const auto quantised =
                step > 0.0f ? static_cast<std::uint32_t>(std::min(step + 0.5f, float(kStepsPerAxis - 1))) : 0u;
            code |= Spread(quantised) << axis;
        }
        codes[i] = code;
    }
    return codes;
}

}  // namespace

// Radix sort of the 30-bit codes, 10 bits a pass from the lowest: each pass
// stable, so the whole is.
std::vector<std::uint32_t> SpatialOrder(std::span<const std::array<float, 3>> points) {
    const std::vector<std::uint32_t> codes = MortonCodes(points);
    std::vector<std::uint32_t> order(points.size());
    std::iota(order.begin(), order.end(), 0u);
    std::vector<std::uint32_t> sorted(points.size());
    for (unsigned shift = 0; shift < 3 * kBitsPerAxis; shift += kBitsPerAxis) {
        std::array<std::uint32_t, kStepsPerAxis> start{};
        for (const std::uint32_t code : codes) ++start[(code >> shift) & (kStepsPerAxis - 1)];
        std::exclusive_scan(start.begin(), start.end(), start.begin(), 0u);
        for (const std::uint32_t point : order) sorted[start[(codes[point] >> shift) & (kStepsPerAxis - 1)]++] = point;
        order.swap(sorted);
    }
    return order;
}

}  // namespace Korvex::Rendering::detail
