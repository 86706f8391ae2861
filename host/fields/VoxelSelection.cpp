#include "VoxelSelection.h"

namespace Korvex::Fields {

namespace {

VoxelSelection Failure(std::string message) {
    VoxelSelection selection;
    selection.error = std::move(message);
    return selection;
}

std::string Dimensions(const GridLayout& layout) {
    return std::to_string(layout.dimensions[0]) + "x" + std::to_string(layout.dimensions[1]) + "x" +
           std::to_string(layout.dimensions[2]);
}

bool AllCornersInside(std::span<const std::uint8_t> inside, std::size_t nx, std::size_t ny, std::size_t x,
                      std::size_t y, std::size_t z) {
    for (std::size_t corner = 0; corner < 8; ++corner)
        if (inside[(x + (corner & 1)) + nx * ((y + (corner >> 1 & 1)) + ny * (z + (corner >> 2)))] == 0) return false;
    return true;
}

}  // namespace

VoxelSelection SelectVoxels(const GridLayout& layout, std::span<const float> values, Io::Location location, float low,
                            float high, std::span<const std::uint8_t> inside, std::size_t maxVoxels) {
    const std::size_t nx = layout.dimensions[0], ny = layout.dimensions[1], nz = layout.dimensions[2];
    if (nx < 2 || ny < 2 || nz < 2)
        return Failure("voxels need at least 2 samples along every axis; the grid has " + Dimensions(layout));
    if (nx - 2 > kMaxVoxelCellXY || ny - 2 > kMaxVoxelCellXY || nz - 2 > kMaxVoxelCellZ)
        return Failure("voxels take at most 1025 samples along x and y and 4097 along z; the grid has " +
                       Dimensions(layout));
    const bool atCells = location == Io::Location::Cells;
    if (values.size() != (atCells ? (nx - 1) * (ny - 1) * (nz - 1) : nx * ny * nz))
        return Failure("voxels: " + std::to_string(values.size()) + " values for a grid of " + Dimensions(layout));

    VoxelSelection selection;
    std::size_t chosen = 0;
    const auto at = [&](std::size_t x, std::size_t y, std::size_t z) {
        return static_cast<double>(values[x + nx * (y + ny * z)]);
    };
    for (std::size_t z = 0; z + 1 < nz; ++z)
        for (std::size_t y = 0; y + 1 < ny; ++y)
            for (std::size_t x = 0; x + 1 < nx; ++x) {
                const double value =
                    atCells ? static_cast<double>(values[x + (nx - 1) * (y + (ny - 1) * z)])
                            : (at(x, y, z) + at(x + 1, y, z) + at(x, y + 1, z) + at(x + 1, y + 1, z) + at(x, y, z + 1) +
                               at(x + 1, y, z + 1) + at(x, y + 1, z + 1) + at(x + 1, y + 1, z + 1)) /
                                  8.0;
                if (value < static_cast<double>(low) || value > static_cast<double>(high)) continue;
                if (!inside.empty() && !AllCornersInside(inside, nx, ny, x, y, z)) continue;
                // Counted on past the limit, so that the message can say how many.
                if (++chosen <= maxVoxels)
                    selection.voxels.push_back(PackVoxel(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y),
                                                         static_cast<std::uint32_t>(z)));
            }
    if (chosen > maxVoxels)
        return Failure(std::to_string(chosen) + " cells lie in the voxel range, more than the " +
                       std::to_string(maxVoxels) + " drawn at most: narrow the range");
    return selection;
}

}  // namespace Korvex::Fields
