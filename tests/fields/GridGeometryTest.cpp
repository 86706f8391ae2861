// What the host makes of a grid without a GPU: boxes, the boundary surface,
// the cell edges and the voxel list.

#include <BoundarySurface.h>
#include <CellEdges.h>
#include <GridLayout.h>
#include <VoxelSelection.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace Korvex::Fields {
namespace {

using Rendering::VertexPN;
using Point = std::array<float, 3>;

Point PositionOf(const VertexPN& vertex) { return {vertex.position[0], vertex.position[1], vertex.position[2]}; }

std::array<double, 3> Cross(const Point& a, const Point& b, const Point& c) {
    const double u[3] = {double(b[0]) - a[0], double(b[1]) - a[1], double(b[2]) - a[2]};
    const double v[3] = {double(c[0]) - a[0], double(c[1]) - a[1], double(c[2]) - a[2]};
    return {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
}

const GridLayout kBlock{{4, 5, 6}, {1.0, -2.0, 0.5}, {0.5, 0.25, 1.0}};  // box (1, -2, 0.5)-(2.5, -1, 5.5)

TEST(GridGeometryTest, CellBoxRunsFromFirstToLastSampleAndTextureBoxHalfASpacingWider) {
    EXPECT_EQ(kBlock.CellBox(), (Rendering::boundingbox<float, 3>({1.0f, -2.0f, 0.5f}, {2.5f, -1.0f, 5.5f})));
    EXPECT_EQ(kBlock.TextureBox(), (Rendering::boundingbox<float, 3>({0.75f, -2.125f, 0.0f}, {2.75f, -0.875f, 6.0f})));
    // One sample along an axis still spans one spacing on the GPU.
    const GridLayout flat{{3, 3, 1}, {0, 0, 0}, {1, 1, 2}};
    EXPECT_EQ(std::pair(flat.TextureBox().min[2], flat.TextureBox().max[2]), std::pair(-1.0f, 1.0f));
}

TEST(GridGeometryTest, SurfaceIsClosedWoundOutwardAndCoversTheBox) {
    const std::vector<VertexPN> triangles = BoundarySurface(kBlock);
    // One quad per cell face: 3 x 4 x 5 cells.
    ASSERT_EQ(triangles.size(), 2u * (4 * 5 + 5 * 3 + 3 * 4) * 2 * 3);
    const Rendering::boundingbox<float, 3> box = kBlock.CellBox();
    double area = 0.0;
    // Each directed edge once; its reverse must be there too: closed and consistently wound.
    std::map<std::pair<Point, Point>, int> edges;
    for (std::size_t t = 0; t < triangles.size(); t += 3) {
        const Point a = PositionOf(triangles[t]), b = PositionOf(triangles[t + 1]), c = PositionOf(triangles[t + 2]);
        const std::array<double, 3> n = Cross(a, b, c);
        const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        area += 0.5 * length;
        for (std::size_t k = 0; k < 3; ++k) {
            const float normal = triangles[t].normal[k];
            EXPECT_NEAR(n[k] / length, normal, 1e-6) << "winding and normal disagree in triangle " << t / 3;
            // Outward: the face lies at the box's side the normal points to.
            if (normal != 0) {
                EXPECT_EQ(a[k], normal > 0 ? box.max[k] : box.min[k]);
            }
        }
        for (const auto& edge : {std::pair{a, b}, std::pair{b, c}, std::pair{c, a}}) ++edges[edge];
    }
    for (const auto& [edge, count] : edges) {
        EXPECT_EQ(count, 1);
        EXPECT_EQ(edges.count({edge.second, edge.first}), 1u);
    }
    EXPECT_NEAR(area, 2.0 * (1.5 * 1.0 + 1.0 * 5.0 + 5.0 * 1.5), 1e-9);
}

TEST(GridGeometryTest, EdgesAreTheCellEdgesOnTheBoundaryEachOnce) {
    // 2 x 2 x 2 cells: along each axis 8 of the 9 grid lines lie on the
    // boundary (not the one through the middle), each of 2 cell edges.
    const std::vector<VertexPN> lines = BoundaryCellEdges(GridLayout{{3, 3, 3}, {0, 0, 0}, {1, 1, 1}}.Positions());
    ASSERT_EQ(lines.size(), 2u * 3 * 8 * 2);
    std::set<std::pair<Point, Point>> unique;
    for (std::size_t i = 0; i < lines.size(); i += 2) {
        const Point from = PositionOf(lines[i]), to = PositionOf(lines[i + 1]);
        int along = 0;
        bool onBoundary = false;
        for (int k = 0; k < 3; ++k) {
            along += from[k] != to[k];
            onBoundary |= from[k] == to[k] && (from[k] == 0.0f || from[k] == 2.0f);
        }
        EXPECT_EQ(along, 1) << "a segment runs along one axis";
        EXPECT_TRUE(onBoundary);
        unique.insert({std::min(from, to), std::max(from, to)});
        EXPECT_EQ(lines[i].normal[0] * lines[i].normal[0], 0.0f);
    }
    EXPECT_EQ(2 * unique.size(), lines.size());
}

TEST(GridGeometryTest, VoxelsAreTheCellsWhoseValueLiesInTheRange) {
    // Values at points equal the point's x index: cell means are 0.5, 1.5,
    // 2.5 along x. Values at cells are the cell's own: its x index.
    const GridLayout layout{{4, 3, 2}, {0, 0, 0}, {1, 1, 1}};
    std::vector<float> atPoints, atCells;
    for (int z = 0; z < 2; ++z)
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x) {
                atPoints.push_back(float(x));
                if (z < 1 && y < 2 && x < 3) atCells.push_back(float(x));
            }
    const VoxelSelection selection = SelectVoxels(layout, atPoints, Io::Location::Points, 1.0f, 2.5f);
    ASSERT_EQ(selection.error, "");
    // x = 1 and 2, y = 0 and 1, z = 0; z slowest, x fastest.
    EXPECT_EQ(selection.voxels, (std::vector<std::uint32_t>{PackVoxel(1, 0, 0), PackVoxel(2, 0, 0), PackVoxel(1, 1, 0),
                                                            PackVoxel(2, 1, 0)}));
    EXPECT_TRUE(SelectVoxels(layout, atPoints, Io::Location::Points, 3.0f, 9.0f).voxels.empty());
    EXPECT_EQ(SelectVoxels(layout, atCells, Io::Location::Cells, 1.0f, 1.5f).voxels,
              (std::vector<std::uint32_t>{PackVoxel(1, 0, 0), PackVoxel(1, 1, 0)}));
}

TEST(GridGeometryTest, VoxelSelectionRefusesWhatItCannotPack) {
    const std::vector<float> none;
    constexpr Io::Location kPoints = Io::Location::Points;
    EXPECT_EQ(SelectVoxels({{4, 4, 1}, {0, 0, 0}, {1, 1, 1}}, std::vector<float>(16), kPoints, 0, 1).error,
              "voxels need at least 2 samples along every axis; the grid has 4x4x1");
    EXPECT_EQ(SelectVoxels({{1026, 2, 2}, {0, 0, 0}, {1, 1, 1}}, std::vector<float>(1026 * 4), kPoints, 0, 1).error,
              "voxels take at most 1025 samples along x and y and 4097 along z; the grid has 1026x2x2");
    EXPECT_EQ(
        SelectVoxels({{1025, 2, 2}, {0, 0, 0}, {1, 1, 1}}, std::vector<float>(1025 * 4), kPoints, 0, 1).voxels.size(),
              1024u);
    EXPECT_EQ(SelectVoxels({{3, 3, 3}, {0, 0, 0}, {1, 1, 1}}, std::vector<float>(27), kPoints, 0, 1, {}, 7).error,
              "8 cells lie in the voxel range, more than the 7 drawn at most: narrow the range");
    EXPECT_EQ(SelectVoxels({{3, 3, 3}, {0, 0, 0}, {1, 1, 1}}, none, kPoints, 0, 1).error,
              "voxels: 0 values for a grid of 3x3x3");
}

}  // namespace
}  // namespace Korvex::Fields
