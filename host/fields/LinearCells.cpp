#include "LinearCells.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace Korvex::Fields {

namespace {

constexpr std::uint32_t kEmptySlot = UINT32_MAX;

std::uint64_t Mix(std::uint64_t x) {
    x ^= x >> 30;
    x *= 0xbf58476d1ce4e5b9ULL;
    x ^= x >> 27;
    x *= 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

std::uint64_t PositionHash(const Point3& p) {
    std::uint64_t hash = 0;
    for (double coordinate : p) {
        const double canonical = coordinate + 0.0;  // -0 and +0 are one position
        std::uint64_t bits;
        std::memcpy(&bits, &canonical, sizeof bits);
        hash = Mix(hash ^ bits);
    }
    return hash;
}

// Each point's id, or that of the first point at its position: open
// addressing over point ids, comparing positions.
std::vector<std::uint32_t> CanonicalIds(const std::vector<Point3>& points) {
    std::vector<std::uint32_t> canonical(points.size());
    const std::size_t mask = std::bit_ceil(2 * points.size() + 1) - 1;
    std::vector<std::uint32_t> slots(mask + 1, kEmptySlot);
    for (std::size_t i = 0; i < points.size(); ++i) {
        std::size_t slot = PositionHash(points[i]) & mask;
        while (slots[slot] != kEmptySlot && points[slots[slot]] != points[i]) slot = (slot + 1) & mask;
        if (slots[slot] == kEmptySlot) slots[slot] = static_cast<std::uint32_t>(i);
        canonical[i] = slots[slot];
    }
    return canonical;
}

std::string CheckTopology(const UnstructuredGrid& grid) {
    if (grid.points.size() > Io::kMaxPoints) return "more than " + std::to_string(Io::kMaxPoints) + " points";
    if (grid.types.size() > kMaxCells) return "more than " + std::to_string(kMaxCells) + " cells";
    if (grid.offsets.size() != grid.types.size() + 1 || grid.offsets.front() != 0 ||
        grid.offsets.back() != grid.connectivity.size())
        return "the cell offsets do not match " + std::to_string(grid.types.size()) + " cells of " +
               std::to_string(grid.connectivity.size()) + " nodes";
    for (std::size_t c = 0; c < grid.types.size(); ++c)
        if (grid.offsets[c + 1] < grid.offsets[c]) return "the offsets decrease at cell " + std::to_string(c);
    for (std::size_t n = 0; n < grid.connectivity.size(); ++n)
        if (grid.connectivity[n] >= grid.points.size())
            return "node " + std::to_string(n) + " names point " + std::to_string(grid.connectivity[n]) + " of " +
                   std::to_string(grid.points.size());
    for (std::size_t p = 0; p < grid.points.size(); ++p)
        for (double coordinate : grid.points[p])
            if (!std::isfinite(coordinate)) return "point " + std::to_string(p) + " is not finite";
    return {};
}

}  // namespace

LinearCells::Result LinearCells::Create(const UnstructuredGrid& grid) {
    Result result;
    result.error = CheckTopology(grid);
    if (!result.error.empty()) return result;
    std::unique_ptr<LinearCells> cells(new LinearCells(grid));
    cells->shapes_.resize(grid.types.size());
    for (std::size_t c = 0; c < grid.types.size(); ++c) {
        const Shape shape = ShapeOfCellType(grid.types[c]).shape;
        if (shape == Shape::None || grid.offsets[c + 1] - grid.offsets[c] < CornerCount(shape))
            ++cells->skipped_[grid.types[c]];
        else
            cells->shapes_[c] = shape;
    }
    for (std::size_t c = 0; c < grid.types.size(); ++c) {
        const Corners corners = cells->CornersOf(c);
        for (std::size_t k = 0; k < CornerCount(cells->shapes_[c]); ++k) cells->bounds_.Add(grid.points[corners[k]]);
    }
    cells->canonical_ = CanonicalIds(grid.points);
    result.cells = std::move(cells);
    return result;
}

Corners LinearCells::CornersOf(std::size_t cell) const {
    const CellTypeShape typeShape = ShapeOfCellType(grid_->types[cell]);
    const std::uint32_t* nodes = grid_->connectivity.data() + grid_->offsets[cell];
    Corners corners{};
    for (std::size_t k = 0; k < CornerCount(shapes_[cell]); ++k) corners[k] = nodes[typeShape.nodeOfCorner[k]];
    return corners;
}

}  // namespace Korvex::Fields
