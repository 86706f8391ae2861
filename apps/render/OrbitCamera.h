#pragma once

#include <Korvex/Math/KxTransformMatrix.h>
#include <Korvex/Rendering/boundingbox.h>

namespace Korvex::App {

struct CameraMatrices {
    Rendering::KxTransformMatrix view;
    Rendering::KxTransformMatrix projection;  // depth 0 at the near plane, 1 at the far plane
};

// A camera on a sphere around the box, z up, looking at the box's centre.
// Azimuth turns about the z axis from the x axis, elevation lifts above the
// x-y plane (both in degrees, elevation within +-89). At zoom 1 the box's
// bounding sphere just fits the narrower side of the image; zoom narrows the
// field of view, so near and far planes keep enclosing the box.
CameraMatrices OrbitCamera(const Rendering::boundingbox<float, 3>& box, double azimuthDegrees, double elevationDegrees,
                           double zoom, double aspect);

}  // namespace Korvex::App
