#include "DrawnPoints.h"

#include <SlicePlane.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <span>

namespace Korvex::App {

namespace {

using Rendering::KxVector3d;
using Point = std::array<double, 3>;

// The displacement the GPU samples at a point: trilinear between the
// samples, the outermost ones beyond them.
class Displacement {
public:
    explicit Displacement(const Fields::UniformField& field) : grid_(field.Samples()), vectors_(field.vectors) {}

    Point At(const Point& p) const {
        Point moved{};
        if (vectors_.empty()) return moved;
        std::array<std::size_t, 3> low{};
        std::array<double, 3> weight{};
        for (std::size_t a = 0; a < 3; ++a) {
            const double last = static_cast<double>(grid_.dimensions[a] - 1);
            const double s = std::clamp((p[a] - grid_.origin[a]) / grid_.spacing[a], 0.0, last);
            low[a] = static_cast<std::size_t>(std::min(std::floor(s), std::max(last - 1.0, 0.0)));
            weight[a] = s - static_cast<double>(low[a]);
        }
        for (int corner = 0; corner < 8; ++corner) {
            double w = 1.0;
            std::array<std::size_t, 3> at = low;
            for (std::size_t a = 0; a < 3; ++a) {
                const bool high = (corner >> a) & 1;
                w *= high ? weight[a] : 1.0 - weight[a];
                if (high) at[a] = std::min(at[a] + 1, grid_.dimensions[a] - 1);
            }
            const auto& v = vectors_[(at[2] * grid_.dimensions[1] + at[1]) * grid_.dimensions[0] + at[0]];
            for (std::size_t a = 0; a < 3; ++a) moved[a] += w * v[a];
        }
        return moved;
    }

private:
    Fields::GridLayout grid_;
    const std::vector<std::array<float, 3>>& vectors_;
};

double Distance(const Rendering::ClipPlane& plane, const Point& p) {
    return plane.a * p[0] + plane.b * p[1] + plane.c * p[2] + plane.d;
}

// Gathers the drawn part of a layer's polygons (closed) or segments.
class Gatherer {
public:
    Gatherer(const Layer& layer, const Displacement& displacement, std::vector<KxVector3d>& points)
        : layer_(layer), displacement_(displacement), points_(points) {}

    void Add(std::span<const Point> corners) {
        moved_.clear();
        for (const Point& p : corners) {
            const Point d = displacement_.At(p);
            const float f = layer_.deformation;
            moved_.push_back({p[0] + f * d[0], p[1] + f * d[1], p[2] + f * d[2]});
        }
        for (const Point& p : moved_) Keep(p);
        if (layer_.clipPlanes.empty()) return;
        const std::size_t edges = moved_.size() == 2 ? 1 : moved_.size();
        for (std::size_t i = 0; i < edges; ++i) {
            const Point& p = moved_[i];
            const Point& q = moved_[(i + 1) % moved_.size()];
            for (const Rendering::ClipPlane& plane : layer_.clipPlanes) {
                const double dp = Distance(plane, p), dq = Distance(plane, q);
                if ((dp < 0.0) == (dq < 0.0)) continue;
                const double t = dp / (dp - dq);
                Keep({p[0] + t * (q[0] - p[0]), p[1] + t * (q[1] - p[1]), p[2] + t * (q[2] - p[2])});
            }
        }
    }

private:
    // Kept by every plane, within rounding for the points on one.
    void Keep(const Point& p) {
        for (const Rendering::ClipPlane& plane : layer_.clipPlanes)
            if (Distance(plane, p) < -1e-6 * (1.0 + std::fabs(plane.d))) return;
        points_.push_back({p[0], p[1], p[2]});
    }

    const Layer& layer_;
    const Displacement& displacement_;
    std::vector<KxVector3d>& points_;
    std::vector<Point> moved_;
};

void AddVertices(std::span<const Rendering::VertexPN> vertices, std::size_t perPrimitive, Gatherer& gatherer) {
    std::vector<Point> corners(perPrimitive);
    for (std::size_t first = 0; first + perPrimitive <= vertices.size(); first += perPrimitive) {
        for (std::size_t k = 0; k < perPrimitive; ++k) {
            const float* p = vertices[first + k].position;
            corners[k] = {p[0], p[1], p[2]};
        }
        gatherer.Add(corners);
    }
}

// The six faces of the box from low to high.
void AddBox(const Point& low, const Point& high, Gatherer& gatherer) {
    const auto corner = [&](int bits) {
        return Point{bits & 1 ? high[0] : low[0], bits & 2 ? high[1] : low[1], bits & 4 ? high[2] : low[2]};
    };
    for (const std::array<int, 4>& face : {std::array<int, 4>{0, 1, 3, 2}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                           {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 3, 7, 5}}) {
        const std::array<Point, 4> corners{corner(face[0]), corner(face[1]), corner(face[2]), corner(face[3])};
        gatherer.Add(corners);
    }
}

void AddVoxels(const ScenePlan& plan, Gatherer& gatherer) {
    const Fields::GridLayout& grid = plan.layout;
    const auto cellCorner = [&](std::uint32_t voxel, std::size_t offset) {
        const std::array<std::uint32_t, 3> cell{voxel & 1023u, (voxel >> 10) & 1023u, voxel >> 20};
        return Point{grid.Position(0, cell[0] + offset), grid.Position(1, cell[1] + offset),
                     grid.Position(2, cell[2] + offset)};
    };
    if (plan.voxels.size() <= kMaxFramedVoxels) {
        for (std::uint32_t voxel : plan.voxels) AddBox(cellCorner(voxel, 0), cellCorner(voxel, 1), gatherer);
        return;
    }
    Point low = cellCorner(plan.voxels.front(), 0), high = cellCorner(plan.voxels.front(), 1);
    for (std::uint32_t voxel : plan.voxels) {
        const Point a = cellCorner(voxel, 0), b = cellCorner(voxel, 1);
        for (std::size_t k = 0; k < 3; ++k) {
            low[k] = std::min(low[k], a[k]);
            high[k] = std::max(high[k], b[k]);
        }
    }
    AddBox(low, high, gatherer);
}

}  // namespace

std::vector<KxVector3d> DrawnPoints(const ScenePlan& plan, const Fields::UniformField& field) {
    const Displacement displacement(field);
    std::vector<KxVector3d> points;
    for (const Layer& layer : plan.layers) {
        Gatherer gatherer(layer, displacement, points);
        switch (layer.kind) {
        case LayerKind::Surface: AddVertices(plan.surfaceTriangles, 3, gatherer); break;
        case LayerKind::Edges: AddVertices(plan.edgeLines, 2, gatherer); break;
        case LayerKind::Voxels: AddVoxels(plan, gatherer); break;
        case LayerKind::Slices: AddVertices(plan.sliceTriangles, 3, gatherer); break;
        case LayerKind::Contours: AddVertices(plan.contourTriangles, 3, gatherer); break;
        }
    }
    return points;
}

void FrameExtent(ScenePlan& plan, const Rendering::boundingbox<double, 3>& extent) {
    const Fields::UniformField still;
    const Displacement none(still);
    const Point low = extent.min, high = extent.max;
    const Rendering::boundingbox<float, 3> box{{float(low[0]), float(low[1]), float(low[2])},
                                               {float(high[0]), float(high[1]), float(high[2])}};
    plan.drawnPoints.clear();
    for (const Layer& layer : plan.layers) {
        Gatherer gatherer(layer, none, plan.drawnPoints);
        if (layer.kind != LayerKind::Slices || layer.deformation != 0.0f) {
            AddBox(low, high, gatherer);
            continue;
        }
        for (const std::array<double, 4>& plane : plan.slicePlanes)
            AddVertices(Fields::SliceTriangles(box, plane, 0.0), 3, gatherer);
    }
    if (plan.depthPoints.empty()) return;
    plan.depthPoints.clear();
    for (int bits = 0; bits < 8; ++bits)
        plan.depthPoints.push_back({bits & 1 ? high[0] : low[0], bits & 2 ? high[1] : low[1], bits & 4 ? high[2] : low[2]});
}

std::vector<KxVector3d> CappedSurfaceExtent(const ScenePlan& plan, const Fields::UniformField& field) {
    float deformation = 0.0f;
    bool capped = false;
    for (const Layer& layer : plan.layers)
        if (layer.kind == LayerKind::Surface && layer.capping && !layer.clipPlanes.empty()) {
            capped = true;
            deformation = std::max(deformation, std::fabs(layer.deformation));
        }
    if (!capped) return {};
    Rendering::boundingbox<float, 3> box = plan.layout.CellBox();
    for (std::size_t axis = 0; axis < 3; ++axis) {
        float reach = 0.0f;
        for (const std::array<float, 3>& vector : field.vectors) reach = std::max(reach, std::fabs(vector[axis]));
        box.min[axis] -= deformation * reach;
        box.max[axis] += deformation * reach;
    }
    std::vector<KxVector3d> corners;
    for (int bits = 0; bits < 8; ++bits)
        corners.push_back({bits & 1 ? box.max[0] : box.min[0], bits & 2 ? box.max[1] : box.min[1],
                           bits & 4 ? box.max[2] : box.min[2]});
    return corners;
}

}  // namespace Korvex::App
