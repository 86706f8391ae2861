#include <VisibleVoxels.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace Korvex::Fields {
namespace {

using Rendering::ClipPlane;

std::uint32_t Pack(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return x + (y << 10) + (z << 20); }

// The cells of a 5 x 5 x 5 block, z slowest, less those listed.
std::vector<std::uint32_t> Block(const std::vector<std::uint32_t>& holes = {}) {
    std::vector<std::uint32_t> voxels;
    for (std::uint32_t z = 0; z < 5; ++z)
        for (std::uint32_t y = 0; y < 5; ++y)
            for (std::uint32_t x = 0; x < 5; ++x)
                if (std::find(holes.begin(), holes.end(), Pack(x, y, z)) == holes.end())
                    voxels.push_back(Pack(x, y, z));
    return voxels;
}

// 6 samples a side over the box [0, 6]: voxel corners at n + 0.5.
VoxelPlacement Placement() {
    VoxelPlacement placement;
    placement.samples = {6, 6, 6};
    placement.box = {{0, 0, 0}, {6, 6, 6}};
    return placement;
}

TEST(VisibleVoxelsTest, KeepsVoxelsWithAFaceNoDrawnNeighbourCovers) {
    struct Case {
        const char* what;
        std::vector<std::uint32_t> voxels;
        std::vector<ClipPlane> planes;
        std::size_t kept;
    };
    const Case cases[] = {
        // The 3 x 3 x 3 inside is hidden.
        {"solid block", Block(), {}, 125 - 27},
        // The hole's six neighbours show into it; the other 20 inside stay hidden.
        {"a hole in the middle", Block({Pack(2, 2, 2)}), {}, 124 - 20},
        // x >= 1.6 removes the layers x = 0, 1 (corners at 0.5 and 1.5); layer 2
        // shows its cut side, and layer 3 hides its 3 x 3 inside.
        {"a cut", Block(), {{1, 0, 0, -1.6f}}, 75 - 9},
        // x >= 1.5 passes through the corners of layer 1, which may stay: it is
        // kept, and covers nothing, so layer 2 hides nothing.
        {"a plane through corners", Block(), {{1, 0, 0, -1.5f}}, 100 - 9},
        {"a single voxel", {Pack(7, 7, 7)}, {}, 1},
        {"nothing", {}, {}, 0},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        const std::vector<std::uint32_t> kept = VisibleVoxels(test.voxels, Placement(), test.planes);
        EXPECT_EQ(kept.size(), test.kept);
        EXPECT_TRUE(std::includes(test.voxels.begin(), test.voxels.end(), kept.begin(), kept.end()))
            << "a subsequence of the list";
    }
}

TEST(VisibleVoxelsTest, ListsSpanningTooManyCellsComeBackWhole) {
    const std::vector<std::uint32_t> voxels = {Pack(0, 0, 0), Pack(1023, 1023, 4095), Pack(1, 0, 0)};
    EXPECT_EQ(VisibleVoxels(voxels, Placement(), {}), voxels);
}

}  // namespace
}  // namespace Korvex::Fields
