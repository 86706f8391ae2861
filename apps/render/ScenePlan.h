#pragma once

// What one picture of a grid shows, with its geometry made and checked
// before any GPU work, so that bad input is answered before a device exists.

#include "AppOptions.h"

#include <GridLayout.h>
#include <UniformField.h>

#include <Korvex/Rendering/ClipPlane.h>
#include <Korvex/Rendering/Simulation/IGeometry.h>
#include <Korvex/Rendering/boundingbox.h>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace Korvex::App {

enum class LayerKind { Surface, Edges, Voxels };

// One mesh of the picture.
struct Layer {
    LayerKind kind = LayerKind::Surface;
    std::vector<Rendering::ClipPlane> clipPlanes;
    float deformation = 0.0f;
    float alpha = 1.0f;
    std::optional<float> brightness;                         // empty: the mesh's own default
    bool capping = true;                                     // surface
    std::array<std::uint8_t, 4> lineColor{40, 40, 40, 255};  // edges
    bool wireframe = false;                                  // voxels
    std::array<float, 4> wireframeColor{0.05f, 0.05f, 0.05f, 1.0f};
};

struct ScenePlan {
    Fields::GridLayout layout;  // the field's points
    ColorMapName colorMap = ColorMapName::Viridis;
    std::array<float, 2> valueRange{0.0f, 1.0f};
    std::array<float, 2> voxelRange{0.0f, 1.0f};
    std::vector<Layer> layers;
    // Made by CompletePlan for the kinds the layers draw.
    std::vector<Rendering::VertexPN> surfaceTriangles;
    std::vector<Rendering::VertexPN> edgeLines;
    std::vector<std::uint32_t> voxels;
    // What the camera frames: the cells, widened by the largest displacement drawn.
    Rendering::boundingbox<float, 3> sceneBox;
};

struct PlanResult {
    ScenePlan plan;
    std::string error;  // about the data, without the file name; empty when planned
};

// The smallest and largest value, widened where they are equal so that a
// colour map can span them; values set beyond every range are left out.
std::array<float, 2> ValueRangeOf(std::span<const float> values);

// Checks the layers against the field and makes their geometry; the message
// says why it cannot be drawn.
std::string CompletePlan(ScenePlan& plan, const Fields::UniformField& field);

// The field the command line asks for: its array, component, displacement
// and sample budgets; --deform without --vectors takes FirstVectors.
Fields::FieldRequest RequestFromOptions(const Io::Dataset& dataset, const RenderOptions& options);
Fields::FieldResult FieldFromOptions(const Io::Dataset& dataset, const RenderOptions& options);

// The picture the command line asks for.
PlanResult PlanFromOptions(const Fields::UniformField& field, const RenderOptions& options);

}  // namespace Korvex::App
