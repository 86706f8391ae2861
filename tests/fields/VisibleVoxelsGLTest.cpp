// A block of voxels with holes, cut by clip planes, drawn from the whole list
// and from the voxels VisibleVoxels keeps: the same picture.

#include <VisibleVoxels.h>

#include <Camera.h>
#include <GlMeshFixture.h>
#include <Korvex/Rendering/Simulation/Simulation.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace Korvex::Rendering {
namespace {

constexpr std::uint32_t kCells = 8;
constexpr std::size_t kSamples = kCells + 1;

std::uint32_t Pack(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return x + (y << 10) + (z << 20); }

// The block less a tunnel along z and a few scattered cells.
bool IsHole(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return (x == 3 && y == 4) || (x + 2 * y + 3 * z) % 29 == 0;
}

class VisibleVoxelsGLTest : public test_support::GlMeshFixture<IVoxelGridMesh> {
protected:
    // The voxels of the listed cells over the grid of kSamples^3 samples, box
    // (0, 0, 0)-(kSamples, kSamples, kSamples): corners at whole numbers + 0.5.
    std::unique_ptr<IVoxelGridMesh> Mesh(const std::vector<std::uint32_t>& voxels) {
        std::unique_ptr<IVoxelGridMesh> mesh = CreateVoxelGridMesh(*device_);
        mesh->SetVoxels(voxels);
        mesh->SetGrids(values_, nullptr, box_);
        mesh->SetValueRange(0.0f, 3.0f * kSamples);
        mesh->SetClipPlanes(planes_);
        mesh->SetViewProjection(view_, projection_);
        return mesh;
    }

    // Colour, probe value and probe depth of the mesh drawn in a frame.
    std::tuple<std::vector<std::uint8_t>, std::vector<float>, std::vector<float>> Picture(
        std::unique_ptr<IVoxelGridMesh> mesh) {
        IRenderable* const renderables[] = {mesh.get()};
        frame_->Clear();
        EXPECT_EQ(frame_->Draw(renderables), 1u);
        return {frame_->ReadColor(), frame_->ReadProbeValue(), frame_->ReadProbeDepth()};
    }

    std::shared_ptr<IScalarGrid> values_;
    const boundingbox<float, 3> box_{{0, 0, 0}, {float(kSamples), float(kSamples), float(kSamples)}};
    std::vector<ClipPlane> planes_;
};

TEST_F(VisibleVoxelsGLTest, TheVisibleVoxelsDrawTheWholeListsPicture) {
    std::vector<float> samples;
    for (std::size_t z = 0; z < kSamples; ++z)
        for (std::size_t y = 0; y < kSamples; ++y)
            for (std::size_t x = 0; x < kSamples; ++x) samples.push_back(float(x + 2 * y) + 0.5f * float(z));
    values_ = CreateScalarGrid(*device_);
    ASSERT_TRUE(values_->SetValues(kSamples, kSamples, kSamples, samples));
    std::vector<std::uint32_t> all;
    for (std::uint32_t z = 0; z < kCells; ++z)
        for (std::uint32_t y = 0; y < kCells; ++y)
            for (std::uint32_t x = 0; x < kCells; ++x)
                if (!IsHole(x, y, z)) all.push_back(Pack(x, y, z));
    const double centre = kSamples / 2.0;

    struct Case {
        const char* what;
        std::vector<ClipPlane> planes;
        std::array<double, 3> from;
    };
    const Case cases[] = {
        {"whole block", {}, {0.6, 0.5, 0.62}},
        // x + y >= 7.7 cuts diagonally; z <= 6.5 passes through corners.
        {"cut open", {{0.70710678f, 0.70710678f, 0, -5.4447222f}, {0, 0, -1, 6.5f}}, {-0.3, 0.5, 0.81}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        planes_ = test.planes;
        const double distance = 30.0;
        view_ = MakeLookAt({centre + distance * test.from[0], centre + distance * test.from[1],
                            centre + distance * test.from[2]},
                           {centre, centre, centre}, {0, 1, 0});
        projection_ = MakePerspective(0.45, 1.0, 1.0, 60.0);

        Fields::VoxelPlacement placement;
        placement.samples = {kSamples, kSamples, kSamples};
        placement.box = box_;
        const std::vector<std::uint32_t> visible = Fields::VisibleVoxels(all, placement, planes_);
        EXPECT_LT(visible.size(), all.size() * 3 / 4) << "the filter leaves out the inside";

        const auto [color, value, depth] = Picture(Mesh(all));
        const auto [filteredColor, filteredValue, filteredDepth] = Picture(Mesh(visible));
        EXPECT_EQ(filteredColor, color);
        EXPECT_EQ(filteredDepth, depth);
        // Bit for bit: the probe value is NaN where nothing was drawn.
        ASSERT_EQ(filteredValue.size(), value.size());
        EXPECT_EQ(std::memcmp(filteredValue.data(), value.data(), value.size() * sizeof(float)), 0);
        EXPECT_GT(std::count_if(value.begin(), value.end(), [](float v) { return !std::isnan(v); }), 1000);
    }
}

}  // namespace
}  // namespace Korvex::Rendering
