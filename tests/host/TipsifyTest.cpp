#include <Korvex/Rendering/Gpu/Utilities.h>

#include <meshoptimizer.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace Korvex::Rendering {
namespace {

using Indices = std::vector<std::uint16_t>;
using Triangle = std::array<std::uint16_t, 3>;

constexpr std::uint16_t kCacheSize = 32;

struct Mesh {
    Indices indices;
    std::uint32_t vertexCount = 0;
};

// Two triangles per cell of a (cells x cells) grid, row by row.
Mesh Grid(int cells) {
    Mesh mesh;
    const int side = cells + 1;
    mesh.vertexCount = static_cast<std::uint32_t>(side * side);
    for (int y = 0; y < cells; ++y)
        for (int x = 0; x < cells; ++x) {
            const auto v = [&](int dx, int dy) { return static_cast<std::uint16_t>((y + dy) * side + x + dx); };
            mesh.indices.insert(mesh.indices.end(), {v(0, 0), v(1, 0), v(1, 1), v(0, 0), v(1, 1), v(0, 1)});
        }
    return mesh;
}

std::vector<Triangle> Triangles(const Indices& indices) {
    std::vector<Triangle> triangles;
    for (std::size_t i = 0; i + 2 < indices.size(); i += 3)
        triangles.push_back({indices[i], indices[i + 1], indices[i + 2]});
    return triangles;
}

// The same triangles in a random order.
Mesh Shuffled(Mesh mesh, unsigned seed) {
    std::vector<Triangle> triangles = Triangles(mesh.indices);
    std::shuffle(triangles.begin(), triangles.end(), std::mt19937(seed));
    mesh.indices.clear();
    for (const Triangle& t : triangles) mesh.indices.insert(mesh.indices.end(), t.begin(), t.end());
    return mesh;
}

Indices Optimised(const Mesh& mesh) {
    Indices out(mesh.indices.size());
    Tipsify(mesh.indices.data(), out.data(), static_cast<std::uint32_t>(mesh.indices.size()), mesh.vertexCount, 3,
            kCacheSize);
    return out;
}

std::vector<Triangle> SortedTriangles(const Indices& indices) {
    std::vector<Triangle> triangles = Triangles(indices);
    std::sort(triangles.begin(), triangles.end());
    return triangles;
}

float Acmr(const Indices& indices, std::uint32_t vertexCount) {
    return meshopt_analyzeVertexCache(indices.data(), indices.size(), vertexCount, kCacheSize, 0, 0).acmr;
}

// Triangles are moved whole: each keeps its vertices in their order, so winding
// and the provoking vertex survive.
TEST(TipsifyTest, OutputHoldsTheSameTrianglesInTheirOwnVertexOrder) {
    for (const Mesh& mesh : {Grid(1), Grid(20), Shuffled(Grid(20), 7), Shuffled(Grid(40), 11)}) {
        const Indices out = Optimised(mesh);
        EXPECT_EQ(SortedTriangles(out), SortedTriangles(mesh.indices)) << mesh.indices.size() << " indices";
    }
}

TEST(TipsifyTest, CacheMissesDoNotRise) {
    struct Case {
        std::string name;
        Mesh mesh;
    };
    const Case cases[] = {{"rows", Grid(30)}, {"shuffled", Shuffled(Grid(30), 3)}, {"small", Grid(2)}};
    for (const Case& c : cases) {
        const float before = Acmr(c.mesh.indices, c.mesh.vertexCount);
        const float after = Acmr(Optimised(c.mesh), c.mesh.vertexCount);
        EXPECT_LE(after, before) << c.name;
    }
    // A random order wastes most of the cache; the optimiser must win back a lot.
    const Mesh shuffled = Shuffled(Grid(30), 5);
    EXPECT_LT(Acmr(Optimised(shuffled), shuffled.vertexCount), 0.8f * Acmr(shuffled.indices, shuffled.vertexCount));
}

TEST(TipsifyTest, WorksInPlace) {
    const Mesh mesh = Shuffled(Grid(10), 9);
    Indices inPlace = mesh.indices;
    const auto count = static_cast<std::uint32_t>(inPlace.size());
    Tipsify(inPlace.data(), inPlace.data(), count, mesh.vertexCount, 3, kCacheSize);
    EXPECT_EQ(inPlace, Optimised(mesh));
}

TEST(TipsifyTest, InputItCannotReorderIsCopiedUnchanged) {
    const Mesh grid = Shuffled(Grid(3), 1);
    struct Case {
        std::string name;
        std::uint32_t indexCount;
        std::uint32_t vertexCount;
        std::uint32_t verticesPerPrimitive;
        std::uint16_t cacheSize;
        Indices input;
    };
    Indices outOfRange = grid.indices;
    outOfRange[5] = static_cast<std::uint16_t>(grid.vertexCount);
    const auto count = static_cast<std::uint32_t>(grid.indices.size());
    const Case cases[] = {
        {"lines", count, grid.vertexCount, 2, kCacheSize, grid.indices},
        {"partial triangle", count - 1, grid.vertexCount, 3, kCacheSize, grid.indices},
        {"cache too small", count, grid.vertexCount, 3, 2, grid.indices},
        {"index beyond the vertices", count, grid.vertexCount, 3, kCacheSize, outOfRange},
        {"no vertices", count, 0, 3, kCacheSize, grid.indices},
    };
    for (const Case& c : cases) {
        Indices out(c.input.size(), 0xBEEF);
        Tipsify(c.input.data(), out.data(), c.indexCount, c.vertexCount, c.verticesPerPrimitive, c.cacheSize);
        Indices expected(c.input.begin(), c.input.begin() + c.indexCount);
        expected.resize(c.input.size(), 0xBEEF);  // nothing past indexCount is written
        EXPECT_EQ(out, expected) << c.name;
    }
}

TEST(TipsifyTest, EmptyListWritesNothing) {
    Indices out(3, 0xBEEF);
    Tipsify(nullptr, out.data(), 0, 10, 3, kCacheSize);
    EXPECT_EQ(out, Indices(3, 0xBEEF));
}

TEST(TipsifyTest, ConcurrentCallsMatchSerialCalls) {
    constexpr int kThreads = 8;
    std::vector<Mesh> meshes;
    std::vector<Indices> serial;
    for (int t = 0; t < kThreads; ++t) {
        meshes.push_back(Shuffled(Grid(40 + t), static_cast<unsigned>(t)));
        serial.push_back(Optimised(meshes.back()));
    }
    std::vector<Indices> parallel(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < 5; ++round) parallel[t] = Optimised(meshes[t]);
        });
    for (std::thread& thread : threads) thread.join();
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(parallel[t], serial[t]) << "thread " << t;
}

}  // namespace
}  // namespace Korvex::Rendering
