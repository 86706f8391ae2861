#pragma once

#include "GridLayout.h"

#include <Dataset.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace Korvex::Fields {

// The packed cell index of the voxel mesh: ix in bits 0-9, iy in bits 10-19,
// iz in bits 20-31.
inline constexpr std::size_t kMaxVoxelCellXY = 1023;
inline constexpr std::size_t kMaxVoxelCellZ = 4095;
inline constexpr std::uint32_t PackVoxel(std::uint32_t ix, std::uint32_t iy, std::uint32_t iz) {
    return ix + (iy << 10) + (iz << 20);
}

// Enough to show any range sensibly, and far below what one buffer takes.
inline constexpr std::size_t kMaxVoxels = std::size_t{1} << 24;

struct VoxelSelection {
    std::vector<std::uint32_t> voxels;  // z slowest, x fastest
    std::string error;                  // why no list could be made; empty otherwise
};

// The cells of the grid of points whose value lies in [low, high]: values at
// cells give each cell its own, values at points the mean of its 8 corners.
// With inside (one flag per point), only cells whose 8 corners are all
// inside are chosen. Fails for a grid with fewer than 2 points along an
// axis, cells beyond what the packing holds, or more than maxVoxels cells
// chosen.
VoxelSelection SelectVoxels(const GridLayout& points, std::span<const float> values, Io::Location location, float low,
                            float high, std::span<const std::uint8_t> inside = {}, std::size_t maxVoxels = kMaxVoxels);

}  // namespace Korvex::Fields
