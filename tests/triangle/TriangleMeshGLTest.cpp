// The triangle mesh drawn on llvmpipe: a unit sphere coloured by the linear
// field f(x, y, z) = x + 0.5 z, seen through an orthographic camera. Each
// drawn pixel is taken back to its world point through the probe depth, so
// the probe value, the colour and the geometry can be checked point by point.

#include "meshes/triangle/VertexPNGeometry.h"

#include <Camera.h>
#include <GlMeshFixture.h>
#include <OffscreenFrame.h>

#include <Korvex/Rendering/Simulation/Simulation.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <tuple>
#include <memory>
#include <numbers>
#include <span>
#include <string>
#include <vector>

namespace Korvex::Rendering::triangle_gltest {
namespace {

using Vec3 = std::array<double, 3>;

constexpr std::uint32_t kSize = 64;
constexpr double kHalfView = 1.25;  // world units from the view centre to the target's edge
constexpr double kNear = 1.0;
constexpr double kFar = 9.0;
constexpr double kEyeDistance = 5.0;
// The grid covers more than the sphere, so that every surface point lies
// between sample centres, where trilinear filtering reproduces a linear field.
constexpr float kGridHalfSide = 1.2f;
constexpr std::size_t kGridSamples = 25;
const std::array<std::uint8_t, 4> kBackground{0, 0, 0, 255};

double Field(const Vec3& p) { return p[0] + 0.5 * p[2]; }

Vec3 Add(const Vec3& a, const Vec3& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
Vec3 Scale(const Vec3& a, double s) { return {a[0] * s, a[1] * s, a[2] * s}; }
double Dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
double Length(const Vec3& a) { return std::sqrt(Dot(a, a)); }
Vec3 Cross(const Vec3& a, const Vec3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
Vec3 Normalize(const Vec3& a) { return Scale(a, 1.0 / Length(a)); }

// Unit sphere, counter-clockwise seen from outside, vertex normals radial.
std::vector<VertexPN> SphereTriangles(int rings, int segments) {
    const auto point = [&](int ring, int segment) {
        const double theta = std::numbers::pi * ring / rings;
        const double phi = 2.0 * std::numbers::pi * segment / segments;
        return Vec3{std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi)};
    };
    const auto vertex = [](const Vec3& p) {
        const auto f = [](double d) { return static_cast<float>(d); };
        return VertexPN{{f(p[0]), f(p[1]), f(p[2])}, {f(p[0]), f(p[1]), f(p[2])}};
    };
    std::vector<VertexPN> triangles;
    const auto add = [&](Vec3 a, Vec3 b, Vec3 c) {
        const Vec3 normal = Cross(Add(b, Scale(a, -1)), Add(c, Scale(a, -1)));
        if (Length(normal) < 1e-9) return;  // at the poles
        if (Dot(normal, Add(Add(a, b), c)) < 0) std::swap(b, c);
        triangles.insert(triangles.end(), {vertex(a), vertex(b), vertex(c)});
    };
    for (int ring = 0; ring < rings; ++ring)
        for (int segment = 0; segment < segments; ++segment) {
            add(point(ring, segment), point(ring + 1, segment), point(ring + 1, segment + 1));
            add(point(ring, segment), point(ring + 1, segment + 1), point(ring, segment + 1));
        }
    return triangles;
}

// An orthographic camera looking at the origin from direction, and the way
// back from a pixel and its probe depth to the world point.
struct Camera {
    explicit Camera(const Vec3& direction) {
        eye = Scale(Normalize(direction), kEyeDistance);
        forward = Scale(Normalize(eye), -1.0);
        right = Normalize(Cross(forward, {0, 1, 0}));
        up = Cross(right, forward);
        view = MakeLookAt({eye[0], eye[1], eye[2]}, {0, 0, 0}, {0, 1, 0});
        projection = MakeOrthographic(-kHalfView, kHalfView, -kHalfView, kHalfView, kNear, kFar);
    }

    // Rows bottom first, as the targets are read back.
    Vec3 WorldPoint(std::uint32_t x, std::uint32_t y, float depth) const {
        const double xv = ((x + 0.5) / kSize * 2.0 - 1.0) * kHalfView;
        const double yv = ((y + 0.5) / kSize * 2.0 - 1.0) * kHalfView;
        const double distance = kNear + depth * (kFar - kNear);
        return Add(Add(eye, Scale(right, xv)), Add(Scale(up, yv), Scale(forward, distance)));
    }

    Vec3 eye, forward, right, up;
    KxTransformMatrix view, projection;
};

// The colour the gradient's linear filtering gives for value v.
std::array<double, 3> GradientColor(const std::vector<std::uint8_t>& rgba, double minValue, double maxValue,
                                    double v) {
    const double n = static_cast<double>(rgba.size() / 4);
    const double step = (maxValue - minValue) / (n - 1);
    const double u = (v - (minValue - 0.5 * step)) / (n * step);
    const double t = std::clamp(u * n - 0.5, 0.0, n - 1);
    const auto i0 = static_cast<std::size_t>(std::floor(t));
    const std::size_t i1 = std::min(i0 + 1, rgba.size() / 4 - 1);
    const double w = t - static_cast<double>(i0);
    std::array<double, 3> color;
    for (std::size_t c = 0; c < 3; ++c) color[c] = (1 - w) * rgba[4 * i0 + c] + w * rgba[4 * i1 + c];
    return color;
}

struct Pixel {
    std::uint32_t x, y;
    std::array<std::uint8_t, 4> color;
    float value;
    Vec3 point;
};

class TriangleMeshGLTest : public test_support::GlMeshFixture<ITriangleGridMesh> {
protected:
    void SetUp() override {
        GlMeshFixture::SetUp();
        if (HasFatalFailure()) return;

        const boundingbox<float, 3> box{{-kGridHalfSide, -kGridHalfSide, -kGridHalfSide},
                                        {kGridHalfSide, kGridHalfSide, kGridHalfSide}};
        const std::vector<VertexPN> sphere = SphereTriangles(24, 48);
        geometry_ = detail::BuildVertexPNGeometry(*device_, 3, box, [&](auto& builder) {
            builder.AddPrimitives(std::span<const VertexPN>(sphere));
        });
        values_ = CreateScalarGrid(*device_);
        std::vector<float> samples;
        const double cell = 2.0 * kGridHalfSide / kGridSamples;
        const auto centre = [&](std::size_t i) { return -kGridHalfSide + (static_cast<double>(i) + 0.5) * cell; };
        for (std::size_t z = 0; z < kGridSamples; ++z)
            for (std::size_t y = 0; y < kGridSamples; ++y)
                for (std::size_t x = 0; x < kGridSamples; ++x)
                    samples.push_back(static_cast<float>(Field({centre(x), centre(y), centre(z)})));
        ASSERT_TRUE(values_->SetValues(kGridSamples, kGridSamples, kGridSamples, samples));

        mesh_ = CreateTriangleGridMesh(*device_);
        mesh_->SetGeometry(geometry_);
        mesh_->SetGrids(values_, nullptr, box);
        mesh_->SetBrightness(1.0f);  // full colour whatever the normal
        SetRange(-1.5f, 1.5f);
        Look({0, 0, 1});
    }

    void Look(const Vec3& direction) {
        camera_ = std::make_unique<Camera>(direction);
        view_ = camera_->view;
        projection_ = camera_->projection;
    }

    void SetRange(float minValue, float maxValue) {
        minValue_ = minValue;
        maxValue_ = maxValue;
        mesh_->SetValueRange(minValue, maxValue);
    }

    // Draws one frame; the drawn pixels with their world points.
    std::vector<Pixel> Render() {
        EXPECT_EQ(GlMeshFixture::Render(), 1u);
        const std::vector<std::uint8_t>& colors = color_;
        const std::vector<float> values = frame_->ReadProbeValue();
        const std::vector<float> depths = frame_->ReadProbeDepth();
        drawn_.assign(kSize * kSize, false);
        std::vector<Pixel> pixels;
        for (std::uint32_t y = 0; y < kSize; ++y)
            for (std::uint32_t x = 0; x < kSize; ++x) {
                const std::size_t i = std::size_t{y} * kSize + x;
                Pixel pixel{x, y, {colors[4 * i], colors[4 * i + 1], colors[4 * i + 2], colors[4 * i + 3]}, values[i],
                            camera_->WorldPoint(x, y, depths[i])};
                if (std::isnan(pixel.value)) {
                    EXPECT_EQ(pixel.color, kBackground) << "undrawn pixel " << x << "," << y;
                    continue;
                }
                drawn_[i] = true;
                pixels.push_back(pixel);
            }
        return pixels;
    }

    // The probe value is the field at the pixel's point, the colour its gradient colour.
    void ExpectFieldAndGradientColor(const Pixel& p) {
        // Trilinear filtering reproduces the linear field to llvmpipe's weight precision.
        EXPECT_NEAR(p.value, Field(p.point), 0.01) << p.x << "," << p.y;
        const std::array<double, 3> expected = GradientColor(gradient_, minValue_, maxValue_, p.value);
        for (std::size_t c = 0; c < 3; ++c)
            EXPECT_NEAR(p.color[c], expected[c], 3.0) << "channel " << c << " at " << p.x << "," << p.y;
    }

    // The pixel centre's distance from the view axis, in world units.
    static double AxisDistance(std::uint32_t x, std::uint32_t y) {
        const double xv = ((x + 0.5) / kSize * 2.0 - 1.0) * kHalfView;
        const double yv = ((y + 0.5) / kSize * 2.0 - 1.0) * kHalfView;
        return std::hypot(xv, yv);
    }

    // Pixels inside the sphere's outline are drawn, those outside are not.
    void ExpectDiscCoverage() {
        for (std::uint32_t y = 0; y < kSize; ++y)
            for (std::uint32_t x = 0; x < kSize; ++x) {
                const double r = AxisDistance(x, y);
                // The facets lie within the sphere by up to 1 - cos(pi / 48).
                if (r < 0.97 || r > 1.03) {
                    EXPECT_EQ(drawn_[y * kSize + x], r < 1.0) << x << "," << y;
                }
            }
    }

    std::shared_ptr<IGeometry> geometry_;
    std::shared_ptr<IScalarGrid> values_;
    std::unique_ptr<Camera> camera_;
    std::vector<std::uint8_t> gradient_ = GetRgbaColorMap(ColorMaps::Viridis);
    float minValue_ = 0.0f;
    float maxValue_ = 1.0f;
    std::vector<bool> drawn_;
};

// Lit by the view-facing term: full colour facing the camera, the
// brightness share of it edge-on.
TEST_F(TriangleMeshGLTest, SurfaceShowsTheGradientColourOfTheFieldAtEachPointShadedByFacing) {
    const std::vector<Pixel> pixels = Render();
    ExpectDiscCoverage();
    for (const Pixel& p : pixels) {
        EXPECT_NEAR(Length(p.point), 1.0, 0.02) << "on the sphere at " << p.x << "," << p.y;
        EXPECT_GT(p.point[2], -0.05) << "the near side at " << p.x << "," << p.y;
        ExpectFieldAndGradientColor(p);
    }

    constexpr double kBrightness = 0.25;
    mesh_->SetBrightness(static_cast<float>(kBrightness));
    for (const Pixel& p : Render()) {
        const double facing = std::abs(Normalize(p.point)[2]);
        const double lit = facing + (1.0 - facing) * kBrightness;
        const std::array<double, 3> full = GradientColor(gradient_, minValue_, maxValue_, p.value);
        for (std::size_t c = 0; c < 3; ++c)
            EXPECT_NEAR(p.color[c], full[c] * lit, 4.0) << "channel " << c << " at " << p.x << "," << p.y;
    }
}

// The field on the sphere stays within +-1.2: far below or above the range,
// every pixel takes the underflow or the overflow colour.
TEST_F(TriangleMeshGLTest, ValuesBeyondTheRangeShowTheUnderflowAndOverflowColours) {
    const std::array<std::uint8_t, 4> under{255, 0, 255, 255}, over{0, 255, 0, 255};
    mesh_->SetColorMap(under, gradient_, over);
    for (const auto& [low, high, color] : {std::tuple{4.0f, 5.0f, under}, std::tuple{-5.0f, -4.0f, over}}) {
        SetRange(low, high);
        const std::vector<Pixel> pixels = Render();
        EXPECT_GT(pixels.size(), 2000u);
        for (const Pixel& p : pixels) EXPECT_EQ(p.color, color) << p.x << "," << p.y;
    }
}

TEST_F(TriangleMeshGLTest, CapClosesTheCutWithTheFieldOnThePlaneInsideTheSurfaceOnly) {
    const ClipPlane keepFarHalf{0, 0, -1, 0};  // the half facing the camera goes
    mesh_->SetClipPlanes({&keepFarHalf, 1});
    ASSERT_EQ(mesh_->GetTechnique(), StringId("CappedSimulationTechnique"));

    const std::vector<Pixel> pixels = Render();

    ExpectDiscCoverage();
    // The count the caps were drawn by: 1 where the sphere encloses the cap point.
    const std::vector<std::uint8_t> stencil = frame_->ReadDepthStencil().stencil;
    for (std::uint32_t y = 0; y < kSize; ++y)
        for (std::uint32_t x = 0; x < kSize; ++x) {
            const double r = AxisDistance(x, y);
            if (r < 0.97 || r > 1.03) {
                EXPECT_EQ(stencil[std::size_t{y} * kSize + x], r < 1.0 ? 1 : 0) << x << "," << y;
            }
        }
    for (const Pixel& p : pixels) {
        EXPECT_NEAR(p.point[2], 0.0, 0.01) << "on the plane at " << p.x << "," << p.y;
        EXPECT_LT(Length(p.point), 1.02) << "inside the sphere at " << p.x << "," << p.y;
        ExpectFieldAndGradientColor(p);
    }

    // Without caps the inside of the far half shows through the cut.
    mesh_->SetCapping(false);
    for (const Pixel& p : Render()) {
        EXPECT_NEAR(Length(p.point), 1.0, 0.02) << p.x << "," << p.y;
        EXPECT_LT(p.point[2], 0.01) << p.x << "," << p.y;
    }
}

TEST_F(TriangleMeshGLTest, TwoPlanesGiveTwoCapsEachClippedByTheOther) {
    const std::array<ClipPlane, 2> planes{ClipPlane{0, 0, -1, 0.2f}, ClipPlane{-1, 0, 0, 0.3f}};  // z <= 0.2, x <= 0.3
    mesh_->SetClipPlanes(planes);
    Look({1.0, 0.6, 1.2});  // from the removed wedge, both cuts in view

    std::size_t onCapZ = 0, onCapX = 0, onSphere = 0;
    for (const Pixel& p : Render()) {
        const Vec3& q = p.point;
        EXPECT_LT(q[2], 0.21) << p.x << "," << p.y;
        EXPECT_LT(q[0], 0.31) << p.x << "," << p.y;
        if (std::abs(q[2] - 0.2) < 0.01 && Length(q) < 1.01) {
            ++onCapZ;
        } else if (std::abs(q[0] - 0.3) < 0.01 && Length(q) < 1.01) {
            ++onCapX;
        } else {
            EXPECT_NEAR(Length(q), 1.0, 0.02) << "neither cap nor sphere at " << p.x << "," << p.y;
            ++onSphere;
        }
        ExpectFieldAndGradientColor(p);
    }
    EXPECT_GT(onCapZ, 300u);
    EXPECT_GT(onCapX, 300u);
    EXPECT_GT(onSphere, 50u) << "the rim around the caps";
}

TEST_F(TriangleMeshGLTest, DeformationMovesTheSurfaceByTheDisplacement) {
    const auto centroid = [](const std::vector<Pixel>& pixels) {
        std::array<double, 2> sum{};
        for (const Pixel& p : pixels) sum = {sum[0] + p.x, sum[1] + p.y};
        return std::array<double, 2>{sum[0] / static_cast<double>(pixels.size()),
                                     sum[1] / static_cast<double>(pixels.size())};
    };
    const std::array<double, 2> before = centroid(Render());

    const Vec3 shift{0.25, 0.0, 0.0};
    std::shared_ptr<IVectorGrid> displacements = CreateVectorGrid(*device_);
    const std::vector<Vector3f> vectors(4 * 4 * 4, Vector3f{0.25f, 0.0f, 0.0f});
    ASSERT_TRUE(displacements->SetVectors(4, 4, 4, vectors));
    mesh_->SetGrids(values_, displacements, geometry_->GetBoundingBox());
    mesh_->SetDeformation(1.0f);
    const std::vector<Pixel> moved = Render();
    const std::array<double, 2> after = centroid(moved);

    // 0.25 world units are 6.4 pixels.
    EXPECT_NEAR(after[0] - before[0], 0.25 * kSize / (2 * kHalfView), 0.3);
    EXPECT_NEAR(after[1] - before[1], 0.0, 0.3);
    // The values move with the surface.
    for (const Pixel& p : moved) EXPECT_NEAR(p.value, Field(Add(p.point, Scale(shift, -1.0))), 0.02);

    // Shaded by the normals of the tessellated triangles: the sphere's own,
    // off by the facets' flatness (a few per cent of the colour, on average).
    constexpr double kBrightness = 0.25;
    mesh_->SetBrightness(static_cast<float>(kBrightness));
    double error = 0.0;
    std::size_t channels = 0;
    for (const Pixel& p : Render()) {
        const double facing = std::abs(Normalize(Add(p.point, Scale(shift, -1.0)))[2]);
        const std::array<double, 3> full = GradientColor(gradient_, minValue_, maxValue_, p.value);
        for (std::size_t c = 0; c < 3; ++c, ++channels)
            error += std::abs(p.color[c] - full[c] * (facing + (1.0 - facing) * kBrightness));
    }
    EXPECT_LT(error / static_cast<double>(channels), 3.0);
}

}  // namespace
}  // namespace Korvex::Rendering::triangle_gltest
