#pragma once

#include <Korvex/Math/KxTransformMatrix.h>

#include <optional>

namespace Korvex::Rendering {

// Right-handed view space looking down -z; projections map the near plane to
// depth 0 and the far plane to depth 1, the clip space the GL device uses.
KxTransformMatrix MakeLookAt(const KxVector3d& eye, const KxVector3d& target, const KxVector3d& up);
KxTransformMatrix MakePerspective(double fovYRadians, double aspect, double nearPlane, double farPlane);
KxTransformMatrix MakeOrthographic(double left, double right, double bottom, double top, double nearPlane,
                                   double farPlane);

// The point that viewProjection takes to (x, y, depth) after the division
// by w: x and y in [-1, 1] across the picture, depth as the probe depth
// target holds it. Empty when no point goes there (a singular matrix).
std::optional<KxVector3d> Unproject(const KxTransformMatrix& viewProjection, double x, double y, double depth);

}  // namespace Korvex::Rendering
