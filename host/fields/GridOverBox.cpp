#include "GridOverBox.h"

#include "UniformField.h"

#include <algorithm>
#include <cmath>

namespace Korvex::Fields {

GridLayout GridOverBox(const Rendering::boundingbox<double, 3>& box, std::size_t budget) {
    Vec3 extent{};
    for (std::size_t a = 0; a < 3; ++a) extent[a] = std::max(box.max[a] - box.min[a], 0.0);
    const double largest = std::max({extent[0], extent[1], extent[2]});
    // Thinner than this relative to the largest side, an axis is flat.
    const double flat = 1e-9 * largest;
    double volume = 1.0;
    int spanned = 0;
    for (double e : extent)
        if (e > flat) {
            volume *= e;
            ++spanned;
        }
    GridLayout grid;
    for (std::size_t a = 0; a < 3; ++a) grid.origin[a] = box.IsEmpty() ? 0.0 : box.min[a];
    if (spanned == 0) return grid;

    const auto samplesAlong = [&](double e, double step) -> std::size_t {
        if (e <= flat) return 1;
        return std::clamp<std::size_t>(static_cast<std::size_t>(std::llround(e / step)) + 1, 2, kMaxSamplesPerAxis);
    };
    // From the step that gives `budget` cells, widened until the samples fit.
    double step = std::pow(volume / static_cast<double>(std::max<std::size_t>(budget, 1)), 1.0 / spanned);
    for (;;) {
        std::size_t count = 1;
        for (std::size_t a = 0; a < 3; ++a) count *= grid.dimensions[a] = samplesAlong(extent[a], step);
        if (count <= budget || count <= std::size_t{1} << spanned) break;
        step *= 1.01;
    }
    for (std::size_t a = 0; a < 3; ++a)
        grid.spacing[a] = grid.dimensions[a] > 1 ? extent[a] / static_cast<double>(grid.dimensions[a] - 1) : step;
    return grid;
}

}  // namespace Korvex::Fields
