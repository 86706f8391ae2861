#pragma once

#include "Vec3.h"

#include <Korvex/Rendering/boundingbox.h>

#include <array>
#include <cstddef>

namespace Korvex::Fields {

// A regular grid of samples: sample (i, j, k) at origin + (i, j, k) * spacing,
// i fastest in memory.
struct SampleGrid {
    std::array<std::size_t, 3> dimensions{1, 1, 1};
    Vec3 origin{0.0, 0.0, 0.0};
    Vec3 spacing{1.0, 1.0, 1.0};

    std::size_t Count() const { return dimensions[0] * dimensions[1] * dimensions[2]; }
    std::size_t Index(std::size_t i, std::size_t j, std::size_t k) const {
        return i + dimensions[0] * (j + dimensions[1] * k);
    }
    Vec3 Position(std::size_t i, std::size_t j, std::size_t k) const {
        return {origin[0] + static_cast<double>(i) * spacing[0], origin[1] + static_cast<double>(j) * spacing[1],
                origin[2] + static_cast<double>(k) * spacing[2]};
    }
    // What SetGrids takes: a texture puts each sample at the centre of its
    // texel, so the box reaches half a spacing beyond the first and last
    // samples on every axis.
    Rendering::boundingbox<float, 3> TextureBox() const;
};

inline constexpr std::size_t kDefaultSampleBudget = std::size_t{1} << 24;  // 256^3
// What a GPU grid takes along one axis.
inline constexpr std::size_t kMaxSamplesPerAxis = 2048;

// Samples at most about `budget` (at least two along every axis the box
// spans), spaced alike on every axis as near as a whole number of steps
// allows, the first and last sample of each axis on the box's faces. An axis
// the box does not span (a flat result) has one sample, on the box.
SampleGrid GridOverBox(const Rendering::boundingbox<double, 3>& box, std::size_t budget = kDefaultSampleBudget);

}  // namespace Korvex::Fields
