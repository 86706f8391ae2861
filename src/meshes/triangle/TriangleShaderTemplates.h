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
// would be 1, the vertex stage doing the domain stage's work at the corners;
// geometry and pixel stages as above.
extern const std::string_view kTriangleVertexC;

}  // namespace Korvex::Rendering::detail
