// Meshes of cells drawn on llvmpipe as a host draws a finite-element
// result: their outer surface, coloured and deformed through grids the
// fields were resampled onto. Each drawn pixel is taken back to its world
// point through the probe depth (orthographic camera) and checked against
// the fields' formulas there.

#include "CellMeshes.h"

#include <Camera.h>
#include <GlMeshFixture.h>
#include <CellResampling.h>
#include <SurfaceTriangles.h>

#include <Korvex/Rendering/Simulation/GeometryBuilder.h>
#include <Korvex/Rendering/Simulation/Simulation.h>

#include <gtest/gtest.h>

#include <cmath>

namespace Korvex::Fields::test {
namespace {

using namespace Korvex::Rendering;

constexpr double kHalfView = 1.25;  // world units from the view centre to the target's edge
constexpr double kEye = 5.0, kNear = 1.0, kFar = 9.0;

double Field(const Vec3& p) { return p[0] + 2.0 * p[1] + 3.0 * p[2]; }
Vec3 FieldInX(const Vec3& p) { return {Field(p), 0.0, 0.0}; }

// The beam x in [-1, 1] bends down: u_z = -0.15 (x + 1)^2.
Vec3 Bending(const Vec3& p) { return {0.0, 0.0, -0.15 * (p[0] + 1.0) * (p[0] + 1.0)}; }

Vec3 Turned(const Vec3& p) {
    const double c = std::cos(0.5), s = std::sin(0.5);
    return {c * p[0] - s * p[1], s * c * p[0] + c * c * p[1] - s * p[2], s * s * p[0] + s * c * p[1] + c * p[2]};
}

struct Pixel {
    float value;
    Vec3 point;
};

class CellMeshGLTest : public test_support::GlMeshFixture<ITriangleGridMesh> {
protected:
    // Draws the mesh's surface coloured by Field and deformed by
    // displacement, if given, seen from +z (x right, y up).
    std::vector<Pixel> Draw(const UnstructuredGrid& grid, std::size_t budget, Vec3 (*displacement)(const Vec3&)) {
        const auto cells = std::move(LinearCells::Create(grid).cells);
        const std::vector<SurfaceFace> surface = FindSurfaceFaces(*cells);
        const SampleOwners owners = FindSampleOwners(*cells, surface, GridOverBox(cells->Bounds(), budget));
        const auto& size = owners.grid.dimensions;
        const std::vector<float> field = PointValues(grid, FieldInX, 1);
        const std::vector<float> u = PointValues(grid, displacement != nullptr ? displacement : Bending, 3);
        const FieldValues fields[] = {{field, 1, false}, {u, 3, false}};
        const std::vector<std::vector<float>> samples = ResampleFields(*cells, owners, fields);
        values_ = CreateScalarGrid(*device_);
        EXPECT_TRUE(values_->SetValues(size[0], size[1], size[2], samples[0]));
        if (displacement != nullptr) {
            std::vector<Vector3f> vectors;
            for (std::size_t n = 0; n < samples[1].size(); n += 3)
                vectors.push_back({samples[1][n], samples[1][n + 1], samples[1][n + 2]});
            displacements_ = CreateVectorGrid(*device_);
            EXPECT_TRUE(displacements_->SetVectors(size[0], size[1], size[2], vectors));
        }
        const std::vector<VertexPN> triangles = SurfaceTriangles(*cells, surface);
        const auto& b = cells->Bounds();
        const boundingbox<float, 3> box{{float(b.min[0]), float(b.min[1]), float(b.min[2])},
                                        {float(b.max[0]), float(b.max[1]), float(b.max[2])}};
        mesh_ = CreateTriangleGridMesh(*device_);
        mesh_->SetGeometry(BuildTriangleGeometry(*device_, triangles, box));
        mesh_->SetGrids(values_, displacements_, owners.grid.TextureBox());
        mesh_->SetDeformation(1.0f);
        mesh_->SetValueRange(-6.0f, 6.0f);
        view_ = MakeLookAt({0, 0, kEye}, {0, 0, 0}, {0, 1, 0});
        projection_ = MakeOrthographic(-kHalfView, kHalfView, -kHalfView, kHalfView, kNear, kFar);
        EXPECT_EQ(Render(), 1u);

        const std::vector<float> values = frame_->ReadProbeValue(), depths = frame_->ReadProbeDepth();
        std::vector<Pixel> pixels;
        for (std::uint32_t y = 0; y < kSize; ++y)
            for (std::uint32_t x = 0; x < kSize; ++x) {
                const std::size_t i = std::size_t{y} * kSize + x;
                if (std::isnan(values[i])) continue;
                const auto centre = [](std::uint32_t n) { return ((n + 0.5) / kSize * 2.0 - 1.0) * kHalfView; };
                pixels.push_back({values[i], {centre(x), centre(y), kEye - (kNear + depths[i] * (kFar - kNear))}});
            }
        return pixels;
    }

    std::shared_ptr<IScalarGrid> values_;
    std::shared_ptr<IVectorGrid> displacements_;
};

TEST_F(CellMeshGLTest, TurnedTetrahedralBlockShowsItsLinearFieldAtEverySurfacePoint) {
    UnstructuredGrid block = Tetrahedralised(HexBox({2, 2, 2}, {-0.6, -0.6, -0.6}, {0.6, 0.6, 0.6}));
    for (Point3& p : block.points) p = Turned(p);
    // No face lies on the samples' planes: samples outside are the cells'
    // interpolation carried on, which a linear field keeps exact.
    const std::vector<Pixel> pixels = Draw(block, 32768, nullptr);
    EXPECT_GT(pixels.size(), kSize * kSize / 4);
    for (const Pixel& p : pixels)
        // Trilinear filtering to llvmpipe's weight precision (8 bits of a
        // sample step, about 0.2 here).
        ASSERT_NEAR(p.value, Field(p.point), 0.01) << p.point[0] << "," << p.point[1] << "," << p.point[2];
}

TEST_F(CellMeshGLTest, BentHexahedralBeamDrawsItsDeformedShape) {
    const std::vector<Pixel> pixels = Draw(HexBox({10, 2, 2}, {-1, -0.1, -0.1}, {1, 0.1, 0.1}), 40000, Bending);
    EXPECT_GT(pixels.size(), 80u);
    for (const Pixel& p : pixels) {
        EXPECT_LE(std::abs(p.point[1]), 0.1 + kHalfView / kSize);
        // Seen from above: the top face z = 0.1 moved down by the bending.
        // Interpolated linearly between nodes 0.2 apart, and again between
        // samples, 0.15 (x + 1)^2 is off by up to 0.15 * 0.2^2 / 4 = 0.0015.
        EXPECT_NEAR(p.point[2], 0.1 + Bending(p.point)[2], 0.003) << "at x = " << p.point[0];
    }
}

}  // namespace
}  // namespace Korvex::Fields::test
