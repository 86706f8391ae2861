#include "DrawnSummary.h"

#include <algorithm>
#include <iomanip>
#include <sstream>

namespace Korvex::App {

namespace {

std::string Count(std::size_t count, const std::string& noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string Describe(const ScenePlan& plan, const Fields::UniformField& field, const Layer& layer) {
    std::string text;
    switch (layer.kind) {
    case LayerKind::Surface:
        text = "surface";
        break;
    case LayerKind::Edges:
        text = "cell edges";
        break;
    case LayerKind::Voxels:
        text = Count(plan.voxels.size(), "voxel") + " from " + Number(plan.voxelRange[0]) + " to " +
               Number(plan.voxelRange[1]);
        break;
    case LayerKind::Slices:
        text = Count(plan.slicePlanes.size(), "slice");
        break;
    case LayerKind::Contours:
        text = "isosurface";
        for (std::size_t i = 0; i < plan.contourValues.size(); ++i)
            text += (i == 0 ? " of " : ", ") + Number(plan.contourValues[i]);
        text += " (" + Count(plan.contourTriangles.size() / 3, "triangle") + ")";
        break;
    }
    if (layer.deformation != 0.0f)
        text += ", displaced by " + Number(layer.deformation) + " x '" + field.vectorsName + "'";
    if (!layer.clipPlanes.empty()) text += ", " + Count(layer.clipPlanes.size(), "clip plane");
    return text;
}

std::string ViewText(const RenderOptions& options, const Fields::GridLayout& grid) {
    std::string text = "view ";
    if (options.view)
        text += kViewPresetNames[static_cast<int>(*options.view)];
    else if (!options.azimuth && !options.elevation &&
             std::find(grid.dimensions.begin(), grid.dimensions.end(), 1u) != grid.dimensions.end())
        text += "face-on";
    else
        text += "azimuth " + Number(static_cast<float>(options.azimuth.value_or(-60.0))) + ", elevation " +
                Number(static_cast<float>(options.elevation.value_or(25.0)));
    return text + (options.orthographic ? ", orthographic" : "");
}

}  // namespace

std::string Number(double value) {
    std::ostringstream text;
    text << std::setprecision(6) << value;
    return text.str();
}

std::string DrawnSummary(const ScenePlan& plan, const Fields::UniformField& field, const std::string& colorLabel,
                         const std::string& name, const RenderOptions& options, bool colorBar) {
    const auto& size = field.Samples().dimensions;
    std::string text = field.scalarsLabel + " of " + name + " (" + std::to_string(size[0]) + "x" +
                       std::to_string(size[1]) + "x" + std::to_string(size[2]) +
                       (field.location == Io::Location::Cells ? " cells" : "") + ", colours " +
                       (colorLabel.empty() ? "" : "by " + colorLabel + ", ") + plan.colorMap + " " +
                       Number(plan.valueRange[0]) + " to " + Number(plan.valueRange[1]) +
                       (plan.logarithmic ? " logarithmic" : "") + "): ";
    for (std::size_t i = 0; i < plan.layers.size(); ++i)
        text += (i > 0 ? "; " : "") + Describe(plan, field, plan.layers[i]);
    text += "; " + ViewText(options, plan.layout);
    if (colorBar) text += options.colorBar == ColorBarSide::Right ? "; colour bar right" : "; colour bar below";
    return text;
}

}  // namespace Korvex::App
