#include "SurfaceTriangles.h"

#include "Vec3.h"

#include <oneapi/tbb/blocked_range.h>
#include <oneapi/tbb/parallel_for.h>

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

std::array<float, 3> ToFloat(const Vec3& v) {
    return {static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2])};
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
                                  Rendering::VertexPN& vertex = vertices[3 * t + k];
                                  const auto position = ToFloat(points[point]);
                                  const auto direction = ToFloat(normal);
                                  std::copy(position.begin(), position.end(), vertex.position);
                                  std::copy(direction.begin(), direction.end(), vertex.normal);
                              }
                          }
                      });
    return vertices;
}

}  // namespace Korvex::Fields
