#pragma once

// Stage texts in the template meta-language, written like the meshes' own
// after specialisation (two clip planes, both probes, deformation and
// wireframe on): one program for each combination of stages the meshes use.
// The translator's tests check their translation; GL tests compile and link
// them.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace Korvex::Rendering::ShaderCompiler::Samples {

// Heads every stage whose bit is set in SampleProgram::constantsMask, as the
// meshes' constants declaration texts do.
inline constexpr std::string_view kConstants = R"(
CBUFFER(constants, 0)
      {
      float4x4 unit_plane_matrix;
      float4x4 model_matrix;
      float4x4 model_view_matrix;
      float4x4 normal_matrix;
      float4x4 projection_matrix;
      float4x4 model_view_projection_matrix;
      float min_value;
      float max_value;
      float min_sample_value;
      float sample_value_range;
      float4 underflow_color;
      float4 overflow_color;
      float4 color;
      float deformation;
      float brightness;
      float alpha_value;
      float padding0;
      float4 corner_min;
      float4 corner_max;
      float4 dimensions;
      float4 wireframe_color;
      float4 clip_planes[8];
      float4 pixel_size_min_cell_size;
      };
)";

inline constexpr std::string_view kLineVertex = R"(
[in float3 P : position]
[out float4 uvw : sample_coord]
[out float clip_distances : clip_distance : 2]
[out float DepthClip : DepthClip]

void main()
{
    float4 Plocal = float4($P$, 1.0);
    $uvw$ = float4((Plocal.xyz - corner_min.xyz) / (corner_max.xyz - corner_min.xyz), 1.0);
    float4 Pw = mul(model_matrix, Plocal);
    [unroll]
    for (int i = 0; i < 2; ++i)
    {
        $clip_distances[i]$ = dot(clip_planes[i], Pw);
    }
    float4 PositionClip = mul(model_view_projection_matrix, Plocal);
    $Position$ = PositionClip;
    $DepthClip$ = PositionClip.z / PositionClip.w;
}
)";

inline constexpr std::string_view kLinePixel = R"(
TEXTURE_3D(float4, value_texture, 2);
[in float4 uvw : sample_coord]
[in float clip_distances : clip_distance : 2]
[in float DepthClip : DepthClip]
[out float4 color : 0]
[out float4 value : 1]
[out float4 oDepthClip : 2]

float edge_factor(float x)
{
    return smoothstep(0.0, fwidth(x) * 1.5, x);
}

void main()
{
    [unroll]
    for (int i = 0; i < 2; ++i)
    {
        if ($clip_distances[i]$ < 0.0)
        {
            discard;
        }
    }
    float4 c = color;
    c.a *= alpha_value;
    $color$ = c;
    float v = SAMPLE_LEVEL(value_texture, $uvw$.xyz, 0.0).x;
    $value$ = float4(v, v, v, v);
    $oDepthClip$ = float4($DepthClip$, $DepthClip$, $DepthClip$, $DepthClip$);
}
)";

inline constexpr std::string_view kLinePatchVertex = R"(
[in float3 P : position]
[out float4 oP : position]
[out float4 uvw : sample_coord]
[out float clip_distances : clip_distance : 2]

void main()
{
    float4 Plocal = float4($P$, 1.0);
    $oP$ = Plocal;
    $uvw$ = float4((Plocal.xyz - corner_min.xyz) / (corner_max.xyz - corner_min.xyz), 1.0);
    float4 Pw = mul(model_matrix, Plocal);
    [unroll]
    for (int i = 0; i < 2; ++i)
    {
        $clip_distances[i]$ = dot(clip_planes[i], Pw);
    }
}
)";

inline constexpr std::string_view kLineHull = R"(
[domain = isoline]
[spacing = equal]
[input_control_points = 2]
[output_control_points = 2]
[output_topology = lines]
[in float4 P : position]
[in float4 uvw : sample_coord]
[in float clip_distances : clip_distance : 2]
[out float4 oP : position]
[out float4 ouvw : sample_coord]
[out float oclip_distances : clip_distance : 2]

void patch_constant_function()
{
    $TessLevelOuter[0]$ = 1.0;
    $TessLevelOuter[1]$ = clamp(length($P[1]$ - $P[0]$) / pixel_size_min_cell_size.z, 1.0, 64.0);
    bool visible = false;
    [unroll]
    for (int i = 0; i < 2; ++i)
    {
        if ($clip_distances[0]$[i] >= 0.0 || $clip_distances[1]$[i] >= 0.0)
        {
            visible = true;
        }
    }
    if (!visible)
    {
        $TessLevelOuter[0]$ = 0.0;
        $TessLevelOuter[1]$ = 0.0;
    }
}

void main()
{
    $oP$ = $P[$OutputControlPointID$]$;
    $ouvw$ = $uvw[$OutputControlPointID$]$;
    [unroll]
    for (int i = 0; i < 2; ++i)
    {
        $oclip_distances$[i] = $clip_distances[$OutputControlPointID$]$[i];
    }
}
)";

inline constexpr std::string_view kLineDomain = R"(
[domain = isoline]
[spacing = equal]
[input_control_points = 2]
[output_control_points = 2]
[output_topology = lines]
TEXTURE_3D(float4, deformation_texture, 1);
[in float4 P : position]
[in float4 uvw : sample_coord]
[in float clip_distances : clip_distance : 2]
[out float4 ouvw : sample_coord]
[out float oclip_distances : clip_distance : 2]
[out float DepthClip : DepthClip]

void main()
{
    float t = $TessCoord$.x;
    float3 uvw = lerp($uvw[0]$, $uvw[1]$, t).xyz;
    float3 delta = SAMPLE_LEVEL(deformation_texture, uvw, 0.0).xyz;
    float4 p = lerp($P[0]$, $P[1]$, t);
    float4 local_pos = float4(p.xyz / p.w + deformation * delta, 1.0);
    float4 PositionClip = mul(model_view_projection_matrix, local_pos);
    $Position$ = PositionClip;
    $ouvw$ = float4(uvw, 1.0);
    $DepthClip$ = PositionClip.z / PositionClip.w;
    [unroll]
    for (int i = 0; i < 2; ++i)
    {
        $oclip_distances[i]$ = lerp($clip_distances[0]$[i], $clip_distances[1]$[i], t);
    }
}
)";

inline constexpr std::string_view kTriangleVertex = R"(
[in float3 P : position]
[in float3 N : normal]
[out float4 uvw : sample_coord]
[out float3 oN : normal]
[out float clip_distances : clip_distance : 2]
[out float DepthClip : DepthClip]

void main()
{
    float4 Plocal = mul(unit_plane_matrix, float4($P$, 1.0));
    float3 Nlocal = mul(unit_plane_matrix, float4($N$, 0.0)).xyz;
    $uvw$ = float4((Plocal.xyz - corner_min.xyz) / (corner_max.xyz - corner_min.xyz), 1.0);
    float4 Pw = mul(model_matrix, Plocal);
    [unroll]
    for (int i = 0; i < 2; ++i)
    {
        $clip_distances[i]$ = dot(clip_planes[i], Pw);
    }
    float4 PositionClip = mul(model_view_projection_matrix, Plocal);
    $Position$ = PositionClip;
    $oN$ = mul(normal_matrix, float4(Nlocal, 0.0)).xyz;
    $DepthClip$ = PositionClip.z / PositionClip.w;
}
)";

inline constexpr std::string_view kTrianglePixel = R"(
float edge_factor(float x)
{
    return smoothstep(0.0, 1.5 * fwidth(x), x);
}
TEXTURE_3D(float4, value_texture, 2);
TEXTURE_1D(float4, gradient_texture, 3);
[in float4 uvw : sample_coord]
[in float3 N : normal]
[in float clip_distances : clip_distance : 2]
[in float DepthClip : DepthClip]
[out float4 color : 0]
[out float4 value : 1]
[out float4 oDepthClip : 2]

void main()
{
    [unroll]
    for (int i = 0; i < 2; ++i)
    {
        if ($clip_distances[i]$ < 0.0)
        {
            discard;
        }
    }
    float diffuse = abs(normalize($N$).z);
    float v = SAMPLE_LEVEL(value_texture, $uvw$.xyz, 0.0).x;
    float u = saturate((v - min_sample_value) / sample_value_range);
    float fD = edge_factor(v - max_value);
    float fd = edge_factor(min_value - v);
    float fs = 1.0 - fD - fd;
    float4 c = fs * SAMPLE(gradient_texture, u) + fD * overflow_color + fd * underflow_color;
    c.rgb *= lerp(diffuse, 1.0, brightness);
    c.a *= alpha_value;
    $color$ = c;
    $value$ = float4(v, v, v, v);
    $oDepthClip$ = float4($DepthClip$, $DepthClip$, $DepthClip$, $DepthClip$);
}
)";

inline constexpr std::string_view kTrianglePatchVertex = R"(
[in float3 P : position]
[out float3 oP : position]
[out float3 uvw : sample_coord]
[out float clip_distances : clip_distance : 2]

void main()
{
    float4 Plocal = float4($P$, 1.0);
    float4 Pw = mul(model_matrix, Plocal);
    [unroll]
    for (int i = 0; i < 2; ++i)
    {
        $clip_distances[i]$ = dot(clip_planes[i], Pw);
    }
    $oP$ = Plocal.xyz;
    $uvw$ = (Plocal.xyz - corner_min.xyz) / (corner_max.xyz - corner_min.xyz);
}
)";

inline constexpr std::string_view kTriangleHull = R"(
[domain = triangle]
[spacing = equal]
[input_control_points = 3]
[output_control_points = 3]
[output_topology = triangles]
[in float3 P : position]
[in float3 uvw : sample_coord]
[in float clip_distances : clip_distance : 2]
[out float3 oP : position]
[out float3 ouvw : sample_coord]
[out float oclip_distances : clip_distance : 2]

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
    [unroll]
    for (int i = 0; i < 2; ++i)
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
}

void main()
{
    $oP$ = $P[$OutputControlPointID$]$;
    $ouvw$ = $uvw[$OutputControlPointID$]$;
    [unroll]
    for (int i = 0; i < 2; ++i)
    {
        $oclip_distances$[i] = $clip_distances[$OutputControlPointID$]$[i];
    }
}
)";

inline constexpr std::string_view kTriangleDomain = R"(
[domain = triangle]
[spacing = equal]
[input_control_points = 3]
[output_control_points = 3]
[output_topology = triangles]
TEXTURE_3D(float4, deformation_texture, 1);
[in float3 P : position]
[in float3 uvw : sample_coord]
[in float clip_distances : clip_distance : 2]
[out float4 oP : position]
[out float3 ouvw : sample_coord]
[out float3 view_pos : view_pos]
[out float oclip_distances : clip_distance : 2]
[out float DepthClip : DepthClip]

void main()
{
    float3 b = $TessCoord$;
    float3 uvw = b.x * $uvw[0]$ + b.y * $uvw[1]$ + b.z * $uvw[2]$;
    float3 delta = SAMPLE_LEVEL(deformation_texture, uvw, 0.0).xyz;
    float3 p = b.x * $P[0]$ + b.y * $P[1]$ + b.z * $P[2]$;
    float4 view_pos = mul(model_view_matrix, float4(p + deformation * delta, 1.0));
    float4 PositionClip = mul(projection_matrix, view_pos);
    $oP$ = PositionClip;
    $view_pos$ = view_pos.xyz;
    $ouvw$ = uvw;
    $DepthClip$ = PositionClip.z / PositionClip.w;
    [unroll]
    for (int i = 0; i < 2; ++i)
    {
        $oclip_distances[i]$ = b.x * $clip_distances[0]$[i] + b.y * $clip_distances[1]$[i] + b.z * $clip_distances[2]$[i];
    }
}
)";

inline constexpr std::string_view kTriangleGeometry = R"(
[input_topology = triangles]
[output_topology = triangles]
[max_vertices = 3]
[in float4 P : position]
[in float3 uvw : sample_coord]
[in float3 view_pos : view_pos]
[in float clip_distances : clip_distance : 2]
[in float DepthClip : DepthClip]
[out float3 ouvw : sample_coord]
[out float diffuse : diffuse_factor]
[out float oclip_distances : clip_distance : 2]
[out float oDepthClip : DepthClip]

void main()
{
    float3 normal = normalize(cross($view_pos[1]$ - $view_pos[0]$, $view_pos[2]$ - $view_pos[0]$));
    float d = abs(normal.z);
    for (int v = 0; v < 3; ++v)
    {
        $Position$ = $P[v]$;
        $ouvw$ = $uvw[v]$;
        $diffuse$ = d;
        $oDepthClip$ = $DepthClip[v]$;
        [unroll]
        for (int i = 0; i < 2; ++i)
        {
            $oclip_distances[i]$ = $clip_distances[v]$[i];
        }
        EmitVertex();
    }
    RestartStrip();
}
)";

inline constexpr std::string_view kTrianglePatchPixel = R"(
float edge_factor(float x)
{
    return smoothstep(0.0, 1.5 * fwidth(x), x);
}
TEXTURE_3D(float4, value_texture, 2);
TEXTURE_1D(float4, gradient_texture, 3);
[in float3 uvw : sample_coord]
[in float diffuse : diffuse_factor]
[in float clip_distances : clip_distance : 2]
[in float DepthClip : DepthClip]
[out float4 color : 0]
[out float4 value : 1]
[out float4 oDepthClip : 2]

void main()
{
    [unroll]
    for (int i = 0; i < 2; ++i)
    {
        if ($clip_distances[i]$ < 0.0)
        {
            discard;
        }
    }
    float v = SAMPLE_LEVEL(value_texture, $uvw$, 0.0).x;
    float u = (v - min_sample_value) / sample_value_range;
    float fD = edge_factor(v - max_value);
    float fd = edge_factor(min_value - v);
    float fs = 1.0 - fD - fd;
    float4 c = fs * SAMPLE(gradient_texture, u) + fD * overflow_color + fd * underflow_color;
    c.rgb *= lerp($diffuse$, 1.0, brightness);
    c.a *= alpha_value;
    $color$ = c;
    $value$ = float4(v, v, v, v);
    $oDepthClip$ = float4($DepthClip$, $DepthClip$, $DepthClip$, $DepthClip$);
}
)";

inline constexpr std::string_view kVoxelVertex = R"(
BUFFER(uint, voxels, 0);
TEXTURE_3D(float4, deformation_texture, 1);
[out float4 uvw       : sample_coord  : 8]
[out float4 view_pos  : view_position : 8]
[out float visible    : visibility       ]

void main()
{
    uint idx = READ(voxels, $VertexId$);
    uint ix = idx & 1023u;
    uint iy = (idx >> 10) & 1023u;
    uint iz = idx >> 20;
    $visible$ = 1.0;
    [unroll]
    for (uint k = 0u; k < 2u; ++k)
    {
        for (uint j = 0u; j < 2u; ++j)
        {
            for (uint i = 0u; i < 2u; ++i)
            {
                uint node = i + 2u * j + 4u * k;
                float w = float(1u + 2u * (iz + k)) / (2.0 * dimensions.z);
                float v = float(1u + 2u * (iy + j)) / (2.0 * dimensions.y);
                float u = float(1u + 2u * (ix + i)) / (2.0 * dimensions.x);
                float4 P = float4(lerp(corner_min.x, corner_max.x, u), lerp(corner_min.y, corner_max.y, v),
                                  lerp(corner_min.z, corner_max.z, w), 1.0);
                float4 Pw = mul(model_matrix, P);
                for (int cp = 0; cp < 2; ++cp)
                {
                    if (dot(clip_planes[cp], Pw) < 0.0)
                    {
                        $visible$ = 0.0;
                    }
                }
                P.xyz += SAMPLE_LEVEL(deformation_texture, float3(u, v, w), 0.0).xyz * deformation;
                $view_pos[node]$ = mul(model_view_matrix, P);
                $uvw[node]$ = float4(u, v, w, 0.0);
            }
        }
    }
}
)";

inline constexpr std::string_view kVoxelGeometry = R"(
[instances = 6]
[input_topology = points]
[output_topology = triangles]
[max_vertices = 4]
[in float4 uvw : sample_coord : 8]
[in float4 view_pos : view_position : 8]
[in float visible : visibility]
[out float4 o_uvw    : sample_coord]
[out float diffuse   : diffuse_factor]
[out float2 quad_pos : signed_uv]
[out float DepthClip  : DepthClip]

static const uint faces[24] = { 0u, 1u, 4u, 5u,  4u, 5u, 6u, 7u,  1u, 3u, 5u, 7u,
                                2u, 3u, 0u, 1u,  2u, 0u, 6u, 4u,  3u, 2u, 7u, 6u };
static const float2 quad_corners[4] = { float2(-1.0, 1.0), float2(1.0, 1.0), float2(-1.0, -1.0), float2(1.0, -1.0) };

void main()
{
    if ($visible[0]$ == 0.0)
    {
        return;
    }
    int f = $GSInstanceID$;
    float3 e0 = $view_pos[0]$[faces[4 * f + 3]].xyz - $view_pos[0]$[faces[4 * f]].xyz;
    float3 e1 = $view_pos[0]$[faces[4 * f + 2]].xyz - $view_pos[0]$[faces[4 * f + 1]].xyz;
    float diffuse = abs(normalize(cross(e0, e1)).z);
    for (int n = 0; n < 4; ++n)
    {
        uint corner = faces[4 * f + n];
        float4 PositionClip = mul(projection_matrix, $view_pos[0]$[corner]);
        $Position$ = PositionClip;
        $DepthClip$ = PositionClip.z / PositionClip.w;
        $o_uvw$ = $uvw[0]$[corner];
        $diffuse$ = diffuse;
        $quad_pos$ = quad_corners[n];
        EmitVertex();
    }
}
)";

inline constexpr std::string_view kVoxelPixel = R"(
TEXTURE_3D(float4, value_texture, 2);
TEXTURE_1D(float4, gradient_texture, 3);
[in float4 uvw : sample_coord]
[in float diffuse : diffuse_factor]
[in float2 quad_pos : signed_uv]
[in float DepthClip : DepthClip]
[out float4 color : 0]
[out float4 value : 1]
[out float4 oDepthClip : 2]

float edge_factor(float t)
{
    return smoothstep(0.0, 1.5 * fwidth(t), t);
}

void main()
{
    float v = SAMPLE_LEVEL(value_texture, $uvw$.xyz, 0.0).x;
    float u = (v - min_sample_value) / sample_value_range;
    float fD = edge_factor(v - max_value);
    float fd = edge_factor(min_value - v);
    float s = 1.0 - fD - fd;
    float4 c = s * SAMPLE(gradient_texture, u) + fD * overflow_color + fd * underflow_color;
    c.rgb *= lerp($diffuse$, 1.0, brightness);
    float2 dq = float2(1.0, 1.0) - abs($quad_pos$);
    float2 d = fwidth(dq);
    float2 factors = smoothstep(float2(0.0, 0.0), 1.5 * d, dq);
    float on = min(factors.x, factors.y);
    c = lerp(wireframe_color, c, on);
    c.a *= alpha_value;
    $color$ = c;
    $value$ = float4(v, v, v, v);
    $oDepthClip$ = float4($DepthClip$, $DepthClip$, $DepthClip$, $DepthClip$);
}
)";

// Stage bits in ShaderStageSources order.
inline constexpr unsigned kVertexBit = 1, kHullBit = 2, kDomainBit = 4, kGeometryBit = 8, kPixelBit = 16;

struct SampleProgram {
    std::string_view name;
    std::array<std::string_view, 5> templates;  // vertex, hull, domain, geometry, pixel; empty: absent
    unsigned constantsMask;                     // stages headed by kConstants
};

inline constexpr SampleProgram kSamplePrograms[] = {
    {"Line", {kLineVertex, "", "", "", kLinePixel}, kVertexBit | kPixelBit},
    {"LinePatch", {kLinePatchVertex, kLineHull, kLineDomain, "", kLinePixel},
     kVertexBit | kHullBit | kDomainBit | kPixelBit},
    {"Triangle", {kTriangleVertex, "", "", "", kTrianglePixel}, kVertexBit | kPixelBit},
    {"TrianglePatch",
     {kTrianglePatchVertex, kTriangleHull, kTriangleDomain, kTriangleGeometry, kTrianglePatchPixel},
     kVertexBit | kHullBit | kDomainBit | kPixelBit},
    {"Voxel", {kVoxelVertex, "", "", kVoxelGeometry, kVoxelPixel}, kVertexBit | kGeometryBit | kPixelBit},
};

// The text a stage hands to the compiler: the constants declaration, where
// the program uses it, followed by the template.
inline std::string StageText(const SampleProgram& program, std::size_t stage) {
    const std::string_view text = program.templates[stage];
    if (text.empty()) {
        return {};
    }
    const bool withConstants = (program.constantsMask & (1u << stage)) != 0;
    return (withConstants ? std::string(kConstants) : std::string()) + std::string(text);
}

}  // namespace Korvex::Rendering::ShaderCompiler::Samples
