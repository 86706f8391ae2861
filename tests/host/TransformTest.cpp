#include "MatrixTestSupport.h"

#include <Korvex/Rendering/Utilities.h>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

namespace Korvex::Rendering {
namespace {

using namespace Math::test;
using Box = boundingbox<float, 3>;

KxTransformMatrix Scale(double x, double y, double z) {
    return KxTransformMatrix({x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1});
}

void ExpectBoxNear(const Box& actual, const Box& expected) {
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(actual.min[i], expected.min[i], 1e-5) << "min " << i;
        EXPECT_NEAR(actual.max[i], expected.max[i], 1e-5) << "max " << i;
    }
}

TEST(TransformTest, EnclosesTheTransformedCorners) {
    const float r2 = static_cast<float>(std::sqrt(2.0));
    struct Case {
        std::string name;
        Box box;
        KxTransformMatrix matrix;
        Box expected;
    };
    const Case cases[] = {
        {"identity", Box({0, 1, 2}, {3, 4, 5}), KxTransformMatrix(), Box({0, 1, 2}, {3, 4, 5})},
        {"translation", Box({0, 1, 2}, {3, 4, 5}), Translation({1, -1, 10}), Box({1, 0, 12}, {4, 3, 15})},
        // (x, y, z) -> (10 - y, x, z)
        {"rotation then translation", Box({0, 0, 0}, {1, 2, 3}),
         Translation({10, 0, 0}) * Rotation({}, {0, 0, 1}, kPi / 2), Box({8, 0, 0}, {10, 1, 3})},
        // Only the corners, not min and max alone, reach the diagonal extent.
        {"eighth turn", Box({-1, -1, -1}, {1, 1, 1}), Rotation({}, {0, 0, 1}, kPi / 4),
         Box({-r2, -r2, -1}, {r2, r2, 1})},
        {"mirroring scale", Box({1, 1, 1}, {2, 3, 4}), Scale(-2, 1, 0.5), Box({-4, 1, 0.5f}, {-2, 3, 2})},
        {"point box", Box({1, 2, 3}, {1, 2, 3}), Translation({1, 1, 1}), Box({2, 3, 4}, {2, 3, 4})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectBoxNear(Transform(c.box, c.matrix), c.expected);
    }
}

}  // namespace
}  // namespace Korvex::Rendering
