#include "meshes/voxel/VoxelConstants.h"

#include <string>

namespace Korvex::Rendering::detail {

namespace {

const std::string kDeclaration = R"(
CBUFFER(constants, 0)
      {
      float4x4 model_matrix;
      float4x4 model_view_matrix;
      float4x4 projection_matrix;
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
      float4 dimensions;
      float4 wireframe_color;
      float4 clip_planes[8];
      };
)";

}  // namespace

std::string_view VoxelConstantsDeclaration() { return kDeclaration; }

}  // namespace Korvex::Rendering::detail
