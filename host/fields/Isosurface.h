#pragma once

#include "GridLayout.h"

#include <Korvex/Rendering/Simulation/IGeometry.h>

#include <cstdint>
#include <span>
#include <vector>

namespace Korvex::Fields {

// Where the field sampled on the grid takes isoValue, as triangles of three
// vertices; values x fastest, then y, then z. The field is linear in each of
// six tetrahedra per cell, which share the cell's diagonal from its lowest
// to its highest corner, so that neighbouring cells cut their common face
// alike and the surface has no cracks. Triangles are counter-clockwise seen
// from the side of higher values; normals are the field's gradient (central
// differences at the samples, one-sided at the border, interpolated) made
// unit, pointing to higher values. A vertex shared by triangles is computed
// once from the same two samples, so the geometry builder merges its copies
// exactly. Cells with a corner that is NaN or set beyond every range give
// nothing, and so does a grid flat along an axis. With inside (a flag per
// sample), the surface ends where the flags, interpolated as the field is,
// reach a half: halfway between samples inside and outside. Raises
// std::invalid_argument when the values or flags are fewer than the grid's
// samples.
std::vector<Rendering::VertexPN> Isosurface(const GridLayout& grid, std::span<const float> values, float isoValue,
                                            std::span<const std::uint8_t> inside = {});

}  // namespace Korvex::Fields
