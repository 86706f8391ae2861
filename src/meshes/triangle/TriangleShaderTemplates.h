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

}  // namespace Korvex::Rendering::detail
