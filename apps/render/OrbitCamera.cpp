#include "OrbitCamera.h"

#include <Camera.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Korvex::App {

namespace {

constexpr double kFieldOfViewY = 30.0 * std::numbers::pi / 180.0;

}  // namespace

CameraMatrices OrbitCamera(const Rendering::boundingbox<float, 3>& box, double azimuthDegrees, double elevationDegrees,
                           double zoom, double aspect) {
    Rendering::KxVector3d centre{};
    double radius = 0.0;
    double* const centreAxes[3] = {&centre.x, &centre.y, &centre.z};
    for (std::size_t axis = 0; axis < 3; ++axis) {
        const double low = box.min[axis], high = box.max[axis];
        *centreAxes[axis] = 0.5 * (low + high);
        radius += 0.25 * (high - low) * (high - low);
    }
    radius = std::sqrt(radius);
    if (!(radius > 0.0)) radius = 1.0;

    // The sphere fits the narrower of the two fields of view.
    const double tanHalfY = std::tan(0.5 * kFieldOfViewY);
    const double halfNarrow = std::atan(tanHalfY * std::min(1.0, aspect));
    const double distance = radius / std::sin(halfNarrow);

    const double azimuth = azimuthDegrees * std::numbers::pi / 180.0;
    const double elevation = elevationDegrees * std::numbers::pi / 180.0;
    const Rendering::KxVector3d eye{centre.x + distance * std::cos(elevation) * std::cos(azimuth),
                                    centre.y + distance * std::cos(elevation) * std::sin(azimuth),
                                    centre.z + distance * std::sin(elevation)};
    CameraMatrices camera;
    camera.view = Rendering::MakeLookAt(eye, centre, {0.0, 0.0, 1.0});
    const double fieldOfViewY = 2.0 * std::atan(tanHalfY / zoom);
    // The sphere lies between the planes with a margin; the camera is
    // always outside it, since sin(halfNarrow) < 1.
    camera.projection =
        Rendering::MakePerspective(fieldOfViewY, aspect, 0.9 * (distance - radius), 1.1 * (distance + radius));
    return camera;
}

}  // namespace Korvex::App
