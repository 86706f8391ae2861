// The viewer's camera, cut and deformation easing: hand-worked directions,
// points that must stay under the cursor, planes and values.

#include <EasedValue.h>
#include <ViewedData.h>
#include <ViewerCamera.h>
#include <ViewerCut.h>

#include <gtest/gtest.h>

#include <array>

namespace Korvex::App::test {
namespace {

using Rendering::KxVector3d;

constexpr double kWidth = 200.0, kHeight = 100.0;

void ExpectNear(const KxVector3d& actual, const KxVector3d& expected, const char* what) {
    EXPECT_NEAR(actual.x, expected.x, 1e-12) << what;
    EXPECT_NEAR(actual.y, expected.y, 1e-12) << what;
    EXPECT_NEAR(actual.z, expected.z, 1e-12) << what;
}

// Where p lands: pixel x, y from the top left, and the projected depth.
std::array<double, 3> PixelOf(const Rendering::ViewMatrices& m, const KxVector3d& p) {
    const auto mvp = m.projection * m.view;
    std::array<double, 4> clip{};
    for (int r = 0; r < 4; ++r)
        clip[r] = mvp.GetElement(r, 0, false) * p.x + mvp.GetElement(r, 1, false) * p.y +
                  mvp.GetElement(r, 2, false) * p.z + mvp.GetElement(r, 3, false);
    return {(clip[0] / clip[3] + 1.0) * kWidth / 2, (1.0 - clip[1] / clip[3]) * kHeight / 2, clip[2] / clip[3]};
}

// Looking along +y at the -y face of a subject about (1, 2, 3).
const Rendering::ViewDirection kAlongY{{0, 1, 0}, {0, 0, 1}};
const ViewedSubject kSubject{{{1, 2, 3}, 2.0}, {{1, 2, 3}, 2.5}, 1.0};
const Rendering::PictureRegion kWhole{0, 0, kWidth, kHeight};

TEST(ViewerCameraTest, DragsTurnTheSubjectWithTheMouse) {
    struct Case {
        const char* name;
        double dx, dy;
        KxVector3d forward, up;
    };
    // 360 pixels are 90 degrees. Turned right, the subject shows its -x
    // face: the camera looks along +x. Tipped towards the viewer, its top
    // shows: the camera looks down, the old forward its picture's up.
    const Case cases[] = {
        {"right", 360, 0, {1, 0, 0}, {0, 0, 1}},
        {"left", -360, 0, {-1, 0, 0}, {0, 0, 1}},
        {"down", 0, 360, {0, 0, -1}, {0, 1, 0}},
        {"up", 0, -360, {0, 0, 1}, {0, -1, 0}},
    };
    for (const Case& c : cases) {
        ViewerCamera camera(kAlongY, {});
        camera.Orbit(c.dx, c.dy);
        ExpectNear(camera.Direction().forward, c.forward, c.name);
        ExpectNear(camera.Direction().up, c.up, c.name);
        camera.Reset();
        ExpectNear(camera.Direction().forward, kAlongY.forward, c.name);
    }
}

TEST(ViewerCameraTest, ZoomKeepsThePointUnderTheCursorAndPanMovesItWithTheCursor) {
    ViewerCamera camera(kAlongY, {});
    const KxVector3d point{1.5, 0.0, 3.5}, other{0.5, 0.0, 3.5};  // on the subject's near side
    const auto pixels = [&](const KxVector3d& p) {
        return PixelOf(camera.Matrices(kSubject, 0.0, kWhole, kWidth, kHeight), p);
    };
    const std::array<double, 3> before = pixels(point);
    const double apart = before[0] - pixels(other)[0];
    camera.Zoom(2, before[0], before[1], kWidth, kHeight);
    const std::array<double, 3> zoomed = pixels(point);
    EXPECT_NEAR(zoomed[0], before[0], 1e-9);
    EXPECT_NEAR(zoomed[1], before[1], 1e-9);
    EXPECT_NEAR(zoomed[0] - pixels(other)[0], 1.25 * 1.25 * apart, 1e-9) << "two steps of 1.25";
    camera.Pan(7, -3, kWidth, kHeight);
    const std::array<double, 3> panned = pixels(point);
    EXPECT_NEAR(panned[0], before[0] + 7, 1e-9);
    EXPECT_NEAR(panned[1], before[1] - 3, 1e-9);
    EXPECT_NEAR(panned[2], before[2], 1e-12) << "depth is not zoomed";
}

TEST(ViewerCameraTest, TheDepthRangeHoldsTheSubjectDeformed) {
    const ViewerCamera camera(kAlongY, {});
    // The depth sphere (radius 2.5) grows by the largest displacement (1)
    // times the factor (3): its far point along the view must not be cut.
    const KxVector3d farthest{1.0, 2.0 + 2.5 + 3.0 - 1e-6, 3.0};
    EXPECT_GT(PixelOf(camera.Matrices(kSubject, 0.0, kWhole, kWidth, kHeight), farthest)[2], 1.0);
    for (double factor : {3.0, -3.0}) {
        const double depth = PixelOf(camera.Matrices(kSubject, factor, kWhole, kWidth, kHeight), farthest)[2];
        EXPECT_GT(depth, 0.0);
        EXPECT_LT(depth, 1.0);
    }
}

TEST(ViewerCameraTest, TheCutFacesTheViewerAndMovesAlongItsNormal) {
    ViewerCut cut;
    // Mostly along -y: across y through the middle, keeping y <= 2.
    cut.Place({{0.2, -0.9, 0.1}, {0, 0, 1}}, {{1, 2, 3}, 2.0});
    const Rendering::ClipPlane placed = cut.Plane();
    EXPECT_EQ((std::array<float, 4>{placed.a, placed.b, placed.c, placed.d}), (std::array<float, 4>{0, -1, 0, 2}));
    EXPECT_EQ(cut.Describe(), "y <= 2");
    // Half the height upwards: a radius away from the viewer, to y = 0;
    // further drags stop at the subject's edge.
    cut.Move(-60, 120);
    EXPECT_EQ(cut.Describe(), "y <= 0");
    cut.Move(-120, 120);
    EXPECT_EQ(cut.Describe(), "y <= 0");
    cut.Move(30, 120);
    EXPECT_EQ(cut.Plane().d, 1.0f);
}

TEST(ViewerCameraTest, DeformationGlidesSmoothlyToItsTarget) {
    EasedValue value(2.0);
    value.SetTarget(4.0, 10.0);
    EXPECT_EQ(value.At(10.0), 2.0);
    EXPECT_NEAR(value.At(10.0 + EasedValue::kSeconds / 2), 3.0, 1e-9);
    EXPECT_TRUE(value.Moving(10.1));
    EXPECT_EQ(value.At(11.0), 4.0);
    EXPECT_FALSE(value.Moving(11.0));
    // A new target mid-way starts from where the value is.
    value.SetTarget(0.0, 10.0 + EasedValue::kSeconds / 2);
    EXPECT_NEAR(value.At(10.0 + EasedValue::kSeconds / 2), 3.0, 1e-9);
}

TEST(ViewerCameraTest, ColourMapsCycleKeepingTheReversal) {
    EXPECT_EQ(NextColorMapName("viridis"), "jet");
    EXPECT_EQ(NextColorMapName("gray"), "viridis");
    EXPECT_EQ(NextColorMapName("jet_r"), "cividis_r");
}

}  // namespace
}  // namespace Korvex::App::test
