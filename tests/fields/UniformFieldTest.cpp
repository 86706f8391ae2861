// From datasets to the one regular grid the library draws: which array,
// which lattice, which values.

#include <ArrayChoice.h>
#include <Resampling.h>
#include <UniformField.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace Korvex::Fields {
namespace {

using Io::Location;

Io::Dataset Image(std::array<std::size_t, 3> dimensions, std::array<double, 3> spacing,
                  std::vector<Io::DataArray> arrays) {
    return {Io::ImageGrid{dimensions, {1.0, 2.0, 3.0}, spacing}, std::move(arrays)};
}

Io::Dataset Rectilinear(AxisPositions coordinates, std::vector<Io::DataArray> arrays) {
    return {Io::RectilinearGrid{std::move(coordinates)}, std::move(arrays)};
}

TEST(ArrayChoiceTest, ChoosesArraysAndComponents) {
    const Io::Dataset dataset = Image({2, 1, 1}, {1, 1, 1},
                                      {{"vtkGhostType", Location::Cells, 1, {0}},
                                       {"velocity", Location::Points, 3, {3, 4, 0, 0, 0, -2}},
                                       {"p", Location::Points, 1, {-1, 7}}});
    EXPECT_EQ(FirstArray(dataset)->name, "velocity");
    EXPECT_EQ(FirstVectors(dataset)->name, "velocity");
    EXPECT_EQ(FindArray(dataset, "p")->name, "p");
    EXPECT_EQ(FindArray(dataset, "q"), nullptr);
    EXPECT_EQ(ArrayNames(dataset), "'vtkGhostType', 'velocity' and 'p'");
    const Io::DataArray& velocity = dataset.arrays[1];
    const Io::DataArray& pressure = dataset.arrays[2];
    EXPECT_EQ(ComponentValues(velocity, std::nullopt), (std::vector<float>{5, 2}));
    EXPECT_EQ(ComponentValues(velocity, 1), (std::vector<float>{4, 0}));
    EXPECT_EQ(ComponentValues(pressure, std::nullopt), (std::vector<float>{-1, 7}));
    EXPECT_EQ(ComponentValues(pressure, kMagnitude), (std::vector<float>{1, 7}));
    EXPECT_EQ(Label(velocity, std::nullopt), "'velocity' magnitude");
    EXPECT_EQ(Label(velocity, 2), "'velocity' component 2");
    EXPECT_EQ(Label(pressure, 0), "'p'");
    EXPECT_EQ(CheckComponent(velocity, 3), "'velocity' has 3 components: the component must be 0 to 2 or magnitude");
}

struct LatticeCase {
    const char* what;
    Io::Dataset dataset;
    std::size_t maxSamples;
    GridLayout points;  // the drawn lattice
    std::vector<float> scalars;
    std::vector<std::string> notes;
};

class UniformFieldTest : public ::testing::TestWithParam<LatticeCase> {};

TEST_P(UniformFieldTest, DrawsOnTheLatticeTheGridAllows) {
    const LatticeCase& row = GetParam();
    const FieldResult result = MakeUniformField(row.dataset, {"", std::nullopt, "", row.maxSamples});
    ASSERT_EQ(result.error, "");
    const GridLayout& points = result.field.points;
    EXPECT_EQ(points.dimensions, row.points.dimensions);
    for (std::size_t axis = 0; axis < 3; ++axis) {
        EXPECT_DOUBLE_EQ(points.origin[axis], row.points.origin[axis]) << axis;
        EXPECT_DOUBLE_EQ(points.spacing[axis], row.points.spacing[axis]) << axis;
    }
    ASSERT_EQ(result.field.scalars.size(), row.scalars.size());
    for (std::size_t i = 0; i < row.scalars.size(); ++i) EXPECT_NEAR(result.field.scalars[i], row.scalars[i], 1e-5) << i;
    EXPECT_EQ(result.notes, row.notes);
}

INSTANTIATE_TEST_SUITE_P(
    Grids, UniformFieldTest,
    ::testing::Values(
        // A flat axis of zero spacing takes the largest other spacing; its 6
        // samples are just within the budget.
        LatticeCase{"image_as_it_is",
                    Image({3, 2, 1}, {0.5, 2, 0}, {{"f", Location::Points, 1, {0, 1, 2, 3, 4, 5}}}),
                    6,
                    {{3, 2, 1}, {1, 2, 3}, {0.5, 2, 2}},
                    {0, 1, 2, 3, 4, 5},
                    {}},
        // Coordinates as a file rounds them are still uniform.
        LatticeCase{"uniform_coordinates_taken_exactly",
                    Rectilinear({{{0.0, 0.1, 0.20000001}, {5.0}, {-1.0, 1.0}}},
                                {{"f", Location::Cells, 1, {7, 8}}}),
                    kDefaultMaxSamples,
                    {{3, 1, 2}, {0, 5, -1}, {0.100000005, 2, 2}},
                    {7, 8},
                    {}},
        // f = x at points 0, 1, 3: linear interpolation gives x again.
        LatticeCase{"uneven_points_resampled_at_the_finest_step",
                    Rectilinear({{{0, 1, 3}, {0, 1}, {0}}}, {{"f", Location::Points, 1, {0, 1, 3, 0, 1, 3}}}),
                    kDefaultMaxSamples,
                    {{4, 2, 1}, {0, 0, 0}, {1, 1, 1}},
                    {0, 1, 2, 3, 0, 1, 2, 3},
                    {"resampled 3x2x1 points onto a uniform 4x2x1 (its finest spacing)"}},
        // Cells [0, 1] and [1, 3]: the new cells' centres 0.5, 1.5, 2.5.
        LatticeCase{"uneven_cells_keep_their_values",
                    Rectilinear({{{0, 1, 3}, {0, 1}, {0}}}, {{"m", Location::Cells, 1, {10, 20}}}),
                    kDefaultMaxSamples,
                    {{4, 2, 1}, {0, 0, 0}, {1, 1, 1}},
                    {10, 20, 20},
                    {"resampled 2x1x1 cells onto a uniform 3x1x1 (its finest spacing)"}},
        // 5 x 5 points in at most 9 samples: 3 x 3, f = x read at 0, 2, 4.
        LatticeCase{"sample_budget",
                    Image({5, 5, 1}, {1, 1, 1},
                          {{"f", Location::Points, 1, {0, 1, 2, 3, 4, 0, 1, 2, 3, 4, 0, 1, 2, 3, 4, 0, 1, 2, 3, 4,
                                                        0, 1, 2, 3, 4}}}),
                    9,
                    {{3, 3, 1}, {1, 2, 3}, {2, 2, 2}},
                    {0, 2, 4, 0, 2, 4, 0, 2, 4},
                    {"resampled 5x5x1 points onto a uniform 3x3x1 (at most 9 samples)"}}),
    [](const ::testing::TestParamInfo<LatticeCase>& param) { return std::string(param.param.what); });

TEST(UniformFieldTest, CellDataLiesAtCellCentresWithinTheBoxOfThePoints) {
    const FieldResult result =
        MakeUniformField(Image({3, 2, 1}, {1, 1, 1}, {{"m", Location::Cells, 1, {4, 6}}}), {});
    const GridLayout samples = result.field.Samples();
    EXPECT_EQ(samples.dimensions, (std::array<std::size_t, 3>{2, 1, 1}));
    EXPECT_EQ(samples.origin, (std::array<double, 3>{1.5, 2.5, 3}));
    EXPECT_EQ(samples.TextureBox(), (Rendering::boundingbox<float, 3>({1, 2, 2.5f}, {3, 3, 3.5f})));
    EXPECT_EQ(result.field.points.CellBox(), (Rendering::boundingbox<float, 3>({1, 2, 3}, {3, 3, 3})));
    // For voxels, the cells are averaged onto the points.
    EXPECT_EQ(AtPoints(result.field).scalars, (std::vector<float>{4, 5, 6, 4, 5, 6}));
}

TEST(UniformFieldTest, DisplacementAtTheOtherLocationIsAveragedOntoTheScalars) {
    const Io::Dataset dataset = Image({3, 2, 1}, {1, 1, 1},
                                      {{"p", Location::Points, 1, {0, 0, 0, 0, 0, 0}},
                                       {"m", Location::Cells, 1, {0, 0}},
                                       {"u", Location::Cells, 3, {2, 0, 0, 4, 2, 0}},
                                       {"w", Location::Points, 3, {0, 0, 0, 2, 0, 0, 4, 0, 0, 0, 0, 2, 2, 0, 2, 4, 0, 2}}});
    const FieldResult atPoints = MakeUniformField(dataset, {"p", std::nullopt, "u", kDefaultMaxSamples});
    EXPECT_EQ(atPoints.field.vectorsName, "u");
    EXPECT_EQ(atPoints.field.vectors,
              (std::vector<std::array<float, 3>>{{2, 0, 0}, {3, 1, 0}, {4, 2, 0}, {2, 0, 0}, {3, 1, 0}, {4, 2, 0}}));
    const FieldResult atCells = MakeUniformField(dataset, {"m", std::nullopt, "w", kDefaultMaxSamples});
    EXPECT_EQ(atCells.field.vectors, (std::vector<std::array<float, 3>>{{1, 0, 1}, {3, 0, 1}}));
}

TEST(UniformFieldTest, ValuesThatAreNotFiniteLieBeyondEveryRange) {
    constexpr float kNan = std::numeric_limits<float>::quiet_NaN(), kInf = std::numeric_limits<float>::infinity();
    const FieldResult result =
        MakeUniformField(Image({2, 2, 1}, {1, 1, 1}, {{"f", Location::Points, 1, {1, kNan, kInf, -kInf}}}), {});
    EXPECT_EQ(result.field.scalars, (std::vector<float>{1, -kBeyondRange, kBeyondRange, -kBeyondRange}));
    EXPECT_EQ(result.notes,
              (std::vector<std::string>{"'f': 3 values are not finite numbers; they take the colours beyond the range"}));
}

struct Refusal {
    FieldRequest request;
    std::string message;
};

class UniformFieldRefusalTest : public ::testing::TestWithParam<Refusal> {};

TEST_P(UniformFieldRefusalTest, SaysWhyNothingCanBeDrawn) {
    const Io::Dataset dataset = Image({2, 1, 1}, {1, 1, 1},
                                      {{"p", Location::Points, 1, {1, 2}}, {"v", Location::Points, 2, {1, 2, 3, 4}}});
    EXPECT_EQ(MakeUniformField(dataset, GetParam().request).error, GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, UniformFieldRefusalTest,
    ::testing::Values(Refusal{{"q", std::nullopt, "", 8}, "no array 'q'; the file has 'p' and 'v'"},
                      Refusal{{"p", 1, "", 8}, "'p' has 1 component: the component must be 0 to 0 or magnitude"},
                      Refusal{{"p", std::nullopt, "v", 8}, "'v' has 2 components; a displacement needs 3"},
                      Refusal{{"p", std::nullopt, "x", 8}, "no array 'x'; the file has 'p' and 'v'"}));

TEST(UniformFieldTest, AFileWithoutArraysHasNothingToDraw) {
    EXPECT_EQ(MakeUniformField(Image({2, 2, 2}, {1, 1, 1}, {}), {}).error, "the file holds no arrays to draw");
}

TEST(ResamplingTest, CellsAndPointsAverageOntoEachOther) {
    // 3 x 2 points: two cells, values 1 and 3.
    EXPECT_EQ(CellsToPoints(std::vector<float>{1, 3}, 1, {3, 2, 1}), (std::vector<float>{1, 2, 3, 1, 2, 3}));
    EXPECT_EQ(PointsToCells(std::vector<float>{0, 2, 4, 10, 12, 14}, 1, {3, 2, 1}), (std::vector<float>{6, 8}));
}

}  // namespace
}  // namespace Korvex::Fields
