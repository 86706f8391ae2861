// The outer surface of meshes built by hand: how many triangles and edges it
// has, whether it encloses the mesh (every edge, by position, run once each
// way) with outward winding (its signed volume is the mesh's volume), and
// normals that keep flat faces flat.

#include "CellMeshes.h"

#include <LinearCells.h>
#include <SurfaceEdges.h>
#include <SurfaceTriangles.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

namespace Korvex::Fields::test {
namespace {

using Rendering::VertexPN;

Vec3 At(const float* p) { return {p[0], p[1], p[2]}; }

bool ClosedAndConsistentlyWound(const std::vector<VertexPN>& triangles) {
    std::map<std::pair<Vec3, Vec3>, int> directed;
    for (std::size_t t = 0; t < triangles.size(); t += 3)
        for (std::size_t k = 0; k < 3; ++k)
            ++directed[{At(triangles[t + k].position), At(triangles[t + (k + 1) % 3].position)}];
    return std::all_of(directed.begin(), directed.end(), [&](const auto& edge) {
        const auto reverse = directed.find({edge.first.second, edge.first.first});
        return edge.second == 1 && reverse != directed.end() && reverse->second == 1;
    });
}

double SignedVolume(const std::vector<VertexPN>& triangles) {
    double volume = 0.0;
    for (std::size_t t = 0; t < triangles.size(); t += 3)
        volume += Dot(At(triangles[t].position), Cross(At(triangles[t + 1].position), At(triangles[t + 2].position)));
    return volume / 6.0;
}

// Every cell with points of its own, as discontinuous results write them.
UnstructuredGrid NodesOfTheirOwn(UnstructuredGrid grid) {
    std::vector<Point3> points;
    for (std::uint32_t& node : grid.connectivity) {
        points.push_back(grid.points[node]);
        node = static_cast<std::uint32_t>(points.size() - 1);
    }
    grid.points = std::move(points);
    return grid;
}

const std::vector<Point3> kCube{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};

struct SurfaceCase {
    std::string name;
    UnstructuredGrid grid;
    std::size_t triangles, edges;
    bool closed;
    double volume;
    std::map<std::uint8_t, std::size_t> skipped;
};

TEST(SurfaceTest, BoundaryOfEachMeshIsItsOuterSurfaceWoundOutward) {
    const UnstructuredGrid box = HexBox({2, 2, 2}, {0, 0, 0}, {2, 1, 1});
    // 6 sides of 2 x 2 quadrilaterals: 48 triangles; 12 edges a side, the 24
    // along the box's edges shared: 48. Tetrahedra add a diagonal per quadrilateral.
    const std::vector<SurfaceCase> cases{
        {"hexahedra", box, 48, 48, true, 2.0, {}},
        {"tetrahedra", Tetrahedralised(box), 48, 72, true, 2.0, {}},
        {"quadratic tetrahedra by corners",
         WithCellType(Tetrahedralised(box), 24, {0, 1, 2, 3, 0, 0, 0, 0, 0, 0}),
         48,
         72,
         true,
         2.0,
         {}},
        {"voxels", WithCellType(box, 11, {0, 1, 3, 2, 4, 5, 7, 6}), 48, 48, true, 2.0, {}},
        {"nodes of their own", NodesOfTheirOwn(box), 48, 48, true, 2.0, {}},
        // The diagonal plane x = y cuts the cube; it is no part of the surface.
        {"wedges", Cells(kCube, {{13, {0, 1, 2, 4, 5, 6}}, {13, {0, 2, 3, 4, 6, 7}}}), 12, 14, true, 1.0, {}},
        // Three pyramids with their apex at corner 6, their bases the faces away from it.
        {"pyramids",
         Cells(kCube, {{14, {0, 3, 7, 4, 6}}, {14, {0, 4, 5, 1, 6}}, {14, {0, 1, 2, 3, 6}}}),
         12,
         15,
         true,
         1.0,
         {}},
        {"hexahedron under a shell on its face",
         Cells(kCube, {{12, {0, 1, 2, 3, 4, 5, 6, 7}}, {9, {0, 1, 2, 3}}}),
         12,
         12,
         true,
         1.0,
         {}},
        // Its side faces are parallelograms: each is split along its shorter diagonal.
        {"sheared hexahedron",
         Cells({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {1, 0, 1}, {2, 0, 1}, {2, 1, 1}, {1, 1, 1}},
               {{12, {0, 1, 2, 3, 4, 5, 6, 7}}}),
         12,
         12,
         true,
         1.0,
         {}},
        {"shell plate", HexBox({3, 2, 0}, {0, 0, 0}, {3, 2, 0}), 12, 17, false, 0.0, {}},
        {"lines, polyhedra and short cells left out",
         Cells(kCube, {{3, {0, 1}}, {42, {0, 1, 2, 3}}, {10, {0, 1, 3}}, {10, {0, 1, 3, 4}}}),
         4,
         6,
         true,
         1.0 / 6.0,
         {{3, 1}, {42, 1}, {10, 1}}},
    };
    for (const SurfaceCase& c : cases) {
        SCOPED_TRACE(c.name);
        const LinearCells::Result result = LinearCells::Create(c.grid);
        ASSERT_TRUE(result.cells) << result.error;
        const std::vector<SurfaceFace> faces = FindSurfaceFaces(*result.cells);
        const std::vector<VertexPN> triangles = SurfaceTriangles(*result.cells, faces);
        EXPECT_EQ(triangles.size(), 3 * c.triangles);
        EXPECT_EQ(SurfaceEdges(*result.cells, faces).size(), 2 * c.edges);
        EXPECT_EQ(ClosedAndConsistentlyWound(triangles), c.closed);
        if (c.closed) {
            EXPECT_NEAR(SignedVolume(triangles), c.volume, 1e-9);
        }
        EXPECT_EQ(result.cells->Skipped(), c.skipped);
        // Every face is flat, and a vertex on a box edge takes its own face's normal.
        for (std::size_t t = 0; t < triangles.size(); t += 3) {
            const Vec3 a = At(triangles[t].position), b = At(triangles[t + 1].position),
                       d = At(triangles[t + 2].position);
            const Vec3 face = Cross(b - a, d - a);
            for (std::size_t k = 0; k < 3; ++k)
                EXPECT_NEAR(Dot(At(triangles[t + k].normal), face), Length(face), 1e-6) << "triangle " << t / 3;
        }
    }
}

TEST(SurfaceTest, NormalsBendAcrossShallowFoldsOnly) {
    // Two unit quadrilateral shells meeting along x = 0, the second tilted up by fold degrees.
    for (const double fold : {20.0, 60.0}) {
        const double angle = fold * 3.14159265358979 / 180.0;
        const std::vector<Point3> points{{-1, 0, 0},
                                         {0, 0, 0},
                                         {0, 1, 0},
                                         {-1, 1, 0},
                                         {std::cos(angle), 0, std::sin(angle)},
                                         {std::cos(angle), 1, std::sin(angle)}};
        const UnstructuredGrid grid = Cells(points, {{9, {0, 1, 2, 3}}, {9, {1, 4, 5, 2}}});
        const auto cells = LinearCells::Create(grid).cells;
        const std::vector<VertexPN> triangles = SurfaceTriangles(*cells, FindSurfaceFaces(*cells));
        for (std::size_t t = 0; t < triangles.size(); t += 3) {
            const Vec3 a = At(triangles[t].position), b = At(triangles[t + 1].position),
                       d = At(triangles[t + 2].position);
            const Vec3 face = Cross(b - a, d - a);
            for (std::size_t k = 0; k < 3; ++k) {
                const double agreement = Dot(At(triangles[t + k].normal), face) / Length(face);
                if (triangles[t + k].position[0] != 0.0f || fold > kCreaseDegrees)
                    EXPECT_NEAR(agreement, 1.0, 1e-6) << fold;
                else  // on the fold, bent towards the other plane
                    EXPECT_TRUE(agreement < 0.9999 && agreement > std::cos(angle)) << agreement;
            }
        }
    }
}

TEST(SurfaceTest, LongTrianglesAreCutIntoAlikeOnesWoundTheSameWay) {
    const std::vector<VertexPN> triangle{{{0, 0, 0}, {0, 0, 1}}, {{1, 0, 0}, {0, 0, 1}}, {{0, 1, 0}, {0, 0, 1}}};
    // The longest edge, sqrt(2), in pieces of at most 0.4: 4 a side, 16 triangles.
    const std::vector<VertexPN> split = SplitLongTriangles(triangle, 0.4);
    ASSERT_EQ(split.size(), 3u * 16);
    for (std::size_t t = 0; t < split.size(); t += 3) {
        const Vec3 a = At(split[t].position), b = At(split[t + 1].position), c = At(split[t + 2].position);
        EXPECT_NEAR(Cross(b - a, c - a)[2], 1.0 / 16, 1e-6) << "a sixteenth of the area, counter-clockwise";
    }
    EXPECT_EQ(SplitLongTriangles(triangle, 1.5).size(), 3u);
}

TEST(SurfaceTest, CellsNamingMissingPointsAreRejected) {
    const UnstructuredGrid grid = Cells(kCube, {{10, {0, 1, 2, 8}}});
    const LinearCells::Result result = LinearCells::Create(grid);
    EXPECT_FALSE(result.cells);
    EXPECT_EQ(result.error, "node 3 names point 8 of 8");
}

}  // namespace
}  // namespace Korvex::Fields::test
