#pragma once

#include <Korvex/Rendering/Gpu/Descriptions.h>

#include <array>
#include <string_view>

namespace Korvex::Rendering::detail {

// The stage templates of the line mesh's programs in ShaderStageSources
// order, an empty one for an absent stage: vertex and pixel for plain lines;
// with deformation, vertex, hull, domain and pixel, which split each line
// into pieces of about one grid cell and displace them.
std::array<std::string_view, kShaderStageCount> LineStageTemplates(bool deform);

}  // namespace Korvex::Rendering::detail
