#pragma once

// Grids of cells as a reader gives them: the input of the outer surface and
// of the resampling onto a regular grid. Plain data, VTK's cell type codes
// and node orders.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Korvex::Fields {

using Point3 = std::array<double, 3>;

// Cells of any kind: cell c has type types[c] and the nodes
// connectivity[offsets[c]] up to connectivity[offsets[c + 1]].
struct UnstructuredGrid {
    std::vector<Point3> points;
    std::vector<std::uint8_t> types;
    std::vector<std::uint64_t> offsets{0};  // one more than the cells, from 0
    std::vector<std::uint32_t> connectivity;
};

// Point indices are 32-bit.
inline constexpr std::size_t kMaxPoints = UINT32_MAX;

// A curvilinear grid: point (i, j, k) is points[i + nx * (j + ny * k)].
struct StructuredGrid {
    std::array<std::size_t, 3> dimensions{1, 1, 1};
    std::vector<Point3> points;
};

// The cells of a curvilinear grid, in its cell order (i fastest): hexahedra,
// or quadrilaterals where one axis has a single point; none where two axes
// have one, or where the points do not match the dimensions.
UnstructuredGrid CellsOfStructuredGrid(StructuredGrid grid);

}  // namespace Korvex::Fields
