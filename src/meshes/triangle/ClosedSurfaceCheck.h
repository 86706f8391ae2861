#pragma once

#include "meshes/triangle/VertexDictionary.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace Korvex::Rendering::detail {

using Position = std::array<float, 3>;

// Positions by the bits of their coordinates, -0.0 taken as +0.0.
template <>
struct VertexHash<Position> {
    std::uint64_t operator()(const Position& p) const noexcept {
        const std::uint64_t x = std::bit_cast<std::uint32_t>(p[0] + 0.0f);
        const std::uint64_t y = std::bit_cast<std::uint32_t>(p[1] + 0.0f);
        const std::uint64_t z = std::bit_cast<std::uint32_t>(p[2] + 0.0f);
        const std::uint64_t h = (x | y << 32) * 0x9E3779B97F4A7C15ull ^ z * 0xC2B2AE3D27D4EB4Full;
        return h ^ (h >> 29);
    }
};
template <>
struct VertexEqual<Position> {
    bool operator()(const Position& a, const Position& b) const noexcept {
        return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
    }
};

// Whether a list of triangles encloses a volume, the condition for counting
// inside and outside with the stencil buffer: every edge, its ends compared
// by position (so that a hard edge with split normals counts), is shared by
// exactly two triangles that run along it in opposite directions. Triangles
// with a repeated corner cover nothing and are left out; a NaN coordinate
// makes the surface open.
class ClosedSurfaceCheck {
public:
    // Numbers a corner of the triangles to come, 0, 1, 2... Positions are
    // matched only when IsClosed asks, all at once.
    std::uint32_t AddCorner(const float* position);
    // A triangle by the numbers of its corners.
    void AddTriangle(std::uint32_t a, std::uint32_t b, std::uint32_t c);
    // False without triangles.
    bool IsClosed() const;

private:
    // Each corner's representative: the first corner at its position; none
    // when a position is NaN.
    std::optional<std::vector<std::uint32_t>> MatchPositions() const;

    std::vector<Position> cornerPositions_;
    std::vector<std::uint32_t> triangles_;  // three corner numbers a triangle
};

}  // namespace Korvex::Rendering::detail
