#pragma once

#include <Korvex/Rendering/StringId.h>

namespace Korvex::Rendering::detail {

// The host techniques a mesh asks to be drawn with; each id is built once.
StringId SimulationTechnique();
StringId TransparentSimulationTechnique();
StringId CappedSimulationTechnique();

// "TransparentSimulationTechnique" when alpha is below 1, else "SimulationTechnique".
StringId TechniqueForAlpha(float alpha);

}  // namespace Korvex::Rendering::detail
