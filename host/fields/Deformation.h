#pragma once

#include <Korvex/Rendering/boundingbox.h>

#include <array>
#include <optional>
#include <span>
#include <vector>

namespace Korvex::Fields {

// The deformation factor that moves the largest displacement (three floats
// per point) to a tenth of the box's diagonal: mode shapes and small strains
// are otherwise invisible. Empty when nothing moves or the box has no size.
std::optional<double> AutoDeformationFactor(std::span<const float> displacements,
                                            const Rendering::boundingbox<double, 3>& box);

// Displacements three floats each, as the vector grid takes them; one that
// is not finite moves nothing.
std::vector<std::array<float, 3>> DisplacementTriples(std::span<const float> flat);

}  // namespace Korvex::Fields
