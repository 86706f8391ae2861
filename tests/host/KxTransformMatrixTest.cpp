#include "MatrixTestSupport.h"

#include <Korvex/Math/KxTransformMatrix.h>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <ostream>
#include <string>

namespace Korvex::Math {

// Readable class names in failure messages.
void PrintTo(KxTransformMatrix::Class value, std::ostream* os) {
    constexpr const char* kNames[] = {"Identity", "Translation", "Rigid", "Affine", "General"};
    *os << kNames[static_cast<int>(value)];
}

namespace {

using namespace test;
using Class = KxTransformMatrix::Class;

constexpr std::array<double, 16> kCounting = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
constexpr std::array<double, 16> kCountingTransposed = {0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15};

TEST(KxTransformMatrixTest, ProductAppliesRightOperandFirst) {
    // Two shears whose products differ in either order, worked out by hand.
    const KxTransformMatrix a({1, 2, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    const KxTransformMatrix b({1, 0, 0, 0, 3, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    ExpectNear(a * b, {7, 2, 0, 0, 3, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    ExpectNear(b * a, {1, 2, 0, 0, 3, 7, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});

    // Translate after rotating, and rotate after translating.
    const KxTransformMatrix rotate = Rotation({}, {0, 0, 1}, kPi / 2);
    const KxTransformMatrix translate = Translation({1, 0, 0});
    ExpectNear(Apply(translate * rotate, Point(1, 0, 0)), Point(1, 1, 0));
    ExpectNear(Apply(rotate * translate, Point(1, 0, 0)), Point(0, 2, 0));
}

TEST(KxTransformMatrixTest, ConvertToFloat16WritesColumnMajor) {
    std::array<float, 16> out{};
    KxTransformMatrix(kCounting).ConvertToFloat16(out.data());
    for (int i = 0; i < 16; ++i) EXPECT_EQ(out[i], static_cast<float>(kCountingTransposed[i])) << "index " << i;

    // A shader reads the translation from column 3, elements 12 to 14.
    Translation({4, 5, 6}).ConvertToFloat16(out.data());
    EXPECT_EQ(out[12], 4.0f);
    EXPECT_EQ(out[13], 5.0f);
    EXPECT_EQ(out[14], 6.0f);
    EXPECT_EQ(out[3], 0.0f);
    EXPECT_EQ(out[15], 1.0f);
}

TEST(KxTransformMatrixTest, MakeRotationTurnsRightHandedAboutItsPoint) {
    struct Case {
        std::string name;
        KxVector3d point;
        KxVector3d axis;
        double angle;
        Vec4 in;
        Vec4 expected;
    };
    const double s = std::sqrt(0.5);
    const Case cases[] = {
        {"y quarter turn", {}, {0, 1, 0}, kPi / 2, Point(0, 0, 1), Point(1, 0, 0)},
        {"z quarter turn", {}, {0, 0, 1}, kPi / 2, Point(1, 0, 0), Point(0, 1, 0)},
        {"x quarter turn", {}, {1, 0, 0}, kPi / 2, Point(0, 1, 0), Point(0, 0, 1)},
        {"negative angle", {}, {0, 0, 1}, -kPi / 2, Point(1, 0, 0), Point(0, -1, 0)},
        {"axis not normalised", {}, {0, 0, 5}, kPi / 4, Point(1, 0, 0), Point(s, s, 0)},
        {"diagonal axis cycles the axes", {}, {1, 1, 1}, 2 * kPi / 3, Point(1, 0, 0), Point(0, 1, 0)},
        {"point on the axis stays", {1, 2, 3}, {0, 0, 1}, kPi / 2, Point(1, 2, 3), Point(1, 2, 3)},
        {"point off the axis turns about it", {1, 2, 3}, {0, 0, 1}, kPi / 2, Point(2, 2, 3), Point(1, 3, 3)},
        {"half turn about an offset axis", {1, 0, 0}, {0, 1, 0}, kPi, Point(0, 0, 0), Point(2, 0, 0)},
        {"directions ignore the point", {1, 2, 3}, {0, 0, 1}, kPi / 2, {1, 0, 0, 0}, {0, 1, 0, 0}},
        {"zero axis gives identity", {1, 2, 3}, {0, 0, 0}, kPi / 2, Point(4, 5, 6), Point(4, 5, 6)},
    };
    ExpectNear(Apply(Translation({4, -5, 6}), Point(1, 2, 3)), Point(5, -3, 9));
    ExpectNear(Apply(Translation({4, -5, 6}), {1, 2, 3, 0}), {1, 2, 3, 0});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectNear(Apply(Rotation(c.point, c.axis, c.angle), c.in), c.expected);
    }
}

}  // namespace
}  // namespace Korvex::Math
