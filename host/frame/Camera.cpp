#include "Camera.h"

#include "VectorMath.h"

#include <cmath>

namespace Korvex::Rendering {

namespace {

KxTransformMatrix Classified(const std::array<double, 16>& rowMajor) {
    KxTransformMatrix matrix(rowMajor);
    matrix.VerifyAndSetClass();
    return matrix;
}

}  // namespace

KxTransformMatrix MakeLookAt(const KxVector3d& eye, const KxVector3d& target, const KxVector3d& up) {
    const KxVector3d f = Normalize(Subtract(target, eye));
    const KxVector3d s = Normalize(Cross(f, up));
    const KxVector3d u = Cross(s, f);
    return Classified({s.x, s.y, s.z, -Dot(s, eye),     //
                       u.x, u.y, u.z, -Dot(u, eye),     //
                       -f.x, -f.y, -f.z, Dot(f, eye),   //
                       0.0, 0.0, 0.0, 1.0});
}

KxTransformMatrix MakePerspective(double fovYRadians, double aspect, double nearPlane, double farPlane) {
    const double f = 1.0 / std::tan(fovYRadians * 0.5);
    const double depth = nearPlane - farPlane;
    return Classified({f / aspect, 0.0, 0.0, 0.0,                                 //
                       0.0, f, 0.0, 0.0,                                          //
                       0.0, 0.0, farPlane / depth, nearPlane * farPlane / depth,  //
                       0.0, 0.0, -1.0, 0.0});
}

KxTransformMatrix MakeOrthographic(double left, double right, double bottom, double top, double nearPlane,
                                   double farPlane) {
    const double depth = nearPlane - farPlane;
    return Classified({2.0 / (right - left), 0.0, 0.0, -(right + left) / (right - left),  //
                       0.0, 2.0 / (top - bottom), 0.0, -(top + bottom) / (top - bottom),  //
                       0.0, 0.0, 1.0 / depth, nearPlane / depth,                          //
                       0.0, 0.0, 0.0, 1.0});
}

}  // namespace Korvex::Rendering
