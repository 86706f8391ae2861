#pragma once

#include <Korvex/Rendering/Simulation/IGeometry.h>
#include <Korvex/Rendering/boundingbox.h>

#include <array>
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

}  // namespace Korvex::Fields
