#include "meshes/triangle/TriangleShaderTemplates.h"

#include "shaders/CommonStageFragments.h"
#include "shaders/JoinedText.h"

#include <array>

namespace Korvex::Rendering::detail {

constexpr auto kTriangleVertexBPieces = std::to_array<std::string_view>({R"(
[in float3 P : position]
[out float3 oP : position]
[out float3 uvw : sample_coord]
<CLIPPING>[out float clip_distances : clip_distance : PLANE_COUNT]</CLIPPING>

void main()
{
    float4 Plocal = float4($P$, 1.0);
<DRAWING_PLANE>
    Plocal = mul(unit_plane_matrix, Plocal);
</DRAWING_PLANE>)", kWriteClipDistances, R"(
    $oP$ = Plocal.xyz;
    $uvw$ = (Plocal.xyz - corner_min.xyz) / (corner_max.xyz - corner_min.xyz);
}
)"});
const std::string_view kTriangleVertexB = kJoinedText<kTriangleVertexBPieces>;

// Each edge is split into pieces of about the smallest grid cell, at most 64;
// a patch behind every clip plane is dropped before it is tessellated.
constexpr auto kTriangleHullPieces = std::to_array<std::string_view>({R"(
[domain = triangle]
[spacing = equal]
[input_control_points = 3]
[output_control_points = 3]
[output_topology = triangles]
[in float3 P : position]
[in float3 uvw : sample_coord]
<CLIPPING>[in float clip_distances : clip_distance : PLANE_COUNT]</CLIPPING>
[out float3 oP : position]
[out float3 ouvw : sample_coord]
<CLIPPING>[out float oclip_distances : clip_distance : PLANE_COUNT]</CLIPPING>

void patch_constant_function()
{
    float target = pixel_size_min_cell_size.z;
    float3 tess = float3(clamp(length($P[2]$ - $P[1]$) / target, 1.0, 64.0),
                         clamp(length($P[0]$ - $P[2]$) / target, 1.0, 64.0),
                         clamp(length($P[1]$ - $P[0]$) / target, 1.0, 64.0));
    $TessLevelOuter[0]$ = tess.x;
    $TessLevelOuter[1]$ = tess.y;
    $TessLevelOuter[2]$ = tess.z;
    $TessLevelInner[0]$ = max(tess.x, max(tess.y, tess.z));
<CLIPPING>
    [unroll]
    for (int i = 0; i < PLANE_COUNT; ++i)
    {
        if ($clip_distances[0]$[i] >= 0.0 || $clip_distances[1]$[i] >= 0.0 || $clip_distances[2]$[i] >= 0.0)
        {
            return;
        }
    }
    $TessLevelOuter[0]$ = 0.0;
    $TessLevelOuter[1]$ = 0.0;
    $TessLevelOuter[2]$ = 0.0;
    $TessLevelInner[0]$ = 0.0;
</CLIPPING>
}

void main()
{)", kCopyControlPoint, R"(
}
)"});
const std::string_view kTriangleHull = kJoinedText<kTriangleHullPieces>;

const std::string_view kTriangleDomain = R"(
[domain = triangle]
[spacing = equal]
[input_control_points = 3]
[output_control_points = 3]
[output_topology = triangles]
TEXTURE_3D(float4, deformation_texture, 1);
[in float3 P : position]
[in float3 uvw : sample_coord]
<CLIPPING>[in float clip_distances : clip_distance : PLANE_COUNT]</CLIPPING>
[out float4 oP : position]
[out float3 ouvw : sample_coord]
[out float3 view_pos : view_pos]
<CLIPPING>[out float oclip_distances : clip_distance : PLANE_COUNT]</CLIPPING>

void main()
{
    float3 b = $TessCoord$;
    float3 uvw = b.x * $uvw[0]$ + b.y * $uvw[1]$ + b.z * $uvw[2]$;
    float3 delta = SAMPLE_LEVEL(deformation_texture, uvw, 0.0).xyz;
    float3 p = b.x * $P[0]$ + b.y * $P[1]$ + b.z * $P[2]$;
    float4 view_pos = mul(model_view_matrix, float4(p + deformation * delta, 1.0));
    $oP$ = mul(projection_matrix, view_pos);
    $view_pos$ = view_pos.xyz;
    $ouvw$ = uvw;
<CLIPPING>
    // Clipped where the undeformed surface was.
    [unroll]
    for (int i = 0; i < PLANE_COUNT; ++i)
    {
        $oclip_distances[i]$ = b.x * $clip_distances[0]$[i] + b.y * $clip_distances[1]$[i]
                             + b.z * $clip_distances[2]$[i];
    }
</CLIPPING>
}
)";

// Reads no constants: the normal comes from the view-space corners.
const std::string_view kTriangleGeometry = R"(
[input_topology = triangles]
[output_topology = triangles]
[max_vertices = 3]
[in float4 P : position]
[in float3 uvw : sample_coord]
[in float3 view_pos : view_pos]
<CLIPPING>[in float clip_distances : clip_distance : PLANE_COUNT]</CLIPPING>
[out float3 ouvw : sample_coord]
[out float diffuse : diffuse_factor]
<CLIPPING>[out float oclip_distances : clip_distance : PLANE_COUNT]</CLIPPING>

void main()
{
    float3 normal = normalize(cross($view_pos[1]$ - $view_pos[0]$, $view_pos[2]$ - $view_pos[0]$));
    float d = abs(normal.z);
    for (int v = 0; v < 3; ++v)
    {
        $Position$ = $P[v]$;
        $ouvw$ = $uvw[v]$;
        $diffuse$ = d;
<CLIPPING>
        [unroll]
        for (int i = 0; i < PLANE_COUNT; ++i)
        {
            $oclip_distances[i]$ = $clip_distances[v]$[i];
        }
</CLIPPING>
        EmitVertex();
    }
}
)";

constexpr auto kTrianglePixelBPieces = std::to_array<std::string_view>({kEdgeFactorFunction, R"(
TEXTURE_3D(float4, value_texture, 2);
TEXTURE_1D(float4, gradient_texture, 3);
[in float3 uvw : sample_coord]
[in float diffuse : diffuse_factor])", kTrianglePixelInterface, kDiscardClippedPixels, R"(
    float v = SAMPLE_LEVEL(value_texture, $uvw$, 0.0).x;)", kColorFromGradient, R"(
    c.rgb *= lerp($diffuse$, 1.0, brightness);)", kWriteColorAndProbes, R"(
}
)"});
const std::string_view kTrianglePixelB = kJoinedText<kTrianglePixelBPieces>;

}  // namespace Korvex::Rendering::detail
