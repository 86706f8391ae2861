#include "SurfaceTriangles.h"

#include "Vec3.h"

#include <oneapi/tbb/blocked_range.h>
#include <oneapi/tbb/parallel_for.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Korvex::Fields {

namespace {

using Triangle = std::array<std::uint32_t, 3>;  // point ids

Vec3 CellCentre(const LinearCells& cells, std::size_t cell) {
    const Corners corners = cells.CornersOf(cell);
    const std::size_t count = CornerCount(cells.ShapeOf(cell));
    Vec3 sum{};
    for (std::size_t k = 0; k < count; ++k) sum = sum + cells.Grid().points[corners[k]];
    return (1.0 / static_cast<double>(count)) * sum;
}

// Twice the area, along the normal of the polygon's winding (Newell's method).
Vec3 AreaNormal(const std::vector<Point3>& points, const FacePolygon& polygon) {
    Vec3 normal{};
    for (std::size_t k = 0; k < polygon.count; ++k)
        normal = normal + Cross(points[polygon.points[k]], points[polygon.points[(k + 1) % polygon.count]]);
    return normal;
}

void AddTriangles(const LinearCells& cells, SurfaceFace face, std::vector<Triangle>& triangles) {
    const std::vector<Point3>& points = cells.Grid().points;
    FacePolygon polygon = PolygonOf(cells, face);
    if (polygon.count < 3) return;
    if (Dimension(cells.ShapeOf(face.cell)) == 3) {
        // Outward: away from the centre of the cell. Face tables need not be
        // trusted, nor cells of inverted node order.
        Vec3 faceCentre{};
        for (std::size_t k = 0; k < polygon.count; ++k) faceCentre = faceCentre + points[polygon.points[k]];
        faceCentre = (1.0 / static_cast<double>(polygon.count)) * faceCentre;
        if (Dot(AreaNormal(points, polygon), faceCentre - CellCentre(cells, face.cell)) < 0.0)
            std::reverse(polygon.points.begin(), polygon.points.begin() + polygon.count);
    }
    const auto& p = polygon.points;
    if (polygon.count == 3) {
        triangles.push_back({p[0], p[1], p[2]});
        return;
    }
    if (Length(points[p[0]] - points[p[2]]) <= Length(points[p[1]] - points[p[3]])) {
        triangles.push_back({p[0], p[1], p[2]});
        triangles.push_back({p[0], p[2], p[3]});
    } else {
        triangles.push_back({p[0], p[1], p[3]});
        triangles.push_back({p[1], p[2], p[3]});
    }
}

Vec3 TriangleAreaNormal(const std::vector<Point3>& points, const Triangle& t) {
    return Cross(points[t[1]] - points[t[0]], points[t[2]] - points[t[0]]);
}

}  // namespace

std::vector<Rendering::VertexPN> SurfaceTriangles(const LinearCells& cells, std::span<const SurfaceFace> faces) {
    const std::vector<Point3>& points = cells.Grid().points;
    std::vector<Triangle> triangles;
    triangles.reserve(2 * faces.size());
    for (const SurfaceFace& face : faces) AddTriangles(cells, face, triangles);

    std::vector<Vec3> areaNormals(triangles.size());
    for (std::size_t t = 0; t < triangles.size(); ++t) areaNormals[t] = TriangleAreaNormal(points, triangles[t]);
    // The triangles around each canonical point.
    std::vector<std::uint32_t> start(points.size() + 1, 0);
    for (const Triangle& t : triangles)
        for (std::uint32_t p : t) ++start[cells.CanonicalId(p) + 1];
    for (std::size_t p = 0; p < points.size(); ++p) start[p + 1] += start[p];
    std::vector<std::uint32_t> around(start.back());
    std::vector<std::uint32_t> fill(start.begin(), start.end() - 1);
    for (std::size_t t = 0; t < triangles.size(); ++t)
        for (std::uint32_t p : triangles[t]) around[fill[cells.CanonicalId(p)]++] = static_cast<std::uint32_t>(t);

    const double creaseCos = std::cos(kCreaseDegrees * std::numbers::pi / 180.0);
    std::vector<Rendering::VertexPN> vertices(3 * triangles.size());
    tbb::parallel_for(tbb::blocked_range<std::size_t>(0, triangles.size(), 1024),
                      [&](const tbb::blocked_range<std::size_t>& range) {
                          for (std::size_t t = range.begin(); t < range.end(); ++t) {
                              const Vec3& own = areaNormals[t];
                              const double ownLength = Length(own);
                              for (std::size_t k = 0; k < 3; ++k) {
                                  const std::uint32_t point = triangles[t][k];
                                  const std::uint32_t id = cells.CanonicalId(point);
                                  Vec3 sum{};
                                  for (std::uint32_t n = start[id]; n < start[id + 1]; ++n) {
                                      const Vec3& other = areaNormals[around[n]];
                                      if (Dot(own, other) >= creaseCos * ownLength * Length(other)) sum = sum + other;
                                  }
                                  const double length = Length(sum);
                                  const Vec3 normal = length > 0.0 ? (1.0 / length) * sum : Vec3{0.0, 0.0, 1.0};
                                  vertices[3 * t + k] = ToVertex(points[point], normal);
                              }
                          }
                      });
    return vertices;
}

std::vector<Rendering::VertexPN> SplitLongTriangles(std::vector<Rendering::VertexPN> triangles, double maxEdge) {
    std::vector<Rendering::VertexPN> split;
    for (std::size_t t = 0; t + 2 < triangles.size(); t += 3) {
        const Rendering::VertexPN* corner = &triangles[t];
        double longest = 0.0;
        for (std::size_t k = 0; k < 3; ++k) {
            const float* a = corner[k].position;
            const float* b = corner[(k + 1) % 3].position;
            longest = std::max(longest, double{std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2])});
        }
        const double wanted = maxEdge > 0.0 ? std::ceil(longest / maxEdge) : 1.0;
        const auto n = static_cast<std::size_t>(std::isfinite(wanted) ? std::clamp(wanted, 1.0, kMostPiecesPerEdge) : 1.0);
        if (n == 1) {
            split.insert(split.end(), corner, corner + 3);
            continue;
        }
        // The vertex i steps towards corner 1 and j towards corner 2.
        const auto at = [&](std::size_t i, std::size_t j) {
            const float u = static_cast<float>(i) / static_cast<float>(n);
            const float v = static_cast<float>(j) / static_cast<float>(n);
            Rendering::VertexPN vertex{};
            for (std::size_t a = 0; a < 3; ++a) {
                vertex.position[a] =
                    (1.0f - u - v) * corner[0].position[a] + u * corner[1].position[a] + v * corner[2].position[a];
                vertex.normal[a] =
                    (1.0f - u - v) * corner[0].normal[a] + u * corner[1].normal[a] + v * corner[2].normal[a];
            }
            return vertex;
        };
        for (std::size_t j = 0; j < n; ++j)
            for (std::size_t i = 0; i + j < n; ++i) {
                split.insert(split.end(), {at(i, j), at(i + 1, j), at(i, j + 1)});
                if (i + j + 1 < n) split.insert(split.end(), {at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)});
            }
    }
    return split;
}

}  // namespace Korvex::Fields
