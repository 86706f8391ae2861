#include "meshes/voxel/CoveredFaces.h"

#include <algorithm>
#include <array>

namespace Korvex::Rendering::detail {

namespace {

using Cell = std::array<std::uint32_t, 3>;

Cell Unpack(std::uint32_t word) { return {word & 1023u, (word >> 10) & 1023u, word >> 20}; }

}  // namespace

std::vector<std::uint8_t> CoveredFaces(std::span<const std::uint32_t> voxels) {
    std::vector<std::uint8_t> covered(voxels.size(), 0);
    Cell extent{0, 0, 0};
    for (const std::uint32_t word : voxels) {
        const Cell cell = Unpack(word);
        for (std::size_t axis = 0; axis < 3; ++axis) extent[axis] = std::max(extent[axis], cell[axis] + 1);
    }
    const std::uint64_t cells = std::uint64_t{extent[0]} * extent[1] * extent[2];
    if (voxels.empty() || cells > kMaxCoveredCells) return covered;

    const auto bitOf = [&](const Cell& cell) {
        return cell[0] + std::uint64_t{extent[0]} * (cell[1] + std::uint64_t{extent[1]} * cell[2]);
    };
    std::vector<bool> occupied(cells, false);
    for (const std::uint32_t word : voxels) occupied[bitOf(Unpack(word))] = true;
    for (std::size_t v = 0; v < voxels.size(); ++v) {
        const Cell cell = Unpack(voxels[v]);
        for (int face = 0; face < 6; ++face) {
            Cell neighbour = cell;
            std::uint32_t& along = neighbour[std::size_t(kFaceAxis[face])];
            // Past either end of the span there is no neighbour.
            if (kFaceSide[face] < 0 ? along == 0 : along + 1 == extent[std::size_t(kFaceAxis[face])]) continue;
            along = kFaceSide[face] < 0 ? along - 1 : along + 1;
            if (occupied[bitOf(neighbour)]) covered[v] = static_cast<std::uint8_t>(covered[v] | 1u << face);
        }
    }
    return covered;
}

}  // namespace Korvex::Rendering::detail
