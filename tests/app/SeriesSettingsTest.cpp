// What the steps of a series share: the colour range, the deformation
// factor and the box one camera frames, and how that box frames a plan.

#include <DrawnPoints.h>
#include <SeriesSettings.h>

#include <gtest/gtest.h>

namespace Korvex::App {
namespace {

// Two points at x = origin, z = 0 and 1; the second moves lift along z.
Io::Dataset Step(double origin, std::vector<float> f, std::vector<float> g, float lift) {
    Io::ImageGrid grid;
    grid.dimensions = {1, 1, 2};
    grid.origin = {origin, 0, 0};
    return {grid,
            {{"f", Io::Location::Points, 1, std::move(f)},
             {"g", Io::Location::Points, 1, std::move(g)},
             {"u", Io::Location::Points, 3, {0, 0, 0, 0, 0, lift}}}};
}

TEST(SeriesSettingsTest, RangeDeformationAndExtentCoverEveryStep) {
    const Io::Dataset first = Step(0, {1, 3}, {-2, 4}, 1), second = Step(2, {5, 5}, {0.5f, -1}, 2);
    RenderOptions options;
    options.deformAuto = true;
    SeriesSettings settings(options);
    ASSERT_EQ(settings.Add(first), "");
    ASSERT_EQ(settings.Add(second), "");
    // The steps' extremes, not a range widened around the second's one value.
    EXPECT_EQ(settings.StepOptions().range, (std::array<float, 2>{1, 5}));
    // Diagonal 1: a tenth of it over the largest displacements, 1 and 2.
    EXPECT_FLOAT_EQ(settings.AutoDeformation().value_or(0.0f), 0.05f);
    // x over both steps; z lifted 0.05 x 1 and 0.05 x 2 above 1.
    const auto extent = settings.Extent();
    ASSERT_TRUE(extent);
    EXPECT_EQ(extent->min, (std::array<double, 3>{0, 0, 0}));
    EXPECT_NEAR(extent->max[0], 2, 1e-12);
    EXPECT_NEAR(extent->max[2], 1.1, 1e-7);

    options = {};
    options.colorBy = "g";
    options.logarithmic = true;
    SeriesSettings colours(options);
    ASSERT_EQ(colours.Add(first), "");
    ASSERT_EQ(colours.Add(second), "");
    // --color-by's values above 0, over both steps.
    EXPECT_EQ(colours.StepOptions().range, (std::array<float, 2>{0.5f, 4}));
    options.colorBy = "h";
    EXPECT_EQ(SeriesSettings(options).Add(first), "--color-by: no array 'h'; the file has 'f', 'g' and 'u'");
}

// The box of the points that frame a layer of this kind in [0, 3] x [0, 1]^2.
Rendering::boundingbox<double, 3> Framed(LayerKind kind, std::vector<Rendering::ClipPlane> clipPlanes) {
    ScenePlan plan;
    plan.layers.resize(1);
    plan.layers[0].kind = kind;
    plan.layers[0].clipPlanes = std::move(clipPlanes);
    plan.slicePlanes = {{0, 0, 1, -0.5}};  // z = 0.5
    FrameExtent(plan, {{0, 0, 0}, {3, 1, 1}});
    EXPECT_TRUE(plan.depthPoints.empty()) << "nothing capped";
    Rendering::boundingbox<double, 3> box;
    for (const Rendering::KxVector3d& p : plan.drawnPoints) box.Add({p.x, p.y, p.z});
    return box;
}

TEST(SeriesSettingsTest, TheSharedBoxIsFramedAsEachLayerDrawsIt) {
    EXPECT_EQ(Framed(LayerKind::Surface, {{1, 0, 0, -1}}), (Rendering::boundingbox<double, 3>{{1, 0, 0}, {3, 1, 1}}));
    EXPECT_EQ(Framed(LayerKind::Slices, {}), (Rendering::boundingbox<double, 3>{{0, 0, 0.5}, {3, 1, 0.5}}));
}

}  // namespace
}  // namespace Korvex::App
