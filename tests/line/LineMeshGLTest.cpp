// Line meshes drawn on llvmpipe through the host's offscreen frame. Each test
// says what the picture must show; a failed test leaves its colour target as
// <suite>.<test>.png in the test's working directory.

#include "meshes/line/LineGridMesh.h"

#include <Camera.h>
#include <GlMeshFixture.h>
#include <Korvex/Rendering/Simulation/GeometryBuilder.h>
#include <Korvex/Rendering/Simulation/Simulation.h>

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

namespace Korvex::Rendering {
namespace {

using Rgba = std::array<std::uint8_t, 4>;
using Box = boundingbox<float, 3>;

constexpr Rgba kLineColor = {51, 204, 102, 255};

// A horizontal or vertical segment in pixel coordinates (x right, y up,
// pixel centres at +0.5).
struct PixelSegment { double x0, y0, x1, y1; };

// Lines through pixel centres at columns and rows 16, 32 and 48, each from
// 8 to 56 pixels along; in model units of the unit square that fills the frame.
std::vector<PixelSegment> GridLinePixels(double shift = 0.0) {
    std::vector<PixelSegment> lines;
    for (double c : {16.5, 32.5, 48.5}) {
        lines.push_back({c + shift, 8, c + shift, 56});
        lines.push_back({8 + shift, c, 56 + shift, c});
    }
    return lines;
}

class LineMeshGLTest : public test_support::GlMeshFixture<ILineGridMesh> {
protected:
    void SetUp() override {
        GlMeshFixture::SetUp();
        if (HasFatalFailure()) return;
        failOnDiagnostics_ = true;
        mesh_ = CreateLineGridMesh(*device_);
        // The unit square fills the frame; z = 0 lies at depth 0.5.
        view_ = MakeLookAt({0, 0, 5}, {0, 0, 0}, {0, 1, 0});
        projection_ = MakeOrthographic(0, 1, 0, 1, 1, 9);
    }

    // The grid lines at z = 0 over values 0 and 1 at texel centres x = 0.25
    // and 0.75, clamped beyond; displaced by vector when it is given.
    void SetUpGrid(std::optional<Vector3f> vector = std::nullopt, float deformation = 0.0f) {
        std::vector<VertexPN> vertices;
        for (const PixelSegment& s : GridLinePixels())
            for (const auto& [x, y] : {std::pair{s.x0, s.y0}, std::pair{s.x1, s.y1}})
                vertices.push_back({{float(x / kSize), float(y / kSize), 0}, {0, 0, 1}});
        const Box box({0, 0, -0.5f}, {1, 1, 0.5f});
        std::shared_ptr<IScalarGrid> values = CreateScalarGrid(*device_);
        ASSERT_TRUE(values->SetValues(2, 1, 1, std::vector<float>{0.0f, 1.0f}));
        std::shared_ptr<IVectorGrid> displacements = vector ? CreateVectorGrid(*device_) : nullptr;
        if (vector) {
            ASSERT_TRUE(displacements->SetVectors(2, 1, 1, std::vector<Vector3f>(2, *vector)));
        }
        mesh_->SetGeometry(BuildLineGeometry(*device_, vertices, box));
        mesh_->SetGrids(values, displacements, box);
        mesh_->SetColor(kLineColor);
        mesh_->SetDeformation(deformation);
    }

    // Pixels whose centre lies on a line (away from its ends) have the line
    // colour; pixels more than one pixel from every line keep the background.
    // In between, rasterisation may go either way.
    void ExpectOnlyLines(const std::vector<PixelSegment>& lines) {
        int missing = 0, stray = 0;
        for (std::uint32_t y = 0; y < kSize; ++y)
            for (std::uint32_t x = 0; x < kSize; ++x) {
                const double cx = x + 0.5, cy = y + 0.5;
                double nearest = 1e9;
                bool onInterior = false;
                for (const PixelSegment& s : lines) {
                    const double dx = std::max({s.x0 - cx, cx - s.x1, 0.0}), dy = std::max({s.y0 - cy, cy - s.y1, 0.0});
                    const double along = s.x0 == s.x1 ? std::min(cy - s.y0, s.y1 - cy) : std::min(cx - s.x0, s.x1 - cx);
                    const double d = std::hypot(s.x0 == s.x1 ? cx - s.x0 : dx, s.y0 == s.y1 ? cy - s.y0 : dy);
                    nearest = std::min(nearest, d);
                    onInterior |= d < 0.01 && along > 1.0;
                }
                const std::size_t i = 4 * (y * kSize + x);
                const Rgba texel{color_[i], color_[i + 1], color_[i + 2], 255};
                if (onInterior && texel != kLineColor && missing++ < 5)
                    ADD_FAILURE() << "no line at (" << x << ", " << y << ")";
                if (nearest > 1.0 && texel != Rgba{0, 0, 0, 255} && stray++ < 5)
                    ADD_FAILURE() << "stray colour at (" << x << ", " << y << ")";
            }
        EXPECT_EQ(missing + stray, 0) << missing << " line pixels missing, " << stray << " drawn away from the lines";
    }
};

// The value probe holds the scalar sampled where a line passes, the depth
// probe z/w; both keep their cleared values elsewhere.
TEST_F(LineMeshGLTest, GridLinesShowTheMeshColourAndProbeValueAndDepth) {
    for (const bool patches : {false, true}) {
        SCOPED_TRACE(patches ? "patches" : "plain lines");
        SetUpGrid(patches ? std::optional<Vector3f>(Vector3f{0, 0, 0}) : std::nullopt, patches ? 1.0f : 0.0f);
        EXPECT_EQ(Render(), 1u);
        ExpectOnlyLines(GridLinePixels());
        const std::vector<float> values = frame_->ReadProbeValue(), depths = frame_->ReadProbeDepth();
        for (std::uint32_t x = 9; x < 55; ++x) {
            const double u = (x + 0.5) / kSize;
            // 8-bit filtering weights: within 1/256 of the exact blend.
            EXPECT_NEAR(values[32 * kSize + x], std::clamp((u - 0.25) * 2.0, 0.0, 1.0), 1.0 / 256) << x;
            EXPECT_NEAR(depths[32 * kSize + x], Depth({u, 32.5 / kSize, 0}), 1e-5) << x;
        }
        EXPECT_TRUE(std::isnan(values[40 * kSize + 40]));
        EXPECT_EQ(depths[40 * kSize + 40], 1.0f);
    }
}

// Plain lines are clipped per fragment; patches are also dropped whole when
// both ends lie behind every plane, and clip along the undisplaced line.
// Two planes keep the quarter x >= 0.5, y <= 0.5.
TEST_F(LineMeshGLTest, ClipPlanesRemoveTheLinesBehindAnyOfThem) {
    for (const bool patches : {false, true}) {
        SCOPED_TRACE(patches ? "patches" : "plain lines");
        SetUpGrid(patches ? std::optional<Vector3f>(Vector3f{0, 0, 0}) : std::nullopt, patches ? 1.0f : 0.0f);
        mesh_->SetClipPlanes(std::vector<ClipPlane>{{1, 0, 0, -0.5f}, {0, -1, 0, 0.5f}});
        Render();
        std::vector<PixelSegment> kept;
        for (const PixelSegment& s : GridLinePixels()) {
            if (s.x0 == s.x1 && s.x0 > 32) kept.push_back({s.x0, s.y0, s.x1, 32});
            if (s.y0 == s.y1 && s.y0 < 32) kept.push_back({32, s.y0, s.x1, s.y1});
        }
        ExpectOnlyLines(kept);
    }
}

// A displacement of 0.25 model units along x, scaled by the deformation,
// moves every line by 0.25 * deformation * 64 pixels.
TEST_F(LineMeshGLTest, ConstantDisplacementMovesTheLinesByDeformationTimesDisplacement) {
    for (const float deformation : {0.5f, -0.5f}) {
        SetUpGrid(Vector3f{0.25f, 0, 0}, deformation);
        Render();
        ExpectOnlyLines(GridLinePixels(0.25 * deformation * kSize));
    }
}

TEST_F(LineMeshGLTest, EveryProgramVariantLinks) {
    for (std::uint64_t planes = 0; planes <= 8; ++planes)
        for (int flags = 0; flags < 8; ++flags) {
            const LineGridMesh::ProgramKey key{planes, (flags & 1) != 0, (flags & 2) != 0, (flags & 4) != 0};
            ExpectProgramLinks(key.BuildSources(), std::to_string(planes) + " planes, flags " + std::to_string(flags));
        }
}

}  // namespace
}  // namespace Korvex::Rendering
