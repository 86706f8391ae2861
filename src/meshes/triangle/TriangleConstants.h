#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace Korvex::Rendering::detail {

using Float4 = std::array<float, 4>;
// Column-major, as KxTransformMatrix::ConvertToFloat16 writes it.
using Float4x4 = std::array<float, 16>;

inline constexpr Float4x4 kIdentityFloat4x4{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
// Underflow and overflow colour until a gradient is installed.
inline constexpr Float4 kNeutralGray{0.7f, 0.7f, 0.7f, 1.0f};

// The triangle mesh's constants block, byte for byte as the shaders declare it.
struct TriangleConstants {
    Float4x4 unit_plane_matrix = kIdentityFloat4x4;
    Float4x4 model_matrix = kIdentityFloat4x4;
    Float4x4 model_view_matrix = kIdentityFloat4x4;
    Float4x4 normal_matrix = kIdentityFloat4x4;
    Float4x4 projection_matrix = kIdentityFloat4x4;
    Float4x4 model_view_projection_matrix = kIdentityFloat4x4;
    float min_value = 0.0f;
    float max_value = 1.0f;
    float min_sample_value = 0.0f;
    float sample_value_range = 1.0f;
    Float4 underflow_color = kNeutralGray;
    Float4 overflow_color = kNeutralGray;
    float deformation = 0.0f;
    float brightness = 0.5f;
    float alpha_value = 1.0f;
    float padding0 = 0.0f;
    Float4 corner_min{};
    Float4 corner_max{};
    std::array<Float4, 8> clip_planes{};
    // 2 / target width, 2 / target height, smallest grid cell edge.
    Float4 pixel_size_min_cell_size{};
};

static_assert(offsetof(TriangleConstants, unit_plane_matrix) == 0);
static_assert(offsetof(TriangleConstants, model_matrix) == 64);
static_assert(offsetof(TriangleConstants, model_view_matrix) == 128);
static_assert(offsetof(TriangleConstants, normal_matrix) == 192);
static_assert(offsetof(TriangleConstants, projection_matrix) == 256);
static_assert(offsetof(TriangleConstants, model_view_projection_matrix) == 320);
static_assert(offsetof(TriangleConstants, min_value) == 384);
static_assert(offsetof(TriangleConstants, max_value) == 388);
static_assert(offsetof(TriangleConstants, min_sample_value) == 392);
static_assert(offsetof(TriangleConstants, sample_value_range) == 396);
static_assert(offsetof(TriangleConstants, underflow_color) == 400);
static_assert(offsetof(TriangleConstants, overflow_color) == 416);
static_assert(offsetof(TriangleConstants, deformation) == 432);
static_assert(offsetof(TriangleConstants, brightness) == 436);
static_assert(offsetof(TriangleConstants, alpha_value) == 440);
static_assert(offsetof(TriangleConstants, padding0) == 444);
static_assert(offsetof(TriangleConstants, corner_min) == 448);
static_assert(offsetof(TriangleConstants, corner_max) == 464);
static_assert(offsetof(TriangleConstants, clip_planes) == 480);
static_assert(offsetof(TriangleConstants, pixel_size_min_cell_size) == 608);
static_assert(sizeof(TriangleConstants) == 624);

// The shaders' declaration of TriangleConstants, built once at load.
std::string_view TriangleConstantsDeclaration();

}  // namespace Korvex::Rendering::detail
