#include "SurfaceEdges.h"

#include <oneapi/tbb/parallel_sort.h>

#include <algorithm>

namespace Korvex::Fields {

namespace {

struct Edge {
    std::uint64_t key;       // canonical ids, smaller first
    std::uint32_t from, to;  // point ids

    friend bool operator<(const Edge& a, const Edge& b) { return a.key < b.key; }
};

Rendering::VertexPN Vertex(const Point3& p) {
    return {{static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2])}, {0.0f, 0.0f, 0.0f}};
}

}  // namespace

std::vector<Rendering::VertexPN> SurfaceEdges(const LinearCells& cells, std::span<const SurfaceFace> faces) {
    std::vector<Edge> edges;
    edges.reserve(4 * faces.size());
    for (const SurfaceFace& face : faces) {
        const FacePolygon polygon = PolygonOf(cells, face);
        if (polygon.count < 2) continue;
        for (std::size_t k = 0; k < polygon.count; ++k) {
            const std::uint32_t from = polygon.points[k], to = polygon.points[(k + 1) % polygon.count];
            const std::uint64_t a = cells.CanonicalId(from), b = cells.CanonicalId(to);
            edges.push_back({std::min(a, b) << 32 | std::max(a, b), from, to});
        }
    }
    tbb::parallel_sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.key == b.key; }),
                edges.end());
    std::vector<Rendering::VertexPN> lines;
    lines.reserve(2 * edges.size());
    const std::vector<Point3>& points = cells.Grid().points;
    for (const Edge& edge : edges) {
        lines.push_back(Vertex(points[edge.from]));
        lines.push_back(Vertex(points[edge.to]));
    }
    return lines;
}

}  // namespace Korvex::Fields
