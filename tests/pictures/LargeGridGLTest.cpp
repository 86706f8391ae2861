// Grids where a device's limits begin: each upload either answers false with
// nothing to show, or draws its values where they lie. Gigabytes of memory
// and half a minute on llvmpipe: run by ctest -C Large -L large only.

#include <Camera.h>
#include <GlMeshFixture.h>
#include <Korvex/Rendering/Simulation/GeometryBuilder.h>
#include <Korvex/Rendering/Simulation/Simulation.h>

namespace Korvex::Rendering {
namespace {

using LargeGridGLTest = test_support::GlMeshFixture<ITriangleGridMesh>;

// The square y = 0.5 (x, z in [0, 1]) seen from above, frame row r at
// z = (r + 0.5) / 64. The large grid holds z itself, as values, or as the
// displacement (0, z / 4, 0) that lifts the square to y = 0.5 + z / 4.
TEST_F(LargeGridGLTest, GridsAtTheDeviceLimitsDrawOrAnswerFalse) {
    view_ = MakeLookAt({0.5, 5, 0.5}, {0.5, 0, 0.5}, {0, 0, 1});
    projection_ = MakeOrthographic(-0.5, 0.5, -0.5, 0.5, 1, 9);
    const std::vector<std::array<float, 3>> corners{{0, 0.5f, 0}, {1, 0.5f, 0}, {1, 0.5f, 1}, {0, 0.5f, 1}};
    const std::vector<std::uint32_t> square{0, 2, 1, 0, 3, 2};
    const std::pair<std::array<std::size_t, 3>, bool> cases[] = {
        {{1024, 1024, 1024}, false}, {{512, 512, 512}, true}, {{512, 512, 513}, true}};  // displacements?
    for (const auto& [size, displaces] : cases) {
        const auto [nx, ny, nz] = size;
        SCOPED_TRACE(std::to_string(nx) + "x" + std::to_string(ny) + "x" + std::to_string(nz));
        const auto z = [&](std::size_t i) { return float(i / (nx * ny)) / float(nz - 1); };
        std::shared_ptr<IScalarGrid> values = CreateScalarGrid(*device_);
        std::shared_ptr<IVectorGrid> vectors;
        bool uploaded;
        if (displaces) {
            std::vector<Vector3f> field(nx * ny * nz);
            for (std::size_t i = 0; i < field.size(); ++i) field[i] = {0, z(i) / 4, 0};
            vectors = CreateVectorGrid(*device_);
            uploaded = vectors->SetVectors(nx, ny, nz, field);
            EXPECT_EQ(vectors->GetTexture().view.IsNull(), !uploaded);
            ASSERT_TRUE(values->SetValues(2, 2, 2, std::vector<float>(8, 0.5f)));
        } else {
            std::vector<float> field(nx * ny * nz);
            for (std::size_t i = 0; i < field.size(); ++i) field[i] = z(i);
            uploaded = values->SetValues(nx, ny, nz, field);
            EXPECT_EQ(values->GetTexture().view.IsNull(), !uploaded);
        }
        std::cout << (uploaded ? "uploaded\n" : "refused by the device\n");
        if (!uploaded) continue;

        mesh_ = CreateTriangleGridMesh(*device_);
        mesh_->SetGeometry(BuildTriangleGeometry(*device_, corners, {}, square, {{0, 0, 0}, {1, 1, 1}}));
        const auto spacing = [](std::size_t n) { return 1.0 / double(n - 1); };
        mesh_->SetGrids(values, vectors, GridTextureBox({0, 0, 0}, {spacing(nx), spacing(ny), spacing(nz)}, size));
        mesh_->SetDeformation(1.0f);
        Render();
        const std::vector<float> value = frame_->ReadProbeValue(), depth = frame_->ReadProbeDepth();
        for (std::size_t row : {2u, 31u, 61u}) {
            const double at = (double(row) + 0.5) / kSize;
            if (displaces)  // the eye's distance 5 - (0.5 + z / 4), less the near plane's 1, over 8
                EXPECT_NEAR(depth[row * kSize + kSize / 2], (3.5 - at / 4) / 8, 1e-4) << row;
            else
                EXPECT_NEAR(value[row * kSize + kSize / 2], at, 1e-3) << row;
        }
    }
}

}  // namespace
}  // namespace Korvex::Rendering
