#pragma once

#include "GridLayout.h"
#include "Vec3.h"

#include <Korvex/Rendering/boundingbox.h>

#include <cstddef>

namespace Korvex::Fields {

// Samples at most about `budget` (at least two along every axis the box
// spans), spaced alike on every axis as near as a whole number of steps
// allows, the first and last sample of each axis on the box's faces. An axis
// the box does not span (a flat result) has one sample, on the box.
GridLayout GridOverBox(const Rendering::boundingbox<double, 3>& box, std::size_t budget);

}  // namespace Korvex::Fields
