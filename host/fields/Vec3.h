#pragma once

// Double-precision 3-vectors for the field geometry.

#include <Korvex/Rendering/Simulation/IGeometry.h>

#include <array>
#include <cmath>

namespace Korvex::Fields {

using Vec3 = std::array<double, 3>;

inline Vec3 operator+(const Vec3& a, const Vec3& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
inline Vec3 operator-(const Vec3& a, const Vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
inline Vec3 operator*(double s, const Vec3& a) { return {s * a[0], s * a[1], s * a[2]}; }
inline double Dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
inline Vec3 Cross(const Vec3& a, const Vec3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
inline double Length(const Vec3& a) { return std::sqrt(Dot(a, a)); }
// a made unit; a zero vector stays zero.
inline Vec3 Normalized(const Vec3& a) {
    const double length = Length(a);
    return length > 0.0 ? (1.0 / length) * a : a;
}
// Some vector at right angles to a non-zero a.
inline Vec3 Perpendicular(const Vec3& a) {
    return std::abs(a[0]) <= std::abs(a[1]) && std::abs(a[0]) <= std::abs(a[2]) ? Cross(a, {1, 0, 0})
           : std::abs(a[1]) <= std::abs(a[2])                                    ? Cross(a, {0, 1, 0})
                                                                                 : Cross(a, {0, 0, 1});
}

inline Rendering::VertexPN ToVertex(const Vec3& p, const Vec3& n) {
    const auto f = [](double v) { return static_cast<float>(v); };
    return {{f(p[0]), f(p[1]), f(p[2])}, {f(n[0]), f(n[1]), f(n[2])}};
}

}  // namespace Korvex::Fields
