#include "meshes/triangle/ClosedSurfaceCheck.h"

#include "core/CacheKey.h"

#include <algorithm>

namespace Korvex::Rendering::detail {

std::size_t ClosedSurfaceCheck::PositionHash::operator()(const Position& p) const noexcept {
    // +0.0 and -0.0 are one position.
    const Position canonical{p[0] + 0.0f, p[1] + 0.0f, p[2] + 0.0f};
    return Fnv1a64(canonical.data(), sizeof canonical);
}

std::uint32_t ClosedSurfaceCheck::PositionId(const float* p) {
    const Position position{p[0], p[1], p[2]};
    if (position != position) unmatchable_ = true;  // NaN: never the same position twice
    return ids_.try_emplace(position, static_cast<std::uint32_t>(ids_.size())).first->second;
}

void ClosedSurfaceCheck::AddTriangle(const float* a, const float* b, const float* c) {
    const std::array<std::uint64_t, 3> corners{PositionId(a), PositionId(b), PositionId(c)};
    if (corners[0] == corners[1] || corners[1] == corners[2] || corners[2] == corners[0]) return;
    for (std::size_t i = 0; i < 3; ++i) edges_.push_back(corners[i] << 32 | corners[(i + 1) % 3]);
}

bool ClosedSurfaceCheck::IsClosed() const {
    if (unmatchable_ || edges_.empty()) return false;
    std::vector<std::uint64_t> sorted = edges_;
    std::sort(sorted.begin(), sorted.end());
    // Each directed edge once, and its reverse once: two triangles, opposite ways.
    if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) return false;
    return std::all_of(sorted.begin(), sorted.end(), [&](std::uint64_t edge) {
        return std::binary_search(sorted.begin(), sorted.end(), edge << 32 | edge >> 32);
    });
}

}  // namespace Korvex::Rendering::detail
