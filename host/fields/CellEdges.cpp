#include "CellEdges.h"

namespace Korvex::Fields {

namespace {

using Rendering::VertexPN;

bool OnBoundary(std::size_t index, std::size_t samples) { return index == 0 || index + 1 == samples; }

// Calls line(a, j, k) for every grid line along axis a whose indices j and k
// on the two other axes put it on the boundary surface.
template <class Line>
void ForEachBoundaryLine(const AxisPositions& walls, Line&& line) {
    for (std::size_t a = 0; a < 3; ++a) {
        if (walls[a].size() < 2) continue;
        const std::size_t b = (a + 1) % 3, c = (a + 2) % 3;
        for (std::size_t k = 0; k < walls[c].size(); ++k)
            for (std::size_t j = 0; j < walls[b].size(); ++j)
                if (OnBoundary(j, walls[b].size()) || OnBoundary(k, walls[c].size())) line(a, j, k);
    }
}

}  // namespace

std::vector<VertexPN> BoundaryCellEdges(const AxisPositions& walls) {
    std::vector<VertexPN> lines;
    ForEachBoundaryLine(walls, [&](std::size_t a, std::size_t j, std::size_t k) {
        const std::size_t b = (a + 1) % 3, c = (a + 2) % 3;
        const auto point = [&](std::size_t i) {
            VertexPN vertex{};
            vertex.position[a] = static_cast<float>(walls[a][i]);
            vertex.position[b] = static_cast<float>(walls[b][j]);
            vertex.position[c] = static_cast<float>(walls[c][k]);
            return vertex;
        };
        const std::size_t cells = walls[a].size() - 1;
        for (std::size_t piece = 0; piece < PieceCount(cells); ++piece) {
            lines.push_back(point(PieceBoundary(cells, piece)));
            lines.push_back(point(PieceBoundary(cells, piece + 1)));
        }
    });
    return lines;
}

}  // namespace Korvex::Fields
