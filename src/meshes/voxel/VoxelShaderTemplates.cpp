#include "meshes/voxel/VoxelShaderTemplates.h"

#include "shaders/CommonStageFragments.h"
#include "shaders/JoinedText.h"

#include <array>

namespace Korvex::Rendering::detail {

// A voxel word packs ix in bits 0-9, iy in bits 10-19 and iz in bits 20-31.
// Corner number i + 2j + 4k is the corner at +i, +j, +k. Clipping tests the
// undeformed corners and drops the whole voxel when one lies behind a plane.
// The outputs take 65 components, past GL's minimum of 64 vertex outputs;
// llvmpipe and desktop drivers offer 128.
const std::string_view kVoxelVertex = R"(
BUFFER(uint, voxels, 0);
<DEFORM>TEXTURE_3D(float4, deformation_texture, 1);</DEFORM>
[out float4 uvw       : sample_coord  : 8]
[out float4 view_pos  : view_position : 8]
<CLIPPING>[out float visible    : visibility       ]</CLIPPING>

void main()
{
    uint idx = READ(voxels, $VertexId$);
    uint ix = idx & 1023u;
    uint iy = (idx >> 10) & 1023u;
    uint iz = idx >> 20;
<CLIPPING>
    $visible$ = 1.0;
</CLIPPING>
    [unroll]
    for (uint k = 0u; k < 2u; ++k)
    {
        [unroll]
        for (uint j = 0u; j < 2u; ++j)
        {
            [unroll]
            for (uint i = 0u; i < 2u; ++i)
            {
                uint node = i + 2u * j + 4u * k;
                // Sample n of N has its centre at (2n + 1) / 2N.
                float w = float(1u + 2u * (iz + k)) / (2.0 * dimensions.z);
                float v = float(1u + 2u * (iy + j)) / (2.0 * dimensions.y);
                float u = float(1u + 2u * (ix + i)) / (2.0 * dimensions.x);
                float4 P = float4(lerp(corner_min.x, corner_max.x, u), lerp(corner_min.y, corner_max.y, v),
                                  lerp(corner_min.z, corner_max.z, w), 1.0);
<CLIPPING>
                float4 Pw = mul(model_matrix, P);
                [unroll]
                for (int cp = 0; cp < PLANE_COUNT; ++cp)
                {
                    if (dot(clip_planes[cp], Pw) < 0.0)
                    {
                        $visible$ = 0.0;
                    }
                }
</CLIPPING>
<DEFORM>
                P.xyz += SAMPLE_LEVEL(deformation_texture, float3(u, v, w), 0.0).xyz * deformation;
</DEFORM>
                $view_pos[node]$ = mul(model_view_matrix, P);
                $uvw[node]$ = float4(u, v, w, 0.0);
            }
        }
    }
}
)";

// Instance f emits face f as a four-vertex strip; every face is wound
// counter-clockwise seen from outside the cube, so back faces cull.
const std::string_view kVoxelGeometry = R"(
[instances = 6]
[input_topology = points]
[output_topology = triangles]
[max_vertices = 4]
[in float4 uvw : sample_coord : 8]
[in float4 view_pos : view_position : 8]
<CLIPPING>[in float visible : visibility]</CLIPPING>
[out float4 o_uvw    : sample_coord]
[out float diffuse   : diffuse_factor]
<WIREFRAME>[out float2 quad_pos : signed_uv]</WIREFRAME>

static const uint faces[24] = { 0u, 1u, 4u, 5u,    // -y
                                4u, 5u, 6u, 7u,    // +z
                                1u, 3u, 5u, 7u,    // +x
                                2u, 3u, 0u, 1u,    // -z
                                2u, 0u, 6u, 4u,    // -x
                                3u, 2u, 7u, 6u };  // +y
<WIREFRAME>
static const float2 quad_corners[4] = { float2(-1.0, 1.0), float2(1.0, 1.0), float2(-1.0, -1.0), float2(1.0, -1.0) };
</WIREFRAME>

void main()
{
<CLIPPING>
    if ($visible[0]$ == 0.0)
    {
        return;
    }
</CLIPPING>
    int f = $GSInstanceID$;
    // The diagonals span the face; 1 seen head-on, 0 edge-on.
    float3 e0 = $view_pos[0]$[faces[4 * f + 3]].xyz - $view_pos[0]$[faces[4 * f]].xyz;
    float3 e1 = $view_pos[0]$[faces[4 * f + 2]].xyz - $view_pos[0]$[faces[4 * f + 1]].xyz;
    float shade = abs(normalize(cross(e0, e1)).z);
    for (int n = 0; n < 4; ++n)
    {
        uint corner = faces[4 * f + n];
        $Position$ = mul(projection_matrix, $view_pos[0]$[corner]);
        $o_uvw$ = $uvw[0]$[corner];
        $diffuse$ = shade;
<WIREFRAME>
        $quad_pos$ = quad_corners[n];
</WIREFRAME>
        EmitVertex();
    }
}
)";

// Values beyond the range take the underflow or overflow colour, with a soft
// boundary of about one and a half pixels; so does the wireframe border.
constexpr auto kVoxelPixelPieces = std::to_array<std::string_view>({R"(
TEXTURE_3D(float4, value_texture, 2);
TEXTURE_1D(float4, gradient_texture, 3);
[in float4 uvw : sample_coord]
[in float diffuse : diffuse_factor]
<WIREFRAME>[in float2 quad_pos : signed_uv]</WIREFRAME>
[out float4 color : 0]
<PROBE_VALUE>[out float4 value : 1]</PROBE_VALUE>
<PROBE_POSITION>[out float4 oDepthClip : 2]</PROBE_POSITION>
)", kEdgeFactorFunction, R"(

void main()
{
    float v = SAMPLE_LEVEL(value_texture, $uvw$.xyz, 0.0).x;)", kColorFromGradient, R"(
    c.rgb *= lerp($diffuse$, 1.0, brightness);
<WIREFRAME>
    float2 dq = float2(1.0, 1.0) - abs($quad_pos$);
    float2 factors = smoothstep(float2(0.0, 0.0), 1.5 * fwidth(dq), dq);
    c = lerp(wireframe_color, c, min(factors.x, factors.y));
</WIREFRAME>)", kWriteColorAndProbes, R"(
}
)"});
const std::string_view kVoxelPixel = kJoinedText<kVoxelPixelPieces>;

}  // namespace Korvex::Rendering::detail
