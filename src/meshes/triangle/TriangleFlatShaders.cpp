#include "meshes/triangle/TriangleShaderTemplates.h"

#include "shaders/CommonStageFragments.h"
#include "shaders/JoinedText.h"

#include <array>

namespace Korvex::Rendering::detail {

constexpr auto kTriangleVertexAPieces = std::to_array<std::string_view>({R"(
[in float3 P : position]
[in float3 N : normal]
[out float4 uvw : sample_coord]
[out float3 oN : normal]
<CLIPPING>[out float clip_distances : clip_distance : PLANE_COUNT]</CLIPPING>

void main()
{
    float4 Plocal = float4($P$, 1.0);
    float3 Nlocal = $N$;
<DRAWING_PLANE>
    Plocal = mul(unit_plane_matrix, Plocal);
    Nlocal = mul(unit_plane_matrix, float4(Nlocal, 0.0)).xyz;
</DRAWING_PLANE>
    $uvw$ = float4((Plocal.xyz - corner_min.xyz) / (corner_max.xyz - corner_min.xyz), 1.0);)", kWriteClipDistances, R"(
    $Position$ = mul(model_view_projection_matrix, Plocal);
    $oN$ = mul(normal_matrix, float4(Nlocal, 0.0)).xyz;
}
)"});
const std::string_view kTriangleVertexA = kJoinedText<kTriangleVertexAPieces>;

constexpr auto kTrianglePixelAPieces = std::to_array<std::string_view>({kEdgeFactorFunction, R"(
TEXTURE_3D(float4, value_texture, 2);
TEXTURE_1D(float4, gradient_texture, 3);
[in float4 uvw : sample_coord]
[in float3 N : normal])", kTrianglePixelInterface, kDiscardClippedPixels, R"(
    // Both sides lit alike; a zero normal (geometry without normals) as if
    // facing the viewer, where normalize would give NaN.
    float diffuse = dot($N$, $N$) > 0.0 ? abs(normalize($N$).z) : 1.0;
    float v = SAMPLE_LEVEL(value_texture, $uvw$.xyz, 0.0).x;)", kColorFromGradient, R"(
    c.rgb *= lerp(diffuse, 1.0, brightness);)", kWriteColorAndProbes, R"(
}
)"});
const std::string_view kTrianglePixelA = kJoinedText<kTrianglePixelAPieces>;

}  // namespace Korvex::Rendering::detail
