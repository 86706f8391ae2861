#include "core/Techniques.h"

namespace Korvex::Rendering::detail {

StringId SimulationTechnique() {
    static const StringId id("SimulationTechnique");
    return id;
}

StringId TransparentSimulationTechnique() {
    static const StringId id("TransparentSimulationTechnique");
    return id;
}

StringId CappedSimulationTechnique() {
    static const StringId id("CappedSimulationTechnique");
    return id;
}

StringId TechniqueForAlpha(float alpha) {
    return alpha < 1.0f ? TransparentSimulationTechnique() : SimulationTechnique();
}

}  // namespace Korvex::Rendering::detail
