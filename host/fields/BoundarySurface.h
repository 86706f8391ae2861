#pragma once

#include "GridLayout.h"

#include <Korvex/Rendering/Simulation/IGeometry.h>

#include <vector>

namespace Korvex::Fields {

// The surface of the box of cells as triangles, three vertices each, wound
// counter-clockwise seen from outside, with outward normals; closed, so that
// caps can tell its inside from its outside. Each face is split into quads
// along PieceBoundary. A grid flat along one axis gives one
// sheet; a grid flat along two axes has no surface (empty result).
std::vector<Rendering::VertexPN> BoundarySurface(const GridLayout& layout);

}  // namespace Korvex::Fields
