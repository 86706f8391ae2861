#include "ScenePlan.h"

#include "BoundarySurface.h"
#include "CellEdges.h"
#include "VoxelSelection.h"

#include <algorithm>
#include <cmath>

namespace Korvex::App {

namespace {

std::string Dimensions(const GridLayout& layout) {
    return std::to_string(layout.dimensions[0]) + "x" + std::to_string(layout.dimensions[1]) + "x" +
           std::to_string(layout.dimensions[2]);
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

Rendering::boundingbox<float, 3> SceneBox(const ScenePlan& plan, const VtkGrid& grid) {
    Rendering::boundingbox<float, 3> box = plan.layout.CellBox();
    float deformation = 0.0f;
    for (const Layer& layer : plan.layers) deformation = std::max(deformation, std::fabs(layer.deformation));
    if (deformation == 0.0f || grid.vectors.empty()) return box;
    for (std::size_t axis = 0; axis < 3; ++axis) {
        float reach = 0.0f;
        for (const std::array<float, 3>& vector : grid.vectors) reach = std::max(reach, std::fabs(vector[axis]));
        box.min[axis] -= deformation * reach;
        box.max[axis] += deformation * reach;
    }
    return box;
}

}  // namespace

GridLayout LayoutOf(const VtkGrid& grid) { return {grid.dimensions, grid.origin, grid.spacing}; }

std::array<float, 2> ValueRangeOf(std::span<const float> values) {
    if (values.empty()) return {0.0f, 1.0f};
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    if (*low < *high) return {*low, *high};
    const float margin = std::max(0.5f, std::fabs(*low) * 1e-3f);
    return {*low - margin, *low + margin};
}

std::string CompletePlan(ScenePlan& plan, const VtkGrid& grid) {
    plan.layout = LayoutOf(grid);
    for (const Layer& layer : plan.layers)
        if (layer.deformation != 0.0f && grid.vectors.empty()) return "deformation needs VECTORS in the file";
    if (Draws(plan, LayerKind::Surface)) {
        plan.surfaceTriangles = BoundarySurface(plan.layout);
        if (plan.surfaceTriangles.empty())
            return "the grid is " + Dimensions(plan.layout) + ": a surface needs 2 samples along two axes at least";
    }
    if (Draws(plan, LayerKind::Edges)) {
        plan.edgeLines = BoundaryCellEdges(plan.layout);
        if (plan.edgeLines.empty()) return "the grid is " + Dimensions(plan.layout) + ": it has no cell edges";
    }
    if (Draws(plan, LayerKind::Voxels)) {
        VoxelSelection selection = SelectVoxels(plan.layout, grid.scalars, plan.voxelRange[0], plan.voxelRange[1]);
        if (!selection.error.empty()) return selection.error;
        if (selection.voxels.empty())
            return "no cell lies in the voxel range " + Format(plan.voxelRange[0]) + " to " +
                   Format(plan.voxelRange[1]);
        plan.voxels = std::move(selection.voxels);
    }
    plan.sceneBox = SceneBox(plan, grid);
    return {};
}

PlanResult PlanFromOptions(const VtkGrid& grid, const RenderOptions& options) {
    PlanResult result;
    ScenePlan& plan = result.plan;
    plan.colorMap = options.colorMap;
    plan.valueRange = options.range.value_or(ValueRangeOf(grid.scalars));
    plan.voxelRange = options.voxelRange.value_or(
        std::array<float, 2>{0.5f * (plan.valueRange[0] + plan.valueRange[1]), plan.valueRange[1]});

    Layer common;
    for (const std::array<float, 4>& plane : options.clipPlanes)
        common.clipPlanes.push_back({plane[0], plane[1], plane[2], plane[3]});
    common.deformation = options.deformation.value_or(grid.vectors.empty() ? 0.0f : 1.0f);
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
    result.error = CompletePlan(plan, grid);
    return result;
}

}  // namespace Korvex::App
