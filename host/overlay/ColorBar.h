#pragma once

#include "ColorBarTicks.h"
#include "Font.h"
#include "RgbaCanvas.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Korvex::Rendering {

enum class ColorBarPlacement { Right, Bottom };

// What a colour bar shows: the gradient a mesh was given and its value range.
struct ColorBarDesc {
    std::vector<std::uint8_t> gradient;  // RGBA8 entries, as given to the mesh
    // The mesh's colours beyond the range, shown as end caps; empty: no cap.
    std::optional<Rgba8> underflowColor;
    std::optional<Rgba8> overflowColor;
    double minValue = 0.0;  // in the data's units
    double maxValue = 1.0;
    bool logarithmic = false;  // the mesh is coloured by log10 of the values
    std::string title;         // the array's name (and component)
};

struct ColorBarLayout {
    ColorBarPlacement placement = ColorBarPlacement::Right;
    // The gradient: low values at its bottom (right placement) or at its
    // left (bottom placement), a pixel's colour that of its centre's value.
    PixelRect strip;
    PixelRect bounds;   // everything the bar draws
    int capLength = 0;  // of each end cap beyond the strip's frame, 0 without caps
    std::vector<ColorBarTick> ticks;
};

// The bar along the right or bottom edge of area, sized by the font.
ColorBarLayout LayoutColorBar(const ColorBarDesc& bar, ColorBarPlacement placement, const PixelRect& area,
                              const Font& font);

// The strip in the mesh's colours within a frame of textColor, the caps,
// the ticks with their labels and the title.
void DrawColorBar(RgbaCanvas& canvas, const ColorBarDesc& bar, const ColorBarLayout& layout, const Font& font,
                  const Rgba8& textColor);

}  // namespace Korvex::Rendering
