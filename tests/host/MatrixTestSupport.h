#pragma once

#include <Korvex/Math/KxTransformMatrix.h>

#include <gtest/gtest.h>

#include <array>
#include <numbers>

namespace Korvex::Math::test {

constexpr double kPi = std::numbers::pi;

// Rotations go through sin and cos, so exact zeros come out as about 1e-16.
constexpr double kTolerance = 1e-12;

using Vec4 = std::array<double, 4>;

inline Vec4 Apply(const KxTransformMatrix& m, const Vec4& v) {
    Vec4 result{};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) result[r] += m.GetElement(r, c, false) * v[c];
    return result;
}

inline Vec4 Point(double x, double y, double z) { return {x, y, z, 1.0}; }

inline KxTransformMatrix Rotation(const KxVector3d& point, const KxVector3d& axis, double angle) {
    KxTransformMatrix m;
    m.MakeRotation(point, axis, angle);
    return m;
}

inline KxTransformMatrix Translation(const KxVector3d& offset) {
    KxTransformMatrix m;
    m.MakeTranslation(offset);
    return m;
}

inline void ExpectNear(const Vec4& actual, const Vec4& expected) {
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(actual[i], expected[i], kTolerance) << "component " << i;
}

inline void ExpectNear(const KxTransformMatrix& actual, const std::array<double, 16>& rowMajor) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(actual.GetElement(r, c, false), rowMajor[r * 4 + c], kTolerance) << "element " << r << "," << c;
}

}  // namespace Korvex::Math::test
