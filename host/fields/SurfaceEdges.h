#pragma once

#include "LinearCells.h"
#include "SurfaceFaces.h"

#include <Korvex/Rendering/Simulation/IGeometry.h>

#include <span>
#include <vector>

namespace Korvex::Fields {

// The cell edges on the surface, each once, as line segments (two vertices
// each, normals zero) for BuildLineGeometry: the sides of the surface faces,
// not the diagonals that cut them into triangles.
std::vector<Rendering::VertexPN> SurfaceEdges(const LinearCells& cells, std::span<const SurfaceFace> faces);

}  // namespace Korvex::Fields
