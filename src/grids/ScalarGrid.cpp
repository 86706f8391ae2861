#include "grids/ScalarGrid.h"

#include <Korvex/Rendering/Simulation/Simulation.h>

#include <limits>

namespace Korvex::Rendering {
namespace detail {

void ScalarTexels::ResetRange(float& min, float& max) {
    min = std::numeric_limits<float>::max();
    max = -std::numeric_limits<float>::max();
}

}  // namespace detail

bool ScalarGrid::SetValues(std::size_t size_x, std::size_t size_y, std::size_t size_z,
                           array_view<const float> values) {
    return image_.Upload(size_x, size_y, size_z, values);
}

ScalarGridTexture ScalarGrid::GetTexture() const {
    return {image_.ViewId(), image_.RangeMin(), image_.RangeMax(), image_.Dimensions()};
}

std::unique_ptr<IScalarGrid> CreateScalarGrid(IGpu& gpu) { return std::make_unique<ScalarGrid>(gpu); }

}  // namespace Korvex::Rendering
