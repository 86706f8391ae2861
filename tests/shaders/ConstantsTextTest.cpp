// The constants declaration that heads every stage text of each mesh, whole,
// against a copy written out here from the blocks' layouts.

#include "meshes/line/LineConstants.h"
#include "meshes/triangle/TriangleConstants.h"
#include "meshes/voxel/VoxelConstants.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>

namespace Korvex::Rendering::detail {
namespace {

// The block as each mesh declares it: the opening, one indented field a
// line, the closing.
std::string Block(std::initializer_list<std::string_view> fields) {
    std::string text = "\nCBUFFER(constants, 0)\n      {\n";
    for (const std::string_view field : fields) text += "      " + std::string(field) + ";\n";
    return text + "      };\n";
}

const std::string kLine = Block({"float4x4 model_matrix", "float4x4 model_view_matrix", "float4x4 normal_matrix",
    "float4x4 projection_matrix", "float4x4 model_view_projection_matrix", "float min_value", "float max_value",
    "float min_sample_value", "float sample_value_range", "float4 color", "float deformation", "float brightness",
    "float alpha_value", "float padding0", "float4 corner_min", "float4 corner_max", "float4 clip_planes[8]",
    "float4 pixel_size_min_cell_size"});

const std::string kTriangle = Block({"float4x4 unit_plane_matrix", "float4x4 model_matrix",
    "float4x4 model_view_matrix", "float4x4 normal_matrix", "float4x4 projection_matrix",
    "float4x4 model_view_projection_matrix", "float min_value", "float max_value", "float min_sample_value",
    "float sample_value_range", "float4 underflow_color", "float4 overflow_color", "float deformation",
    "float brightness", "float alpha_value", "float padding0", "float4 corner_min", "float4 corner_max",
    "float4 clip_planes[8]", "float4 pixel_size_min_cell_size"});

const std::string kVoxel = Block({"float4x4 model_matrix", "float4x4 model_view_matrix",
    "float4x4 projection_matrix", "float min_value", "float max_value", "float min_sample_value",
    "float sample_value_range", "float4 underflow_color", "float4 overflow_color", "float deformation",
    "float brightness", "float alpha_value", "float padding0", "float4 corner_min", "float4 corner_max",
    "float4 dimensions", "float4 wireframe_color", "float4 clip_planes[8]"});

TEST(ConstantsText, EachMeshDeclaresItsBlockExactly) {
    EXPECT_EQ(kLineConstantsDeclaration, kLine);
    EXPECT_EQ(TriangleConstantsDeclaration(), kTriangle);
    EXPECT_EQ(VoxelConstantsDeclaration(), kVoxel);
    EXPECT_EQ(kLine.size(), 554u);
    EXPECT_EQ(kTriangle.size(), 627u);
    EXPECT_EQ(kVoxel.size(), 534u);
}

}  // namespace
}  // namespace Korvex::Rendering::detail
