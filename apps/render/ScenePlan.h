#pragma once

// What one picture of a grid or mesh shows, with its geometry made and
// checked before any GPU work, so that bad input is answered before a
// device exists.

#include "AppOptions.h"

#include <GridLayout.h>
#include <UniformField.h>

#include <Korvex/Math/KxTransformMatrix.h>
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

enum class LayerKind { Surface, Edges, Voxels, Slices, Contours };

// One mesh of the picture.
struct Layer {
    LayerKind kind = LayerKind::Surface;
    std::vector<Rendering::ClipPlane> clipPlanes;
    float deformation = 0.0f;
    float alpha = 1.0f;
    std::optional<float> brightness;                         // empty: the mesh's own default
    bool capping = true;                                     // surface; slices and contours have no inside
    std::array<std::uint8_t, 4> lineColor{40, 40, 40, 255};  // edges
    bool wireframe = false;                                  // voxels
    std::array<float, 4> wireframeColor{0.05f, 0.05f, 0.05f, 1.0f};
};

struct ScenePlan {
    Fields::GridLayout layout;  // the field's points; a mesh's, the lattice it is resampled onto
    std::string colorMap = "viridis";
    bool logarithmic = false;  // the meshes get log10 of the values; the ranges stay in the data's units
    std::optional<std::array<std::array<std::uint8_t, 4>, 2>> outOfRangeColors;  // below, above
    std::array<float, 2> valueRange{0.0f, 1.0f};
    std::array<float, 2> voxelRange{0.0f, 1.0f};
    std::vector<std::array<double, 4>> slicePlanes;
    std::vector<float> contourValues;
    std::vector<Layer> layers;
    // Made by CompletePlan for the kinds the layers draw.
    std::vector<Rendering::VertexPN> surfaceTriangles;
    std::vector<Rendering::VertexPN> edgeLines;
    std::vector<std::uint32_t> voxels;
    std::vector<Rendering::VertexPN> sliceTriangles;
    std::vector<Rendering::VertexPN> contourTriangles;
    // What the camera frames: the points of what is drawn (DrawnPoints, or
    // FrameExtent's for the steps of a series), and what its depth range
    // holds besides (CappedSurfaceExtent).
    std::vector<Rendering::KxVector3d> drawnPoints;
    std::vector<Rendering::KxVector3d> depthPoints;
};

struct PlanResult {
    ScenePlan plan;
    std::string error;  // about the data, without the file name; empty when planned
};

// The smallest and largest of the values colours can show: finite ones not
// set beyond every range, for logarithmic colours only those above 0; empty
// when there are none.
std::optional<std::array<float, 2>> ColourExtremes(std::span<const float> values, bool logarithmic);
// The range colours span by default over values of these extremes: the
// extremes, widened where they are equal so that a colour map can span
// them, above 0 for logarithmic colours.
std::array<float, 2> ColourRange(const std::array<float, 2>& extremes, bool logarithmic);
// The linear colour range of the values; 0 to 1 when none can be shown.
std::array<float, 2> ValueRangeOf(std::span<const float> values);

// The range the meshes colour over: the plan's, or log10 of it.
std::array<float, 2> MeshValueRange(const ScenePlan& plan);
// A value as the meshes get it: itself, or log10 of it for logarithmic
// colours, not below a floor a decade or the range's span (the more) below
// the range, where values at or below 0 and those not finite at the low end
// go. The lowest float would not do: where the GPU blends it with its
// neighbours, the colours' edge blending takes in both out-of-range colours.
float MeshValue(const ScenePlan& plan, float value);
// A value as the meshes hold it (a probe's) in the data's units; 0 for one
// at the floor.
float DataValue(const ScenePlan& plan, float meshValue);

// Checks the layers against the field and makes their geometry; the message
// says why it cannot be drawn.
std::string CompletePlan(ScenePlan& plan, const Fields::UniformField& field);

// The field the command line asks for: its array, component, displacement
// and sample budgets; --deform without --vectors takes FirstVectors.
Fields::FieldRequest RequestFromOptions(const Io::Dataset& dataset, const RenderOptions& options);
Fields::FieldResult FieldFromOptions(const Io::Dataset& dataset, const RenderOptions& options);

// The picture the command line asks for. colors: the field of --color-by,
// which gives the colours' range; null when field colours itself.
PlanResult PlanFromOptions(const Fields::UniformField& field, const RenderOptions& options,
                           const Fields::UniformField* colors = nullptr);

// A dataset as the command line asks to draw it: its field, the field of
// --color-by when given, and the plan.
struct PlannedScene {
    Fields::FieldResult made;
    std::optional<Fields::FieldResult> colors;
    ScenePlan plan;
    std::string error;  // about the data, without the file name; empty when planned

    // What colours the picture.
    const Fields::UniformField& ColorField() const { return colors ? colors->field : made.field; }
};
PlannedScene PlanScene(const Io::Dataset& dataset, const RenderOptions& options);

}  // namespace Korvex::App
