#pragma once

#include "LinearCells.h"
#include "GridOverBox.h"
#include "SurfaceFaces.h"
#include "Vec3.h"

#include <cstdint>
#include <span>
#include <vector>

namespace Korvex::Fields {

inline constexpr std::uint32_t kNoCell = UINT32_MAX;

// For each sample of a grid, the cell whose shape functions give its value.
struct SampleOwners {
    GridLayout grid;
    std::vector<std::uint32_t> cells;  // per sample, i fastest; kNoCell where no cell reaches
    std::vector<std::uint8_t> inside;  // per sample: 1 where it lies in its cell, a solid, not near it
};

// A sample inside a solid takes that cell (on a face between cells, the
// lowest-numbered). A sample outside the solids but near a surface cell (a
// solid with a surface face, or a shell) takes the nearest of them, so that
// every sample a surface point's colour is filtered from holds a value of
// the cells there, not of some other part of the mesh. Cells are visited through the grid itself: each scans only the
// samples within its box, in parallel over slabs of the grid, so the work
// grows with cells plus samples.
SampleOwners FindSampleOwners(const LinearCells& cells, std::span<const SurfaceFace> surface, const GridLayout& grid);

// The corner positions of a cell, in its shape's order.
std::array<Vec3, kMaxCorners> CornerPositions(const LinearCells& cells, std::size_t cell);

}  // namespace Korvex::Fields
