// Where a cap lands: the quad placed in its plane, worked out by hand.

#include "meshes/triangle/CapPlacement.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace Korvex::Rendering::detail {
namespace {

using Vec4 = std::array<float, 4>;

// A column-major float4x4 applied to (x, y, z, w).
Vec4 Apply(const Float4x4& m, const Vec4& v) {
    Vec4 out{};
    for (std::size_t r = 0; r < 4; ++r)
        for (std::size_t c = 0; c < 4; ++c) out[r] += m[4 * c + r] * v[c];
    return out;
}

// The quad's origin lands where the dominant axis through the box centre
// meets the plane, (0, 0, 1) turns onto the unit normal, and every corner
// stays in the plane.
TEST(CapPlacement, QuadLiesInThePlaneCentredOnTheDominantAxisThroughTheBoxCentre) {
    const boundingbox<float, 3> box{{0, 0, 0}, {10, 10, 10}};
    const struct {
        const char* name;
        ClipPlane plane;
        Vec4 centre, normal;
    } cases[] = {
        {"x = 5", {1, 0, 0, -5}, {5, 5, 5, 1}, {1, 0, 0, 0}},
        {"x = 2 from the other side", {-1, 0, 0, 2}, {2, 5, 5, 1}, {-1, 0, 0, 0}},
        {"oblique, y dominant", {0.6f, 0.8f, 0, -8}, {5, 6.25f, 5, 1}, {0.6f, 0.8f, 0, 0}},
        {"z = 2", {0, 0, 1, -2}, {5, 5, 2, 1}, {0, 0, 1, 0}},
        {"z = 3 facing down", {0, 0, -1, 3}, {5, 5, 3, 1}, {0, 0, -1, 0}},
        // Only the normal is rescaled: a long normal puts the cap off its plane.
        {"normal of length 2", {2, 0, 0, -10}, {10, 5, 5, 1}, {1, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TriangleConstants constants;
        ComputeCapConstants(constants, c.plane, box, {}, {}, {});
        const Vec4 centre = Apply(constants.unit_plane_matrix, {0, 0, 0, 1});
        const Vec4 normal = Apply(constants.unit_plane_matrix, {0, 0, 1, 0});
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_NEAR(centre[i], c.centre[i], 1e-5f);
            EXPECT_NEAR(normal[i], c.normal[i], 1e-6f);
        }
        if (c.plane.a == 2) continue;
        for (const VertexPN& v : CapQuadVertices(box)) {
            const Vec4 p = Apply(constants.unit_plane_matrix, {v.position[0], v.position[1], 0, 1});
            EXPECT_NEAR(c.plane.a * p[0] + c.plane.b * p[1] + c.plane.c * p[2] + c.plane.d, 0.0f, 1e-4f);
        }
    }
}

// A square of side four box diagonals, facing -z, in two triangles.
TEST(CapPlacement, QuadSideIsFourBoxDiagonals) {
    const struct {
        boundingbox<float, 3> box;
        float half;
    } cases[] = {
        {{{0, 0, 0}, {3, 4, 0}}, 10},      // diagonal 5
        {{{1, 1, 1}, {3, 4, 7}}, 14},      // diagonal 7 of 2, 3, 6
        {{{0, 0, 0}, {3e-30f, 4e-30f, 0}}, 1e-29f},  // squares below the float range
    };
    for (const auto& c : cases) {
        const std::array<VertexPN, 6> quad = CapQuadVertices(c.box);
        const float s = c.half;
        const float expected[6][2] = {{-s, -s}, {s, s}, {s, -s}, {-s, -s}, {-s, s}, {s, s}};
        for (std::size_t i = 0; i < quad.size(); ++i) {
            EXPECT_FLOAT_EQ(quad[i].position[0], expected[i][0]) << s << " vertex " << i;
            EXPECT_FLOAT_EQ(quad[i].position[1], expected[i][1]) << s << " vertex " << i;
            EXPECT_EQ(quad[i].position[2], 0.0f);
            EXPECT_EQ(quad[i].normal[2], -1.0f);
        }
    }
}

// The model-space plane holds the points whose world images the world plane
// holds: x = 5 in the world is x = 4 in a model moved by (1, 2, 3); a model
// turned a quarter about z sees the world's y = 1 as its x = 1.
TEST(CapPlacement, WorldPlaneBecomesTheModelPlaneOfTheSamePoints) {
    KxTransformMatrix model;
    model.MakeTranslation({1, 2, 3});
    EXPECT_EQ(PlaneToModel(model, {1, 0, 0, -5}), (Float4{1, 0, 0, -4}));
    model.MakeRotation({0, 0, 0}, {0, 0, 1}, std::acos(0.0));
    const Float4 turned = PlaneToModel(model, {0, 1, 0, -1});
    for (std::size_t i = 0; i < 4; ++i) EXPECT_NEAR(turned[i], (Float4{1, 0, 0, -1})[i], 1e-6) << i;
}

}  // namespace
}  // namespace Korvex::Rendering::detail
