#include "meshes/line/LineConstants.h"

namespace Korvex::Rendering::detail {

const std::string kLineConstantsDeclaration = R"(
CBUFFER(constants, 0)
      {
      float4x4 model_matrix;
      float4x4 model_view_matrix;
      float4x4 normal_matrix;
      float4x4 projection_matrix;
      float4x4 model_view_projection_matrix;
      float min_value;
      float max_value;
      float min_sample_value;
      float sample_value_range;
      float4 color;
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

}  // namespace Korvex::Rendering::detail
