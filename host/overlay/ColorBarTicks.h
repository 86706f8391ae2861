#pragma once

#include <string>
#include <vector>

namespace Korvex::Rendering {

struct ColorBarTick {
    double value;     // in the data's units
    double position;  // along the bar: 0 at minValue, 1 at maxValue
    std::string label;
};

// 3 to 7 ticks at round values within [minValue, maxValue], low to high.
// Linear: multiples of 1, 2 or 5 times a power of ten, all labelled with the
// same number of decimals. Logarithmic (positions by log10 of the value):
// powers of ten (every one, second, third...), else 1, 2 and 5 times them,
// else 1 to 9 times them, else linear ticks for a range too narrow for those.
// Empty for a range that is not finite and increasing, or logarithmic with
// minValue <= 0.
std::vector<ColorBarTick> ColorBarTicks(double minValue, double maxValue, bool logarithmic);

}  // namespace Korvex::Rendering
