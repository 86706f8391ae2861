#include "ScenePlan.h"

#include <BoundarySurface.h>
#include <CellEdges.h>
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

Rendering::boundingbox<float, 3> SceneBox(const ScenePlan& plan, const Fields::UniformField& field) {
    Rendering::boundingbox<float, 3> box = plan.layout.CellBox();
    float deformation = 0.0f;
    for (const Layer& layer : plan.layers) deformation = std::max(deformation, std::fabs(layer.deformation));
    if (deformation == 0.0f || field.vectors.empty()) return box;
    for (std::size_t axis = 0; axis < 3; ++axis) {
        float reach = 0.0f;
        for (const std::array<float, 3>& vector : field.vectors) reach = std::max(reach, std::fabs(vector[axis]));
        box.min[axis] -= deformation * reach;
        box.max[axis] += deformation * reach;
    }
    return box;
}

}  // namespace

std::array<float, 2> ValueRangeOf(std::span<const float> values) {
    float low = Fields::kBeyondRange, high = -Fields::kBeyondRange;
    for (float value : values)
        if (std::fabs(value) != Fields::kBeyondRange) {
            low = std::min(low, value);
            high = std::max(high, value);
        }
    if (low > high) return {0.0f, 1.0f};
    // Values equal but for float rounding, as magnitudes of unit vectors
    // are, count as one value: a colour map across the rounding is noise.
    if (high - low > 1e-6f * std::max(std::fabs(low), std::fabs(high))) return {low, high};
    const float middle = 0.5f * (low + high);
    const float margin = std::max(0.5f, std::fabs(middle) * 1e-3f);
    return {middle - margin, middle + margin};
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
        // Of a mesh's lattice, the cells inside the mesh only.
        const std::span<const std::uint8_t> inside =
            field.mesh ? std::span<const std::uint8_t>(field.mesh->inside) : std::span<const std::uint8_t>();
        Fields::VoxelSelection selection = Fields::SelectVoxels(plan.layout, field.scalars, field.location,
                                                                plan.voxelRange[0], plan.voxelRange[1], inside);
        if (!selection.error.empty()) return selection.error;
        if (selection.voxels.empty())
            return "no cell lies in the voxel range " + Format(plan.voxelRange[0]) + " to " +
                   Format(plan.voxelRange[1]);
        plan.voxels = std::move(selection.voxels);
    }
    plan.sceneBox = SceneBox(plan, field);
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

PlanResult PlanFromOptions(const Fields::UniformField& field, const RenderOptions& options) {
    PlanResult result;
    ScenePlan& plan = result.plan;
    plan.colorMap = options.colorMap;
    plan.valueRange = options.range.value_or(ValueRangeOf(field.mesh ? field.mesh->values : field.scalars));
    plan.voxelRange = options.voxelRange.value_or(
        std::array<float, 2>{0.5f * (plan.valueRange[0] + plan.valueRange[1]), plan.valueRange[1]});

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
    result.error = CompletePlan(plan, field);
    return result;
}

}  // namespace Korvex::App
