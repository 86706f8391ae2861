// Fields resampled from meshes built by hand onto regular grids, against
// the field's own formula at each sample.

#include "CellMeshes.h"

#include <Deformation.h>
#include <CellResampling.h>

#include <gtest/gtest.h>

#include <string>

namespace Korvex::Fields::test {
namespace {

// Linear, so every shape interpolates it exactly.
Vec3 LinearField(const Vec3& p) { return {1.0 + 2.0 * p[0] - 3.0 * p[1] + 0.5 * p[2], p[0], -p[2]}; }

struct Resampled {
    std::unique_ptr<LinearCells> cells;
    SampleOwners owners;
    std::vector<float> values;
};

Resampled Resample(const UnstructuredGrid& grid, const FieldValues& field, std::size_t budget) {
    Resampled r;
    r.cells = std::move(LinearCells::Create(grid).cells);
    const std::vector<SurfaceFace> surface = FindSurfaceFaces(*r.cells);
    r.owners = FindSampleOwners(*r.cells, surface, GridOverBox(r.cells->Bounds(), budget));
    r.values = ResampleFields(*r.cells, r.owners, {&field, 1}).at(0);
    return r;
}

UnstructuredGrid Rotated(UnstructuredGrid grid) {
    const double c = std::cos(0.5), s = std::sin(0.5);
    for (Point3& p : grid.points)
        p = {c * p[0] - s * p[1], s * c * p[0] + c * c * p[1] - s * p[2], s * s * p[0] + s * c * p[1] + c * p[2]};
    return grid;
}

struct ShapeCase {
    std::string name;
    UnstructuredGrid grid;
    bool fillsItsBox;  // else some samples are out of reach
};

TEST(CellResamplingTest, LinearFieldIsExactAtEverySampleACellReaches) {
    const Vec3 low{0, 0, 0}, high{1.5, 1.2, 0.9}, plateHigh{1.5, 1.2, 0};
    const UnstructuredGrid hexes = HexBox({3, 3, 3}, low, high);
    const UnstructuredGrid distorted = Distorted(hexes, low, high);
    const UnstructuredGrid plate = Distorted(HexBox({3, 3, 0}, low, plateHigh), low, plateHigh);
    const std::vector<ShapeCase> cases{
        {"hexahedra", distorted, true},
        {"voxels", WithCellType(hexes, 11, {0, 1, 3, 2, 4, 5, 7, 6}), true},
        {"tetrahedra", Tetrahedralised(distorted), true},
        {"quadratic hexahedra by corners",
         WithCellType(distorted, 25, {0, 1, 2, 3, 4, 5, 6, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), true},
        {"wedges", Split(distorted, 13, {{0, 1, 2, 4, 5, 6}, {0, 2, 3, 4, 6, 7}}), true},
        {"pyramids", Split(hexes, 14, {{0, 3, 7, 4, 6}, {0, 4, 5, 1, 6}, {0, 1, 2, 3, 6}}), true},
        {"quadrilateral shells", plate, true},
        {"triangle shells", Split(plate, 5, {{0, 1, 2}, {0, 2, 3}}), true},
        // Faces between samples: those outside are reached from the surface
        // cells, within two sample diagonals (0.57), less than a cell's
        // smallest height (0.85), so none is further out than a cell.
        {"tetrahedra turned", Rotated(Tetrahedralised(HexBox({1, 1, 1}, {-0.6, -0.6, -0.6}, {0.6, 0.6, 0.6}))), false},
    };
    for (const ShapeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<float> field = PointValues(c.grid, LinearField, 3);
        const Resampled r = Resample(c.grid, {field, 3, false}, 2000);
        ASSERT_EQ(r.values.size(), 3 * r.owners.grid.Count());
        const auto [nx, ny, nz] = r.owners.grid.dimensions;
        std::size_t reached = 0;
        for (std::size_t k = 0; k < nz; ++k)
            for (std::size_t j = 0; j < ny; ++j)
                for (std::size_t i = 0; i < nx; ++i) {
                    const std::size_t s = r.owners.grid.Index(i, j, k);
                    if (r.owners.cells[s] == kNoCell) continue;
                    ++reached;
                    const Vec3 expected = LinearField(r.owners.grid.Point(i, j, k));
                    for (std::size_t component = 0; component < 3; ++component)
                        ASSERT_NEAR(r.values[3 * s + component], expected[component], 1e-5)
                            << "sample " << i << "," << j << "," << k;
                }
        EXPECT_EQ(reached == r.owners.grid.Count(), c.fillsItsBox) << reached;
    }
}

TEST(CellResamplingTest, CellValuesAreConstantOverTheirCell) {
    const UnstructuredGrid grid = HexBox({2, 1, 1}, {0, 0, 0}, {2, 1, 1});
    const std::vector<float> values{3.0f, 7.0f};
    const Resampled r = Resample(grid, {values, 1, true}, 125);
    for (std::size_t i = 0; i < r.owners.grid.dimensions[0]; ++i) {
        const double x = r.owners.grid.Point(i, 0, 0)[0];
        // On the face between them, the lower-numbered cell.
        EXPECT_EQ(r.values[r.owners.grid.Index(i, 1, 1)], x <= 1.0 ? 3.0f : 7.0f) << x;
    }
}

TEST(CellResamplingTest, UnreachedSamplesTakeTheNearestReachedValueAlongGridLines) {
    const GridLayout grid{{5, 3, 1}, {0, 0, 0}, {1, 1, 1}};
    std::vector<float> values(15, 0.0f);
    std::vector<std::uint8_t> known(15, 0);
    values[1] = 5.0f, values[3] = 9.0f, known[1] = known[3] = 1;  // row y = 0
    values[12] = 4.0f, known[12] = 1;                             // row y = 2
    FillAlongGridLines(grid, 1, known, values);
    // Rows first (ties to the lower index), then the row y = 1, still empty, along y.
    const std::vector<float> expected{5, 5, 5, 9, 9, 5, 5, 5, 9, 9, 4, 4, 4, 4, 4};
    EXPECT_EQ(values, expected);
}

TEST(CellResamplingTest, GridSpendsTheBudgetOnAlikeSpacingFromFaceToFace) {
    struct Case {
        std::string name;
        Rendering::boundingbox<double, 3> box;
        std::size_t budget;
        std::array<std::size_t, 3> dimensions;
    };
    // 1000 samples in a cube: 10 a side. 300 on a 3 x 1 plate: a step of
    // 0.1 gives 31 x 11, too many; 3 / 28 and 1 / 9 give 29 x 10. The long
    // bar stops at the GPU's 2048 along x; the step the budget gives,
    // cbrt(0.02 / 2^24) = 0.00106, cuts its section into 19 x 9 cells.
    const std::vector<Case> cases{
        {"cube", {{-1, -1, -1}, {1, 1, 1}}, 1000, {10, 10, 10}},
        {"flat", {{0, 0, 5}, {3, 1, 5}}, 300, {29, 10, 1}},
        {"long bar", {{0, 0, 0}, {100, 0.02, 0.01}}, 1 << 24, {2048, 20, 10}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const GridLayout grid = GridOverBox(c.box, c.budget);
        EXPECT_EQ(grid.dimensions, c.dimensions);
        for (std::size_t a = 0; a < 3; ++a) {
            EXPECT_EQ(grid.origin[a], c.box.min[a]);
            if (grid.dimensions[a] > 1) {
                EXPECT_NEAR(grid.Point(grid.dimensions[0] - 1, grid.dimensions[1] - 1, grid.dimensions[2] - 1)[a],
                            c.box.max[a], 1e-12);
            }
        }
    }
}

TEST(CellResamplingTest, AutoDeformationMovesTheLargestDisplacementATenthOfTheDiagonal) {
    const Rendering::boundingbox<double, 3> box{{0, 0, 0}, {3, 4, 12}};  // diagonal 13
    const std::vector<float> moving{0, 0, 1, 3, 4, 0}, still(6, 0.0f);
    EXPECT_DOUBLE_EQ(AutoDeformationFactor(moving, box).value_or(0.0), 1.3 / 5.0);
    EXPECT_FALSE(AutoDeformationFactor(still, box)) << "nothing moves: no factor of its own";
}

}  // namespace
}  // namespace Korvex::Fields::test
