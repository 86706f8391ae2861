#pragma once

#include <string_view>

namespace Korvex::Rendering::ShaderCompiler {

// Mesa offers 32 generic varying locations; every stage-to-stage location
// stays below that.
inline constexpr unsigned kVaryingLocationCount = 32;

// The first location of a varying with `slots` consecutive locations. The
// same semantic gets the same location in every stage, so an output meets the
// next stage's input of that semantic whatever the names. Known semantics
// have fixed places; arrays that share a range (clip_distance,
// view_position) never appear in one stage together in the meshes, and a
// stage where two ranges overlap is rejected. Other semantics hash into the
// locations the table leaves free.
unsigned SemanticLocation(std::string_view semantic, unsigned slots);

}  // namespace Korvex::Rendering::ShaderCompiler
