#include "meshes/triangle/TriangleShaderTemplates.h"

#include "shaders/CommonStageFragments.h"
#include "shaders/JoinedText.h"

#include <array>

namespace Korvex::Rendering::detail {

// The domain stage's arithmetic at a corner of its patch (barycentric 1 on
// one corner, 0 on the others), step for step, so that both programs place
// and colour the surface alike.
constexpr auto kTriangleVertexCPieces = std::to_array<std::string_view>({R"(
TEXTURE_3D(float4, deformation_texture, 1);
[in float3 P : position]
[out float3 ouvw : sample_coord]
[out float3 view_pos : view_pos]
<CLIPPING>[out float clip_distances : clip_distance : PLANE_COUNT]</CLIPPING>

void main()
{
    float4 Plocal = float4($P$, 1.0);)", kWriteClipDistances, R"(
    float3 uvw = (Plocal.xyz - corner_min.xyz) / (corner_max.xyz - corner_min.xyz);
    float3 delta = SAMPLE_LEVEL(deformation_texture, uvw, 0.0).xyz;
    float4 view_pos = mul(model_view_matrix, float4(Plocal.xyz + deformation * delta, 1.0));
    $Position$ = mul(projection_matrix, view_pos);
    $view_pos$ = view_pos.xyz;
    $ouvw$ = uvw;
}
)"});
const std::string_view kTriangleVertexC = kJoinedText<kTriangleVertexCPieces>;

// Pixel stage B, the diffuse factor found here: the screen-space changes of
// the interpolated view-space position lie in the triangle's plane (a 2 x 2
// block of pixels evaluates one triangle), so their cross product is the
// triangle's normal, as the geometry stage computes it from the corners.
constexpr auto kTrianglePixelCPieces = std::to_array<std::string_view>({kEdgeFactorFunction, R"(
TEXTURE_3D(float4, value_texture, 2);
TEXTURE_1D(float4, gradient_texture, 3);
[in float3 uvw : sample_coord]
[in float3 view_pos : view_pos])", kTrianglePixelInterface, kDiscardClippedPixels, R"(
    float3 n = cross(ddx($view_pos$), ddy($view_pos$));
    // Seen edge-on there is no plane to take: as if facing the viewer.
    float diffuse = dot(n, n) > 0.0 ? abs(normalize(n).z) : 1.0;
    float v = SAMPLE_LEVEL(value_texture, $uvw$, 0.0).x;)", kColorFromGradient, R"(
    c.rgb *= lerp(diffuse, 1.0, brightness);)", kWriteColorAndProbes, R"(
}
)"});
const std::string_view kTrianglePixelC = kJoinedText<kTrianglePixelCPieces>;

}  // namespace Korvex::Rendering::detail
