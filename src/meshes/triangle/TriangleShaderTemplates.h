#pragma once

#include <string_view>

namespace Korvex::Rendering::detail {

// The pixel stages' clip distances in, colour and probes out, up to the
// opening of main (a template piece, as in shaders/CommonStageFragments.h).
inline constexpr std::string_view kTrianglePixelInterface = R"(
<CLIPPING>[in float clip_distances : clip_distance : PLANE_COUNT]</CLIPPING>
<PROBE_POSITION>[out float4 oDepthClip : 2]</PROBE_POSITION>
[out float4 color : 0]
<PROBE_VALUE>[out float4 value : 1]</PROBE_VALUE>

void main()
{)";

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
