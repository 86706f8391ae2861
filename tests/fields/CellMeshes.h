#pragma once

// Meshes the tests build themselves, and linear fields over them.

#include <LinearCells.h>
#include <StructuredCells.h>
#include <Vec3.h>

#include <cmath>
#include <functional>
#include <vector>

namespace Korvex::Fields::test {

// n[0] x n[1] x n[2] hexahedra filling the box [low, high].
inline UnstructuredGrid HexBox(std::array<std::size_t, 3> n, const Vec3& low, const Vec3& high) {
    Io::StructuredGrid grid{{n[0] + 1, n[1] + 1, n[2] + 1}, {}};
    for (std::size_t k = 0; k <= n[2]; ++k)
        for (std::size_t j = 0; j <= n[1]; ++j)
            for (std::size_t i = 0; i <= n[0]; ++i) {
                const std::array<std::size_t, 3> index{i, j, k};
                Vec3 p;
                for (std::size_t a = 0; a < 3; ++a)
                    p[a] = n[a] == 0 ? low[a]
                                     : low[a] + (high[a] - low[a]) * static_cast<double>(index[a]) /
                                                    static_cast<double>(n[a]);
                grid.points.push_back(p);
            }
    return Io::CellsOfStructuredGrid(std::move(grid));
}

// Each cell cut into pieces of the type, given by their corners among the cell's.
inline UnstructuredGrid Split(const UnstructuredGrid& grid, std::uint8_t type,
                              const std::vector<std::vector<int>>& pieces) {
    UnstructuredGrid split{grid.points, {}, {0}, {}};
    for (std::size_t c = 0; c + 1 < grid.offsets.size(); ++c)
        for (const auto& piece : pieces) {
            for (int corner : piece) split.connectivity.push_back(grid.connectivity[grid.offsets[c] + corner]);
            split.types.push_back(type);
            split.offsets.push_back(split.connectivity.size());
        }
    return split;
}

// Each hexahedron cut into six tetrahedra around its diagonal from corner 0
// to corner 6, alike in every cell, so that neighbours cut their common
// face the same way.
inline UnstructuredGrid Tetrahedralised(const UnstructuredGrid& hexes) {
    return Split(hexes, 10, {{0, 1, 2, 6}, {0, 5, 1, 6}, {0, 2, 3, 6}, {0, 3, 7, 6}, {0, 4, 5, 6}, {0, 7, 4, 6}});
}

inline UnstructuredGrid WithCellType(const UnstructuredGrid& grid, std::uint8_t type, const std::vector<int>& nodes) {
    return Split(grid, type, {nodes});
}

inline UnstructuredGrid Cells(std::vector<Point3> points,
                              const std::vector<std::pair<std::uint8_t, std::vector<std::uint32_t>>>& cells) {
    UnstructuredGrid grid{std::move(points), {}, {0}, {}};
    for (const auto& [type, nodes] : cells) {
        grid.types.push_back(type);
        grid.connectivity.insert(grid.connectivity.end(), nodes.begin(), nodes.end());
        grid.offsets.push_back(grid.connectivity.size());
    }
    return grid;
}

// Points off the box's faces moved by up to 0.06 along each axis the box spans.
inline UnstructuredGrid Distorted(UnstructuredGrid grid, const Vec3& low, const Vec3& high) {
    for (std::size_t n = 0; n < grid.points.size(); ++n) {
        Point3& p = grid.points[n];
        bool inner = true;
        for (std::size_t a = 0; a < 3; ++a)
            if (high[a] > low[a] && (p[a] == low[a] || p[a] == high[a])) inner = false;
        const double i = static_cast<double>(n);
        const Vec3 shift{0.06 * std::sin(3 * i), 0.06 * std::cos(5 * i), 0.06 * std::sin(7 * i)};
        for (std::size_t a = 0; a < 3; ++a)
            if (inner && high[a] > low[a]) p[a] += shift[a];
    }
    return grid;
}

inline std::vector<float> PointValues(const UnstructuredGrid& grid, const std::function<Vec3(const Vec3&)>& f,
                                      std::size_t components) {
    std::vector<float> values;
    for (const Point3& p : grid.points) {
        const Vec3 v = f(p);
        for (std::size_t c = 0; c < components; ++c) values.push_back(static_cast<float>(v[c]));
    }
    return values;
}

}  // namespace Korvex::Fields::test
