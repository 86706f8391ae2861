#pragma once

#include <Korvex/Rendering/ClipPlane.h>

#include <array>
#include <cstddef>
#include <string>
#include <type_traits>

namespace Korvex::Rendering::detail {

// The line mesh's constants block, byte for byte as the shaders declare it
// (kLineConstantsDeclaration); the defaults are those of a new mesh.
struct SimulationConstants {
    using Float4 = std::array<float, 4>;
    using Float4x4 = std::array<float, 16>;  // as KxTransformMatrix::ConvertToFloat16 writes it
    static constexpr Float4x4 kIdentity4x4 = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    Float4x4 model_matrix = kIdentity4x4;
    Float4x4 model_view_matrix = kIdentity4x4;
    Float4x4 normal_matrix = kIdentity4x4;
    Float4x4 projection_matrix = kIdentity4x4;
    Float4x4 model_view_projection_matrix = kIdentity4x4;
    float min_value = 0.0f;
    float max_value = 1.0f;
    float min_sample_value = 0.0f;
    float sample_value_range = 1.0f;
    Float4 color = {0.7f, 0.7f, 0.7f, 1.0f};
    float deformation = 0.0f;
    float brightness = 0.5f;
    float alpha_value = 1.0f;
    float padding0 = 0.0f;  // read by no shader
    Float4 corner_min = {};
    Float4 corner_max = {};
    std::array<Float4, kMaxClipPlanes> clip_planes = {};
    Float4 pixel_size_min_cell_size = {};  // 2 / width, 2 / height, smallest cell edge
};

static_assert(std::is_trivially_copyable_v<SimulationConstants> && std::is_standard_layout_v<SimulationConstants>);
static_assert(offsetof(SimulationConstants, model_matrix) == 0);
static_assert(offsetof(SimulationConstants, model_view_matrix) == 64);
static_assert(offsetof(SimulationConstants, normal_matrix) == 128);
static_assert(offsetof(SimulationConstants, projection_matrix) == 192);
static_assert(offsetof(SimulationConstants, model_view_projection_matrix) == 256);
static_assert(offsetof(SimulationConstants, min_value) == 320);
static_assert(offsetof(SimulationConstants, max_value) == 324);
static_assert(offsetof(SimulationConstants, min_sample_value) == 328);
static_assert(offsetof(SimulationConstants, sample_value_range) == 332);
static_assert(offsetof(SimulationConstants, color) == 336);
static_assert(offsetof(SimulationConstants, deformation) == 352);
static_assert(offsetof(SimulationConstants, brightness) == 356);
static_assert(offsetof(SimulationConstants, alpha_value) == 360);
static_assert(offsetof(SimulationConstants, padding0) == 364);
static_assert(offsetof(SimulationConstants, corner_min) == 368);
static_assert(offsetof(SimulationConstants, corner_max) == 384);
static_assert(offsetof(SimulationConstants, clip_planes) == 400);
static_assert(offsetof(SimulationConstants, pixel_size_min_cell_size) == 528);
static_assert(sizeof(SimulationConstants::model_matrix) == 64 && sizeof(SimulationConstants::color) == 16 &&
              sizeof(SimulationConstants::clip_planes) == 128 &&
              sizeof(SimulationConstants::pixel_size_min_cell_size) == 16);
static_assert(sizeof(SimulationConstants) == 544);

// "CBUFFER(constants, 0)" and the fields above, one per line; heads every
// stage text of the line mesh. Built when the library loads.
extern const std::string kLineConstantsDeclaration;

}  // namespace Korvex::Rendering::detail
