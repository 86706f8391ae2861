#include "meshes/triangle/TriangleConstants.h"

#include <string>

namespace Korvex::Rendering::detail {

namespace {

// Field for field as TriangleConstants; every stage that reads constants
// starts with this text.
const std::string kDeclaration = R"(
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
      float deformation;
      float brightness;
      float alpha_value;
      float padding0;
      float4 corner_min;
      float4 corner_max;
      float4 clip_planes[8];
      float4 pixel_size_min_cell_size;
      };
)";

}  // namespace

std::string_view TriangleConstantsDeclaration() { return kDeclaration; }

}  // namespace Korvex::Rendering::detail
