#include "GradientColor.h"

#include <algorithm>
#include <cmath>

namespace Korvex::Rendering {

Rgba8 GradientColorAt(std::span<const std::uint8_t> gradient, double t) {
    const std::size_t entries = gradient.size() / 4;
    if (entries == 0) return {0, 0, 0, 255};
    // The sampler's texel coordinate: entry i sits at t = i / (entries - 1).
    const double texel = (std::isnan(t) ? 0.0 : std::clamp(t, 0.0, 1.0)) * static_cast<double>(entries - 1);
    const std::size_t low = std::min(static_cast<std::size_t>(texel), entries - 1);
    const std::size_t high = std::min(low + 1, entries - 1);
    const double weight = texel - static_cast<double>(low);
    Rgba8 color;
    for (std::size_t c = 0; c < 4; ++c) {
        const double mixed = (1.0 - weight) * gradient[4 * low + c] + weight * gradient[4 * high + c];
        color[c] = static_cast<std::uint8_t>(std::lround(mixed));
    }
    return color;
}

}  // namespace Korvex::Rendering
