#include "BoundarySurface.h"

namespace Korvex::Fields {

namespace {

using Rendering::VertexPN;

VertexPN Vertex(const std::array<double, 3>& position, const std::array<float, 3>& normal) {
    return {{static_cast<float>(position[0]), static_cast<float>(position[1]), static_cast<float>(position[2])},
            {normal[0], normal[1], normal[2]}};
}

// The face of the box at the low or high end of axis a; u and v follow a
// cyclically, so u x v points along +a.
void AddFace(const GridLayout& layout, std::size_t a, bool high, std::vector<VertexPN>& triangles) {
    const std::size_t u = (a + 1) % 3, v = (a + 2) % 3;
    std::array<float, 3> normal{0.0f, 0.0f, 0.0f};
    normal[a] = high ? 1.0f : -1.0f;
    const std::size_t cellsU = layout.Cells(u), cellsV = layout.Cells(v);
    const double level = layout.Position(a, high ? layout.Cells(a) : 0);
    const auto corner = [&](std::size_t iu, std::size_t iv) {
        std::array<double, 3> p{};
        p[a] = level;
        p[u] = layout.Position(u, iu);
        p[v] = layout.Position(v, iv);
        return Vertex(p, normal);
    };
    for (std::size_t pv = 0; pv < PieceCount(cellsV); ++pv) {
        const std::size_t v0 = PieceBoundary(cellsV, pv), v1 = PieceBoundary(cellsV, pv + 1);
        for (std::size_t pu = 0; pu < PieceCount(cellsU); ++pu) {
            const std::size_t u0 = PieceBoundary(cellsU, pu), u1 = PieceBoundary(cellsU, pu + 1);
            const VertexPN c00 = corner(u0, v0), c10 = corner(u1, v0), c11 = corner(u1, v1), c01 = corner(u0, v1);
            if (high)
                triangles.insert(triangles.end(), {c00, c10, c11, c00, c11, c01});
            else
                triangles.insert(triangles.end(), {c00, c11, c10, c00, c01, c11});
        }
    }
}

}  // namespace

std::vector<VertexPN> BoundarySurface(const GridLayout& layout) {
    std::vector<VertexPN> triangles;
    for (std::size_t a = 0; a < 3; ++a) {
        // Faces without area are left out; a flat axis gives one face, not two.
        if (layout.Cells((a + 1) % 3) == 0 || layout.Cells((a + 2) % 3) == 0) continue;
        AddFace(layout, a, false, triangles);
        if (layout.Cells(a) > 0) AddFace(layout, a, true, triangles);
    }
    return triangles;
}

}  // namespace Korvex::Fields
