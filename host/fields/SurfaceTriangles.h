#pragma once

#include "LinearCells.h"
#include "SurfaceFaces.h"

#include <Korvex/Rendering/Simulation/IGeometry.h>

#include <span>
#include <vector>

namespace Korvex::Fields {

// The surface faces as triangles, three vertices each, for
// BuildTriangleGeometry. A solid's face is wound counter-clockwise seen from
// outside its cell, so that the surface of a solid mesh is closed and
// consistently wound (what capping needs); a shell keeps its own winding.
// Quadrilaterals are cut along their shorter diagonal. Normals are averaged
// over the triangles around a point whose planes lie within kCreaseAngle of
// each other, so curved surfaces shade smoothly and box corners stay sharp.
std::vector<Rendering::VertexPN> SurfaceTriangles(const LinearCells& cells, std::span<const SurfaceFace> faces);

inline constexpr double kCreaseDegrees = 40.0;

}  // namespace Korvex::Fields
