#pragma once

// The host shader compiler's front end: one stage of the template
// meta-language in, GLSL 4.50 core out. Pure text processing, no GL calls,
// no shared state; safe to call from any thread.
//
// Conventions the stage templates are written against:
//
// Interface variables. `[in T name : semantic]` and `[out T name : semantic]`
// (`[... : semantic : count]` for arrays) are reached only through `$name$`.
// The GLSL variables are prefixed (`kx_in_name`, `kx_out_name`), so a body
// may have a local of the same name and any name is allowed, GLSL keywords
// included. Names are unique per stage: an input and an output may not share
// one, nor may either take a built-in placeholder's name. Integer varyings
// are flat.
//
// Locations. Vertex inputs take attribute locations 0, 1, ... in declaration
// order; `Translation::vertexInputs` lists their semantics in that order.
// Pixel outputs take a number 0..7 as semantic, which is their location.
// Every other semantic has one location in all stages, so an output meets
// the next stage's input of that semantic whatever the names: position 0,
// normal 1, sample_coord 2, clip_distance and view_position 10, DepthClip 18,
// view_pos 19, visibility 20, diffuse_factor 21, signed_uv 22; other
// semantics hash (FNV-1a, case-sensitive) into 23..31. Arrays take `count`
// consecutive locations; overlapping variables on one side of a stage are
// rejected.
//
// Clip distances are ordinary varyings that the stages after them read (the
// pixel stage discards, the hull stage culls). The stage that feeds the
// rasteriser (TranslationOptions) also writes its `clip_distance` output to
// gl_ClipDistance, so that primitives are clipped before they are
// rasterised; Translation::clipDistances says how many the device must
// enable. The pixel stage of such a program reads its `clip_distance` input
// as 0: what lies behind a plane never reaches it, and without a discard
// left in it the depth test can run before the stage.
//
// Per-vertex arrays. Hull, domain and geometry inputs and hull outputs are
// arrays over control points or vertices, indexed first: `$P[0]$`,
// `$clip_distances[1]$[i]` (or `$clip_distances[1][i]$`),
// `$P[$OutputControlPointID$]$`; `$P$` alone is the whole array. In the
// hull, `$oP$` alone is the current control point's output and `$oP[i]$`
// control point i's.
//
// Built-ins: `$Position$` (gl_Position; in the hull the current control
// point's; gl_FragCoord in a pixel stage), `$Position[i]$` (gl_in[i] in hull,
// domain and geometry stages), `$TessLevelOuter$`, `$TessLevelInner$` (hull,
// domain), `$TessCoord$` (domain), `$OutputControlPointID$` (hull),
// `$VertexId$` (vertex), `$GSInstanceID$` (geometry).
//
// Hull stage. The template defines `void main()`, run once per output control
// point, and `void patch_constant_function()`, run once per patch by control
// point 0 after every control point has finished `main`, so it may read all
// outputs. Neither takes parameters; the patch size is
// [output_control_points = N].
//
// Bodies. HLSL names map to GLSL (float4x4 -> mat4, lerp -> mix, mul(a, b)
// -> ((a) * (b)), saturate(x) -> clamp, RestartStrip -> EndPrimitive, ...);
// `static const` loses `static`; [unroll], [loop], [branch], [flatten] are
// dropped; comments become blanks. Line breaks are kept and a `#line 1`
// precedes the body, so GLSL compiler messages give the template's lines.
// Identifiers GLSL reserves (`sample`, `input`, `filter`, ...), that begin
// with `gl_` or `kx_`, or that name a GLSL function the translation emits
// (`texture`, `mix`, ...) are rejected, as are preprocessor lines.
//
// Errors read "line N: message", N counting from 1 in the given text.

#include <string>
#include <string_view>
#include <vector>

namespace Korvex::Rendering::ShaderCompiler {

// ShaderStageSources order.
enum class StageKind { Vertex, Hull, Domain, Geometry, Pixel };

struct TranslationOptions {
    // The last stage before the rasteriser: the vertex stage of a program
    // without tessellation or geometry stage, else the domain stage of one
    // without a geometry stage, else the geometry stage.
    bool feedsRasterizer = false;
    // A pixel stage after a stage that wrote gl_ClipDistance.
    bool clippedBeforeRasterizer = false;
};

struct Translation {
    std::string glsl;   // complete GLSL 4.50 core source on success
    std::string error;  // empty on success; otherwise "line N: message"
    std::vector<std::string> vertexInputs;  // vertex stage: semantic of attribute location i
    unsigned clipDistances = 0;  // gl_ClipDistance elements written
    bool Ok() const { return error.empty(); }
};

Translation TranslateStage(std::string_view source, StageKind stage, const TranslationOptions& options = {});

}  // namespace Korvex::Rendering::ShaderCompiler
