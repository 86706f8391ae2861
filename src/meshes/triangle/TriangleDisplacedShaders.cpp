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
[out float4 oP : position]
[out float3 ouvw : sample_coord]
[out float3 view_pos : view_pos]
<CLIPPING>[out float clip_distances : clip_distance : PLANE_COUNT]</CLIPPING>

void main()
{
    float4 Plocal = float4($P$, 1.0);)", kWriteClipDistances, R"(
    float3 uvw = (Plocal.xyz - corner_min.xyz) / (corner_max.xyz - corner_min.xyz);
    float3 delta = SAMPLE_LEVEL(deformation_texture, uvw, 0.0).xyz;
    float4 view_pos = mul(model_view_matrix, float4(Plocal.xyz + deformation * delta, 1.0));
    $oP$ = mul(projection_matrix, view_pos);
    $view_pos$ = view_pos.xyz;
    $ouvw$ = uvw;
}
)"});
const std::string_view kTriangleVertexC = kJoinedText<kTriangleVertexCPieces>;

}  // namespace Korvex::Rendering::detail
