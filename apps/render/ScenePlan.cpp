#include "ScenePlan.h"

#include "DrawnPoints.h"

#include <BoundarySurface.h>
#include <CellEdges.h>
#include <Isosurface.h>
#include <SlicePlane.h>
#include <VoxelSelection.h>

#include <algorithm>
#include <cmath>

namespace Korvex::App {

namespace {

// The grid's own points, before any resampling.
std::string Dimensions(const Fields::UniformField& field) {
    return std::to_string(field.cellWalls[0].size()) + "x" + std::to_string(field.cellWalls[1].size()) + "x" +
           std::to_string(field.cellWalls[2].size());
}

std::string Format(float value) {
    std::string text = std::to_string(value);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
    return text;
}

bool Draws(const ScenePlan& plan, LayerKind kind) {
    return std::any_of(plan.layers.begin(), plan.layers.end(), [&](const Layer& layer) { return layer.kind == kind; });
}

// The drawn array's values as the file holds them: a mesh's own, not those
// resampled onto its lattice, which reach a little beyond its cells.
std::span<const float> OwnValues(const Fields::UniformField& field) {
    return field.mesh ? std::span<const float>(field.mesh->values) : std::span<const float>(field.scalars);
}

// A piece of a slice spans this many cells at most, so that a deformed
// slice still follows the grid cell by cell (see PieceCount).
constexpr double kCellsPerSlicePiece = 32.0;

std::string PlaneText(const std::array<double, 4>& plane) {
    for (std::size_t axis = 0; axis < 3; ++axis)
        if (plane[axis] == 1.0 && plane[(axis + 1) % 3] == 0.0 && plane[(axis + 2) % 3] == 0.0)
            return std::string(1, static_cast<char>('x' + axis)) + "=" + Format(static_cast<float>(-plane[3]));
    std::string text;
    for (double value : plane) text += (text.empty() ? "" : ",") + Format(static_cast<float>(value));
    return text;
}

// A mesh's slices and contours lie in the cells of its lattice that are
// inside it: the lattice's other values only keep the texture in range.
std::span<const std::uint8_t> InsideMesh(const Fields::UniformField& field) {
    return field.mesh ? std::span<const std::uint8_t>(field.mesh->inside) : std::span<const std::uint8_t>();
}

// Why a mesh has nothing inside to cut: shells only, or solids thinner than
// its lattice's spacing; empty when it has.
std::string NothingInside(const Fields::UniformField& field) {
    const std::span<const std::uint8_t> inside = InsideMesh(field);
    if (!field.mesh || std::find(inside.begin(), inside.end(), 1) != inside.end()) return {};
    return "no sample of the grid the mesh is resampled onto lies in a solid cell (a shell has no inside; "
           "--resolution finds thin solids)";
}

std::string MakeSlices(ScenePlan& plan, const Fields::UniformField& field) {
    if (const std::string why = NothingInside(field); !why.empty()) return "--slice: " + why;
    const auto& spacing = plan.layout.spacing;
    const double piece = kCellsPerSlicePiece * std::max({spacing[0], spacing[1], spacing[2]});
    for (const std::array<double, 4>& plane : plan.slicePlanes) {
        const std::vector<Rendering::VertexPN> triangles =
            field.mesh ? Fields::SliceInside(plan.layout, InsideMesh(field), plane)
                       : Fields::SliceTriangles(plan.layout.CellBox(), plane, piece);
        if (triangles.empty())
            return "--slice " + PlaneText(plane) + " does not cut the " + (field.mesh ? "mesh" : "grid");
        plan.sliceTriangles.insert(plan.sliceTriangles.end(), triangles.begin(), triangles.end());
    }
    return {};
}

std::string MakeContours(ScenePlan& plan, const Fields::UniformField& field) {
    const Fields::GridLayout samples = field.Samples();
    const auto& n = samples.dimensions;
    if (const std::string why = NothingInside(field); !why.empty()) return "--contour: " + why;
    if (std::min({n[0], n[1], n[2]}) < 2)
        return "--contour draws surfaces inside a volume; the values lie on a " + std::to_string(n[0]) + "x" +
               std::to_string(n[1]) + "x" + std::to_string(n[2]) + " grid";
    for (float value : plan.contourValues) {
        const std::vector<Rendering::VertexPN> triangles =
            Fields::Isosurface(samples, field.scalars, value, InsideMesh(field));
        if (triangles.empty()) {
            const std::array<float, 2> range = ValueRangeOf(OwnValues(field));
            return "--contour " + Format(value) + ": " + field.scalarsLabel + " ranges from " + Format(range[0]) +
                   " to " + Format(range[1]) + " and does not cross it";
        }
        plan.contourTriangles.insert(plan.contourTriangles.end(), triangles.begin(), triangles.end());
    }
    return {};
}

// The data's range, or with logarithmic colours that of its values above 0.
std::string DefaultRange(const Fields::UniformField& field, bool logarithmic, std::array<float, 2>* range) {
    const std::optional<std::array<float, 2>> extremes = ColourExtremes(OwnValues(field), logarithmic);
    if (!extremes && logarithmic) return "--log needs values above 0: " + field.scalarsLabel + " has none";
    *range = extremes ? ColourRange(*extremes, logarithmic) : std::array<float, 2>{0.0f, 1.0f};
    return {};
}

}  // namespace

std::optional<std::array<float, 2>> ColourExtremes(std::span<const float> values, bool logarithmic) {
    float low = Fields::kBeyondRange, high = -Fields::kBeyondRange;
    for (float value : values)
        if (std::isfinite(value) && std::fabs(value) != Fields::kBeyondRange && (!logarithmic || value > 0.0f)) {
            low = std::min(low, value);
            high = std::max(high, value);
        }
    if (low > high) return std::nullopt;
    return std::array<float, 2>{low, high};
}

std::array<float, 2> ColourRange(const std::array<float, 2>& extremes, bool logarithmic) {
    const auto [low, high] = extremes;
    // Values equal but for float rounding, as magnitudes of unit vectors
    // are, count as one value: a colour map across the rounding is noise.
    if (high - low > 1e-6f * std::max(std::fabs(low), std::fabs(high))) return extremes;
    const float middle = 0.5f * (low + high);
    const float margin = std::max(0.5f, std::fabs(middle) * 1e-3f);
    // Logarithmic colours need a range above 0.
    return {logarithmic && middle - margin <= 0.0f ? 0.5f * low : middle - margin, middle + margin};
}

std::array<float, 2> ValueRangeOf(std::span<const float> values) {
    const std::optional<std::array<float, 2>> extremes = ColourExtremes(values, false);
    return extremes ? ColourRange(*extremes, false) : std::array<float, 2>{0.0f, 1.0f};
}

std::array<float, 2> MeshValueRange(const ScenePlan& plan) {
    if (!plan.logarithmic) return plan.valueRange;
    return {std::log10(plan.valueRange[0]), std::log10(plan.valueRange[1])};
}

namespace {

float LogFloor(const ScenePlan& plan) {
    const std::array<float, 2> range = MeshValueRange(plan);
    return range[0] - std::max(1.0f, range[1] - range[0]);
}

}  // namespace

float MeshValue(const ScenePlan& plan, float value) {
    if (!plan.logarithmic || value == Fields::kBeyondRange) return value;
    return value > 0.0f ? std::max(std::log10(value), LogFloor(plan)) : LogFloor(plan);
}

float DataValue(const ScenePlan& plan, float meshValue) {
    if (!plan.logarithmic) return meshValue;
    return meshValue <= LogFloor(plan) ? 0.0f : std::pow(10.0f, meshValue);
}

std::string CompletePlan(ScenePlan& plan, const Fields::UniformField& field) {
    plan.layout = field.points;
    for (const Layer& layer : plan.layers)
        if (layer.deformation != 0.0f && field.vectors.empty()) return "deformation needs a displacement (--vectors)";
    if (Draws(plan, LayerKind::Surface)) {
        plan.surfaceTriangles = field.mesh ? field.mesh->surface : Fields::BoundarySurface(plan.layout);
        if (plan.surfaceTriangles.empty())
            return "the grid is " + Dimensions(field) + ": a surface needs 2 points along two axes at least";
    }
    if (Draws(plan, LayerKind::Edges)) {
        plan.edgeLines = field.mesh ? field.mesh->edges : Fields::BoundaryCellEdges(field.cellWalls);
        if (plan.edgeLines.empty()) return "the grid is " + Dimensions(field) + ": it has no cell edges";
    }
    if (Draws(plan, LayerKind::Voxels)) {
        Fields::VoxelSelection selection = Fields::SelectVoxels(plan.layout, field.scalars, field.location,
                                                                plan.voxelRange[0], plan.voxelRange[1],
                                                                InsideMesh(field));
        if (!selection.error.empty()) return selection.error;
        if (selection.voxels.empty())
            return "no cell lies in the voxel range " + Format(plan.voxelRange[0]) + " to " +
                   Format(plan.voxelRange[1]);
        plan.voxels = std::move(selection.voxels);
    }
    if (Draws(plan, LayerKind::Slices))
        if (std::string message = MakeSlices(plan, field); !message.empty()) return message;
    if (Draws(plan, LayerKind::Contours))
        if (std::string message = MakeContours(plan, field); !message.empty()) return message;
    plan.drawnPoints = DrawnPoints(plan, field);
    plan.depthPoints = CappedSurfaceExtent(plan, field);
    return {};
}

Fields::FieldRequest RequestFromOptions(const Io::Dataset& dataset, const RenderOptions& options) {
    Fields::FieldRequest request{options.scalars, options.component, options.vectors, options.maxSamples,
                                 options.resolution};
    if ((options.deformation || options.deformAuto) && request.vectors.empty())
        if (const Io::DataArray* vectors = Fields::FirstVectors(dataset)) request.vectors = vectors->name;
    return request;
}

Fields::FieldResult FieldFromOptions(const Io::Dataset& dataset, const RenderOptions& options) {
    const Fields::FieldRequest request = RequestFromOptions(dataset, options);
    if ((options.deformation || options.deformAuto) && request.vectors.empty()) {
        Fields::FieldResult result;
        result.error = "--deform needs an array of 3 components; the file has " +
                       (dataset.arrays.empty() ? std::string("no arrays") : Fields::ArrayNames(dataset));
        return result;
    }
    return Fields::MakeUniformField(dataset, request);
}

PlanResult PlanFromOptions(const Fields::UniformField& field, const RenderOptions& options,
                           const Fields::UniformField* colors) {
    PlanResult result;
    ScenePlan& plan = result.plan;
    plan.colorMap = options.colorMap;
    plan.logarithmic = options.logarithmic;
    plan.outOfRangeColors = options.outOfRangeColors;
    plan.slicePlanes = options.slices;
    plan.contourValues = options.contours;
    if (options.range)
        plan.valueRange = *options.range;
    else if (result.error = DefaultRange(colors ? *colors : field, options.logarithmic, &plan.valueRange);
             !result.error.empty())
        return result;
    // Voxels are chosen by the values of field, whatever colours them.
    const std::array<float, 2> chosen = colors ? ValueRangeOf(OwnValues(field)) : plan.valueRange;
    plan.voxelRange = options.voxelRange.value_or(std::array<float, 2>{0.5f * (chosen[0] + chosen[1]), chosen[1]});

    Layer common;
    for (const std::array<float, 4>& plane : options.clipPlanes)
        common.clipPlanes.push_back({plane[0], plane[1], plane[2], plane[3]});
    common.deformation = options.deformation.value_or(0.0f);
    common.alpha = options.alpha;
    common.brightness = options.brightness;
    common.capping = options.capping;
    common.wireframe = options.wireframe;
    const auto add = [&](bool drawn, LayerKind kind) {
        if (!drawn) return;
        plan.layers.push_back(common);
        plan.layers.back().kind = kind;
    };
    // Lines over the surface they outline; voxels last, as in --draw's order.
    add(options.drawSurface, LayerKind::Surface);
    add(options.drawEdges, LayerKind::Edges);
    add(options.drawVoxels, LayerKind::Voxels);
    // Slices and contours are open surfaces: no inside for a cap to close.
    common.capping = false;
    add(!options.slices.empty(), LayerKind::Slices);
    add(!options.contours.empty(), LayerKind::Contours);
    result.error = CompletePlan(plan, field);
    return result;
}

PlannedScene PlanScene(const Io::Dataset& dataset, const RenderOptions& options) {
    PlannedScene scene;
    scene.made = FieldFromOptions(dataset, options);
    if (!scene.made.error.empty()) {
        scene.error = scene.made.error;
        return scene;
    }
    if (!options.colorBy.empty()) {
        RenderOptions coloring = options;
        coloring.scalars = options.colorBy;
        coloring.component.reset();
        scene.colors = FieldFromOptions(dataset, coloring);
        if (!scene.colors->error.empty()) {
            scene.error = "--color-by: " + scene.colors->error;
            return scene;
        }
    }
    PlanResult planned = PlanFromOptions(scene.made.field, options, scene.colors ? &scene.colors->field : nullptr);
    scene.plan = std::move(planned.plan);
    scene.error = std::move(planned.error);
    return scene;
}

}  // namespace Korvex::App
