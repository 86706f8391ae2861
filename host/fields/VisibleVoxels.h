#pragma once

#include <Korvex/Math/KxTransformMatrix.h>
#include <Korvex/Rendering/ClipPlane.h>
#include <Korvex/Rendering/boundingbox.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace Korvex::Fields {

// Where the voxel mesh puts its cells: the sample counts of its scalar grid,
// the box given to SetGrids and the model transform.
struct VoxelPlacement {
    std::array<std::size_t, 3> samples{};
    Rendering::boundingbox<float, 3> box;
    Rendering::KxTransformMatrix model;
};

// The voxels of a list (packed cell indices, in their order) that an opaque
// voxel mesh can show: it draws a voxel only when no clip plane has one of
// its corners behind it, and a voxel whose six neighbours it draws is hidden
// inside them. So the list keeps the voxels that the planes may leave and
// that have a neighbour the list lacks or the planes may remove: a cut
// through a block shows its inside. Where the corners lie within rounding of
// a plane, the voxel counts as maybe drawn: kept, and not covering.
// The picture of an opaque, undeformed mesh is the same with either list;
// see-through voxels show what lies inside, and a deformation can fold a
// block open, so draw those with the whole list. A list spanning more than
// kMaxSpannedCells cells is returned as it is.
inline constexpr std::uint64_t kMaxSpannedCells = std::uint64_t{1} << 30;
std::vector<std::uint32_t> VisibleVoxels(std::span<const std::uint32_t> voxels, const VoxelPlacement& placement,
                                         std::span<const Rendering::ClipPlane> planes);

}  // namespace Korvex::Fields
