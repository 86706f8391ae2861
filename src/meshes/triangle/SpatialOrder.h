#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace Korvex::Rendering::detail {

// An order of points (primitive centroids) that keeps neighbours close: by
// the Morton code of each point quantised to 1,024 steps per axis of the
// points' box, equal codes in their given order. Built before splitting a
// list into 16-bit draw calls, it makes a shuffled list split as well as an
// ordered one. Coordinates that are not finite count as the box's minimum.
std::vector<std::uint32_t> SpatialOrder(std::span<const std::array<float, 3>> points);

}  // namespace Korvex::Rendering::detail
