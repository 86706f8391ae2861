#include "SampleOwners.h"

#include "CellMap.h"

#include <oneapi/tbb/blocked_range.h>
#include <oneapi/tbb/parallel_for.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace Korvex::Fields {

namespace {

// Local units within which a sample counts as inside a cell: samples on a
// face shared by two cells, or on the mesh's own faces, belong to a cell.
constexpr double kInside = 1e-9;
// The samples a surface point's colour is filtered from lie within one
// diagonal of a grid cell from it. The distance to a cell is taken to a
// point of it near the closest (clamped local coordinates), which may lie
// further: twice that reach keeps every sample that matters.
constexpr double kReachInDiagonals = 2.0;
// Slabs of the grid along its longest axis are the parallel tasks.
constexpr std::size_t kMaxSlabs = 64;
constexpr std::size_t kMinSlabs = 16;

// The samples a cell scans, first and last along each axis.
struct SampleRange {
    std::array<std::uint32_t, 3> first{}, last{};
    bool empty = true;
};

SampleRange RangeOf(const GridLayout& grid, const std::array<Vec3, kMaxCorners>& corners, std::size_t count,
                    bool grown) {
    SampleRange range;
    for (std::size_t a = 0; a < 3; ++a) {
        double low = corners[0][a], high = corners[0][a];
        for (std::size_t k = 1; k < count; ++k) {
            low = std::min(low, corners[k][a]);
            high = std::max(high, corners[k][a]);
        }
        const double margin = grown ? grid.spacing[a] : 0.0;
        const double first = std::ceil((low - margin - grid.origin[a]) / grid.spacing[a] - kInside);
        const double last = std::floor((high + margin - grid.origin[a]) / grid.spacing[a] + kInside);
        const double end = static_cast<double>(grid.dimensions[a] - 1);
        if (last < 0.0 || first > end || first > last) return range;
        range.first[a] = static_cast<std::uint32_t>(std::max(first, 0.0));
        range.last[a] = static_cast<std::uint32_t>(std::min(last, end));
    }
    range.empty = false;
    return range;
}

struct Slabs {
    std::size_t axis = 0;
    std::size_t thickness = 1;
    std::size_t count = 1;
};

// Along z, so that a slab is one stretch of memory and its cells, visited
// in their order (mostly x fastest), write near each other; along the
// longest axis where z is too thin to share out.
Slabs SlabsOf(const GridLayout& grid) {
    Slabs slabs;
    slabs.axis = grid.dimensions[2] >= kMinSlabs
                     ? 2
                     : static_cast<std::size_t>(std::max_element(grid.dimensions.begin(), grid.dimensions.end()) -
                                                grid.dimensions.begin());
    const std::size_t samples = grid.dimensions[slabs.axis];
    slabs.thickness = (samples + kMaxSlabs - 1) / kMaxSlabs;
    slabs.count = (samples + slabs.thickness - 1) / slabs.thickness;
    return slabs;
}

// Scans one cell's samples within [sliceBegin, sliceEnd) along the slab axis.
class CellScan {
public:
    CellScan(const LinearCells& cells, const GridLayout& grid, std::vector<std::uint64_t>& best)
        : cells_(cells), grid_(grid), reach_(kReachInDiagonals * Length(grid.spacing)), best_(best) {}

    void Scan(std::uint32_t cell, bool surface, const SampleRange& range, const Slabs& slabs, std::size_t slab) const {
        const Shape shape = cells_.ShapeOf(cell);
        const CellMap map(shape, CornerPositions(cells_, cell));
        const bool solid = Dimension(shape) == 3;
        std::array<std::size_t, 3> first{range.first[0], range.first[1], range.first[2]};
        std::array<std::size_t, 3> last{range.last[0], range.last[1], range.last[2]};
        first[slabs.axis] = std::max(first[slabs.axis], slab * slabs.thickness);
        last[slabs.axis] = std::min(last[slabs.axis], (slab + 1) * slabs.thickness - 1);
        // An inner tetrahedron, most of a tetrahedral mesh, takes the samples
        // where each row crosses it, with no search.
        const auto rows = surface ? std::nullopt : map.Lines({grid_.spacing[0], 0.0, 0.0});
        for (std::size_t k = first[2]; k <= last[2]; ++k)
            for (std::size_t j = first[1]; j <= last[1]; ++j) {
                if (rows) {
                    const std::array<double, 2> inside = rows->Inside(grid_.Point(0, j, k), kInside);
                    const double from = std::max(std::ceil(inside[0]), static_cast<double>(first[0]));
                    const double to = std::min(std::floor(inside[1]), static_cast<double>(last[0]));
                    for (double i = from; i <= to; ++i)
                        Offer(grid_.Index(static_cast<std::size_t>(i), j, k), 0.0f, cell);
                    continue;
                }
                std::optional<Vec3> xi;
                for (std::size_t i = first[0]; i <= last[0]; ++i) {
                    const Vec3 p = grid_.Point(i, j, k);
                    xi = map.Locate(p, xi);
                    if (!xi) continue;
                    double d = 0.0;
                    if (!solid || map.Excess(*xi) > kInside) {
                        if (!surface) continue;
                        // Only solids hold samples at distance 0: a shell,
                        // even through a sample, has no inside.
                        d = std::max(Length(p - map.Position(map.Clamped(*xi, 0.0))),
                                     double{std::numeric_limits<float>::denorm_min()});
                        if (d > reach_) continue;
                    }
                    Offer(grid_.Index(i, j, k), static_cast<float>(d), cell);
                }
            }
    }

private:
    // The nearest cell wins, the lower-numbered of equally near ones, in
    // whatever order the cells come: the bits of a float at or above zero
    // order as the float does, so one compare of (distance, cell) does it.
    void Offer(std::size_t sample, float d, std::uint32_t cell) const {
        const std::uint64_t candidate = std::uint64_t{std::bit_cast<std::uint32_t>(d)} << 32 | cell;
        best_[sample] = std::min(best_[sample], candidate);
    }

    const LinearCells& cells_;
    const GridLayout& grid_;
    const double reach_;
    std::vector<std::uint64_t>& best_;
};

}  // namespace

std::array<Vec3, kMaxCorners> CornerPositions(const LinearCells& cells, std::size_t cell) {
    const Corners corners = cells.CornersOf(cell);
    std::array<Vec3, kMaxCorners> positions{};
    for (std::size_t k = 0; k < CornerCount(cells.ShapeOf(cell)); ++k) positions[k] = cells.Grid().points[corners[k]];
    return positions;
}

SampleOwners FindSampleOwners(const LinearCells& cells, std::span<const SurfaceFace> surface, const GridLayout& grid) {
    SampleOwners owners{grid, std::vector<std::uint32_t>(grid.Count(), kNoCell), {}};
    std::vector<std::uint8_t> onSurface(cells.CellCount(), 0);
    for (const SurfaceFace& face : surface) onSurface[face.cell] = 1;

    std::vector<SampleRange> ranges(cells.CellCount());
    tbb::parallel_for(tbb::blocked_range<std::size_t>(0, cells.CellCount(), 4096),
                      [&](const tbb::blocked_range<std::size_t>& block) {
                          for (std::size_t c = block.begin(); c < block.end(); ++c) {
                              const Shape shape = cells.ShapeOf(c);
                              if (shape == Shape::None) continue;
                              ranges[c] = RangeOf(grid, CornerPositions(cells, c), CornerCount(shape),
                                                  onSurface[c] != 0 || Dimension(shape) == 2);
                          }
                      });

    // The cells of each slab, in cell order.
    const Slabs slabs = SlabsOf(grid);
    std::vector<std::size_t> start(slabs.count + 1, 0);
    const auto forEachSlab = [&](std::size_t c, auto&& visit) {
        if (ranges[c].empty) return;
        for (std::size_t s = ranges[c].first[slabs.axis] / slabs.thickness;
             s <= ranges[c].last[slabs.axis] / slabs.thickness; ++s)
            visit(s);
    };
    for (std::size_t c = 0; c < cells.CellCount(); ++c) forEachSlab(c, [&](std::size_t s) { ++start[s + 1]; });
    for (std::size_t s = 0; s < slabs.count; ++s) start[s + 1] += start[s];
    std::vector<std::uint32_t> slabCells(start.back());
    std::vector<std::size_t> fill(start.begin(), start.end() - 1);
    for (std::size_t c = 0; c < cells.CellCount(); ++c)
        forEachSlab(c, [&](std::size_t s) { slabCells[fill[s]++] = static_cast<std::uint32_t>(c); });

    std::vector<std::uint64_t> best(grid.Count(), UINT64_MAX);
    const CellScan scan(cells, grid, best);
    tbb::parallel_for(tbb::blocked_range<std::size_t>(0, slabs.count, 1),
                      [&](const tbb::blocked_range<std::size_t>& block) {
                          for (std::size_t s = block.begin(); s < block.end(); ++s)
                              for (std::size_t n = start[s]; n < start[s + 1]; ++n) {
                                  const std::uint32_t c = slabCells[n];
                                  const bool surfaceCell = onSurface[c] != 0 || Dimension(cells.ShapeOf(c)) == 2;
                                  scan.Scan(c, surfaceCell, ranges[c], slabs, s);
                              }
                      });
    // No cell: the low bits of UINT64_MAX, kNoCell. Inside: at distance 0.
    std::transform(best.begin(), best.end(), owners.cells.begin(),
                   [](std::uint64_t candidate) { return static_cast<std::uint32_t>(candidate); });
    owners.inside.resize(best.size());
    std::transform(best.begin(), best.end(), owners.inside.begin(),
                   [](std::uint64_t candidate) { return static_cast<std::uint8_t>(candidate >> 32 == 0); });
    return owners;
}

}  // namespace Korvex::Fields
