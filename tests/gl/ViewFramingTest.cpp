// Framing without a GL context: the points of the subject seen through the
// camera fill the chosen part of the picture.

#include <Camera.h>
#include <ViewFraming.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <array>
#include <vector>

namespace Korvex::Rendering {
namespace {

constexpr double kWidth = 400.0, kHeight = 300.0;

// Normalised device coordinates x, y and depth z/w of a world point.
std::array<double, 3> Project(const ViewMatrices& camera, const KxVector3d& p) {
    const KxTransformMatrix m = camera.projection * camera.view;
    std::array<double, 4> clip{};
    for (int r = 0; r < 4; ++r)
        clip[r] = m.GetElement(r, 0, false) * p.x + m.GetElement(r, 1, false) * p.y + m.GetElement(r, 2, false) * p.z +
                  m.GetElement(r, 3, false);
    return {clip[0] / clip[3], clip[1] / clip[3], clip[2] / clip[3]};
}

struct FramingRow {
    const char* name;
    ViewPreset preset;
    bool orthographic;
    PictureRegion region;
};

TEST(ViewFraming, SubjectFillsTheRegionSeenFromThePreset) {
    const std::vector<KxVector3d> box{{-1, 0, 2}, {3, 0, 2}, {-1, 1, 2}, {3, 1, 2},
                                      {-1, 0, 2.5}, {3, 0, 2.5}, {-1, 1, 2.5}, {3, 1, 2.5}};
    const FramingRow rows[] = {
        {"+x perspective", ViewPreset::PlusX, false, {0, 0, kWidth, kHeight}},
        {"-y orthographic", ViewPreset::MinusY, true, {0, 0, kWidth, kHeight}},
        {"+z beside a bar", ViewPreset::PlusZ, false, {0, 30, 320, 270}},
        {"-z orthographic, top band", ViewPreset::MinusZ, true, {50, 0, 300, 100}},
        {"isometric", ViewPreset::Isometric, false, {0, 0, kWidth, kHeight}},
    };
    for (const FramingRow& row : rows) {
        const ViewMatrices camera = FrameView(box, ViewDirectionOf(row.preset), Framing{row.orthographic}, row.region,
                                              kWidth, kHeight);
        // The region in normalised device coordinates (y up).
        const double left = 2 * row.region.x / kWidth - 1, right = 2 * (row.region.x + row.region.width) / kWidth - 1;
        const double top = 1 - 2 * row.region.y / kHeight;
        const double bottom = 1 - 2 * (row.region.y + row.region.height) / kHeight;
        double reach = 0.0;  // the largest share of the region's half-size a point takes
        for (const KxVector3d& p : box) {
            const auto [x, y, z] = Project(camera, p);
            EXPECT_GT(z, 0.0) << row.name;
            EXPECT_LT(z, 1.0) << row.name;
            reach = std::max({reach, std::abs(2 * x - left - right) / (right - left),
                              std::abs(2 * y - top - bottom) / (top - bottom)});
        }
        // The default margin of 0.05 a side.
        EXPECT_NEAR(reach, 1.0 / 1.1, 1e-9) << row.name;
    }
    // Geometry drawn only in part still lies within the depth range, in front of the eye.
    const std::vector<KxVector3d> whole{{-5, -5, -5}, {5, 5, 5}};
    const ViewMatrices deep = FrameView(box, ViewDirectionOf(ViewPreset::PlusX), Framing{}, {0, 0, kWidth, kHeight},
                                        kWidth, kHeight, whole);
    for (const KxVector3d& p : whole) {
        EXPECT_GT(Project(deep, p)[2], 0.0);
        EXPECT_LT(Project(deep, p)[2], 1.0);
    }
}

// Eye at the origin looking down -z, 90 degrees wide, near 1, far 10: the
// point (1, 2, -5) lands at x 1/5, y 2/5 and depth (50/9 - 10/9) / 5 = 8/9.
TEST(ViewFraming, UnprojectionFindsThePointBehindAPixelAndDepth) {
    const KxTransformMatrix viewProjection =
        MakePerspective(std::acos(0.0), 1.0, 1.0, 10.0) * MakeLookAt({0, 0, 0}, {0, 0, -1}, {0, 1, 0});
    const std::optional<KxVector3d> point = Unproject(viewProjection, 0.2, 0.4, 8.0 / 9.0);
    ASSERT_TRUE(point);
    EXPECT_NEAR(point->x, 1.0, 1e-12);
    EXPECT_NEAR(point->y, 2.0, 1e-12);
    EXPECT_NEAR(point->z, -5.0, 1e-12);
    EXPECT_FALSE(Unproject(KxTransformMatrix(std::array<double, 16>{}), 0.0, 0.0, 0.5)) << "a singular matrix";
}

}  // namespace
}  // namespace Korvex::Rendering
