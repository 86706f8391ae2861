#include "StructuredCells.h"

namespace Korvex::Io {

namespace {

constexpr std::uint8_t kQuad = 9;
constexpr std::uint8_t kHexahedron = 12;

}  // namespace

UnstructuredGrid CellsOfStructuredGrid(StructuredGrid grid) {
    UnstructuredGrid cells;
    const auto [nx, ny, nz] = grid.dimensions;
    if (nx * ny * nz != grid.points.size() || grid.points.empty() || grid.points.size() > kMaxPoints) return cells;
    // The axes with more than one point span the cells; a quadrilateral's
    // corners run along the first of them, then the second.
    std::array<std::size_t, 3> axes{};
    std::size_t spanned = 0;
    for (std::size_t a = 0; a < 3; ++a)
        if (grid.dimensions[a] > 1) axes[spanned++] = a;
    if (spanned < 2) return cells;
    const std::array<std::size_t, 3> stride{1, nx, nx * ny};
    std::array<std::size_t, 3> cellCount{1, 1, 1};
    for (std::size_t a = 0; a < 3; ++a) cellCount[a] = grid.dimensions[a] > 1 ? grid.dimensions[a] - 1 : 1;
    const std::size_t du = stride[axes[0]], dv = stride[axes[1]], dw = spanned == 3 ? stride[axes[2]] : 0;
    const std::size_t count = cellCount[0] * cellCount[1] * cellCount[2];
    const std::size_t corners = spanned == 3 ? 8 : 4;
    cells.types.assign(count, spanned == 3 ? kHexahedron : kQuad);
    cells.offsets.reserve(count + 1);
    cells.connectivity.reserve(count * corners);
    for (std::size_t k = 0; k < cellCount[2]; ++k)
        for (std::size_t j = 0; j < cellCount[1]; ++j)
            for (std::size_t i = 0; i < cellCount[0]; ++i) {
                const auto base = static_cast<std::uint32_t>(i + nx * (j + ny * k));
                const std::array<std::size_t, 4> ring{0, du, du + dv, dv};
                for (std::size_t layer = 0; layer < corners / 4; ++layer)
                    for (std::size_t step : ring)
                        cells.connectivity.push_back(base + static_cast<std::uint32_t>(step + layer * dw));
                cells.offsets.push_back(cells.connectivity.size());
            }
    cells.points = std::move(grid.points);
    return cells;
}

}  // namespace Korvex::Io
