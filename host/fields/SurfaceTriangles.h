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
inline constexpr double kMostPiecesPerEdge = 256.0;

// Each triangle (three vertices each) with an edge longer than maxEdge cut
// into n^2 alike, n the fewest that bring its edges within maxEdge (at most
// kMostPiecesPerEdge; none when maxEdge is not above 0); wound and lit as
// the triangle. A neighbour cut otherwise no longer shares whole edges with
// it: for a surface drawn deformed, which is never capped, and for slices.
std::vector<Rendering::VertexPN> SplitLongTriangles(std::vector<Rendering::VertexPN> triangles, double maxEdge);

}  // namespace Korvex::Fields
