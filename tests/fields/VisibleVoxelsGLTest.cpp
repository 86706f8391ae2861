// A block of voxels with holes, cut by clip planes, drawn as one mesh of the
// whole list and as one mesh of the voxels VisibleVoxels keeps: the same
// picture. Both leave out the faces between voxels; two meshes that each
// hold every other cell (no voxel of a mesh has a neighbour in it) draw every
// face, and must show the same.

#include <VisibleVoxels.h>

#include <Camera.h>
#include <GlMeshFixture.h>
#include <Korvex/Rendering/Simulation/Simulation.h>

#include <gtest/gtest.h>

#include <cmath>
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

    // Colour, probe value and probe depth of the meshes drawn in one frame.
    std::tuple<std::vector<std::uint8_t>, std::vector<float>, std::vector<float>> Picture(
        const std::vector<std::unique_ptr<IVoxelGridMesh>>& meshes) {
        std::vector<IRenderable*> renderables;
        for (const auto& mesh : meshes) renderables.push_back(mesh.get());
        frame_->Clear();
        EXPECT_EQ(frame_->Draw(renderables), meshes.size());
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
    std::vector<std::uint32_t> all, even, odd;
    for (std::uint32_t z = 0; z < kCells; ++z)
        for (std::uint32_t y = 0; y < kCells; ++y)
            for (std::uint32_t x = 0; x < kCells; ++x) {
                if (IsHole(x, y, z)) continue;
                all.push_back(Pack(x, y, z));
                ((x + y + z) % 2 == 0 ? even : odd).push_back(Pack(x, y, z));
            }
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

        std::vector<std::unique_ptr<IVoxelGridMesh>> split, whole, filtered;
        split.push_back(Mesh(even));
        split.push_back(Mesh(odd));
        whole.push_back(Mesh(all));
        filtered.push_back(Mesh(visible));
        const auto [color, value, depth] = Picture(whole);
        const auto [filteredColor, filteredValue, filteredDepth] = Picture(filtered);
        const std::vector<float> splitValue = std::get<1>(Picture(split));
        const std::vector<float> splitDepth = std::get<2>(Picture(split));
        std::size_t drawn = 0, ties = 0;
        for (std::size_t i = 0; i < value.size(); ++i) {
            ASSERT_EQ(std::isnan(filteredValue[i]), std::isnan(value[i])) << "pixel " << i;
            ASSERT_EQ(std::isnan(splitValue[i]), std::isnan(value[i])) << "pixel " << i;
            if (std::isnan(value[i])) continue;
            ++drawn;
            EXPECT_EQ(filteredValue[i], value[i]) << "pixel " << i;
            EXPECT_EQ(filteredDepth[i], depth[i]) << "pixel " << i;
            // Where a pixel centre lies on an edge of the block, a face that
            // only the split meshes draw (inside, against a neighbour) ties in
            // depth with the face in front of it, and the first drawn wins:
            // another face's value, a depth that rounds differently.
            EXPECT_NEAR(splitDepth[i], depth[i], 1e-6) << "pixel " << i;
            ties += splitValue[i] != value[i] ? 1 : 0;
        }
        EXPECT_EQ(filteredColor, color);
        EXPECT_GT(drawn, 1000u);
        EXPECT_LE(ties, 3u) << "pixels of another face than the split meshes show";
    }
}

}  // namespace
}  // namespace Korvex::Rendering
