#pragma once

#include "GridLayout.h"

#include <Korvex/Rendering/Simulation/IGeometry.h>

#include <cstddef>
#include <vector>

namespace Korvex::Fields {

// The cell edges on the boundary surface of a grid whose cell walls lie at
// the given positions along each axis, each edge once, as line segments (two
// vertices each, normals zero). A grid line is cut into pieces along
// PieceBoundary, so the count is bounded by the grid's side, not its
// surface: about 1.6 million segments for 2048 samples a side.
std::vector<Rendering::VertexPN> BoundaryCellEdges(const AxisPositions& walls);

}  // namespace Korvex::Fields
