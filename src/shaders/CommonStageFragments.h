#pragma once

// Stage-text fragments that the meshes' templates share word for word. A
// template is a list of pieces joined with kJoinedText; every piece, these
// fragments included, starts with a newline and ends at the end of its last
// line, so that the fragment names stand where their lines go.

#include <string_view>

namespace Korvex::Rendering::detail {

// Pixel stages: 0 below x, 1 above it, rising over about one and a half
// pixels' worth of x.
inline constexpr std::string_view kEdgeFactorFunction = R"(
float edge_factor(float x)
{
    return smoothstep(0.0, 1.5 * fwidth(x), x);
})";

// Vertex stages: the model-space Plocal against the world-space planes.
inline constexpr std::string_view kWriteClipDistances = R"(
<CLIPPING>
    float4 Pw = mul(model_matrix, Plocal);
    [unroll]
    for (int i = 0; i < PLANE_COUNT; ++i)
    {
        $clip_distances[i]$ = dot(clip_planes[i], Pw);
    }
</CLIPPING>)";

// Hull stages' main: each control point passed on as it came.
inline constexpr std::string_view kCopyControlPoint = R"(
    $oP$ = $P[$OutputControlPointID$]$;
    $ouvw$ = $uvw[$OutputControlPointID$]$;
<CLIPPING>
    [unroll]
    for (int i = 0; i < PLANE_COUNT; ++i)
    {
        $oclip_distances$[i] = $clip_distances[$OutputControlPointID$]$[i];
    }
</CLIPPING>)";

// Pixel stages, first thing in main: nothing behind any active plane.
inline constexpr std::string_view kDiscardClippedPixels = R"(
<CLIPPING>
    [unroll]
    for (int i = 0; i < PLANE_COUNT; ++i)
    {
        if ($clip_distances[i]$ < 0.0)
        {
            discard;
        }
    }
</CLIPPING>)";

// c, the gradient's colour of the sampled value v; beyond the value range
// the overflow or underflow colour, blended in by edge_factor.
inline constexpr std::string_view kColorFromGradient = R"(
    float u = (v - min_sample_value) / sample_value_range;
    float fD = edge_factor(v - max_value);
    float fd = edge_factor(min_value - v);
    float fs = 1.0 - fD - fd;
    float4 c = fs * SAMPLE(gradient_texture, u) + fD * overflow_color + fd * underflow_color;)";

// The end of a gradient-coloured pixel stage: c with the mesh's alpha, and
// the probes of the sampled value v and of the depth. The probed depth is
// the fragment's own, the value the depth buffer holds: z/w interpolated
// across a primitive is not linear on the screen.
inline constexpr std::string_view kWriteColorAndProbes = R"(
    c.a *= alpha_value;
    $color$ = c;
<PROBE_VALUE>
    $value$ = float4(v, v, v, v);
</PROBE_VALUE>
<PROBE_POSITION>
    $oDepthClip$ = $Position$.zzzz;
</PROBE_POSITION>)";

}  // namespace Korvex::Rendering::detail
