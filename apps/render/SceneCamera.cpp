#include "SceneCamera.h"

#include <VectorMath.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace Korvex::App {

namespace {

using Rendering::KxVector3d;

constexpr double kDefaultAzimuth = -60.0;
constexpr double kDefaultElevation = 25.0;
constexpr double kFieldOfViewY = 30.0 * std::numbers::pi / 180.0;

double Radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

KxVector3d TurnedAboutZ(const KxVector3d& v, double degrees) {
    const double c = std::cos(Radians(degrees)), s = std::sin(Radians(degrees));
    return {c * v.x - s * v.y, s * v.x + c * v.y, v.z};
}

}  // namespace

std::vector<KxVector3d> FramedPoints(const ScenePlan& plan) {
    std::vector<KxVector3d> points = plan.drawnPoints;
    const Fields::GridLayout& grid = plan.layout;
    for (int bits = 0; points.size() < 8 && plan.drawnPoints.empty(); ++bits)
        points.push_back({grid.Position(0, bits & 1 ? grid.Cells(0) : 0),
                          grid.Position(1, bits & 2 ? grid.Cells(1) : 0),
                          grid.Position(2, bits & 4 ? grid.Cells(2) : 0)});
    return points;
}

Sphere BoundingSphere(std::span<const KxVector3d> points) {
    KxVector3d low{points[0]}, high{points[0]};
    for (const KxVector3d& p : points) {
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
    Sphere sphere{Rendering::Scale(Rendering::Add(low, high), 0.5), 0.0};
    for (const KxVector3d& p : points) {
        const KxVector3d offset = Rendering::Subtract(p, sphere.centre);
        sphere.radius = std::max(sphere.radius, std::sqrt(Rendering::Dot(offset, offset)));
    }
    return sphere;
}

std::vector<KxVector3d> SphereExtremes(const Sphere& sphere, const Rendering::ViewDirection& direction) {
    const KxVector3d forward = Rendering::Normalize(direction.forward);
    const KxVector3d right = Rendering::Normalize(Rendering::Cross(forward, direction.up));
    const KxVector3d up = Rendering::Cross(right, forward);
    std::vector<KxVector3d> extremes;
    for (const KxVector3d& axis : {forward, right, up})
        for (double sign : {-1.0, 1.0})
            extremes.push_back(Rendering::Add(sphere.centre, Rendering::Scale(axis, sign * sphere.radius)));
    return extremes;
}

Rendering::Framing FramingOf(const CameraChoice& choice) {
    Rendering::Framing framing;
    framing.orthographic = choice.orthographic;
    framing.fieldOfViewY = kFieldOfViewY;
    framing.zoom = choice.zoom;
    return framing;
}

Rendering::ViewDirection ViewDirectionFor(const CameraChoice& choice, const Fields::GridLayout& grid,
                                          double turnDegrees) {
    Rendering::ViewDirection direction;
    if (choice.preset) {
        direction = Rendering::ViewDirectionOf(*choice.preset);
    } else if (!choice.azimuth && !choice.elevation && grid.dimensions[2] == 1) {
        direction = Rendering::ViewDirectionOf(Rendering::ViewPreset::MinusZ);
    } else if (!choice.azimuth && !choice.elevation && grid.dimensions[1] == 1) {
        direction = Rendering::ViewDirectionOf(Rendering::ViewPreset::PlusY);
    } else if (!choice.azimuth && !choice.elevation && grid.dimensions[0] == 1) {
        direction = Rendering::ViewDirectionOf(Rendering::ViewPreset::MinusX);
    } else {
        const double azimuth = Radians(choice.azimuth.value_or(kDefaultAzimuth));
        const double elevation = Radians(choice.elevation.value_or(kDefaultElevation));
        // From the eye on the sphere of these angles towards the centre, z up.
        direction.forward = {-std::cos(elevation) * std::cos(azimuth), -std::cos(elevation) * std::sin(azimuth),
                             -std::sin(elevation)};
        direction.up = {0.0, 0.0, 1.0};
    }
    direction.forward = TurnedAboutZ(direction.forward, turnDegrees);
    direction.up = TurnedAboutZ(direction.up, turnDegrees);
    return direction;
}

Rendering::ViewMatrices FrameScene(const ScenePlan& plan, const Rendering::ViewDirection& direction,
                                   const CameraChoice& choice, const Rendering::PictureRegion& region, double width,
                                   double height, bool steadyDistance) {
    std::vector<KxVector3d> points = FramedPoints(plan);
    if (steadyDistance) points = SphereExtremes(BoundingSphere(points), direction);
    return Rendering::FrameView(points, direction, FramingOf(choice), region, width, height, plan.depthPoints);
}

}  // namespace Korvex::App
