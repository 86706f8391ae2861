// Slices through a box and isosurfaces of a distance field, checked against
// hand geometry: areas, planes, radii, orientation and closedness.

#include <Isosurface.h>
#include <SlicePlane.h>
#include <UniformField.h>
#include <Vec3.h>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace Korvex::Fields {
namespace {

using Rendering::boundingbox;
using Rendering::VertexPN;

using Point = Vec3;

Point P(const float* v) { return {v[0], v[1], v[2]}; }
// Twice the area, along the counter-clockwise normal.
Point FaceNormal(const VertexPN* t) {
    return Cross(P(t[1].position) - P(t[0].position), P(t[2].position) - P(t[0].position));
}
double Area(const std::vector<VertexPN>& triangles) {
    double area = 0.0;
    for (std::size_t i = 0; i + 2 < triangles.size(); i += 3) {
        const Point n = FaceNormal(&triangles[i]);
        area += 0.5 * Length(n);
    }
    return area;
}

struct SliceRow {
    const char* name;
    std::array<double, 4> plane;
    double area;  // worked out by hand for the unit cube
};

TEST(SliceTrianglesTest, CutsTheBoxAlongThePlaneFacingItsNormal) {
    const boundingbox<float, 3> cube{{0, 0, 0}, {1, 1, 1}};
    const double r3 = std::sqrt(3.0);
    const SliceRow rows[] = {
        {"axis", {1, 0, 0, -0.5}, 1.0},
        {"diagonal", {1, 1, 0, -1}, std::numbers::sqrt2},
        {"hexagon", {1, 1, 1, -1.5}, 1.5 * r3 * 0.5},  // regular, sides sqrt(1/2)
        {"corner triangle", {-1, -1, -1, 0.5}, r3 / 4 * 0.5},
        {"on a face", {0, 0, 2, -2}, 1.0},
        {"through a corner only", {1, 1, 1, -3}, 0.0},
        {"beside the box", {1, 0, 0, -2}, 0.0},
        {"no normal", {0, 0, 0, 1}, 0.0},
    };
    constexpr double kPiece = 0.3;
    for (const SliceRow& row : rows) {
        const std::vector<VertexPN> triangles = SliceTriangles(cube, row.plane, kPiece);
        EXPECT_NEAR(Area(triangles), row.area, 1e-5) << row.name;
        const Point normal = {row.plane[0], row.plane[1], row.plane[2]};
        const double length = Length(normal);
        for (std::size_t i = 0; i < triangles.size(); i += 3) {
            EXPECT_GT(Dot(FaceNormal(&triangles[i]), normal), 0.0) << row.name << " triangle " << i / 3;
            for (std::size_t k = 0; k < 3; ++k) {
                const VertexPN& v = triangles[i + k];
                EXPECT_NEAR((Dot(P(v.position), normal) + row.plane[3]) / length, 0.0, 1e-6) << row.name;
                EXPECT_NEAR(Dot(P(v.normal), normal) / length, 1.0, 1e-6) << row.name;
                const Point edge = P(triangles[i + (k + 1) % 3].position) - P(v.position);
                EXPECT_LE(Length(edge), kPiece + 1e-6) << row.name;
            }
        }
    }
    // A grid flat in z is sliced by its own plane.
    EXPECT_NEAR(Area(SliceTriangles({{0, 0, 0}, {2, 1, 0}}, {0, 0, 1, 0}, 1.0)), 2.0, 1e-6);
}

// A mesh's lattice: 5^3 samples over [0, 4]^3, those with x <= 2 inside
// the mesh, so that its slices and contours end at x = 2.5.
TEST(SliceInsideTest, EndsHalfwayBetweenSamplesInsideAndOutside) {
    const GridLayout grid{{5, 5, 5}, {0, 0, 0}, {1, 1, 1}};
    std::vector<std::uint8_t> inside;
    std::vector<float> z;
    for (std::size_t k = 0; k < 5; ++k)
        for (std::size_t j = 0; j < 5; ++j)
            for (std::size_t i = 0; i < 5; ++i) {
                inside.push_back(i <= 2);
                z.push_back(static_cast<float>(k));
            }
    const struct {
        const char* name;
        std::vector<VertexPN> triangles;
        double area;
    } rows[] = {
        {"across the boundary", SliceInside(grid, inside, {0, 0, 1, -1.5}), 2.5 * 4},
        {"inside only", SliceInside(grid, inside, {1, 0, 0, -1}), 4 * 4},
        {"outside only", SliceInside(grid, inside, {1, 0, 0, -3.5}), 0},
        {"contour", Isosurface(grid, z, 1.5f, inside), 2.5 * 4},
    };
    for (const auto& row : rows) {
        EXPECT_NEAR(Area(row.triangles), row.area, 1e-5) << row.name;
        for (const VertexPN& v : row.triangles) EXPECT_LE(v.position[0], 2.5f + 1e-6f) << row.name;
    }
}

// Samples of f on the cube [-1.2, 1.2]^3, 25 a side.
GridLayout Sampled(const std::function<double(const Point&)>& f, std::vector<float>& values) {
    constexpr std::size_t kSide = 25;
    const GridLayout grid{{kSide, kSide, kSide}, {-1.2, -1.2, -1.2}, {0.1, 0.1, 0.1}};
    values.clear();
    for (int k = 0; k < static_cast<int>(kSide); ++k)
        for (int j = 0; j < static_cast<int>(kSide); ++j)
            for (int i = 0; i < static_cast<int>(kSide); ++i)
                values.push_back(static_cast<float>(f({-1.2 + 0.1 * i, -1.2 + 0.1 * j, -1.2 + 0.1 * k})));
    return grid;
}

TEST(IsosurfaceTest, SphereOfADistanceFieldIsClosedOutwardAndAtItsRadius) {
    std::vector<float> values;
    const GridLayout grid = Sampled([](const Point& p) { return Length(p); }, values);
    const std::vector<VertexPN> triangles = Isosurface(grid, values, 0.8f);
    ASSERT_GT(triangles.size(), 300u);
    std::map<std::pair<Point, Point>, int> edges;  // undirected, by exact position
    double volume = 0.0;                           // by the divergence theorem
    for (std::size_t i = 0; i < triangles.size(); i += 3) {
        const Point n = FaceNormal(&triangles[i]);
        const Point a = P(triangles[i].position);
        EXPECT_GT(Dot(n, a), 0.0) << "outward, towards higher distances";
        volume += Dot(a, n) / 6.0;
        for (std::size_t k = 0; k < 3; ++k) {
            const Point p = P(triangles[i + k].position), q = P(triangles[i + (k + 1) % 3].position);
            ++edges[std::minmax(p, q)];
            // A chord of the distance field lies inside the sphere by at most h^2 / (8 r).
            EXPECT_NEAR(Length(p), 0.8, 0.01);
            EXPECT_GT(Dot(P(triangles[i + k].normal), p) / Length(p), 0.99) << "radial normal";
        }
    }
    for (const auto& [edge, count] : edges) EXPECT_EQ(count, 2) << "every edge between two triangles";
    EXPECT_NEAR(volume, 4.0 / 3.0 * std::numbers::pi * 0.512, 0.02 * 2.14);
}

TEST(IsosurfaceTest, GivesNothingWhereTheValueIsNotCrossedAndRejectsShortValues) {
    std::vector<float> values;
    GridLayout grid = Sampled([](const Point& p) { return p[2]; }, values);
    EXPECT_TRUE(Isosurface(grid, values, 5.0f).empty()) << "above every sample";
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = i % 2 ? std::nanf("") : kBeyondRange;
    EXPECT_TRUE(Isosurface(grid, values, 0.0f).empty()) << "cells with NaN corners or values beyond every range";
    grid.dimensions[2] = 1;
    EXPECT_TRUE(Isosurface(grid, values, 0.0f).empty()) << "flat grid";
    grid.dimensions[2] = 26;
    EXPECT_THROW(Isosurface(grid, values, 0.0f), std::invalid_argument);
}

}  // namespace
}  // namespace Korvex::Fields
