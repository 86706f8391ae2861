#pragma once

#include <Korvex/Rendering/Gpu/Ids.h>
#include <Korvex/Rendering/array_view.h>

#include <array>
#include <cstddef>

namespace Korvex::Rendering {

struct Vector3f {
    float x, y, z;
};
static_assert(sizeof(Vector3f) == 12);

// A snapshot: later uploads do not change it.
struct VectorGridTexture {
    ImageViewId view;
    std::array<float, 3> range_min;
    std::array<float, 3> range_max;
    std::array<std::size_t, 3> dimensions;
};

class IVectorGrid {
public:
    virtual ~IVectorGrid() = default;
    // Vectors x fastest, then y, then z; each size in 1..2048. False, with
    // nothing changed, when a size is out of range or vectors are too few.
    virtual bool SetVectors(std::size_t size_x, std::size_t size_y, std::size_t size_z,
                            array_view<const Vector3f> values) = 0;
    virtual VectorGridTexture GetTexture() const = 0;
};

}  // namespace Korvex::Rendering
