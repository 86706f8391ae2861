#include "meshes/voxel/VoxelShaderTemplates.h"

#include "shaders/CommonStageFragments.h"
#include "shaders/JoinedText.h"

#include <array>

namespace Korvex::Rendering::detail {

// A voxel word packs ix in bits 0-9, iy in bits 10-19 and iz in bits 20-31.
// Corner number i + 2j + 4k is the corner at +i, +j, +k. Clipping tests the
// undeformed corners and drops the whole voxel when one lies behind a plane.
// A face shared with another voxel of the list (covered_faces, one byte a
// voxel, bit f for face f of the geometry stage's table) lies inside and is
// hidden, unless the voxels are see-through or the plane test drops that
// neighbour: its corners beyond the shared face are tested here exactly as
// its own invocation tests them. The outputs take 66 components, past GL's
// minimum of 64 vertex outputs; llvmpipe and desktop drivers offer 128.
const std::string_view kVoxelVertex = R"(
BUFFER(uint, voxels, 0);
BUFFER(uint, covered_faces, 4);
<DEFORM>TEXTURE_3D(float4, deformation_texture, 1);</DEFORM>
[out float4 uvw       : sample_coord  : 8]
[out float4 view_pos  : view_position : 8]
[out uint hidden      : hidden_faces     ]
<CLIPPING>[out float visible    : visibility       ]</CLIPPING>

static const uint face_axis[6] = { 1u, 2u, 0u, 2u, 0u, 1u };
static const uint face_beyond[6] = { 0u, 1u, 1u, 0u, 0u, 1u };

// Sample n of N has its centre at (2n + 1) / 2N.
float3 sample_coordinate(uint3 n)
{
    return float3(float(1u + 2u * n.x) / (2.0 * dimensions.x), float(1u + 2u * n.y) / (2.0 * dimensions.y),
                  float(1u + 2u * n.z) / (2.0 * dimensions.z));
}

float4 local_position(float3 t)
{
    return float4(lerp(corner_min.x, corner_max.x, t.x), lerp(corner_min.y, corner_max.y, t.y),
                  lerp(corner_min.z, corner_max.z, t.z), 1.0);
}
<CLIPPING>

bool behind_a_plane(float4 P)
{
    float4 Pw = mul(model_matrix, P);
    bool behind = false;
    [unroll]
    for (int cp = 0; cp < PLANE_COUNT; ++cp)
    {
        if (dot(clip_planes[cp], Pw) < 0.0)
        {
            behind = true;
        }
    }
    return behind;
}
</CLIPPING>

void main()
{
    uint id = uint($VertexId$);
    uint idx = READ(voxels, int(id));
    uint3 cell = uint3(idx & 1023u, (idx >> 10) & 1023u, idx >> 20);
    uint covered = (READ(covered_faces, int(id >> 2u)) >> (8u * (id & 3u))) & 63u;
    if (alpha_value < 1.0)
    {
        covered = 0u;
    }
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
                float3 t = sample_coordinate(cell + uint3(i, j, k));
                float4 P = local_position(t);
<CLIPPING>
                if (behind_a_plane(P))
                {
                    $visible$ = 0.0;
                }
</CLIPPING>
<DEFORM>
                P.xyz += SAMPLE_LEVEL(deformation_texture, t, 0.0).xyz * deformation;
</DEFORM>
                $view_pos[node]$ = mul(model_view_matrix, P);
                $uvw[node]$ = float4(t, 0.0);
            }
        }
    }
<CLIPPING>
    [unroll]
    for (uint f = 0u; f < 6u; ++f)
    {
        if (((covered >> f) & 1u) != 0u)
        {
            uint a = face_axis[f];
            uint3 beyond = cell;
            beyond[a] = face_beyond[f] == 1u ? cell[a] + 2u : cell[a] - 1u;
            for (uint c = 0u; c < 4u; ++c)
            {
                uint3 n = beyond;
                n[(a + 1u) % 3u] += c & 1u;
                n[(a + 2u) % 3u] += c >> 1u;
                if (behind_a_plane(local_position(sample_coordinate(n))))
                {
                    covered &= ~(1u << f);
                }
            }
        }
    }
</CLIPPING>
    $hidden$ = covered;
}
)";

// Instance f emits face f as a four-vertex strip; every face is wound
// counter-clockwise seen from outside the cube, so back faces cull. A face
// whose two triangles the rasteriser would cull is not emitted at all: the
// sign of det(x, y, w) of a triangle's clip-space corners is its winding on
// the screen, and only faces clearly turned away (beyond rounding) are left
// out, so that the rasteriser still decides the ones seen edge-on.
const std::string_view kVoxelGeometry = R"(
[instances = 6]
[input_topology = points]
[output_topology = triangles]
[max_vertices = 4]
[in float4 uvw : sample_coord : 8]
[in float4 view_pos : view_position : 8]
[in uint hidden : hidden_faces]
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

bool turned_away(float3 a, float3 b, float3 c)
{
    return dot(a, cross(b, c)) < -0.00001 * length(a) * length(b) * length(c);
}

void main()
{
<CLIPPING>
    if ($visible[0]$ == 0.0)
    {
        return;
    }
</CLIPPING>
    int f = $GSInstanceID$;
    if ((($hidden[0]$ >> uint(f)) & 1u) != 0u)
    {
        return;
    }
    // The diagonals span the face; 1 seen head-on, 0 edge-on.
    float3 e0 = $view_pos[0]$[faces[4 * f + 3]].xyz - $view_pos[0]$[faces[4 * f]].xyz;
    float3 e1 = $view_pos[0]$[faces[4 * f + 2]].xyz - $view_pos[0]$[faces[4 * f + 1]].xyz;
    float shade = abs(normalize(cross(e0, e1)).z);
    float4 clip[4];
    [unroll]
    for (int k = 0; k < 4; ++k)
    {
        clip[k] = mul(projection_matrix, $view_pos[0]$[faces[4 * f + k]]);
    }
    // The strip's triangles are (0, 1, 2) and (2, 1, 3).
    if (turned_away(clip[0].xyw, clip[1].xyw, clip[2].xyw) && turned_away(clip[2].xyw, clip[1].xyw, clip[3].xyw))
    {
        return;
    }
    for (int n = 0; n < 4; ++n)
    {
        uint corner = faces[4 * f + n];
        $Position$ = clip[n];
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
