#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace Korvex::Rendering::detail {

// The faces of the geometry stage's table in bit order: -y, +z, +x, -z, -x, +y.
inline constexpr int kFaceAxis[6] = {1, 2, 0, 2, 0, 1};
inline constexpr int kFaceSide[6] = {-1, 1, 1, -1, -1, 1};

// Per voxel of the list, the faces across which the list holds the
// neighbouring cell (bit f for face f). Found through an occupancy bit per
// cell of the box the list spans; a list spanning more than kMaxCoveredCells
// cells gets no bits, which leaves every face to be drawn.
inline constexpr std::uint64_t kMaxCoveredCells = std::uint64_t{1} << 28;
std::vector<std::uint8_t> CoveredFaces(std::span<const std::uint32_t> voxels);

}  // namespace Korvex::Rendering::detail
