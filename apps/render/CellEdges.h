#pragma once

#include "GridLayout.h"

#include <Korvex/Rendering/Simulation/IGeometry.h>

#include <cstddef>
#include <vector>

namespace Korvex::App {

// The cell edges on the boundary surface of the grid, each once, as line
// segments (two vertices each, normals zero). A grid line is cut into pieces
// along PieceBoundary, so the count is bounded by the grid's side, not its
// surface: about 1.6 million segments for 2048 samples a side.
std::vector<Rendering::VertexPN> BoundaryCellEdges(const GridLayout& layout);

}  // namespace Korvex::App
