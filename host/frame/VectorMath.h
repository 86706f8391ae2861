#pragma once

// The few operations on KxVector3d that cameras need.

#include <Korvex/Math/KxTransformMatrix.h>

#include <cmath>

namespace Korvex::Rendering {

inline KxVector3d Add(const KxVector3d& a, const KxVector3d& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline KxVector3d Subtract(const KxVector3d& a, const KxVector3d& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline KxVector3d Scale(const KxVector3d& a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline double Dot(const KxVector3d& a, const KxVector3d& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline KxVector3d Cross(const KxVector3d& a, const KxVector3d& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
// Unit length; a zero vector stays zero.
inline KxVector3d Normalize(const KxVector3d& v) {
    const double length = std::sqrt(Dot(v, v));
    return length > 0.0 ? Scale(v, 1.0 / length) : v;
}

}  // namespace Korvex::Rendering
