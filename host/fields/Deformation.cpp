#include "Deformation.h"

#include <algorithm>
#include <cmath>

namespace Korvex::Fields {

std::optional<double> AutoDeformationFactor(std::span<const float> displacements,
                                            const Rendering::boundingbox<double, 3>& box) {
    double largest = 0.0;
    for (std::size_t n = 0; n + 2 < displacements.size(); n += 3) {
        const double length =
            std::hypot(double{displacements[n]}, double{displacements[n + 1]}, double{displacements[n + 2]});
        if (std::isfinite(length)) largest = std::max(largest, length);
    }
    if (box.IsEmpty() || largest == 0.0) return std::nullopt;
    const double diagonal = std::hypot(box.max[0] - box.min[0], box.max[1] - box.min[1], box.max[2] - box.min[2]);
    if (!(diagonal > 0.0)) return std::nullopt;
    return 0.1 * diagonal / largest;
}

std::vector<std::array<float, 3>> DisplacementTriples(std::span<const float> flat) {
    std::vector<std::array<float, 3>> triples(flat.size() / 3);
    for (std::size_t i = 0; i < triples.size(); ++i) {
        triples[i] = {flat[3 * i], flat[3 * i + 1], flat[3 * i + 2]};
        for (float& value : triples[i])
            if (!std::isfinite(value)) value = 0.0f;
    }
    return triples;
}

}  // namespace Korvex::Fields
