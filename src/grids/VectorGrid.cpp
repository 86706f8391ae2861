#include "grids/VectorGrid.h"

#include <Korvex/Rendering/Simulation/Simulation.h>

#include <cstring>
#include <limits>

namespace Korvex::Rendering {
namespace detail {

VectorTexels::Summary VectorTexels::Fill(std::uint8_t* texels, const Vector3f* vectors, std::size_t count) {
    for (std::size_t x = 0; x < count; ++x) std::memcpy(texels + x * kTexelBytes, &vectors[x], sizeof(Vector3f));
    return SummarizeVectors(vectors, count);
}

void VectorTexels::ResetRange(Range& min, Range& max) {
    min.fill(std::numeric_limits<float>::max());
    max.fill(-std::numeric_limits<float>::max());
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
