#pragma once

#include <Korvex/Rendering/boundingbox.h>

#include <span>

namespace Korvex::Fields {

// The deformation factor that moves the largest displacement (three floats
// per point) to a tenth of the box's diagonal: mode shapes and small strains
// are otherwise invisible. 1 when nothing moves.
double AutoDeformationFactor(std::span<const float> displacements, const Rendering::boundingbox<double, 3>& box);

}  // namespace Korvex::Fields
