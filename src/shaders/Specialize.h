#pragma once

#include <Korvex/Rendering/Gpu/Descriptions.h>

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace Korvex::Rendering::detail {

// A feature tag of a mesh's templates and whether its sections stay.
struct ShaderFeature {
    std::string_view tag;
    bool enabled = false;
};

inline constexpr std::string_view kPlaneCountSymbol = "PLANE_COUNT";
inline constexpr std::string_view kTagClipping = "CLIPPING";
inline constexpr std::string_view kTagDrawingPlane = "DRAWING_PLANE";
inline constexpr std::string_view kTagDeform = "DEFORM";
inline constexpr std::string_view kTagProbeValue = "PROBE_VALUE";
inline constexpr std::string_view kTagProbePosition = "PROBE_POSITION";
inline constexpr std::string_view kTagWireframe = "WIREFRAME";

// Each mesh kind's feature tags, in the order their sections are resolved.
constexpr std::array<ShaderFeature, 2> LineShaderFeatures(bool probeValue, bool probePosition) {
    return {{{kTagProbeValue, probeValue}, {kTagProbePosition, probePosition}}};
}
constexpr std::array<ShaderFeature, 3> TriangleShaderFeatures(bool drawingPlane, bool probeValue,
                                                               bool probePosition) {
    return {{{kTagDrawingPlane, drawingPlane}, {kTagProbeValue, probeValue}, {kTagProbePosition, probePosition}}};
}
constexpr std::array<ShaderFeature, 4> VoxelShaderFeatures(bool deform, bool probeValue, bool probePosition,
                                                            bool wireframe) {
    return {{{kTagDeform, deform},
             {kTagProbeValue, probeValue},
             {kTagProbePosition, probePosition},
             {kTagWireframe, wireframe}}};
}

// Writes the plane count in place of every PLANE_COUNT, then keeps (tags
// removed) or deletes (with contents) the sections of CLIPPING, kept when
// planeCount is not 0, and of each feature in order.
std::string SpecializeShader(std::string text, std::uint64_t planeCount, std::span<const ShaderFeature> features);

// SpecializeShader on each of the five stages; an empty stage stays empty.
ShaderStageSources SpecializeProgram(const ShaderStageSources& sources, std::uint64_t planeCount,
                                     std::span<const ShaderFeature> features);

// A stage with a template becomes the constants declaration followed by the
// template; a stage without one stays empty.
ShaderStageSources AssembleProgram(std::string_view constantsDeclaration,
                                   const std::array<std::string_view, kShaderStageCount>& templates);

}  // namespace Korvex::Rendering::detail
