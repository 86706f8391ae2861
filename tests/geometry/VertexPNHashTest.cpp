#include "meshes/triangle/VertexPNHash.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace Korvex::Rendering::detail {
namespace {

// Each component's bytes hashed with FNV-1a, those 8 bytes hashed again and
// folded into the seed, zero signs made equal: values worked out with an
// independent script.
TEST(VertexPNHashTest, FoldsTheHashOfEachComponentInOrder) {
    const std::pair<VertexPN, std::uint64_t> cases[] = {
        {{{0, 0, 0}, {0, 0, 0}}, 0x600f2d1986861654ull},
        {{{1.5f, -2.0f, 3.25f}, {0, 0, 1}}, 0x77b52ffa6828b834ull},
        {{{0, 0, 1}, {1.5f, -2.0f, 3.25f}}, 0x037caa21472c078cull},
        {{{-0.0f, 1, -0.0f}, {-0.0f, -0.0f, 0}}, 0xa244c5548879459dull},
    };
    for (const auto& [vertex, hash] : cases) EXPECT_EQ(VertexHash<VertexPN>{}(vertex), hash);
    EXPECT_TRUE(VertexEqual<VertexPN>{}(cases[3].first, {{0, 1, 0}, {0, 0, 0}})) << "signed zeros are one vertex";
}

TEST(VertexPNHashTest, EqualityIsPerComponentFloatEquality) {
    const VertexPN base{{1, 2, 3}, {4, 5, 6}};
    EXPECT_TRUE(VertexEqual<VertexPN>{}(base, base));
    for (int component = 0; component < 6; ++component) {
        VertexPN other = base;
        (component < 3 ? other.position : other.normal)[component % 3] += 0.5f;
        EXPECT_FALSE(VertexEqual<VertexPN>{}(base, other)) << component;
    }
    VertexPN withNan = base;
    withNan.normal[2] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(VertexEqual<VertexPN>{}(withNan, withNan));
}

}  // namespace
}  // namespace Korvex::Rendering::detail
