#include "PictureOverlay.h"

#include <NamedColorMaps.h>

#include <algorithm>

namespace Korvex::App {

namespace {

// "'velocity' magnitude" reads "velocity magnitude" under a bar.
std::string Unquoted(const std::string& label) {
    const std::size_t close = label.rfind('\'');
    if (label.empty() || label.front() != '\'' || close == 0) return label;
    return label.substr(1, close - 1) + label.substr(close + 1);
}

bool Colours(const ScenePlan& plan) {
    return std::any_of(plan.layers.begin(), plan.layers.end(),
                       [](const Layer& layer) { return layer.kind != LayerKind::Edges; });
}

}  // namespace

Rendering::OverlayDesc PictureOverlay(const ScenePlan& plan, const PictureText& text) {
    Rendering::OverlayDesc desc;
    desc.title = text.title;
    desc.textColor = Rendering::TextColorOn(text.background);
    if (text.colorBar == ColorBarSide::Off || !Colours(plan)) return desc;
    desc.placement = text.colorBar == ColorBarSide::Bottom ? Rendering::ColorBarPlacement::Bottom
                                                           : Rendering::ColorBarPlacement::Right;
    Rendering::ColorBarDesc bar;
    bar.gradient = *Rendering::ColorMapTable(plan.colorMap);
    if (plan.outOfRangeColors) {
        bar.underflowColor = (*plan.outOfRangeColors)[0];
        bar.overflowColor = (*plan.outOfRangeColors)[1];
    }
    bar.minValue = plan.valueRange[0];
    bar.maxValue = plan.valueRange[1];
    bar.logarithmic = plan.logarithmic;
    bar.title = Unquoted(text.valueLabel);
    desc.colorBar = std::move(bar);
    return desc;
}

Rendering::PictureRegion SceneRegion(const Rendering::Overlay* overlay, const Rendering::OverlayDesc& desc,
                                     std::uint32_t width, std::uint32_t height) {
    if (overlay == nullptr) return {0.0, 0.0, double(width), double(height)};
    const Rendering::PixelRect free = overlay->Layout(desc).scene;
    return {double(free.x), double(free.y), double(free.width), double(free.height)};
}

}  // namespace Korvex::App
