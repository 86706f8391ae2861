#include "meshes/triangle/TriangleShaderTemplates.h"

namespace Korvex::Rendering::detail {

const std::string_view kTriangleVertexA = R"(
[in float3 P : position]
[in float3 N : normal]
[out float4 uvw : sample_coord]
[out float3 oN : normal]
<CLIPPING>[out float clip_distances : clip_distance : PLANE_COUNT]</CLIPPING>
<PROBE_POSITION>[out float DepthClip : DepthClip]</PROBE_POSITION>

void main()
{
    float4 Plocal = float4($P$, 1.0);
    float3 Nlocal = $N$;
<DRAWING_PLANE>
    Plocal = mul(unit_plane_matrix, Plocal);
    Nlocal = mul(unit_plane_matrix, float4(Nlocal, 0.0)).xyz;
</DRAWING_PLANE>
    $uvw$ = float4((Plocal.xyz - corner_min.xyz) / (corner_max.xyz - corner_min.xyz), 1.0);
<CLIPPING>
    float4 Pw = mul(model_matrix, Plocal);
    [unroll]
    for (int i = 0; i < PLANE_COUNT; ++i)
    {
        $clip_distances[i]$ = dot(clip_planes[i], Pw);
    }
</CLIPPING>
    float4 PositionClip = mul(model_view_projection_matrix, Plocal);
    $Position$ = PositionClip;
    $oN$ = mul(normal_matrix, float4(Nlocal, 0.0)).xyz;
<PROBE_POSITION>
    $DepthClip$ = PositionClip.z / PositionClip.w;
</PROBE_POSITION>
}
)";

const std::string_view kTrianglePixelA = R"(
float edge_factor(float x)
{
    return smoothstep(0.0, 1.5 * fwidth(x), x);
}
TEXTURE_3D(float4, value_texture, 2);
TEXTURE_1D(float4, gradient_texture, 3);
[in float4 uvw : sample_coord]
[in float3 N : normal]
<CLIPPING>[in float clip_distances : clip_distance : PLANE_COUNT]</CLIPPING>
<PROBE_POSITION>[in float DepthClip : DepthClip]
[out float4 oDepthClip : 2]</PROBE_POSITION>
[out float4 color : 0]
<PROBE_VALUE>[out float4 value : 1]</PROBE_VALUE>

void main()
{
<CLIPPING>
    [unroll]
    for (int i = 0; i < PLANE_COUNT; ++i)
    {
        if ($clip_distances[i]$ < 0.0)
        {
            discard;
        }
    }
</CLIPPING>
    // Both sides lit alike.
    float diffuse = abs(normalize($N$).z);
    float v = SAMPLE_LEVEL(value_texture, $uvw$.xyz, 0.0).x;
    float u = (v - min_sample_value) / sample_value_range;
    float fD = edge_factor(v - max_value);
    float fd = edge_factor(min_value - v);
    float fs = 1.0 - fD - fd;
    float4 c = fs * SAMPLE(gradient_texture, u) + fD * overflow_color + fd * underflow_color;
    c.rgb *= lerp(diffuse, 1.0, brightness);
    c.a *= alpha_value;
    $color$ = c;
<PROBE_VALUE>
    $value$ = float4(v, v, v, v);
</PROBE_VALUE>
<PROBE_POSITION>
    $oDepthClip$ = float4($DepthClip$, $DepthClip$, $DepthClip$, $DepthClip$);
</PROBE_POSITION>
}
)";

}  // namespace Korvex::Rendering::detail
