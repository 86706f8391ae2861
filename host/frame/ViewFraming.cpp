#include "ViewFraming.h"

#include "Camera.h"
#include "VectorMath.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

namespace Korvex::Rendering {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// The points in the camera's axes: right, up and forward.
struct ViewAxes {
    KxVector3d right, up, forward;

    KxVector3d In(const KxVector3d& p) const { return {Dot(p, right), Dot(p, up), Dot(p, forward)}; }
    KxVector3d Out(const KxVector3d& q) const {
        return Add(Add(Scale(right, q.x), Scale(up, q.y)), Scale(forward, q.z));
    }
};

ViewAxes AxesOf(const ViewDirection& direction) {
    ViewAxes axes;
    axes.forward = Normalize(direction.forward);
    if (Dot(axes.forward, axes.forward) == 0.0) axes.forward = {0.0, 0.0, -1.0};
    axes.right = Normalize(Cross(axes.forward, direction.up));
    // An up along the view: any other axis serves.
    if (Dot(axes.right, axes.right) == 0.0) {
        const KxVector3d other = std::abs(axes.forward.z) < 0.9 ? KxVector3d{0, 0, 1} : KxVector3d{0, 1, 0};
        axes.right = Normalize(Cross(axes.forward, other));
    }
    axes.up = Cross(axes.right, axes.forward);
    return axes;
}

// The farthest-forward eye depth that still sees every point within tanHalf
// of one picture axis, the eye placed best along it: the eye at e must stay
// behind c - (a - e) / t and behind c + (a - e) / t for every point (a, c).
double FittingDepth(const std::vector<KxVector3d>& q, double KxVector3d::*axis, double tanHalf) {
    double low = kInfinity, high = kInfinity;
    for (const KxVector3d& p : q) {
        low = std::min(low, p.z + p.*axis / tanHalf);
        high = std::min(high, p.z - p.*axis / tanHalf);
    }
    return 0.5 * (low + high);
}

// The eye position along one picture axis, for an eye at depth, that
// centres the points: their projections reach as far to either side. The
// reach to one side falls as the eye moves towards it, so bisection finds
// where the two meet.
double CentredEye(const std::vector<KxVector3d>& q, double KxVector3d::*axis, double depth) {
    const auto imbalance = [&](double e) {
        double ahead = -kInfinity, behind = -kInfinity;
        for (const KxVector3d& p : q) {
            ahead = std::max(ahead, (p.*axis - e) / (p.z - depth));
            behind = std::max(behind, (e - p.*axis) / (p.z - depth));
        }
        return ahead - behind;
    };
    double low = kInfinity, high = -kInfinity;
    for (const KxVector3d& p : q) {
        low = std::min(low, p.*axis);
        high = std::max(high, p.*axis);
    }
    for (int step = 0; step < 60 && low < high; ++step) {
        const double middle = 0.5 * (low + high);
        (imbalance(middle) > 0.0 ? low : high) = middle;
    }
    return 0.5 * (low + high);
}

// Maps clip space's [-1, 1] square onto the region of the picture.
KxTransformMatrix IntoRegion(const PictureRegion& region, double width, double height) {
    const double sx = region.width / width, sy = region.height / height;
    const double cx = 2.0 * (region.x + 0.5 * region.width) / width - 1.0;
    const double cy = 1.0 - 2.0 * (region.y + 0.5 * region.height) / height;
    KxTransformMatrix matrix({sx, 0.0, 0.0, cx,  //
                              0.0, sy, 0.0, cy,  //
                              0.0, 0.0, 1.0, 0.0,  //
                              0.0, 0.0, 0.0, 1.0});
    matrix.VerifyAndSetClass();
    return matrix;
}

}  // namespace

ViewDirection ViewDirectionOf(ViewPreset preset) {
    switch (preset) {
    case ViewPreset::PlusX: return {{1, 0, 0}, {0, 0, 1}};
    case ViewPreset::MinusX: return {{-1, 0, 0}, {0, 0, 1}};
    case ViewPreset::PlusY: return {{0, 1, 0}, {0, 0, 1}};
    case ViewPreset::MinusY: return {{0, -1, 0}, {0, 0, 1}};
    case ViewPreset::PlusZ: return {{0, 0, 1}, {0, 1, 0}};
    case ViewPreset::MinusZ: return {{0, 0, -1}, {0, 1, 0}};
    case ViewPreset::Isometric: break;
    }
    return {{-1, 1, -1}, {0, 0, 1}};
}

ViewMatrices FrameView(std::span<const KxVector3d> points, const ViewDirection& direction, const Framing& framing,
                       const PictureRegion& region, double pictureWidth, double pictureHeight,
                       std::span<const KxVector3d> enclosed) {
    static constexpr std::array<KxVector3d, 2> kUnitCube{{{0, 0, 0}, {1, 1, 1}}};
    const ViewAxes axes = AxesOf(direction);
    std::vector<KxVector3d> q;
    KxVector3d low{kInfinity, kInfinity, kInfinity}, high{-kInfinity, -kInfinity, -kInfinity};
    for (const KxVector3d& p : points.empty() ? std::span<const KxVector3d>(kUnitCube) : points) {
        q.push_back(axes.In(p));
        low = {std::min(low.x, q.back().x), std::min(low.y, q.back().y), std::min(low.z, q.back().z)};
        high = {std::max(high.x, q.back().x), std::max(high.y, q.back().y), std::max(high.z, q.back().z)};
    }
    // A subject without size (one point) is framed as one of unit size.
    double size = std::max({high.x - low.x, high.y - low.y, high.z - low.z});
    if (!(size > 0.0)) size = 1.0;
    double near = low.z, far = high.z;
    for (const KxVector3d& p : enclosed) {
        near = std::min(near, Dot(p, axes.forward));
        far = std::max(far, Dot(p, axes.forward));
    }
    const double aspect = std::max(region.width, 1.0) / std::max(region.height, 1.0);
    const double fit = 1.0 + 2.0 * framing.margin;

    ViewMatrices camera;
    KxVector3d eye;
    if (framing.orthographic) {
        const double halfHeight =
            std::max({0.5 * (high.y - low.y), 0.5 * (high.x - low.x) / aspect, 1e-9 * size}) * fit;
        const double gap = 0.5 * size;
        eye = {0.5 * (low.x + high.x), 0.5 * (low.y + high.y), near - gap};
        const double halfView = halfHeight / framing.zoom;
        camera.projection = MakeOrthographic(-halfView * aspect, halfView * aspect, -halfView, halfView, 0.5 * gap,
                                             far - eye.z + gap);
    } else {
        const double tanY = std::tan(0.5 * framing.fieldOfViewY);
        // Never on or in front of the nearest point; centred along the axis
        // that does not bind too.
        const double depth = std::min({FittingDepth(q, &KxVector3d::x, tanY * aspect / fit),
                                       FittingDepth(q, &KxVector3d::y, tanY / fit), near - 0.05 * size});
        eye = {CentredEye(q, &KxVector3d::x, depth), CentredEye(q, &KxVector3d::y, depth), depth};
        const double fieldOfView = 2.0 * std::atan(tanY / framing.zoom);
        camera.projection = MakePerspective(fieldOfView, aspect, 0.9 * (near - eye.z), 1.1 * (far - eye.z));
    }
    const KxVector3d eyeWorld = axes.Out(eye);
    camera.view = MakeLookAt(eyeWorld, Add(eyeWorld, axes.forward), axes.up);
    camera.projection = IntoRegion(region, pictureWidth, pictureHeight) * camera.projection;
    return camera;
}

}  // namespace Korvex::Rendering
