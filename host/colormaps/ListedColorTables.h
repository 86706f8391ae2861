#pragma once

// Published colour maps, as floats in [0, 1], red, green, blue.

#include <array>

namespace Korvex::Rendering::detail {

struct RgbF {
    float r, g, b;
};

using ListedColorTable = std::array<RgbF, 256>;
using CoolWarmPoints = std::array<RgbF, 33>;

extern const ListedColorTable kCividisTable;
extern const ListedColorTable kInfernoTable;
extern const ListedColorTable kTurboTable;
extern const CoolWarmPoints kCoolWarmPoints;

}  // namespace Korvex::Rendering::detail
