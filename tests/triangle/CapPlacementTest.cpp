#include "meshes/triangle/CapPlacement.h"

#include "core/TransformConstants.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace Korvex::Rendering::detail {
namespace {

const boundingbox<float, 3> kBox10{{0, 0, 0}, {10, 10, 10}};

// A column-major float4x4 applied to (x, y, z, w).
std::array<float, 4> Apply(const Float4x4& m, std::array<float, 4> v) {
    std::array<float, 4> out{};
    for (std::size_t r = 0; r < 4; ++r)
        for (std::size_t c = 0; c < 4; ++c) out[r] += m[4 * c + r] * v[c];
    return out;
}

void ExpectNear(const std::array<float, 4>& actual, const std::array<float, 4>& expected, float tolerance,
                const char* what) {
    for (std::size_t i = 0; i < 4; ++i) EXPECT_NEAR(actual[i], expected[i], tolerance) << what << " [" << i << "]";
}

struct PlacementCase {
    const char* name;
    ClipPlane plane;
    std::array<float, 4> centre;  // where the quad's origin lands
    std::array<float, 4> normal;  // where (0, 0, 1) turns
};

TEST(CapPlacement, QuadIsCentredWhereTheDominantAxisThroughTheBoxCentreMeetsThePlane) {
    const PlacementCase cases[] = {
        {"x = 5", {1, 0, 0, -5}, {5, 5, 5, 1}, {1, 0, 0, 0}},
        {"x = 2 from the other side", {-1, 0, 0, 2}, {2, 5, 5, 1}, {-1, 0, 0, 0}},
        {"oblique, y dominant", {0.6f, 0.8f, 0, -8}, {5, 6.25f, 5, 1}, {0.6f, 0.8f, 0, 0}},
        {"z = 2", {0, 0, 1, -2}, {5, 5, 2, 1}, {0, 0, 1, 0}},
        {"z = 3 facing down", {0, 0, -1, 3}, {5, 5, 3, 1}, {0, 0, -1, 0}},
    };
    for (const PlacementCase& c : cases) {
        TriangleConstants constants;
        ComputeCapConstants(constants, c.plane, kBox10, {}, {}, {});
        ExpectNear(Apply(constants.unit_plane_matrix, {0, 0, 0, 1}), c.centre, 1e-5f, c.name);
        ExpectNear(Apply(constants.unit_plane_matrix, {0, 0, 1, 0}), c.normal, 1e-6f, c.name);
        // Every corner of the quad stays in the plane.
        const std::array<VertexPN, 6> quad = CapQuadVertices(kBox10);
        for (const VertexPN& v : quad) {
            const std::array<float, 4> p = Apply(constants.unit_plane_matrix, {v.position[0], v.position[1], 0, 1});
            EXPECT_NEAR(c.plane.a * p[0] + c.plane.b * p[1] + c.plane.c * p[2] + c.plane.d, 0.0f, 1e-4f) << c.name;
        }
    }
}

TEST(CapPlacement, PlaneXEqualsFiveTurnsAQuarterAboutY) {
    TriangleConstants constants;
    ComputeCapConstants(constants, {1, 0, 0, -5}, kBox10, {}, {}, {});

    KxTransformMatrix rotation;
    rotation.MakeRotation({0, 0, 0}, {0, 1, 0}, std::acos(0.0f));
    KxTransformMatrix translation;
    translation.MakeTranslation({5, 5, 5});
    Float4x4 expected;
    (translation * rotation).ConvertToFloat16(expected.data());
    EXPECT_EQ(constants.unit_plane_matrix, expected);
}

TEST(CapPlacement, TransformsAreWrittenAsForTheSurface) {
    KxTransformMatrix model, view, projection;
    model.MakeTranslation({1, 2, 3});
    view.MakeRotation({0, 0, 0}, {1, 0, 0}, 0.3);
    projection.MakeTranslation({0, 0, -5});
    TriangleConstants cap;
    TriangleConstants surface;

    ComputeCapConstants(cap, {1, 0, 0, -5}, kBox10, model, view, projection);
    WriteTransforms(surface, model, view, projection);

    EXPECT_EQ(cap.model_matrix, surface.model_matrix);
    EXPECT_EQ(cap.model_view_matrix, surface.model_view_matrix);
    EXPECT_EQ(cap.normal_matrix, surface.normal_matrix);
    EXPECT_EQ(cap.projection_matrix, surface.projection_matrix);
    EXPECT_EQ(cap.model_view_projection_matrix, surface.model_view_projection_matrix);
}

TEST(CapPlacement, WorldPlaneBecomesTheModelPlaneOfTheSamePoints) {
    KxTransformMatrix translation;
    translation.MakeTranslation({1, 2, 3});
    const Float4 shifted = PlaneToModel(translation, {1, 0, 0, -5});
    EXPECT_EQ(shifted, (Float4{1, 0, 0, -4}));

    KxTransformMatrix rotation;
    rotation.MakeRotation({1, -2, 0.5}, {1, 1, 0}, 0.7);
    const ClipPlane world{0.36f, -0.48f, 0.8f, 1.5f};
    const Float4 local = PlaneToModel(rotation, world);
    for (const std::array<float, 4> x : {std::array<float, 4>{0, 0, 0, 1}, {1, 2, 3, 1}, {-4, 0.5f, 2, 1}}) {
        Float4x4 m;
        rotation.ConvertToFloat16(m.data());
        const std::array<float, 4> w = Apply(m, x);
        const float worldSide = world.a * w[0] + world.b * w[1] + world.c * w[2] + world.d;
        const float localSide = local[0] * x[0] + local[1] * x[1] + local[2] * x[2] + local[3];
        EXPECT_NEAR(localSide, worldSide, 1e-5f);
    }
}

// Only the normal is rescaled, so a plane given with a longer normal puts the
// cap off the plane: the host gives unit planes.
TEST(CapPlacement, LongNormalsAreNormalisedButTheirOffsetIsNot) {
    TriangleConstants constants;
    ComputeCapConstants(constants, {2, 0, 0, -10}, kBox10, {}, {}, {});
    ExpectNear(Apply(constants.unit_plane_matrix, {0, 0, 0, 1}), {10, 5, 5, 1}, 1e-5f, "centre");
    ExpectNear(Apply(constants.unit_plane_matrix, {0, 0, 1, 0}), {1, 0, 0, 0}, 1e-6f, "normal");
}

TEST(CapPlacement, QuadSideIsFourBoxDiagonals) {
    const std::array<VertexPN, 6> quad = CapQuadVertices({{0, 0, 0}, {3, 4, 0}});
    const float expected[6][2] = {{-10, -10}, {10, 10}, {10, -10}, {-10, -10}, {-10, 10}, {10, 10}};
    for (std::size_t i = 0; i < quad.size(); ++i) {
        EXPECT_EQ(quad[i].position[0], expected[i][0]) << i;
        EXPECT_EQ(quad[i].position[1], expected[i][1]) << i;
        EXPECT_EQ(quad[i].position[2], 0.0f) << i;
        EXPECT_EQ(quad[i].normal[2], -1.0f) << i;
    }
    // Squares of these sides are below the float range.
    const std::array<VertexPN, 6> small = CapQuadVertices({{0, 0, 0}, {3e-30f, 4e-30f, 0}});
    EXPECT_FLOAT_EQ(small[1].position[0], 1e-29f);
}

}  // namespace
}  // namespace Korvex::Rendering::detail
