#include "meshes/line/LineTemplates.h"

#include "shaders/CommonStageFragments.h"
#include "shaders/JoinedText.h"

#include <array>

namespace Korvex::Rendering::detail {

namespace {

constexpr auto kPlainVertexPieces = std::to_array<std::string_view>({R"(
[in float3 P : position]
[out float4 uvw : sample_coord]
<CLIPPING>[out float clip_distances : clip_distance : PLANE_COUNT]</CLIPPING>

void main()
{
    float4 Plocal = float4($P$, 1.0);
    $uvw$ = float4((Plocal.xyz - corner_min.xyz) / (corner_max.xyz - corner_min.xyz), 1.0);)", kWriteClipDistances, R"(
    $Position$ = mul(model_view_projection_matrix, Plocal);
}
)"});
constexpr std::string_view kPlainVertex = kJoinedText<kPlainVertexPieces>;

// Positions stay in model space: the domain stage displaces and projects.
constexpr auto kPatchVertexPieces = std::to_array<std::string_view>({R"(
[in float3 P : position]
[out float4 oP : position]
[out float4 uvw : sample_coord]
<CLIPPING>[out float clip_distances : clip_distance : PLANE_COUNT]</CLIPPING>

void main()
{
    float4 Plocal = float4($P$, 1.0);
    $oP$ = Plocal;
    $uvw$ = float4((Plocal.xyz - corner_min.xyz) / (corner_max.xyz - corner_min.xyz), 1.0);)", kWriteClipDistances, R"(
}
)"});
constexpr std::string_view kPatchVertex = kJoinedText<kPatchVertexPieces>;

// One isoline per patch, cut into pieces of about one grid cell, at most 64.
// A line is dropped only when both ends are behind every plane.
constexpr auto kHullPieces = std::to_array<std::string_view>({R"(
[domain = isoline]
[spacing = equal]
[input_control_points = 2]
[output_control_points = 2]
[output_topology = lines]
[in float4 P : position]
[in float4 uvw : sample_coord]
<CLIPPING>[in float clip_distances : clip_distance : PLANE_COUNT]</CLIPPING>
[out float4 oP : position]
[out float4 ouvw : sample_coord]
<CLIPPING>[out float oclip_distances : clip_distance : PLANE_COUNT]</CLIPPING>

void patch_constant_function()
{
    $TessLevelOuter[0]$ = 1.0;
    $TessLevelOuter[1]$ = clamp(length($P[1]$ - $P[0]$) / pixel_size_min_cell_size.z, 1.0, 64.0);
<CLIPPING>
    bool culled = true;
    [unroll]
    for (int i = 0; i < PLANE_COUNT; ++i)
    {
        if (!($clip_distances[0]$[i] < 0.0 && $clip_distances[1]$[i] < 0.0))
        {
            culled = false;
        }
    }
    if (culled)
    {
        $TessLevelOuter[0]$ = 0.0;
        $TessLevelOuter[1]$ = 0.0;
    }
</CLIPPING>
}

void main()
{)", kCopyControlPoint, R"(
}
)"});
constexpr std::string_view kHull = kJoinedText<kHullPieces>;

// Clip distances follow the undisplaced line.
constexpr std::string_view kDomain = R"(
[domain = isoline]
[spacing = equal]
[input_control_points = 2]
[output_control_points = 2]
[output_topology = lines]
TEXTURE_3D(float4, deformation_texture, 1);
[in float4 P : position]
[in float4 uvw : sample_coord]
<CLIPPING>[in float clip_distances : clip_distance : PLANE_COUNT]</CLIPPING>
[out float4 ouvw : sample_coord]
<CLIPPING>[out float oclip_distances : clip_distance : PLANE_COUNT]</CLIPPING>

void main()
{
    float t = $TessCoord$.x;
    float3 uvw = lerp($uvw[0]$, $uvw[1]$, t).xyz;
    float3 delta = SAMPLE_LEVEL(deformation_texture, uvw, 0.0).xyz;
    float4 p = lerp($P[0]$, $P[1]$, t);
    float4 local_pos = float4(p.xyz / p.w + deformation * delta, 1.0);
    $Position$ = mul(model_view_projection_matrix, local_pos);
    $ouvw$ = float4(uvw, 1.0);
<CLIPPING>
    [unroll]
    for (int i = 0; i < PLANE_COUNT; ++i)
    {
        $oclip_distances[i]$ = lerp($clip_distances[0]$[i], $clip_distances[1]$[i], t);
    }
</CLIPPING>
}
)";

// Shared by both programs. Like the other meshes' pixel stages it defines
// edge_factor, which lines do not call.
constexpr auto kPixelPieces = std::to_array<std::string_view>({R"(
TEXTURE_3D(float4, value_texture, 2);
[in float4 uvw : sample_coord]
<CLIPPING>[in float clip_distances : clip_distance : PLANE_COUNT]</CLIPPING>
[out float4 color : 0]
<PROBE_VALUE>[out float4 value : 1]</PROBE_VALUE>
<PROBE_POSITION>[out float4 oDepthClip : 2]</PROBE_POSITION>
)", kEdgeFactorFunction, R"(

void main()
{)", kDiscardClippedPixels, R"(
    float4 c = color;
    c.a *= alpha_value;
    $color$ = c;
<PROBE_VALUE>
    float v = SAMPLE_LEVEL(value_texture, $uvw$.xyz, 0.0).x;
    $value$ = float4(v, v, v, v);
</PROBE_VALUE>
<PROBE_POSITION>
    // The depth the fragment is tested with: z/w is not linear across the screen.
    $oDepthClip$ = $Position$.zzzz;
</PROBE_POSITION>
}
)"});
constexpr std::string_view kPixel = kJoinedText<kPixelPieces>;

}  // namespace

std::array<std::string_view, kShaderStageCount> LineStageTemplates(bool deform) {
    if (deform) return {kPatchVertex, kHull, kDomain, {}, kPixel};
    return {kPlainVertex, {}, {}, {}, kPixel};
}

}  // namespace Korvex::Rendering::detail
