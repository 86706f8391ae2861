#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace Korvex::Rendering::detail {

// Whether a list of triangles encloses a volume, the condition for counting
// inside and outside with the stencil buffer: every edge, its ends compared
// by position (so that a hard edge with split normals counts), is shared by
// exactly two triangles that run along it in opposite directions. Triangles
// with a repeated corner cover nothing and are left out; a NaN coordinate
// makes the surface open.
class ClosedSurfaceCheck {
public:
    void AddTriangle(const float* a, const float* b, const float* c);
    // False without triangles.
    bool IsClosed() const;

private:
    using Position = std::array<float, 3>;
    struct PositionHash {
        std::size_t operator()(const Position& p) const noexcept;
    };

    std::uint32_t PositionId(const float* p);

    std::unordered_map<Position, std::uint32_t, PositionHash> ids_;
    std::vector<std::uint64_t> edges_;  // directed: start id high, end id low
    bool unmatchable_ = false;
};

}  // namespace Korvex::Rendering::detail
