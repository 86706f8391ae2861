#include "meshes/triangle/VertexPNHash.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>

namespace Korvex::Rendering::detail {
namespace {

// The vertex hash written out from its definition, byte by byte.
std::uint64_t Fnv(const unsigned char* bytes, std::size_t size) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (std::size_t i = 0; i < size; ++i) h = (h ^ bytes[i]) * 0x100000001b3ull;
    return h;
}

std::uint64_t ReferenceHash(const VertexPN& vertex) {
    const float components[] = {vertex.position[0], vertex.position[1], vertex.position[2],
                                vertex.normal[0],   vertex.normal[1],   vertex.normal[2]};
    constexpr std::uint64_t m = 0xc6a4a7935bd1e995ull;
    std::uint64_t seed = 0;
    for (float component : components) {
        if (component == 0.0f) component = 0.0f;
        std::uint32_t bits;
        std::memcpy(&bits, &component, 4);
        const unsigned char floatBytes[4] = {static_cast<unsigned char>(bits), static_cast<unsigned char>(bits >> 8),
                                             static_cast<unsigned char>(bits >> 16),
                                             static_cast<unsigned char>(bits >> 24)};
        const std::uint64_t h = Fnv(floatBytes, 4);
        unsigned char hashBytes[8];
        for (int i = 0; i < 8; ++i) hashBytes[i] = static_cast<unsigned char>(h >> (8 * i));
        std::uint64_t k = Fnv(hashBytes, 8) * m;
        k ^= k >> 47;
        k *= m;
        seed = (seed ^ k) * m + 0xe6546b64ull;
    }
    return seed;
}

TEST(VertexPNHashTest, FoldsTheFnvOfEachComponentInOrder) {
    const VertexPN vertices[] = {
        {{0, 0, 0}, {0, 0, 0}},
        {{1.5f, -2.0f, 3.25f}, {0, 0, 1}},
        {{0, 0, 1}, {1.5f, -2.0f, 3.25f}},
        {{1e30f, -1e-30f, 7}, {-1, 0.5f, 0.25f}},
    };
    for (const VertexPN& vertex : vertices) EXPECT_EQ(VertexHash<VertexPN>{}(vertex), ReferenceHash(vertex));
    EXPECT_NE(VertexHash<VertexPN>{}(vertices[1]), VertexHash<VertexPN>{}(vertices[2])) << "order matters";
}

TEST(VertexPNHashTest, SignedZerosAreOneVertex) {
    const VertexPN positive{{0, 1, 0}, {0, 0, 0}};
    const VertexPN negative{{-0.0f, 1, -0.0f}, {-0.0f, -0.0f, 0}};
    EXPECT_TRUE(VertexEqual<VertexPN>{}(positive, negative));
    EXPECT_EQ(VertexHash<VertexPN>{}(positive), VertexHash<VertexPN>{}(negative));
}

TEST(VertexPNHashTest, EqualityIsPerComponentFloatEquality) {
    const VertexPN base{{1, 2, 3}, {4, 5, 6}};
    EXPECT_TRUE(VertexEqual<VertexPN>{}(base, base));
    for (int component = 0; component < 6; ++component) {
        VertexPN other = base;
        float* values = component < 3 ? other.position : other.normal;
        values[component % 3] += 0.5f;
        EXPECT_FALSE(VertexEqual<VertexPN>{}(base, other)) << component;
    }
    VertexPN withNan = base;
    withNan.normal[2] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(VertexEqual<VertexPN>{}(withNan, withNan));
}

}  // namespace
}  // namespace Korvex::Rendering::detail
