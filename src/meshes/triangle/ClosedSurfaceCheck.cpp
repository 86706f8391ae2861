#include "meshes/triangle/ClosedSurfaceCheck.h"

#include <algorithm>

namespace Korvex::Rendering::detail {

std::uint32_t ClosedSurfaceCheck::AddCorner(const float* position) {
    cornerPositions_.push_back({position[0], position[1], position[2]});
    return static_cast<std::uint32_t>(cornerPositions_.size() - 1);
}

void ClosedSurfaceCheck::AddTriangle(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    triangles_.insert(triangles_.end(), {a, b, c});
}

// One tight loop of lookups started ahead, whose cache misses overlap,
// where a lookup per corner as it came would wait for each.
std::optional<std::vector<std::uint32_t>> ClosedSurfaceCheck::MatchPositions() const {
    std::vector<std::uint32_t> representative(cornerPositions_.size());
    VertexDictionary<Position> seen;
    seen.Reserve(cornerPositions_.size(), cornerPositions_.data());
    constexpr std::size_t kLookAhead = 8;
    for (std::uint32_t corner = 0; corner < cornerPositions_.size(); ++corner) {
        if (corner + kLookAhead < cornerPositions_.size()) seen.Prefetch(cornerPositions_[corner + kLookAhead]);
        const Position& position = cornerPositions_[corner];
        if (!VertexEqual<Position>{}(position, position)) return std::nullopt;  // NaN: never the same position
        const auto probe = seen.Find(position, cornerPositions_.data());
        if (!probe.found) seen.Add(probe, corner);
        representative[corner] = probe.found ? probe.id : corner;
    }
    return representative;
}

// The directed edges between representatives, grouped by their start (a
// counting sort): no edge may occur twice, and each must find its reverse
// among the edges of its end. The groups are short (about six edges), so
// plain scans beat sorting. Triangles with a repeated corner cover nothing
// and are left out.
bool ClosedSurfaceCheck::IsClosed() const {
    const std::optional<std::vector<std::uint32_t>> representative = MatchPositions();
    if (!representative) return false;
    const auto covers = [&](std::size_t t) {
        const std::uint32_t a = (*representative)[triangles_[t]], b = (*representative)[triangles_[t + 1]],
                            c = (*representative)[triangles_[t + 2]];
        return a != b && b != c && c != a;
    };
    const std::size_t cornerCount = cornerPositions_.size();
    std::vector<std::uint32_t> first(cornerCount + 1, 0);
    std::size_t edgeCount = 0;
    for (std::size_t t = 0; t < triangles_.size(); t += 3) {
        if (!covers(t)) continue;
        for (std::size_t k = 0; k < 3; ++k) ++first[(*representative)[triangles_[t + k]] + 1];
        edgeCount += 3;
    }
    if (edgeCount == 0) return false;
    for (std::size_t p = 0; p < cornerCount; ++p) first[p + 1] += first[p];
    std::vector<std::uint32_t> ends(edgeCount);
    std::vector<std::uint32_t> next(first.begin(), first.end() - 1);
    for (std::size_t t = 0; t < triangles_.size(); t += 3) {
        if (!covers(t)) continue;
        for (std::size_t k = 0; k < 3; ++k)
            ends[next[(*representative)[triangles_[t + k]]]++] = (*representative)[triangles_[t + (k + 1) % 3]];
    }

    // Without repeats, the edges pair up with their reverses exactly when
    // every edge up the numbering finds its reverse.
    std::size_t pairs = 0;
    for (std::uint32_t start = 0; start < cornerCount; ++start) {
        const std::uint32_t* edges = ends.data() + first[start];
        const std::uint32_t* edgesEnd = ends.data() + first[start + 1];
        for (const std::uint32_t* edge = edges; edge != edgesEnd; ++edge) {
            if (std::find(edges, edge, *edge) != edge) return false;
            if (*edge < start) continue;
            const std::uint32_t* back = ends.data() + first[*edge];
            const std::uint32_t* backEnd = ends.data() + first[*edge + 1];
            if (std::find(back, backEnd, start) == backEnd) return false;
            ++pairs;
        }
    }
    return 2 * pairs == edgeCount;
}

}  // namespace Korvex::Rendering::detail
