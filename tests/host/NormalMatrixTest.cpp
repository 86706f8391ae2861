#include "MatrixTestSupport.h"

#include <Korvex/Rendering/Utilities.h>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

namespace Korvex::Rendering {
namespace {

using namespace Math::test;

TEST(NormalMatrixTest, IsTheInverseTransposeOfTheLinearPart) {
    const double c = std::cos(0.4), s = std::sin(0.4);
    struct Case {
        std::string name;
        KxTransformMatrix matrix;
        std::array<double, 16> expected;
    };
    const Case cases[] = {
        {"identity", KxTransformMatrix(), {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
        {"non-uniform scale",
         KxTransformMatrix({2, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0.5, 0, 0, 0, 0, 1}),
         {0.5, 0, 0, 0, 0, 0.25, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1}},
        // inverse [[1, -2], [0, 1]], transposed
        {"shear", KxTransformMatrix({1, 2, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}),
         {1, 0, 0, 0, -2, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
        {"rotation is its own normal matrix", Rotation({}, {0, 0, 1}, 0.4),
         {c, -s, 0, 0, s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
        {"translation is dropped", Translation({5, 6, 7}) * Rotation({}, {0, 0, 1}, 0.4),
         {c, -s, 0, 0, s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
        // (R S)^-T = R S^-1
        {"rotation after scale",
         Rotation({}, {0, 0, 1}, 0.4) * KxTransformMatrix({2, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}),
         {c / 2, -s, 0, 0, s / 2, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
        {"projection row is dropped",
         KxTransformMatrix({2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1, 1, 0, 0, -1, 0}),
         {0.5, 0, 0, 0, 0, 0.5, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
        // Singular: the cofactor matrix, still finite.
        {"flattening scale", KxTransformMatrix({2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}),
         {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6, 0, 0, 0, 0, 1}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        ExpectNear(ToNormalMatrix(k.matrix), k.expected);
    }
}

}  // namespace
}  // namespace Korvex::Rendering
