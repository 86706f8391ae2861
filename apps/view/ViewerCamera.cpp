#include "ViewerCamera.h"

#include <VectorMath.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Korvex::App {

namespace {

using Rendering::KxVector3d;

constexpr double kSmallestMagnification = 0.05;
constexpr double kLargestMagnification = 1000.0;

// v turned by angle (radians, right-handed) about the unit axis.
KxVector3d Turned(const KxVector3d& v, const KxVector3d& axis, double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    return Rendering::Add(Rendering::Add(Rendering::Scale(v, c), Rendering::Scale(Rendering::Cross(axis, v), s)),
                          Rendering::Scale(axis, Rendering::Dot(axis, v) * (1.0 - c)));
}

// Unit forward and an up at right angles to it.
Rendering::ViewDirection Orthonormal(const Rendering::ViewDirection& direction) {
    const KxVector3d forward = Rendering::Normalize(direction.forward);
    const KxVector3d right = Rendering::Normalize(Rendering::Cross(forward, direction.up));
    return {forward, Rendering::Cross(right, forward)};
}

}  // namespace

ViewedSubject SubjectOf(const ScenePlan& plan, const Fields::UniformField& field) {
    // Edges are lifted by 0.2 % off the surface; 1 % covers them.
    constexpr double kDepthMargin = 1.01;
    ViewedSubject subject;
    std::vector<KxVector3d> points = FramedPoints(plan);
    subject.framed = BoundingSphere(points);
    const Rendering::boundingbox<float, 3> box = plan.layout.CellBox();
    for (int bits = 0; bits < 8; ++bits)
        points.push_back({box.min[0] + (bits & 1 ? box.max[0] - box.min[0] : 0.0f),
                          box.min[1] + (bits & 2 ? box.max[1] - box.min[1] : 0.0f),
                          box.min[2] + (bits & 4 ? box.max[2] - box.min[2] : 0.0f)});
    subject.depth = BoundingSphere(points);
    subject.depth.radius *= kDepthMargin;
    for (const std::array<float, 3>& v : field.vectors) {
        const double length = std::sqrt(double(v[0]) * v[0] + double(v[1]) * v[1] + double(v[2]) * v[2]);
        subject.largestDisplacement = std::max(subject.largestDisplacement, length);
    }
    return subject;
}

ViewerCamera::ViewerCamera(const Rendering::ViewDirection& home, const CameraChoice& choice)
    : home_(Orthonormal(home)), choice_(choice), direction_(home_) {}

void ViewerCamera::Reset() { LookAlong(home_); }

void ViewerCamera::LookAlong(const Rendering::ViewDirection& direction) {
    direction_ = Orthonormal(direction);
    scale_ = 1.0;
    offset_ = {0.0, 0.0};
}

void ViewerCamera::Orbit(double dx, double dy) {
    const double perPixel = kDegreesPerPixel * std::numbers::pi / 180.0;
    // The eye goes the other way round: a subject turning right is seen
    // from further left.
    direction_.forward = Turned(direction_.forward, direction_.up, -dx * perPixel);
    const KxVector3d turnedRight = Rendering::Cross(direction_.forward, direction_.up);
    direction_.forward = Turned(direction_.forward, turnedRight, -dy * perPixel);
    direction_.up = Turned(direction_.up, turnedRight, -dy * perPixel);
    direction_ = Orthonormal(direction_);
}

void ViewerCamera::Pan(double dx, double dy, double width, double height) {
    offset_[0] += 2.0 * dx / width;
    offset_[1] -= 2.0 * dy / height;
}

void ViewerCamera::Zoom(double steps, double x, double y, double width, double height) {
    const double scale = std::clamp(scale_ * std::pow(kZoomPerStep, steps), kSmallestMagnification,
                                    kLargestMagnification);
    const double factor = scale / scale_;
    // The cursor's point stays: c = s p + t before and after.
    const std::array<double, 2> cursor{2.0 * x / width - 1.0, 1.0 - 2.0 * y / height};
    for (std::size_t axis = 0; axis < 2; ++axis)
        offset_[axis] = cursor[axis] - factor * (cursor[axis] - offset_[axis]);
    scale_ = scale;
}

Rendering::ViewMatrices ViewerCamera::Matrices(const ViewedSubject& subject, double deformation,
                                               const Rendering::PictureRegion& region, double width,
                                               double height) const {
    const Sphere depth{subject.depth.centre,
                       subject.depth.radius + subject.largestDisplacement * std::abs(deformation)};
    Rendering::ViewMatrices matrices =
        Rendering::FrameView(SphereExtremes(subject.framed, direction_), direction_, FramingOf(choice_), region,
                             width, height, SphereExtremes(depth, direction_));
    // Clip space is scaled and shifted; the shift is multiplied by w, so
    // that it survives the division.
    Rendering::KxTransformMatrix picture({scale_, 0.0, 0.0, offset_[0],  //
                                          0.0, scale_, 0.0, offset_[1],  //
                                          0.0, 0.0, 1.0, 0.0,            //
                                          0.0, 0.0, 0.0, 1.0});
    picture.VerifyAndSetClass();
    matrices.projection = picture * matrices.projection;
    return matrices;
}

}  // namespace Korvex::App
