#pragma once

#include <Korvex/Rendering/ClipPlane.h>

#include <array>
#include <cstddef>
#include <string_view>
#include <type_traits>

namespace Korvex::Rendering::detail {

// The voxel mesh's constants block, byte for byte as the shaders declare it
// (VoxelConstantsDeclaration); the defaults are those of a new mesh.
struct VoxelConstants {
    using Float4 = std::array<float, 4>;
    using Float4x4 = std::array<float, 16>;  // as KxTransformMatrix::ConvertToFloat16 writes it
    static constexpr Float4x4 kIdentity4x4 = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    Float4x4 model_matrix = kIdentity4x4;
    Float4x4 model_view_matrix = kIdentity4x4;
    Float4x4 projection_matrix = kIdentity4x4;
    float min_value = 0.0f;
    float max_value = 1.0f;
    // Derived from the value range once a gradient is installed.
    float min_sample_value = 0.0f;
    float sample_value_range = 0.0f;
    Float4 underflow_color = {};
    Float4 overflow_color = {};
    float deformation = 0.0f;
    float brightness = 0.75f;
    float alpha_value = 1.0f;
    float padding0 = 0.0f;  // read by no shader
    Float4 corner_min = {};
    Float4 corner_max = {};
    Float4 dimensions = {};  // samples of the scalar grid per axis
    Float4 wireframe_color = {};
    std::array<Float4, kMaxClipPlanes> clip_planes = {};
};

static_assert(std::is_trivially_copyable_v<VoxelConstants> && std::is_standard_layout_v<VoxelConstants>);
static_assert(offsetof(VoxelConstants, model_matrix) == 0);
static_assert(offsetof(VoxelConstants, model_view_matrix) == 64);
static_assert(offsetof(VoxelConstants, projection_matrix) == 128);
static_assert(offsetof(VoxelConstants, min_value) == 192);
static_assert(offsetof(VoxelConstants, max_value) == 196);
static_assert(offsetof(VoxelConstants, min_sample_value) == 200);
static_assert(offsetof(VoxelConstants, sample_value_range) == 204);
static_assert(offsetof(VoxelConstants, underflow_color) == 208);
static_assert(offsetof(VoxelConstants, overflow_color) == 224);
static_assert(offsetof(VoxelConstants, deformation) == 240);
static_assert(offsetof(VoxelConstants, brightness) == 244);
static_assert(offsetof(VoxelConstants, alpha_value) == 248);
static_assert(offsetof(VoxelConstants, padding0) == 252);
static_assert(offsetof(VoxelConstants, corner_min) == 256);
static_assert(offsetof(VoxelConstants, corner_max) == 272);
static_assert(offsetof(VoxelConstants, dimensions) == 288);
static_assert(offsetof(VoxelConstants, wireframe_color) == 304);
static_assert(offsetof(VoxelConstants, clip_planes) == 320);
static_assert(sizeof(VoxelConstants::model_matrix) == 64 && sizeof(VoxelConstants::underflow_color) == 16 &&
              sizeof(VoxelConstants::clip_planes) == 128);
static_assert(sizeof(VoxelConstants) == 448);

// "CBUFFER(constants, 0)" and the fields above, one per line; heads every
// stage text of the voxel mesh. Built when the library loads.
std::string_view VoxelConstantsDeclaration();

}  // namespace Korvex::Rendering::detail
