// The value ranges of the two grids: the scalar grid lets a NaN take over,
// the vector grid skips NaN components.

#include "GridCases.h"
#include "RecordingDevice.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace Korvex::Rendering::testing {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kLargest = std::numeric_limits<float>::max();

MATCHER_P(SameFloat, expected, "") {
    return std::isnan(expected) ? std::isnan(arg) : arg == expected;
}

TEST(ScalarGridRangeTest, FollowsTheOrderedComparisons) {
    struct Case {
        std::vector<float> values;
        float min, max;
    };
    const Case cases[] = {
        {{3, -1, 7, 7}, -1, 7},
        {{2.5f, 2.5f, 2.5f, 2.5f}, 2.5f, 2.5f},
        {{kNaN, 2, 5, 3}, 2, 5},     // the first number replaces a leading NaN
        {{1, 6, kNaN, 4}, 4, 4},     // a NaN takes over both ends, the next number both
        {{1, 6, 4, kNaN}, kNaN, kNaN},
    };
    RecordingDevice device;
    auto grid = CreateScalarGrid(device);
    for (const Case& c : cases) {
        ASSERT_TRUE(grid->SetValues(4, 1, 1, c.values));
        const ScalarGridTexture texture = grid->GetTexture();
        EXPECT_THAT(texture.range_min, SameFloat(c.min)) << ::testing::PrintToString(c.values);
        EXPECT_THAT(texture.range_max, SameFloat(c.max)) << ::testing::PrintToString(c.values);
    }
}

TEST(VectorGridRangeTest, IsPerComponentAndSkipsNaN) {
    struct Case {
        std::vector<Vector3f> vectors;
        std::array<float, 3> min, max;
    };
    const Case cases[] = {
        {{{1, -2, 0}, {-3, 5, 0.5f}}, {-3, -2, 0}, {1, 5, 0.5f}},
        {{{1, kNaN, 2}, {3, 4, -1}}, {1, 4, -1}, {3, 4, 2}},
        {{{kNaN, 1, 2}, {-1, 4, kNaN}}, {-1, 1, 2}, {-1, 4, 2}},
        {{{1, kNaN, 0}, {2, kNaN, 0}}, {1, kLargest, 0}, {2, -kLargest, 0}},
    };
    RecordingDevice device;
    auto grid = CreateVectorGrid(device);
    for (const Case& c : cases) {
        ASSERT_TRUE(grid->SetVectors(2, 1, 1, c.vectors));
        const VectorGridTexture texture = grid->GetTexture();
        EXPECT_EQ(texture.range_min, c.min);
        EXPECT_EQ(texture.range_max, c.max);
    }
}

TEST(VectorGridRangeTest, NewSizeResetsTheRangeEvenIfTheUploadThrows) {
    RecordingDevice device;
    auto grid = CreateVectorGrid(device);
    const std::vector<Vector3f> vectors = {{1, 2, 3}, {4, 5, 6}};
    ASSERT_TRUE(grid->SetVectors(2, 1, 1, vectors));
    device.ThrowFrom("MapImage");
    EXPECT_THROW(grid->SetVectors(1, 2, 1, vectors), std::runtime_error);
    const VectorGridTexture texture = grid->GetTexture();
    EXPECT_THAT(texture.range_min, ::testing::Each(kLargest));
    EXPECT_THAT(texture.range_max, ::testing::Each(-kLargest));
    EXPECT_THAT(texture.dimensions, ::testing::ElementsAre(1u, 2u, 1u));
}

}  // namespace
}  // namespace Korvex::Rendering::testing
