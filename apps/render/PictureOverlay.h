#pragma once

// The title and colour bar that explain a picture of a plan.

#include "AppOptions.h"
#include "ScenePlan.h"

#include <Overlay.h>
#include <ViewFraming.h>

#include <array>
#include <cstdint>
#include <string>

namespace Korvex::App {

struct PictureText {
    std::string title;       // empty: none
    std::string valueLabel;  // what the colours show, as the field labels it: "'velocity' magnitude"
    ColorBarSide colorBar = ColorBarSide::Right;
    std::array<float, 4> background{1.0f, 1.0f, 1.0f, 1.0f};
};

// The bar shows the plan's colour map over its range in the data's units,
// with its out-of-range colours as end caps; a picture that colours nothing
// (edges alone) gets none. Text is dark or light to read on the background.
Rendering::OverlayDesc PictureOverlay(const ScenePlan& plan, const PictureText& text);

// The part of a picture of width x height that the overlay leaves for the
// scene: all of it without an overlay.
Rendering::PictureRegion SceneRegion(const Rendering::Overlay* overlay, const Rendering::OverlayDesc& desc,
                                     std::uint32_t width, std::uint32_t height);

}  // namespace Korvex::App
