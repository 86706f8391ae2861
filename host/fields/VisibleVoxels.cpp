#include "VisibleVoxels.h"

#include <algorithm>
#include <cmath>

namespace Korvex::Fields {

namespace {

using Cell = std::array<std::uint32_t, 3>;

Cell Unpack(std::uint32_t word) { return {word & 1023u, (word >> 10) & 1023u, word >> 20}; }

// What the planes do to a voxel, as far as rounding lets one tell.
enum class Clipping { Kept, Removed, Unsure };

// The voxel mesh's vertex stage, in double precision: corner n of an axis
// sits on sample n's centre, (2n + 1) / 2N across the box, and is moved by
// the model transform; a voxel goes when one corner lies behind a plane.
class PlaneTest {
public:
    PlaneTest(const VoxelPlacement& placement, std::span<const Rendering::ClipPlane> planes)
        : placement_(placement), planes_(planes) {}

    Clipping Of(const Cell& cell) const {
        Clipping result = Clipping::Kept;
        for (std::uint32_t corner = 0; corner < 8 && !planes_.empty(); ++corner) {
            const Cell node = {cell[0] + (corner & 1u), cell[1] + ((corner >> 1) & 1u), cell[2] + (corner >> 2)};
            const std::array<double, 3> p = World(node);
            for (const Rendering::ClipPlane& plane : planes_) {
                const double distance = plane.a * p[0] + plane.b * p[1] + plane.c * p[2] + plane.d;
                // The GPU sums the same terms in single precision.
                const double rounding = 1e-5 * (std::abs(plane.a * p[0]) + std::abs(plane.b * p[1]) +
                                                 std::abs(plane.c * p[2]) + std::abs(plane.d));
                if (distance < -rounding) return Clipping::Removed;
                if (distance < rounding) result = Clipping::Unsure;
            }
        }
        return result;
    }

private:
    std::array<double, 3> World(const Cell& node) const {
        std::array<double, 4> local{0, 0, 0, 1};
        for (std::size_t axis = 0; axis < 3; ++axis) {
            const double t = (1.0 + 2.0 * node[axis]) / (2.0 * static_cast<double>(placement_.samples[axis]));
            local[axis] = placement_.box.min[axis] + t * (double{placement_.box.max[axis]} - placement_.box.min[axis]);
        }
        std::array<double, 3> world{};
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 4; ++column)
                world[std::size_t(row)] +=
                    placement_.model.GetElement(row, column, false) * local[std::size_t(column)];
        return world;
    }

    const VoxelPlacement& placement_;
    std::span<const Rendering::ClipPlane> planes_;
};

}  // namespace

std::vector<std::uint32_t> VisibleVoxels(std::span<const std::uint32_t> voxels, const VoxelPlacement& placement,
                                         std::span<const Rendering::ClipPlane> planes) {
    Cell extent{0, 0, 0};
    for (const std::uint32_t word : voxels) {
        const Cell cell = Unpack(word);
        for (std::size_t axis = 0; axis < 3; ++axis) extent[axis] = std::max(extent[axis], cell[axis] + 1);
    }
    const std::uint64_t cells = std::uint64_t{extent[0]} * extent[1] * extent[2];
    if (cells > kMaxSpannedCells) return {voxels.begin(), voxels.end()};

    // Per cell of the span: in the list and certainly drawn.
    const auto indexOf = [&](const Cell& cell) {
        return cell[0] + std::uint64_t{extent[0]} * (cell[1] + std::uint64_t{extent[1]} * cell[2]);
    };
    std::vector<bool> drawn(cells, false);
    const PlaneTest planeTest(placement, planes);
    for (const std::uint32_t word : voxels) drawn[indexOf(Unpack(word))] = planeTest.Of(Unpack(word)) == Clipping::Kept;
    const auto covers = [&](Cell cell, std::size_t axis, int side) {
        if (side < 0 ? cell[axis] == 0 : cell[axis] + 1 == extent[axis]) return false;
        cell[axis] = side < 0 ? cell[axis] - 1 : cell[axis] + 1;
        return bool{drawn[indexOf(cell)]};
    };

    std::vector<std::uint32_t> visible;
    for (const std::uint32_t word : voxels) {
        const Cell cell = Unpack(word);
        if (!drawn[indexOf(cell)] && planeTest.Of(cell) == Clipping::Removed) continue;
        bool enclosed = true;
        for (std::size_t axis = 0; axis < 3 && enclosed; ++axis)
            enclosed = covers(cell, axis, -1) && covers(cell, axis, +1);
        if (!enclosed) visible.push_back(word);
    }
    return visible;
}

}  // namespace Korvex::Fields
