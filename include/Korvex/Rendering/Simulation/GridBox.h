#pragma once

#include <Korvex/Rendering/boundingbox.h>

#include <array>
#include <cstddef>

namespace Korvex::Rendering {

// The box that SetGrids takes is the box of the grid's texture, not of its
// samples. A 3D texture puts each sample at the centre of its texel, so the
// texture reaches half a sample spacing beyond the first and the last sample
// on every axis. Passing the samples' own box (first sample to last) shifts
// colours and probed values by up to half a cell.
//
// The texture box of a grid of dimensions samples, sample (i, j, k) at
// origin + (i, j, k) * spacing.
inline boundingbox<float, 3> GridTextureBox(const std::array<double, 3>& origin, const std::array<double, 3>& spacing,
                                            const std::array<std::size_t, 3>& dimensions) {
    boundingbox<float, 3> box;
    for (std::size_t axis = 0; axis < 3; ++axis) {
        const double halfSpacing = 0.5 * spacing[axis];
        box.min[axis] = static_cast<float>(origin[axis] - halfSpacing);
        box.max[axis] =
            static_cast<float>(origin[axis] + static_cast<double>(dimensions[axis]) * spacing[axis] - halfSpacing);
    }
    return box;
}

}  // namespace Korvex::Rendering
