#include "SlicePlane.h"

#include "Isosurface.h"
#include "SurfaceTriangles.h"
#include "Vec3.h"

#include <algorithm>
#include <cmath>

namespace Korvex::Fields {

using Rendering::boundingbox;
using Rendering::VertexPN;

namespace {

// The polygon where the plane meets the box's edges, corners on the plane included.
std::vector<Vec3> CutPoints(const boundingbox<float, 3>& box, const Vec3& normal, double d) {
    const auto corner = [&](int bits) {
        return Vec3{(bits & 1) ? box.max[0] : box.min[0], (bits & 2) ? box.max[1] : box.min[1],
                    (bits & 4) ? box.max[2] : box.min[2]};
    };
    // Distances within rounding of zero are zero: a plane through a corner
    // meets the box there, not in a speck around it.
    const double tolerance = 1e-9 * (Length(corner(7) - corner(0)) + std::abs(d));
    const auto snapped = [&](double distance) { return std::abs(distance) <= tolerance ? 0.0 : distance; };
    std::vector<Vec3> points;
    for (int from = 0; from < 8; ++from)
        for (int axis = 1; axis <= 4; axis <<= 1) {
            if (from & axis) continue;
            const Vec3 p = corner(from), q = corner(from | axis);
            const double dp = snapped(Dot(normal, p) + d), dq = snapped(Dot(normal, q) + d);
            if (dp == 0.0) points.push_back(p);
            if (dq == 0.0) points.push_back(q);
            if ((dp < 0.0 && dq > 0.0) || (dp > 0.0 && dq < 0.0)) points.push_back(p + (dp / (dp - dq)) * (q - p));
        }
    return points;
}

// Points around their centre, counter-clockwise seen along the normal, each once.
std::vector<Vec3> ConvexOutline(const std::vector<Vec3>& cut, const Vec3& normal) {
    std::vector<Vec3> points;
    for (const Vec3& p : cut)
        if (std::find(points.begin(), points.end(), p) == points.end()) points.push_back(p);
    if (points.empty()) return points;
    Vec3 centre{};
    for (const Vec3& p : points) centre = centre + (1.0 / static_cast<double>(points.size())) * p;
    const Vec3 u = Normalized(Perpendicular(normal));
    const Vec3 v = Cross(normal, u);
    const auto angle = [&](const Vec3& p) { return std::atan2(Dot(p - centre, v), Dot(p - centre, u)); };
    std::sort(points.begin(), points.end(), [&](const Vec3& a, const Vec3& b) { return angle(a) < angle(b); });
    return points;
}

}  // namespace

std::vector<VertexPN> SliceTriangles(const boundingbox<float, 3>& box, const std::array<double, 4>& plane,
                                     double maxPiece) {
    const Vec3 direction{plane[0], plane[1], plane[2]};
    const double length = Length(direction);
    if (box.IsEmpty() || !(length > 0.0) || !std::isfinite(length) || !std::isfinite(plane[3])) return {};
    const Vec3 normal = (1.0 / length) * direction;
    const std::vector<Vec3> outline = ConvexOutline(CutPoints(box, normal, plane[3] / length), normal);
    std::vector<VertexPN> triangles;
    for (std::size_t i = 1; i + 1 < outline.size(); ++i) {
        // A fan from the first point; collinear points give no area.
        if (Length(Cross(outline[i] - outline[0], outline[i + 1] - outline[0])) <= 0.0) continue;
        triangles.insert(triangles.end(),
                         {ToVertex(outline[0], normal), ToVertex(outline[i], normal), ToVertex(outline[i + 1], normal)});
    }
    return SplitLongTriangles(std::move(triangles), maxPiece);
}

std::vector<VertexPN> SliceInside(const GridLayout& grid, std::span<const std::uint8_t> inside,
                                  const std::array<double, 4>& plane) {
    const Vec3 normal{plane[0], plane[1], plane[2]};
    const double length = Length(normal);
    if (!(length > 0.0) || !std::isfinite(length) || !std::isfinite(plane[3])) return {};
    // The distance from the plane, whose zero is the plane and whose
    // gradient its normal.
    std::vector<float> distances(grid.Count());
    for (std::size_t k = 0; k < grid.dimensions[2]; ++k)
        for (std::size_t j = 0; j < grid.dimensions[1]; ++j)
            for (std::size_t i = 0; i < grid.dimensions[0]; ++i)
                distances[grid.Index(i, j, k)] =
                    static_cast<float>((Dot(normal, grid.Point(i, j, k)) + plane[3]) / length);
    return Isosurface(grid, distances, 0.0f, inside);
}

}  // namespace Korvex::Fields
