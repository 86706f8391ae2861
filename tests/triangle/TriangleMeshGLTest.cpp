// The triangle mesh drawn on llvmpipe: a unit sphere coloured by the linear
// field f(x, y, z) = x + 0.5 z, seen through an orthographic camera. Each
// drawn pixel is taken back to its world point through the probe depth, so
// the probe value, the colour and the geometry can be checked point by point.

#include "meshes/triangle/VertexPNGeometry.h"

#include <Camera.h>
#include <GlMeshFixture.h>
#include <Korvex/Rendering/Simulation/Simulation.h>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <span>
#include <string>
#include <tuple>
#include <vector>

namespace Korvex::Rendering {
namespace {

using Vec3 = std::array<double, 3>;
using Rgba = std::array<std::uint8_t, 4>;

constexpr std::uint32_t kSize = 64;
constexpr double kHalfView = 1.25;  // world units from the view centre to the target's edge
// The grid covers more than the sphere, so that every surface point lies
// between sample centres, where trilinear filtering reproduces a linear field.
constexpr float kGridHalfSide = 1.2f;
constexpr std::size_t kGridSamples = 25;

double Field(const Vec3& p) { return p[0] + 0.5 * p[2]; }
Vec3 Minus(const Vec3& a, const Vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
double Length(const Vec3& a) { return std::hypot(a[0], a[1], a[2]); }
Vec3 Normalize(const Vec3& a) { return {a[0] / Length(a), a[1] / Length(a), a[2] / Length(a)}; }
Vec3 Cross(const Vec3& a, const Vec3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// Unit sphere, counter-clockwise seen from outside, vertex normals radial;
// closed: the seam and the poles share their positions exactly.
std::vector<VertexPN> SphereTriangles(int rings, int segments) {
    const auto point = [&](int ring, int segment) {
        const double theta = std::numbers::pi * ring / rings;
        const double phi = 2.0 * std::numbers::pi * (segment % segments) / segments;
        const double s = ring == rings ? 0.0 : std::sin(theta);
        return Vec3{s * std::cos(phi), std::cos(theta), s * std::sin(phi)};
    };
    std::vector<VertexPN> triangles;
    const auto add = [&](Vec3 a, Vec3 b, Vec3 c) {
        const Vec3 normal = Cross(Minus(b, a), Minus(c, a));
        if (Length(normal) < 1e-9) return;  // at the poles
        if (normal[0] * a[0] + normal[1] * a[1] + normal[2] * a[2] < 0) std::swap(b, c);
        for (const Vec3& p : {a, b, c}) {
            const float x = float(p[0]), y = float(p[1]), z = float(p[2]);
            triangles.push_back({{x, y, z}, {x, y, z}});
        }
    };
    for (int ring = 0; ring < rings; ++ring)
        for (int segment = 0; segment < segments; ++segment) {
            add(point(ring, segment), point(ring + 1, segment), point(ring + 1, segment + 1));
            add(point(ring, segment), point(ring + 1, segment + 1), point(ring, segment + 1));
        }
    return triangles;
}

// The colour the gradient's linear filtering gives for value v.
std::array<double, 3> GradientColor(const std::vector<std::uint8_t>& rgba, double minValue, double maxValue,
                                    double v) {
    const double n = static_cast<double>(rgba.size() / 4), step = (maxValue - minValue) / (n - 1);
    const double t = std::clamp((v - (minValue - 0.5 * step)) / step - 0.5, 0.0, n - 1);
    const auto i0 = static_cast<std::size_t>(t);
    const std::size_t i1 = std::min(i0 + 1, rgba.size() / 4 - 1);
    const double w = t - static_cast<double>(i0);
    return {(1 - w) * rgba[4 * i0] + w * rgba[4 * i1], (1 - w) * rgba[4 * i0 + 1] + w * rgba[4 * i1 + 1],
            (1 - w) * rgba[4 * i0 + 2] + w * rgba[4 * i1 + 2]};
}

struct Pixel { std::uint32_t x, y; Rgba color; float value; Vec3 point; };

// The pixel centre's distance from the view axis, in world units.
double AxisDistance(std::uint32_t x, std::uint32_t y) {
    return std::hypot(((x + 0.5) / kSize * 2 - 1) * kHalfView, ((y + 0.5) / kSize * 2 - 1) * kHalfView);
}

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
        std::vector<float> samples;
        const double cell = 2.0 * kGridHalfSide / kGridSamples;
        const auto centre = [&](std::size_t i) { return -kGridHalfSide + (static_cast<double>(i) + 0.5) * cell; };
        for (std::size_t z = 0; z < kGridSamples; ++z)
            for (std::size_t y = 0; y < kGridSamples; ++y)
                for (std::size_t x = 0; x < kGridSamples; ++x)
                    samples.push_back(static_cast<float>(Field({centre(x), centre(y), centre(z)})));
        values_ = CreateScalarGrid(*device_);
        ASSERT_TRUE(values_->SetValues(kGridSamples, kGridSamples, kGridSamples, samples));
        mesh_ = CreateTriangleGridMesh(*device_);
        mesh_->SetGeometry(geometry_);
        mesh_->SetGrids(values_, nullptr, box);
        mesh_->SetBrightness(1.0f);  // full colour whatever the normal
        mesh_->SetValueRange(-1.5f, 1.5f);
        // Orthographic, looking down -z at the origin from (0, 0, 5).
        view_ = MakeLookAt({0, 0, 5}, {0, 0, 0}, {0, 1, 0});
        projection_ = MakeOrthographic(-kHalfView, kHalfView, -kHalfView, kHalfView, 1, 9);
    }

    // Draws one frame; the drawn pixels with their world points, taken back
    // from the pixel and its probe depth. Undrawn pixels keep the background.
    std::vector<Pixel> Render() {
        EXPECT_EQ(GlMeshFixture::Render(), 1u);
        const std::vector<float> values = frame_->ReadProbeValue(), depths = frame_->ReadProbeDepth();
        drawn_.assign(kSize * kSize, false);
        std::vector<Pixel> pixels;
        for (std::uint32_t y = 0; y < kSize; ++y)
            for (std::uint32_t x = 0; x < kSize; ++x) {
                const std::size_t i = std::size_t{y} * kSize + x;
                const Rgba color{color_[4 * i], color_[4 * i + 1], color_[4 * i + 2], color_[4 * i + 3]};
                if (std::isnan(values[i])) {
                    EXPECT_EQ(color, (Rgba{0, 0, 0, 255})) << "undrawn pixel " << x << "," << y;
                    continue;
                }
                const double xv = ((x + 0.5) / kSize * 2 - 1) * kHalfView, yv = ((y + 0.5) / kSize * 2 - 1) * kHalfView;
                // z from the depth: 0 at the near plane (z = 4), 1 at the far one (z = -4).
                drawn_[i] = true;
                pixels.push_back({x, y, color, values[i], {xv, yv, 4.0 - depths[i] * 8.0}});
            }
        return pixels;
    }

    // The probe value is the field at the pixel's point (trilinear filtering
    // reproduces it to llvmpipe's weight precision), the colour its gradient
    // colour, lit by the brightness share of it edge-on: facing is |n.z|.
    void ExpectFieldAndColor(const Pixel& p, double brightness = 1.0, double facing = 1.0) {
        EXPECT_NEAR(p.value, Field(p.point), 0.01) << p.x << "," << p.y;
        const std::array<double, 3> full = GradientColor(gradient_, -1.5, 1.5, p.value);
        for (std::size_t c = 0; c < 3; ++c)
            EXPECT_NEAR(p.color[c], full[c] * (facing + (1 - facing) * brightness), 4.0) << p.x << "," << p.y;
    }

    // Pixels inside the sphere's outline are drawn, those outside are not;
    // the facets lie within the sphere by up to 1 - cos(pi / 48).
    void ExpectDiscCoverage() {
        for (std::uint32_t y = 0; y < kSize; ++y)
            for (std::uint32_t x = 0; x < kSize; ++x)
                if (const double r = AxisDistance(x, y); r < 0.97 || r > 1.03) {
                    EXPECT_EQ(drawn_[y * kSize + x], r < 1.0) << x << "," << y;
                }
    }

    std::shared_ptr<IGeometry> geometry_;
    std::shared_ptr<IScalarGrid> values_;
    std::vector<std::uint8_t> gradient_ = GetRgbaColorMap(ColorMaps::Viridis);
    std::vector<bool> drawn_;
};

TEST_F(TriangleMeshGLTest, SurfaceShowsTheGradientColourOfTheFieldShadedByFacing) {
    for (const double brightness : {1.0, 0.25}) {
        mesh_->SetBrightness(static_cast<float>(brightness));
        for (const Pixel& p : Render()) {
            EXPECT_NEAR(Length(p.point), 1.0, 0.02) << "on the sphere at " << p.x << "," << p.y;
            EXPECT_GT(p.point[2], -0.05) << "the near side at " << p.x << "," << p.y;
            ExpectFieldAndColor(p, brightness, std::abs(Normalize(p.point)[2]));
        }
        ExpectDiscCoverage();
    }
}

// The field on the sphere stays within +-1.2: far below or above the range,
// every pixel takes the underflow or the overflow colour.
TEST_F(TriangleMeshGLTest, ValuesBeyondTheRangeShowTheUnderflowAndOverflowColours) {
    const Rgba under{255, 0, 255, 255}, over{0, 255, 0, 255};
    mesh_->SetColorMap(under, gradient_, over);
    for (const auto& [low, high, color] : {std::tuple{4.0f, 5.0f, under}, std::tuple{-5.0f, -4.0f, over}}) {
        mesh_->SetValueRange(low, high);
        const std::vector<Pixel> pixels = Render();
        EXPECT_GT(pixels.size(), 2000u);
        for (const Pixel& p : pixels) EXPECT_EQ(p.color, color) << p.x << "," << p.y;
    }
}

// The stencil holds the count the caps were drawn by: 1 where the sphere
// encloses the cap point. Without caps the inside of the far half shows.
TEST_F(TriangleMeshGLTest, CapClosesTheCutWithTheFieldOnThePlaneInsideTheSurfaceOnly) {
    const ClipPlane keepFarHalf{0, 0, -1, 0};
    mesh_->SetClipPlanes({&keepFarHalf, 1});
    for (const Pixel& p : Render()) {
        EXPECT_NEAR(p.point[2], 0.0, 0.01) << "on the plane at " << p.x << "," << p.y;
        EXPECT_LT(Length(p.point), 1.02) << "inside the sphere at " << p.x << "," << p.y;
        ExpectFieldAndColor(p);
    }
    ExpectDiscCoverage();
    const std::vector<std::uint8_t> stencil = frame_->ReadDepthStencil().stencil;
    for (std::uint32_t y = 0; y < kSize; ++y)
        for (std::uint32_t x = 0; x < kSize; ++x)
            if (const double r = AxisDistance(x, y); r < 0.97 || r > 1.03) {
                EXPECT_EQ(stencil[std::size_t{y} * kSize + x], r < 1.0 ? 1 : 0) << x << "," << y;
            }

    mesh_->SetCapping(false);
    for (const Pixel& p : Render()) {
        EXPECT_NEAR(Length(p.point), 1.0, 0.02) << p.x << "," << p.y;
        EXPECT_LT(p.point[2], 0.01) << p.x << "," << p.y;
    }
}

// A displacement of 0.25 along x moves the picture 6.4 pixels right; each
// point keeps its value, and the tessellated triangles are shaded by their
// own normals: the sphere's, off by the facets' flatness (a few per cent of
// the colour, on average).
TEST_F(TriangleMeshGLTest, DeformationMovesTheSurfaceAndShadesItByItsNewFacets) {
    std::shared_ptr<IVectorGrid> displacements = CreateVectorGrid(*device_);
    ASSERT_TRUE(displacements->SetVectors(4, 4, 4, std::vector<Vector3f>(64, Vector3f{0.25f, 0.0f, 0.0f})));
    mesh_->SetGrids(values_, displacements, geometry_->GetBoundingBox());
    mesh_->SetDeformation(1.0f);
    mesh_->SetBrightness(0.25f);
    double sumX = 0.0, error = 0.0;
    const std::vector<Pixel> pixels = Render();
    for (const Pixel& p : pixels) {
        const Vec3 undisplaced = Minus(p.point, {0.25, 0, 0});
        EXPECT_NEAR(p.value, Field(undisplaced), 0.02);
        const double facing = std::abs(Normalize(undisplaced)[2]);
        const std::array<double, 3> full = GradientColor(gradient_, -1.5, 1.5, p.value);
        for (std::size_t c = 0; c < 3; ++c) error += std::abs(p.color[c] - full[c] * (facing + (1 - facing) * 0.25));
        sumX += p.x + 0.5;
    }
    EXPECT_NEAR(sumX / double(pixels.size()), 32.0 + 0.25 * kSize / (2 * kHalfView), 0.3);
    EXPECT_LT(error / (3.0 * double(pixels.size())), 3.0);
}

// The same triangles with their longest edge unknown, which makes the mesh
// tessellate them.
class UnmeasuredGeometry final : public IGeometry {
public:
    explicit UnmeasuredGeometry(std::shared_ptr<IGeometry> inner) : inner_(std::move(inner)) {}
    const char* GetName() const override { return inner_->GetName(); }
    void SetName(const char* name) override { inner_->SetName(name); }
    boundingbox<float, 3> GetBoundingBox() const override { return inner_->GetBoundingBox(); }
    VertexInputState GetVertexInputState() const override { return inner_->GetVertexInputState(); }
    void SubmitDrawsWithState(ICommandList& commands, const PipelineStateDesc& state) override {
        inner_->SubmitDrawsWithState(commands, state);
    }
    void SubmitDrawsInstanced(ICommandList* const* commands, std::uint64_t count) override {
        inner_->SubmitDrawsInstanced(commands, count);
    }
    void SubmitDraws(ICommandList& commands) override { inner_->SubmitDraws(commands); }
    bool IsClosed() const override { return inner_->IsClosed(); }

private:
    std::shared_ptr<IGeometry> inner_;
};

// Edges of at most 0.07 under cells of 0.096 (the scalar grid's 25 samples over
// 2.4): every tessellation level is 1, and displacing the vertices must give
// the tessellated picture.
TEST_F(TriangleMeshGLTest, ShortEdgesDisplacedAsTheyAreLookAsTessellated) {
    const boundingbox<float, 3> box = geometry_->GetBoundingBox();
    const std::vector<VertexPN> sphere = SphereTriangles(64, 128);
    const auto fine = detail::BuildVertexPNGeometry(*device_, 3, box, [&](auto& builder) {
        builder.AddPrimitives(std::span<const VertexPN>(sphere));
    });
    ASSERT_LT(fine->GetLongestEdge(), 0.07f);
    std::shared_ptr<IVectorGrid> displacements = CreateVectorGrid(*device_);
    std::vector<Vector3f> vectors;
    for (int i = 0; i < 4 * 4 * 4; ++i)
        vectors.push_back({0.1f * float(i % 4), -0.05f * float(i / 16), 0.02f * float(i % 7)});
    ASSERT_TRUE(displacements->SetVectors(4, 4, 4, vectors));
    mesh_->SetGrids(values_, displacements, box);
    mesh_->SetDeformation(1.0f);
    view_ = MakeLookAt({1.5, 2.0, 5.0}, {0, 0, 0}, {0, 1, 0});  // oblique, so that depths vary

    for (const std::size_t planes : {0u, 1u}) {
        SCOPED_TRACE(std::to_string(planes) + " clip planes");
        const ClipPlane plane{1.0f, 0.0f, 0.0f, 0.2f};
        mesh_->SetClipPlanes({&plane, planes});
        const auto draw = [&](std::shared_ptr<IGeometry> geometry) {
            mesh_->SetGeometry(geometry);
            GlMeshFixture::Render();
            return std::make_tuple(color_, frame_->ReadProbeValue(), frame_->ReadProbeDepth());
        };
        const auto [displacedColor, displacedValue, displacedDepth] = draw(fine);
        const std::size_t programs = frame_->Cache().programs.size();
        const auto [tessellatedColor, tessellatedValue, tessellatedDepth] =
            draw(std::make_shared<UnmeasuredGeometry>(fine));
        EXPECT_EQ(frame_->Cache().programs.size(), programs + 1) << "the two paths draw different programs";
        std::size_t drawn = 0;
        for (std::size_t i = 0; i < displacedValue.size(); ++i) {
            ASSERT_EQ(std::isnan(displacedValue[i]), std::isnan(tessellatedValue[i])) << "pixel " << i;
            if (std::isnan(displacedValue[i])) continue;
            ++drawn;
            // The tessellator hands the rasteriser each triangle's corners in
            // another order, and the displaced program takes the normal from
            // screen-space changes rather than from the corners: rounding
            // differs, so values and depths agree to a few float steps,
            // colours to one level.
            EXPECT_NEAR(displacedValue[i], tessellatedValue[i], 1e-5) << i;
            EXPECT_NEAR(displacedDepth[i], tessellatedDepth[i], 1e-6) << i;
            for (std::size_t c = 0; c < 4; ++c)
                EXPECT_NEAR(displacedColor[4 * i + c], tessellatedColor[4 * i + c], 1) << i;
        }
        EXPECT_GT(drawn, 1000u);
    }
}

}  // namespace
}  // namespace Korvex::Rendering
