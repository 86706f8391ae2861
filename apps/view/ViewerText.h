#pragma once

// The viewer's own text over the picture, beside the title and colour bar:
// a status panel at the bottom left, the frame time at the top left while
// dragging, and the help in the middle.

#include "ViewerInput.h"

#include <Font.h>
#include <RgbaCanvas.h>

#include <string>
#include <vector>

namespace Korvex::App {

struct ViewerText {
    std::vector<std::string> status;  // the last line lowest
    std::string corner;               // empty: none
    std::vector<HelpRow> help;        // empty: hidden
};

// Within area (the scene's part of the picture), on panels of backdrop.
void DrawViewerText(Rendering::RgbaCanvas& canvas, const Rendering::Font& font, const ViewerText& text,
                    const Rendering::PixelRect& area, const Rendering::Rgba8& textColor,
                    const Rendering::Rgba8& backdrop);

}  // namespace Korvex::App
