#pragma once

#include "GridLayout.h"

#include <Korvex/Rendering/Simulation/IGeometry.h>
#include <Korvex/Rendering/boundingbox.h>

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace Korvex::Fields {

// The part of the plane a*x + b*y + c*z + d = 0 inside box, as triangles of
// three vertices, counter-clockwise seen from the side that (a, b, c) points
// to, every normal (a, b, c) made unit. Each triangle of the polygon is cut
// into equal pieces no longer than maxPiece a side (at most 256 a side), so
// that a deformed slice follows the grid. Empty when the plane misses the
// box, touches it without area, or (a, b, c) is zero or not finite.
std::vector<Rendering::VertexPN> SliceTriangles(const Rendering::boundingbox<float, 3>& box,
                                               const std::array<double, 4>& plane, double maxPiece);

// The part of the plane inside (a flag per sample of grid, i fastest), cut
// cell by cell and ending as Isosurface's surfaces do, facing and lit as
// SliceTriangles' triangles: for the lattice a mesh is resampled onto, so
// that the slice ends within half a cell's diagonal of the mesh's surface
// instead of filling the lattice's box. Empty as Isosurface is.
std::vector<Rendering::VertexPN> SliceInside(const GridLayout& grid, std::span<const std::uint8_t> inside,
                                            const std::array<double, 4>& plane);

}  // namespace Korvex::Fields
