// The library's scalar and vector grids on the GL device: what a mesh
// samples from a grid's view is what was uploaded.

#include "SamplingProgram.h"

#include <Korvex/Rendering/Simulation/Simulation.h>

namespace Korvex::Rendering::gltest {
namespace {

using GridsTest = SamplingTest;

TEST_F(GridsTest, ScalarGridSamplesItsValuesAndRefillsInPlace) {
    GpuHandle<SamplerTag> nearest(Device(), Device().CreateSampler({kFilterNearest, kAddressClamp}));
    {
        std::unique_ptr<IScalarGrid> grid = CreateScalarGrid(Device());
        std::vector<float> values;
        for (int z = 0; z < 2; ++z)
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x) values.push_back(float(x + 10 * y + 100 * z));
        ASSERT_TRUE(grid->SetValues(8, 8, 2, values));
        const ScalarGridTexture first = grid->GetTexture();
        EXPECT_EQ(first.range_min, 0.0f);
        EXPECT_EQ(first.range_max, 177.0f);
        DrawSampledView(first.view, nearest.Get(), Lookup{});
        for (std::uint32_t y = 0; y < 8; ++y)
            for (std::uint32_t x = 0; x < 8; ++x) ASSERT_EQ(ProbeAt(x, y), float(x + 10 * y + 100)) << x << "," << y;

        for (float& v : values) v = -v;
        ASSERT_TRUE(grid->SetValues(8, 8, 2, values));
        EXPECT_EQ(grid->GetTexture().view, first.view) << "same dimensions keep the image";
        ClearTargets();
        DrawSampledView(grid->GetTexture().view, nearest.Get(), Lookup{});
        EXPECT_EQ(ProbeAt(3, 4), -143.0f);
        // Three targets, the sampler, the grid's image and view: no staging image left.
        EXPECT_EQ(Device().LiveObjectCount(), 6u);
    }
    EXPECT_EQ(Device().LiveObjectCount(), 4u) << "the grid released its image and view";
}

TEST_F(GridsTest, VectorGridSamplesAllThreeComponents) {
    GpuHandle<SamplerTag> nearest(Device(), Device().CreateSampler({kFilterNearest, kAddressClamp}));
    std::unique_ptr<IVectorGrid> grid = CreateVectorGrid(Device());
    std::vector<Vector3f> vectors;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) vectors.push_back({float(x), float(y), -2.0f});
    ASSERT_TRUE(grid->SetVectors(4, 4, 1, vectors));
    Lookup lookup;
    lookup.weights = {1, 10, 100, 0};
    lookup.scaleZ = {4, 4, 0.5f, 0};
    DrawSampledView(grid->GetTexture().view, nearest.Get(), lookup);
    for (std::uint32_t y = 0; y < 4; ++y)
        for (std::uint32_t x = 0; x < 4; ++x) EXPECT_EQ(ProbeAt(x, y), float(x) + 10.0f * float(y) - 200.0f);
}

}  // namespace
}  // namespace Korvex::Rendering::gltest
