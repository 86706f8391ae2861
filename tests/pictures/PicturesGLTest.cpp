// Pictures where the plain reading of each mesh's drawing rules went wrong:
// what the frame must show, checked against the scene's own geometry.

#include "meshes/triangle/VertexPNGeometry.h"

#include <Camera.h>
#include <GlMeshFixture.h>
#include <Korvex/Rendering/Simulation/GeometryBuilder.h>
#include <Korvex/Rendering/Simulation/Simulation.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <numbers>

namespace Korvex::Rendering {
namespace {

using Rgba = std::array<std::uint8_t, 4>;
using Corners = std::vector<std::array<float, 3>>;
using Indices = std::vector<std::uint32_t>;

// The cube [-0.5, 0.5]^3: corner i at ((i & 1), (i & 2), (i & 4)) - 0.5,
// each face counter-clockwise seen from outside: -z, +z, -y, +y, -x, +x.
Corners CubeCorners() {
    Corners corners;
    for (std::uint32_t i = 0; i < 8; ++i)
        corners.push_back({float(i & 1) - 0.5f, float(i >> 1 & 1) - 0.5f, float(i >> 2) - 0.5f});
    return corners;
}
const Indices kCubeFaces{0, 2, 3, 0, 3, 1, 4, 5, 7, 4, 7, 6, 0, 1, 5, 0, 5, 4,
                         2, 6, 7, 2, 7, 3, 0, 4, 6, 0, 6, 2, 1, 3, 7, 1, 7, 5};
const Indices kTopFace{2, 6, 7, 2, 7, 3};
Indices CubeEdges() {
    Indices edges;
    for (std::uint32_t i = 0; i < 8; ++i)
        for (std::uint32_t axis : {1u, 2u, 4u})
            if ((i & axis) == 0) edges.insert(edges.end(), {i, i | axis});
    return edges;
}

class PicturesGLTest : public test_support::GlMeshFixture<IRenderable> {
protected:
    void SetUp() override {
        GlMeshFixture::SetUp();
        // Perspective at azimuth 150 and elevation 30 degrees, 4 units out.
        const double a = 150 * std::numbers::pi / 180, e = 30 * std::numbers::pi / 180;
        eye_ = {4 * std::cos(e) * std::cos(a), 4 * std::sin(e), 4 * std::cos(e) * std::sin(a)};
        view_ = MakeLookAt({eye_[0], eye_[1], eye_[2]}, {0, 0, 0}, {0, 1, 0});
        projection_ = MakePerspective(0.9, 1.0, 1.0, 9.0);
        values_ = Values({2, 2, 2}, [](std::size_t, std::size_t) { return 0.5f; });
    }
    // Orthographic, down -z onto [-h, h]^2.
    void LookDown(double h) {
        view_ = MakeLookAt({0, 0, 5}, {0, 0, 0}, {0, 1, 0});
        projection_ = MakeOrthographic(-h, h, -h, h, 1, 9);
    }
    std::shared_ptr<IScalarGrid> Values(std::array<std::size_t, 3> n, float (*f)(std::size_t i, std::size_t j)) {
        std::vector<float> values;
        for (std::size_t k = 0; k < n[2]; ++k)
            for (std::size_t j = 0; j < n[1]; ++j)
                for (std::size_t i = 0; i < n[0]; ++i) values.push_back(f(i, j));
        std::shared_ptr<IScalarGrid> grid = CreateScalarGrid(*device_);
        EXPECT_TRUE(grid->SetValues(n[0], n[1], n[2], values));
        return grid;
    }
    std::shared_ptr<IVectorGrid> ZeroVectors() {
        std::shared_ptr<IVectorGrid> grid = CreateVectorGrid(*device_);
        EXPECT_TRUE(grid->SetVectors(2, 2, 2, std::vector<Vector3f>(8, Vector3f{0, 0, 0})));
        return grid;
    }
    // A mesh over the grid box, seen by the camera, kept until the test ends.
    template <class Mesh>
    Mesh& Add(std::unique_ptr<Mesh> mesh, std::shared_ptr<IVectorGrid> vectors = nullptr) {
        mesh->SetGrids(values_, vectors, kGridBox);
        mesh->SetViewProjection(view_, projection_);
        Mesh& added = *mesh;
        meshes_.push_back(std::move(mesh));
        return added;
    }
    // Cube faces, normals out through the corners, in one colour.
    ITriangleGridMesh& AddSurface(const Indices& faces = kCubeFaces, Rgba color = {255, 0, 0, 255},
                                  std::shared_ptr<IVectorGrid> vectors = nullptr) {
        ITriangleGridMesh& mesh = Add(CreateTriangleGridMesh(*device_), vectors);
        mesh.SetGeometry(BuildTriangleGeometry(*device_, CubeCorners(), CubeCorners(), faces, kGridBox));
        mesh.SetColorMap(color);
        return mesh;
    }
    // Each mesh in order, in the opaque pass.
    void DrawAll() {
        frame_->Clear();
        for (const auto& mesh : meshes_) mesh->Draw(nullptr, frame_->Pass(PassKind::Opaque), frame_->Cache(), nullptr);
        color_ = frame_->ReadColor();
    }
    Rgba CentreColor() const {
        Rgba c;
        std::memcpy(c.data(), &color_[4 * (kSize / 2 * kSize + kSize / 2)], 4);
        return c;
    }

    // Samples 0 and 1 at -0.5 and 0.5 on every axis.
    const boundingbox<float, 3> kGridBox = GridTextureBox({-0.5, -0.5, -0.5}, {1, 1, 1}, {2, 2, 2});
    const ClipPlane keepPositiveX{1, 0, 0, 0};
    std::array<double, 3> eye_;
    std::shared_ptr<IScalarGrid> values_;
    std::vector<std::unique_ptr<IRenderable>> meshes_;
};

// Wherever a fragment is drawn, the probe depth is the depth buffer's value
// (24 bits hold it to 6e-8), so the point it gives lies on the drawn surface.
TEST_F(PicturesGLTest, ProbeDepthIsTheFragmentDepthOfEveryMeshAndStage) {
    const auto lines = [this](std::shared_ptr<IVectorGrid> vectors) {
        ILineGridMesh& mesh = Add(CreateLineGridMesh(*device_), vectors);
        mesh.SetGeometry(BuildLineGeometry(*device_, CubeCorners(), {}, CubeEdges(), kGridBox));
        mesh.SetDeformation(0.5f);
    };
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"triangles", [this] { AddSurface(); }},
        {"tessellated triangles", [this] { AddSurface(kCubeFaces, {}, ZeroVectors()).SetDeformation(0.5f); }},
        {"caps", [this] { AddSurface().SetClipPlanes({&keepPositiveX, 1}); }},
        {"lines", [&] { lines(nullptr); }},
        {"tessellated lines", [&] { lines(ZeroVectors()); }},
        {"voxels", [this] { Add(CreateVoxelGridMesh(*device_)).SetVoxels(std::vector<std::uint32_t>{0}); }},
    };
    for (const auto& [name, build] : cases) {
        SCOPED_TRACE(name);
        meshes_.clear();
        build();
        DrawAll();
        const std::vector<float> probe = frame_->ReadProbeDepth(), value = frame_->ReadProbeValue();
        const std::vector<float> depth = frame_->ReadDepthStencil().depth;
        std::size_t drawn = 0, off = 0;
        for (std::size_t i = 0; i < probe.size(); ++i) {
            drawn += !std::isnan(value[i]);
            off += !std::isnan(value[i]) && std::abs(probe[i] - depth[i]) > 1e-6;
        }
        EXPECT_GT(drawn, 50u);
        EXPECT_EQ(off, 0u) << "of " << drawn << " pixels";
    }
}

// Each mesh keeps what was drawn before it: the nearer cube (red) stays in
// front of the farther one (blue, capped) drawn after it, capped or not.
TEST_F(PicturesGLTest, CappedMeshesKeepTheDepthOfWhatWasDrawnBefore) {
    for (const bool nearerCapped : {true, false}) {
        SCOPED_TRACE(nearerCapped);
        meshes_.clear();
        ITriangleGridMesh& nearer = AddSurface();
        ITriangleGridMesh& farther = AddSurface(kCubeFaces, {0, 0, 255, 255});
        KxTransformMatrix behind;  // on the view's centre line, 2 units beyond
        behind.MakeTranslation({-eye_[0] / 2, -eye_[1] / 2, -eye_[2] / 2});
        farther.SetModelTransform(behind);
        farther.SetClipPlanes({&keepPositiveX, 1});
        if (nearerCapped) nearer.SetClipPlanes({&keepPositiveX, 1});
        ASSERT_EQ(farther.GetTechnique(), StringId("CappedSimulationTechnique"));
        DrawAll();
        EXPECT_GT(CentreColor()[0], 100);  // lit at least by half
        EXPECT_EQ(CentreColor()[2], 0);
    }
}

// Cut open, a plate has no inside: capping on, it looks as with capping off.
TEST_F(PicturesGLTest, OpenSurfaceIsCutWithoutCaps) {
    std::vector<std::uint8_t> pictures[2];
    for (bool capping : {false, true}) {
        meshes_.clear();
        ITriangleGridMesh& plate = AddSurface(kTopFace);
        plate.SetClipPlanes({&keepPositiveX, 1});
        plate.SetCapping(capping);
        DrawAll();
        pictures[capping] = color_;
    }
    EXPECT_EQ(pictures[true], pictures[false]);
    const std::vector<float> value = frame_->ReadProbeValue();
    EXPECT_GT(std::count_if(value.begin(), value.end(), [](float v) { return !std::isnan(v); }), 20);
}

TEST_F(PicturesGLTest, GeometryWithoutNormalsTakesItsFullColourAtAnyBrightness) {
    LookDown(1);
    for (float brightness : {0.0f, 0.5f, 1.0f}) {
        meshes_.clear();
        ITriangleGridMesh& mesh = AddSurface(kCubeFaces, {200, 100, 50, 255});
        mesh.SetGeometry(BuildTriangleGeometry(*device_, CubeCorners(), {}, kCubeFaces, kGridBox));
        mesh.SetBrightness(brightness);
        DrawAll();
        EXPECT_EQ(CentreColor(), (Rgba{200, 100, 50, 255})) << brightness;
    }
}

// A buffer of 448 bytes (the least that holds a constants block) takes 112
// voxels: the last of 225 is drawn from a third buffer, not from a list the
// device could not hold.
TEST_F(PicturesGLTest, VoxelListBeyondTheBufferLimitIsDrawnWhole) {
    device_->LimitBufferSize(448);
    LookDown(1);
    values_ = Values({16, 16, 2}, [](std::size_t i, std::size_t j) { return float(i + 16 * j); });
    IVoxelGridMesh& voxels = Add(CreateVoxelGridMesh(*device_));
    voxels.SetGrids(values_, nullptr, GridTextureBox({-0.9375, -0.9375, -0.0625}, {0.125, 0.125, 0.125}, {16, 16, 2}));
    Indices cells;
    for (std::uint32_t iy = 0; iy < 15; ++iy)
        for (std::uint32_t ix = 0; ix < 15; ++ix) cells.push_back(ix + 1024 * iy);
    voxels.SetVoxels(cells);
    DrawAll();
    const std::vector<float> value = frame_->ReadProbeValue();
    for (std::uint32_t i : {0u, 7u, 14u}) {  // pixel 4i + 3: 1/8 of a sample short of the centre of voxel (i, i)
        const float expected = 17.0f * float(i) + 8.5f - 17 * 0.125f;
        EXPECT_NEAR(value[(4 * i + 3) * kSize + 4 * i + 3], expected, 0.01) << i;
    }
}

// The pipeline follows the attribute names' text: equal texts elsewhere share
// it, new texts in the same place get their own.
TEST_F(PicturesGLTest, PipelinesFollowAttributeNamesNotTheirAddresses) {
    LookDown(1);
    char names[2][9];
    const auto square = [&](const char* first, const char* second, bool swapped) {
        std::vector<VertexPN> records;
        for (std::uint32_t i : {4, 5, 7, 4, 7, 6}) {  // the face z = 0.5
            VertexPN v{{float(i & 1) - 0.5f, float(i >> 1 & 1) - 0.5f, 0.5f}, {0, 0, 1}};
            if (swapped) std::swap(v.position, v.normal);
            records.push_back(v);
        }
        std::strcpy(names[0], first);
        std::strcpy(names[1], second);
        VertexInputState input = detail::VertexPNInputState();
        input[0].name = names[0];
        input[1].name = names[1];
        detail::IndexedVertexContainerBuilder<VertexPN>::Container buffers;
        detail::IndexedVertexContainerBuilder<VertexPN>(*device_, buffers).AddPrimitives(records);
        return std::make_shared<detail::IndexedGeometry>(std::move(buffers), kGridBox, input, std::string());
    };
    ITriangleGridMesh& mesh = AddSurface();
    mesh.SetGeometry(square("position", "normal", false));
    DrawAll();
    const std::vector<std::uint8_t> picture = color_;
    mesh.SetGeometry(BuildTriangleGeometry(*device_, CubeCorners(), {}, kCubeFaces, kGridBox));
    DrawAll();
    EXPECT_EQ(frame_->Cache().pipelineStates.size(), 1u);
    mesh.SetGeometry(square("normal", "position", true));
    DrawAll();
    EXPECT_EQ(color_, picture);
    EXPECT_EQ(frame_->Cache().pipelineStates.size(), 2u);
}

// Through GridTextureBox a field linear in x is probed as x itself; the
// samples' own box would be off by up to half a spacing (1/64 here).
TEST_F(PicturesGLTest, GridTextureBoxPutsTheSamplesWhereTheyLie) {
    LookDown(0.5);
    values_ = Values({33, 33, 33}, [](std::size_t i, std::size_t) { return float(i) / 32; });
    AddSurface().SetGrids(values_, nullptr, GridTextureBox({-0.5, -0.5, -0.5}, {1.0 / 32, 1.0 / 32, 1.0 / 32}, {33, 33, 33}));
    DrawAll();
    const std::vector<float> value = frame_->ReadProbeValue();
    for (std::uint32_t x = 0; x < kSize; x += 7)  // 1e-3: linear filtering's weights, far below 1/64
        EXPECT_NEAR(value[kSize / 2 * kSize + x], (x + 0.5) / kSize, 1e-3) << x;
}

}  // namespace
}  // namespace Korvex::Rendering
