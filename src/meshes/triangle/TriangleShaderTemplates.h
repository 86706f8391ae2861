#pragma once

#include <string_view>

namespace Korvex::Rendering::detail {

// The flat program: the surface as it is, shaded by the interpolated normal.
extern const std::string_view kTriangleVertexA;
extern const std::string_view kTrianglePixelA;

// The tessellated program: the surface refined to about one grid cell per
// piece, displaced by the vector grid, shaded flat per tessellated triangle.
extern const std::string_view kTriangleVertexB;
extern const std::string_view kTriangleHull;
extern const std::string_view kTriangleDomain;
extern const std::string_view kTriangleGeometry;
extern const std::string_view kTrianglePixelB;

// The displaced program: the tessellated one where every tessellation level
// would be 1, the vertex stage doing the domain stage's work at the corners
// and the pixel stage finding each triangle's normal from how its view-space
// position changes across the screen, where the geometry stage took it from
// the corners.
extern const std::string_view kTriangleVertexC;
extern const std::string_view kTrianglePixelC;

}  // namespace Korvex::Rendering::detail
