#include "Isosurface.h"

#include "UniformField.h"
#include "Vec3.h"

#include <oneapi/tbb/blocked_range.h>
#include <oneapi/tbb/parallel_for.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace Korvex::Fields {

using Rendering::VertexPN;

namespace {

// Corners of a cell by bits: 1 is +x, 2 is +y, 4 is +z. Every tetrahedron
// runs from corner 0 to corner 7 along the cell's edges in one axis order.
constexpr std::array<std::array<int, 4>, 6> kTetrahedra{
    {{0, 1, 3, 7}, {0, 1, 5, 7}, {0, 2, 3, 7}, {0, 2, 6, 7}, {0, 4, 5, 7}, {0, 4, 6, 7}}};

struct Sample {
    std::array<std::size_t, 3> at;
    std::size_t index;
    float value;
    float inside;  // 1 or 0; 1 without flags
};

// A vertex of the surface and the inside flags interpolated there.
struct Corner {
    VertexPN vertex;
    float inside;
};

// Where the interpolated flags reach a half on the way from a to b: from the
// corner below it, so that both triangles on an edge cut it alike.
Corner HalfwayInside(Corner a, Corner b) {
    if (b.inside < a.inside) std::swap(a, b);
    const float t = (0.5f - a.inside) / (b.inside - a.inside);
    Corner halfway{a.vertex, 0.5f};
    for (std::size_t k = 0; k < 3; ++k) {
        halfway.vertex.position[k] += t * (b.vertex.position[k] - a.vertex.position[k]);
        halfway.vertex.normal[k] += t * (b.vertex.normal[k] - a.vertex.normal[k]);
    }
    const Vec3 normal{halfway.vertex.normal[0], halfway.vertex.normal[1], halfway.vertex.normal[2]};
    const Vec3 position{halfway.vertex.position[0], halfway.vertex.position[1], halfway.vertex.position[2]};
    halfway.vertex = ToVertex(position, Normalized(normal));
    return halfway;
}

Vec3 PositionOf(const Corner& c) { return {c.vertex.position[0], c.vertex.position[1], c.vertex.position[2]}; }

// The part of the triangle where the flags reach a half, fanned into
// triangles in its winding.
void AddInsidePart(const std::array<Corner, 3>& triangle, std::vector<VertexPN>& triangles) {
    std::array<Corner, 4> kept{};
    std::size_t count = 0;
    for (std::size_t k = 0; k < 3; ++k) {
        const Corner& p = triangle[k];
        const Corner& q = triangle[(k + 1) % 3];
        if (p.inside >= 0.5f) kept[count++] = p;
        if ((p.inside >= 0.5f) != (q.inside >= 0.5f)) kept[count++] = HalfwayInside(p, q);
    }
    for (std::size_t k = 1; k + 1 < count; ++k) {
        const Vec3 a = PositionOf(kept[0]);
        if (Length(Cross(PositionOf(kept[k]) - a, PositionOf(kept[k + 1]) - a)) > 0.0)
            triangles.insert(triangles.end(), {kept[0].vertex, kept[k].vertex, kept[k + 1].vertex});
    }
}

class Extractor {
public:
    Extractor(const GridLayout& grid, std::span<const float> values, float isoValue,
              std::span<const std::uint8_t> inside)
        : grid_(grid), values_(values), iso_(isoValue), inside_(inside) {}

    // The triangles of the cells whose lowest corner has z index k.
    void Layer(std::size_t k, std::vector<VertexPN>& triangles) const {
        const auto& n = grid_.dimensions;
        std::array<Sample, 8> corners;
        for (std::size_t j = 0; j + 1 < n[1]; ++j)
            for (std::size_t i = 0; i + 1 < n[0]; ++i) {
                bool unusable = false, below = false, atOrAbove = false, inside = false;
                for (std::size_t c = 0; c < 8; ++c) {
                    corners[c] = SampleAt({i + (c & 1), j + ((c >> 1) & 1), k + ((c >> 2) & 1)});
                    const float v = corners[c].value;
                    unusable = unusable || std::isnan(v) || std::fabs(v) == kBeyondRange;
                    below = below || v < iso_;
                    atOrAbove = atOrAbove || v >= iso_;
                    inside = inside || corners[c].inside > 0.0f;
                }
                if (unusable || !below || !atOrAbove || !inside) continue;
                for (const auto& tetrahedron : kTetrahedra)
                    AddTetrahedron({corners[tetrahedron[0]], corners[tetrahedron[1]], corners[tetrahedron[2]],
                                    corners[tetrahedron[3]]},
                                   triangles);
            }
    }

private:
    Sample SampleAt(const std::array<std::size_t, 3>& at) const {
        const std::size_t index = grid_.Index(at[0], at[1], at[2]);
        return {at, index, values_[index], inside_.empty() || inside_[index] != 0 ? 1.0f : 0.0f};
    }

    Vec3 Position(const std::array<std::size_t, 3>& at) const { return grid_.Point(at[0], at[1], at[2]); }

    // Central differences inside, one-sided at the border.
    Vec3 Gradient(const std::array<std::size_t, 3>& at) const {
        std::array<double, 3> g{};
        for (std::size_t a = 0; a < 3; ++a) {
            std::array<std::size_t, 3> before = at, after = at;
            if (at[a] > 0) --before[a];
            if (at[a] + 1 < grid_.dimensions[a]) ++after[a];
            const double steps = static_cast<double>(after[a] - before[a]);
            const double rise = static_cast<double>(SampleAt(after).value) - SampleAt(before).value;
            if (steps > 0.0) g[a] = rise / (steps * grid_.spacing[a]);
        }
        return {g[0], g[1], g[2]};
    }

    // From the lower-indexed sample to the other, so that every cell and
    // tetrahedron sharing the edge computes the same vertex.
    Corner EdgeVertex(Sample a, Sample b) const {
        if (b.index < a.index) std::swap(a, b);
        const double t = (static_cast<double>(iso_) - a.value) / (static_cast<double>(b.value) - a.value);
        const Vec3 pa = Position(a.at), ga = Gradient(a.at);
        return {ToVertex(pa + t * (Position(b.at) - pa), Normalized(ga + t * (Gradient(b.at) - ga))),
                static_cast<float>(a.inside + t * (b.inside - a.inside))};
    }

    // a, b, c oriented so that they turn counter-clockwise seen along
    // towardHigher, cut where the flags reach a half; nothing when they
    // enclose no area.
    static void AddTriangle(Corner a, Corner b, Corner c, const Vec3& towardHigher, std::vector<VertexPN>& triangles) {
        Vec3 face = Cross(PositionOf(b) - PositionOf(a), PositionOf(c) - PositionOf(a));
        if (!(Length(face) > 0.0)) return;
        if (Dot(face, towardHigher) < 0.0) {
            std::swap(b, c);
            face = -1.0 * face;
        }
        // A flat field (no gradient) is lit by the triangle's own normal.
        const Vec3 unitFace = Normalized(face);
        for (Corner* v : {&a, &b, &c}) {
            const Vec3 normal{v->vertex.normal[0], v->vertex.normal[1], v->vertex.normal[2]};
            if (!(Length(normal) > 0.5)) v->vertex = ToVertex(PositionOf(*v), unitFace);
        }
        if (a.inside == 1.0f && b.inside == 1.0f && c.inside == 1.0f)
            triangles.insert(triangles.end(), {a.vertex, b.vertex, c.vertex});
        else
            AddInsidePart({a, b, c}, triangles);
    }

    void AddTetrahedron(const std::array<Sample, 4>& s, std::vector<VertexPN>& triangles) const {
        std::array<Sample, 4> below{}, above{};
        std::size_t belowCount = 0, aboveCount = 0;
        for (const Sample& sample : s) (sample.value < iso_ ? below[belowCount++] : above[aboveCount++]) = sample;
        if (belowCount == 0 || aboveCount == 0) return;
        // The field rises along any line from a sample below to one above.
        const Vec3 towardHigher = Position(above[0].at) - Position(below[0].at);
        if (belowCount == 2) {
            const Corner p0 = EdgeVertex(below[0], above[0]), p1 = EdgeVertex(below[0], above[1]);
            const Corner p2 = EdgeVertex(below[1], above[1]), p3 = EdgeVertex(below[1], above[0]);
            AddTriangle(p0, p1, p2, towardHigher, triangles);
            AddTriangle(p0, p2, p3, towardHigher, triangles);
            return;
        }
        const bool loneBelow = belowCount == 1;
        const Sample& lone = loneBelow ? below[0] : above[0];
        const std::array<Sample, 4>& others = loneBelow ? above : below;
        AddTriangle(EdgeVertex(lone, others[0]), EdgeVertex(lone, others[1]), EdgeVertex(lone, others[2]), towardHigher,
                    triangles);
    }

    const GridLayout& grid_;
    std::span<const float> values_;
    float iso_;
    std::span<const std::uint8_t> inside_;
};

}  // namespace

std::vector<VertexPN> Isosurface(const GridLayout& grid, std::span<const float> values, float isoValue,
                                 std::span<const std::uint8_t> inside) {
    const auto& n = grid.dimensions;
    if (n[0] == 0 || n[1] == 0 || n[2] == 0) return {};
    for (const std::size_t given : {values.size(), inside.empty() ? n[0] * n[1] * n[2] : inside.size()})
        if (given / n[0] / n[1] < n[2])
            throw std::invalid_argument("Isosurface(): " + std::to_string(given) + " values or flags for " +
                                        std::to_string(n[0]) + "x" + std::to_string(n[1]) + "x" +
                                        std::to_string(n[2]));
    if (n[0] < 2 || n[1] < 2 || n[2] < 2) return {};
    const Extractor extractor(grid, values, isoValue, inside);
    std::vector<std::vector<VertexPN>> layers(n[2] - 1);
    tbb::parallel_for(tbb::blocked_range<std::size_t>(0, layers.size()), [&](const tbb::blocked_range<std::size_t>& r) {
        for (std::size_t k = r.begin(); k != r.end(); ++k) extractor.Layer(k, layers[k]);
    });
    std::size_t total = 0;
    for (const auto& layer : layers) total += layer.size();
    std::vector<VertexPN> triangles;
    triangles.reserve(total);
    for (const auto& layer : layers) triangles.insert(triangles.end(), layer.begin(), layer.end());
    return triangles;
}

}  // namespace Korvex::Fields
