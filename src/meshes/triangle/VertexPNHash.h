#pragma once

#include <Korvex/Rendering/Simulation/IGeometry.h>

#include <bit>
#include <cstddef>
#include <cstdint>

namespace Korvex::Rendering::detail {

// Vertex identity for the builder's dictionaries, one specialisation per
// vertex type.
template <class Vertex>
struct VertexHash;
template <class Vertex>
struct VertexEqual;

// The six components' bits, -0.0 taken as +0.0 because the two compare
// equal, folded by multiplication: a few cycles a vertex, where hashing
// every byte made the hash half of a large build. Good in its high bits,
// which the dictionaries use.
template <>
struct VertexHash<VertexPN> {
    std::uint64_t operator()(const VertexPN& vertex) const noexcept {
        const float components[6] = {vertex.position[0], vertex.position[1], vertex.position[2],
                                     vertex.normal[0],   vertex.normal[1],   vertex.normal[2]};
        constexpr std::uint64_t kMultipliers[3] = {0x9E3779B97F4A7C15ull, 0xC2B2AE3D27D4EB4Full,
                                                   0x165667B19E3779F9ull};
        std::uint64_t h = 0;
        for (std::size_t pair = 0; pair < 3; ++pair) {
            const std::uint64_t low = std::bit_cast<std::uint32_t>(components[2 * pair] + 0.0f);
            const std::uint64_t high = std::bit_cast<std::uint32_t>(components[2 * pair + 1] + 0.0f);
            h ^= (low | high << 32) * kMultipliers[pair];
        }
        return h ^ (h >> 29);
    }
};

// Component-wise float ==: +0.0 equals -0.0, and a NaN component makes a
// vertex unequal to every vertex, itself included.
template <>
struct VertexEqual<VertexPN> {
    bool operator()(const VertexPN& a, const VertexPN& b) const noexcept {
        return a.position[0] == b.position[0] && a.position[1] == b.position[1] && a.position[2] == b.position[2] &&
               a.normal[0] == b.normal[0] && a.normal[1] == b.normal[1] && a.normal[2] == b.normal[2];
    }
};

}  // namespace Korvex::Rendering::detail
