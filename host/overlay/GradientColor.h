#pragma once

#include "RgbaCanvas.h"

#include <cstdint>
#include <span>

namespace Korvex::Rendering {

// The colour a gradient-coloured mesh draws, unlit, at position t of its
// value range (0 at the low end, 1 at the high end; clamped): the mesh puts
// the first of the gradient's RGBA8 entries at the low end and the last at
// the high end and filters linearly between neighbours; the colour target
// rounds to bytes. Black for an empty gradient.
Rgba8 GradientColorAt(std::span<const std::uint8_t> gradient, double t);

}  // namespace Korvex::Rendering
