#include <Korvex/Rendering/Gpu/Utilities.h>

#include <meshoptimizer.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace Korvex::Rendering {
namespace {

using Indices = std::vector<std::uint16_t>;
using Triangle = std::array<std::uint16_t, 3>;

struct Mesh {
    Indices indices;
    std::uint32_t vertexCount = 0;
};

// Two triangles per cell of a (cells x cells) grid, in a random order when seeded.
Mesh Grid(int cells, unsigned seed = 0) {
    const int side = cells + 1;
    std::vector<Triangle> triangles;
    for (int y = 0; y < cells; ++y)
        for (int x = 0; x < cells; ++x) {
            const auto v = [&](int dx, int dy) { return static_cast<std::uint16_t>((y + dy) * side + x + dx); };
            triangles.push_back({v(0, 0), v(1, 0), v(1, 1)});
            triangles.push_back({v(0, 0), v(1, 1), v(0, 1)});
        }
    if (seed != 0) std::shuffle(triangles.begin(), triangles.end(), std::mt19937(seed));
    Mesh mesh{{}, static_cast<std::uint32_t>(side * side)};
    for (const Triangle& t : triangles) mesh.indices.insert(mesh.indices.end(), t.begin(), t.end());
    return mesh;
}

Indices Optimised(const Mesh& mesh, std::uint16_t cacheSize = 32) {
    Indices out(mesh.indices.size());
    Tipsify(mesh.indices.data(), out.data(), static_cast<std::uint32_t>(mesh.indices.size()), mesh.vertexCount, 3,
            cacheSize);
    return out;
}

std::vector<Triangle> SortedTriangles(const Indices& indices) {
    std::vector<Triangle> triangles;
    for (std::size_t i = 0; i + 2 < indices.size(); i += 3) triangles.push_back({indices[i], indices[i + 1], indices[i + 2]});
    std::sort(triangles.begin(), triangles.end());
    return triangles;
}

float Acmr(const Indices& indices, std::uint32_t vertexCount) {
    return meshopt_analyzeVertexCache(indices.data(), indices.size(), vertexCount, 32, 0, 0).acmr;
}

// Triangles move whole, each keeping its vertex order (winding and
// provoking vertex), and a random order wins back much of the cache.
TEST(TipsifyTest, KeepsEveryTriangleAndCutsCacheMisses) {
    for (const Mesh& mesh : {Grid(1), Grid(20), Grid(20, 7), Grid(40, 11)}) {
        const Indices out = Optimised(mesh);
        EXPECT_EQ(SortedTriangles(out), SortedTriangles(mesh.indices)) << mesh.indices.size() << " indices";
        EXPECT_LE(Acmr(out, mesh.vertexCount), Acmr(mesh.indices, mesh.vertexCount));
    }
    const Mesh shuffled = Grid(30, 5);
    EXPECT_LT(Acmr(Optimised(shuffled), shuffled.vertexCount), 0.8f * Acmr(shuffled.indices, shuffled.vertexCount));
}

// The cache size and the vertex count reach the FIFO optimiser as given.
TEST(TipsifyTest, PassesItsArgumentsToTheFifoOptimiser) {
    const Mesh mesh = Grid(12, 3);
    std::vector<Indices> results;
    for (const std::uint16_t cacheSize : std::array<std::uint16_t, 3>{3, 16, 32}) {
        Indices expected(mesh.indices.size());
        meshopt_optimizeVertexCacheFifo(expected.data(), mesh.indices.data(), mesh.indices.size(), mesh.vertexCount,
                                        cacheSize);
        results.push_back(Optimised(mesh, cacheSize));
        EXPECT_EQ(results.back(), expected) << "cache of " << cacheSize;
        EXPECT_NE(results.back(), mesh.indices) << "cache of " << cacheSize;
    }
    EXPECT_NE(results[1], results[2]) << "the cache size makes a difference here";

    Indices inPlace = mesh.indices;
    Tipsify(inPlace.data(), inPlace.data(), static_cast<std::uint32_t>(inPlace.size()), mesh.vertexCount, 3, 32);
    EXPECT_EQ(inPlace, results[2]) << "in place";
}

TEST(TipsifyTest, InputItCannotReorderIsCopiedUnchanged) {
    const Mesh grid = Grid(3, 1);
    const auto count = static_cast<std::uint32_t>(grid.indices.size());
    Indices outOfRange = grid.indices;
    outOfRange[5] = static_cast<std::uint16_t>(grid.vertexCount);
    const struct {
        std::string name;
        std::uint32_t indexCount, vertexCount, verticesPerPrimitive;
        std::uint16_t cacheSize;
        Indices input;
    } cases[] = {
        {"lines", count, grid.vertexCount, 2, 32, grid.indices},
        {"partial triangle", count - 1, grid.vertexCount, 3, 32, grid.indices},
        {"cache too small", count, grid.vertexCount, 3, 2, grid.indices},
        {"index beyond the vertices", count, grid.vertexCount, 3, 32, outOfRange},
        {"no indices", 0, grid.vertexCount, 3, 32, grid.indices},
    };
    for (const auto& c : cases) {
        Indices out(c.input.size(), 0xBEEF);
        Tipsify(c.input.data(), out.data(), c.indexCount, c.vertexCount, c.verticesPerPrimitive, c.cacheSize);
        Indices expected(c.input.begin(), c.input.begin() + c.indexCount);
        expected.resize(c.input.size(), 0xBEEF);  // nothing past indexCount is written
        EXPECT_EQ(out, expected) << c.name;
    }
}

}  // namespace
}  // namespace Korvex::Rendering
