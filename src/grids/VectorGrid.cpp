#include "grids/VectorGrid.h"

#include <Korvex/Rendering/Simulation/Simulation.h>

#include <cstring>
#include <limits>

namespace Korvex::Rendering {
namespace detail {

void VectorTexels::FillRow(std::uint8_t* row, const Vector3f* vectors, std::size_t count) {
    for (std::size_t x = 0; x < count; ++x) std::memcpy(row + x * kTexelBytes, &vectors[x], sizeof(Vector3f));
}

void VectorTexels::ResetRange(Range& min, Range& max) {
    min.fill(std::numeric_limits<float>::max());
    max.fill(-std::numeric_limits<float>::max());
}

// Strict comparisons: a NaN component changes nothing.
void VectorTexels::Widen(Range& min, Range& max, const Vector3f& vector) {
    const float components[3] = {vector.x, vector.y, vector.z};
    for (std::size_t i = 0; i < 3; ++i) {
        if (min[i] > components[i]) min[i] = components[i];
        if (components[i] > max[i]) max[i] = components[i];
    }
}

}  // namespace detail

bool VectorGrid::SetVectors(std::size_t size_x, std::size_t size_y, std::size_t size_z,
                            array_view<const Vector3f> values) {
    return image_.Upload(size_x, size_y, size_z, values);
}

VectorGridTexture VectorGrid::GetTexture() const {
    return {image_.ViewId(), image_.RangeMin(), image_.RangeMax(), image_.Dimensions()};
}

std::unique_ptr<IVectorGrid> CreateVectorGrid(IGpu& gpu) { return std::make_unique<VectorGrid>(gpu); }

}  // namespace Korvex::Rendering
