#pragma once

#include <Korvex/Rendering/Gpu/Ids.h>
#include <Korvex/Rendering/array_view.h>

#include <array>
#include <cstddef>

namespace Korvex::Rendering {

inline constexpr std::size_t kMaxGridDimension = 2048;

// A snapshot: later uploads do not change it.
struct ScalarGridTexture {
    ImageViewId view;
    float range_min;
    float range_max;
    std::array<std::size_t, 3> dimensions;
};

class IScalarGrid {
public:
    virtual ~IScalarGrid() = default;
    // Values x fastest, then y, then z; each size in 1..2048. False, with
    // nothing changed, when a size is out of range or values are too few.
    virtual bool SetValues(std::size_t size_x, std::size_t size_y, std::size_t size_z,
                           array_view<const float> values) = 0;
    virtual ScalarGridTexture GetTexture() const = 0;
};

}  // namespace Korvex::Rendering
