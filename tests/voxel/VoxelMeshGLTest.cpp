// Voxel meshes drawn on llvmpipe through the host's offscreen frame. Each test
// says what the picture must show; a failed test leaves its colour target as
// <suite>.<test>.png in the test's working directory.

#include "meshes/voxel/VoxelProgram.h"

#include <Camera.h>
#include <GlMeshFixture.h>
#include <Korvex/Rendering/Simulation/Simulation.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>

namespace Korvex::Rendering {
namespace {

using Rgba = std::array<int, 4>;
using Box = boundingbox<float, 3>;
using Point = std::array<double, 3>;

// A two-colour gradient: linear filtering between the texel centres makes
// the colour of a value v in [0, 1] the blend (1 - v) * kLow + v * kHigh.
constexpr std::array<std::uint8_t, 8> kTwoColors{40, 80, 200, 255, 240, 160, 0, 255};

// Rounds each colour channel; alpha stays opaque.
Rgba Scaled(const std::array<double, 3>& rgb) {
    return {int(std::lround(rgb[0])), int(std::lround(rgb[1])), int(std::lround(rgb[2])), 255};
}
// The gradient's colour of v, times a shading factor.
Rgba GradientColor(double v, double shading = 1.0) {
    std::array<double, 3> rgb;
    for (std::size_t i = 0; i < 3; ++i) rgb[i] = ((1 - v) * kTwoColors[i] + v * kTwoColors[4 + i]) * shading;
    return Scaled(rgb);
}

class VoxelMeshGLTest : public test_support::GlMeshFixture<IVoxelGridMesh> {
protected:
    void SetUp() override {
        GlMeshFixture::SetUp();
        if (HasFatalFailure()) return;
        mesh_ = CreateVoxelGridMesh(*device_);
        mesh_->SetColorMap(kTwoColors);
    }

    std::shared_ptr<IScalarGrid> Values(std::size_t nx, std::size_t ny, std::size_t nz,
                                        const std::function<float(std::size_t, std::size_t, std::size_t)>& value) {
        std::vector<float> values;
        for (std::size_t k = 0; k < nz; ++k)
            for (std::size_t j = 0; j < ny; ++j)
                for (std::size_t i = 0; i < nx; ++i) values.push_back(value(i, j, k));
        std::shared_ptr<IScalarGrid> grid = CreateScalarGrid(*device_);
        EXPECT_TRUE(grid->SetValues(nx, ny, nz, values));
        return grid;
    }

    // Looking down -z at the xy window [x0, x1] x [y0, y1], which fills the frame.
    void LookDownAt(double x0, double x1, double y0, double y1) {
        window_ = {x0, x1, y0, y1};
        const double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
        view_ = MakeLookAt({cx, cy, 10}, {cx, cy, 0}, {0, 1, 0});
        projection_ = MakeOrthographic(x0 - cx, x1 - cx, y0 - cy, y1 - cy, 1, 19);
    }
    // Looking at target from the direction (unit vector) `from`.
    void LookFrom(const Point& target, const Point& from, double halfWidth) {
        view_ = MakeLookAt({target[0] + 5 * from[0], target[1] + 5 * from[1], target[2] + 5 * from[2]},
                           {target[0], target[1], target[2]}, {0, 1, 0});
        projection_ = MakeOrthographic(-halfWidth, halfWidth, -halfWidth, halfWidth, 1, 9);
    }

    // The pixel a world point falls in (x right, y up).
    std::array<std::uint32_t, 2> PixelOf(const Point& p) const {
        const std::array<double, 4> clip = Clip(p);
        return {std::uint32_t((clip[0] / clip[3] + 1) / 2 * kSize), std::uint32_t((clip[1] / clip[3] + 1) / 2 * kSize)};
    }

    Rgba ColorAt(std::uint32_t x, std::uint32_t y) const {
        const std::uint8_t* texel = &color_[(std::size_t{y} * kSize + x) * 4];
        return {texel[0], texel[1], texel[2], texel[3]};
    }
    static bool Near(const Rgba& a, const Rgba& b, int tolerance) {
        for (std::size_t i = 0; i < 3; ++i)
            if (std::abs(a[i] - b[i]) > tolerance) return false;
        return true;
    }

    // Seen from LookDownAt: pixels whose centre lies inside the rectangle of
    // world xy (by more than a pixel) have the colour expected(x, y) of their
    // centre, within 3 of 255 for the 8-bit gradient weights; pixels more
    // than a pixel outside it stay black. Edges may go either way.
    void ExpectRectangle(double x0, double x1, double y0, double y1,
                         const std::function<Rgba(double, double)>& expected) {
        int wrong = 0, stray = 0;
        for (std::uint32_t y = 0; y < kSize; ++y)
            for (std::uint32_t x = 0; x < kSize; ++x) {
                const double wx = window_[0] + (x + 0.5) / kSize * (window_[1] - window_[0]);
                const double wy = window_[2] + (y + 0.5) / kSize * (window_[3] - window_[2]);
                const double px = (window_[1] - window_[0]) / kSize, py = (window_[3] - window_[2]) / kSize;
                const bool inside = wx > x0 + px && wx < x1 - px && wy > y0 + py && wy < y1 - py;
                const bool outside = wx < x0 - px || wx > x1 + px || wy < y0 - py || wy > y1 + py;
                const Rgba texel = ColorAt(x, y);
                if (inside && !Near(texel, expected(wx, wy), 3) && wrong++ < 5)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << ::testing::PrintToString(texel)
                                  << ", expected " << ::testing::PrintToString(expected(wx, wy));
                if (outside && !Near(texel, Rgba{0, 0, 0, 255}, 0) && stray++ < 5)
                    ADD_FAILURE() << "stray colour at (" << x << ", " << y << ")";
            }
        EXPECT_EQ(wrong, 0) << "pixels of the wrong colour inside";
        EXPECT_EQ(stray, 0) << "pixels drawn outside";
    }

    std::array<double, 4> window_{};
};

const std::uint32_t kFirstVoxel[] = {0};

// Seen along (1, 2, 3), the +x, +y and +z faces take |n . view| of 0.27,
// 0.53 and 0.80 as diffuse factor; with brightness b a face keeps
// b + (1 - b) * diffuse of its colour. Half-transparent, each face is half
// that over the blue background: back faces are culled, or the ones drawn
// first would show through.
TEST_F(VoxelMeshGLTest, VisibleFacesAreShadedByHowSquarelyTheyFaceTheViewAndBlendedByAlpha) {
    mesh_->SetVoxels(kFirstVoxel);
    mesh_->SetGrids(Values(2, 2, 2, [](std::size_t, std::size_t, std::size_t) { return 0.5f; }), nullptr,
                    Box({0, 0, 0}, {2, 2, 2}));
    const double norm = std::sqrt(14.0);
    const Point from{1 / norm, 2 / norm, 3 / norm};
    LookFrom({1, 1, 1}, from, 1.2);
    for (const auto& [brightness, alpha] : {std::pair{0.75f, 1.0f}, std::pair{0.25f, 1.0f}, std::pair{0.75f, 0.5f}}) {
        SCOPED_TRACE(::testing::Message() << "brightness " << brightness << ", alpha " << alpha);
        MakeFrame({0.0f, 0.0f, 1.0f, 1.0f});
        mesh_->SetBrightness(brightness);
        mesh_->SetAlpha(alpha);
        EXPECT_EQ(Render(), 1u);
        for (std::size_t axis = 0; axis < 3; ++axis) {
            Point centre{1, 1, 1};
            centre[axis] = 1.5;
            const auto [x, y] = PixelOf(centre);
            const Rgba shaded = GradientColor(0.5, brightness + (1 - brightness) * from[axis]);
            const double a = alpha;
            const Rgba expected = Scaled({shaded[0] * a, shaded[1] * a, shaded[2] * a + 255 * (1 - a)});
            EXPECT_TRUE(Near(ColorAt(x, y), expected, 3)) << "face +" << "xyz"[axis] << " is "
                                                          << ::testing::PrintToString(ColorAt(x, y)) << ", expected "
                                                          << ::testing::PrintToString(expected);
        }
    }
}

// Word 0x00100401 is cell (1, 1, 1): between the samples 1 and 2 of each axis,
// x and y from 1.5 to 2.5 in the box (0, 0, 0)-(3, 3, 3). The probes hold the
// value there (samples hold i + 3j + 9k) and z/w of the face at z = 2.5.
TEST_F(VoxelMeshGLTest, PackedIndexPlacesTheVoxelAtItsCellAndProbesHoldValueAndDepth) {
    const std::uint32_t voxel[] = {0x00100401u};
    mesh_->SetVoxels(voxel);
    mesh_->SetGrids(Values(3, 3, 3, [](std::size_t i, std::size_t j, std::size_t k) { return float(i + 3 * j + 9 * k); }),
                    nullptr, Box({0, 0, 0}, {3, 3, 3}));
    mesh_->SetValueRange(0.0f, 26.0f);
    LookDownAt(0, 3, 0, 3);
    Render();
    const auto value = [](double x, double y) { return (x - 0.5) + 3 * (y - 0.5) + 18.0; };
    ExpectRectangle(1.5, 2.5, 1.5, 2.5, [&](double x, double y) { return GradientColor(value(x, y) / 26.0); });

    const std::vector<float> values = frame_->ReadProbeValue();
    const std::vector<float> depths = frame_->ReadProbeDepth();
    ASSERT_EQ(values.size(), std::size_t{kSize} * kSize);
    for (const auto& [x, y] : std::vector<std::array<std::uint32_t, 2>>{{34, 34}, {42, 40}, {51, 51}}) {
        const double wx = (x + 0.5) * 3 / kSize, wy = (y + 0.5) * 3 / kSize;
        // 8-bit filtering weights: within 1/256 of a texel step in each of x and y.
        EXPECT_NEAR(values[y * kSize + x], value(wx, wy), 4.0 / 256) << x << ", " << y;
        EXPECT_NEAR(depths[y * kSize + x], Depth({wx, wy, 2.5}), 1e-5) << x << ", " << y;
    }
    EXPECT_TRUE(std::isnan(values[10 * kSize + 10])) << "nothing drawn there";
    EXPECT_EQ(depths[10 * kSize + 10], 1.0f);
}

// Cells 0 and 1 of a 3 x 2 x 2 grid lie side by side along x. The plane
// x + y + z <= 5.2 has one corner of cell 1, (2.5, 1.5, 1.5), behind it: the
// whole cell goes, though most of its front face lies before the plane.
TEST_F(VoxelMeshGLTest, ClipPlaneRemovesEveryVoxelWithACornerBehindItAndKeepsTheOthersWhole) {
    const std::uint32_t voxels[] = {0x0u, 0x1u};
    mesh_->SetVoxels(voxels);
    mesh_->SetGrids(Values(3, 2, 2, [](std::size_t, std::size_t, std::size_t) { return 0.5f; }), nullptr,
                    Box({0, 0, 0}, {3, 2, 2}));
    LookDownAt(0, 3, -0.5, 2.5);
    const auto gray = [](double, double) { return GradientColor(0.5); };

    Render();
    ExpectRectangle(0.5, 2.5, 0.5, 1.5, gray);

    const ClipPlane plane{-1, -1, -1, 5.2f};
    mesh_->SetClipPlanes({&plane, 1});
    Render();
    ExpectRectangle(0.5, 1.5, 0.5, 1.5, gray);
}

// Cell (1, 1, 1) of the box (0, 0, 0)-(3, 3, 3) moved by twice the uniform
// displacement (0.25, -0.125, 0): x from 2 to 3, y from 1.25 to 2.25, still
// coloured by the values where it was.
TEST_F(VoxelMeshGLTest, DeformationMovesTheCubeAlongItsVectorsTimesTheFactor) {
    const std::uint32_t voxel[] = {0x00100401u};
    mesh_->SetVoxels(voxel);
    std::shared_ptr<IVectorGrid> displacements = CreateVectorGrid(*device_);
    ASSERT_TRUE(displacements->SetVectors(3, 3, 3, std::vector<Vector3f>(27, Vector3f{0.25f, -0.125f, 0.0f})));
    mesh_->SetGrids(Values(3, 3, 3, [](std::size_t i, std::size_t, std::size_t) { return i == 1 ? 0.5f : 0.0f; }),
                    displacements, Box({0, 0, 0}, {3, 3, 3}));
    mesh_->SetDeformation(2.0f);
    mesh_->SetValueRange(0.0f, 1.0f);
    LookDownAt(0, 3, 0, 3);
    Render();
    ExpectRectangle(2.0, 3.0, 1.25, 2.25, [](double x, double) { return GradientColor(0.5 * (2.5 - (x - 0.5))); });
}

// Two voxels one behind the other along the view: opaque, the nearer one
// hides the other; half transparent, the face between them shows through
// and darkens the blue background further.
TEST_F(VoxelMeshGLTest, FacesBetweenVoxelsShowOnlyThroughSeeThroughVoxels) {
    MakeFrame({0.0f, 0.0f, 1.0f, 1.0f});
    mesh_->SetGrids(Values(3, 3, 3, [](std::size_t, std::size_t, std::size_t) { return 0.5f; }), nullptr,
                    Box({0, 0, 0}, {3, 3, 3}));
    LookDownAt(0, 3, 0, 3);
    const std::uint32_t front[] = {0x00100000u};  // cell (0, 0, 1), nearer the eye than (0, 0, 0)
    const std::uint32_t both[] = {0u, 0x00100000u};  // the farther first: its face is not hidden by depth
    for (const float alpha : {1.0f, 0.5f}) {
        SCOPED_TRACE(alpha);
        mesh_->SetAlpha(alpha);
        mesh_->SetVoxels(front);
        Render();
        const Rgba one = ColorAt(21, 21);  // world (1, 1): inside the voxels' square (0.5, 0.5)-(1.5, 1.5)
        mesh_->SetVoxels(both);
        Render();
        EXPECT_EQ(Near(ColorAt(21, 21), one, 1), alpha == 1.0f)
            << ColorAt(21, 21)[2] << " against " << one[2] << " of the blue left";
    }
}

TEST_F(VoxelMeshGLTest, EveryProgramVariantLinks) {
    for (std::uint64_t planes = 0; planes <= 8; ++planes)
        for (int flags = 0; flags < 16; ++flags) {
            const detail::VoxelProgramVariant variant{(flags & 1) != 0, (flags & 2) != 0, (flags & 4) != 0, planes,
                                                      (flags & 8) != 0};
            ExpectProgramLinks(detail::VoxelProgramSources(variant),
                               std::to_string(planes) + " planes, flags " + std::to_string(flags));
        }
}

}  // namespace
}  // namespace Korvex::Rendering
