#pragma once

// What a picture says about itself, drawn over the frame's image: a title
// above it and a colour bar beside or below it.

#include "ColorBar.h"
#include "Font.h"
#include "RgbaCanvas.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace Korvex::Rendering {

struct OverlayDesc {
    std::string title;                     // centred above the picture; empty: none
    std::optional<ColorBarDesc> colorBar;  // empty: no bar
    ColorBarPlacement placement = ColorBarPlacement::Right;
    Rgba8 textColor{0, 0, 0, 255};
};

// A title or bar that would take too much of a small picture is left out.
struct OverlayLayout {
    // What the title and the bar leave of the picture: where its subject goes.
    PixelRect scene;
    std::optional<ColorBarLayout> colorBar;
    int titleBaseline = 0;  // 0: no title
};

// Fonts sized for one picture size; the layout follows from them.
class Overlay {
public:
    // fontPath: from FindSansFont. Null and *error when the font does not load.
    static std::unique_ptr<Overlay> Create(const std::string& fontPath, int width, int height, std::string* error);

    OverlayLayout Layout(const OverlayDesc& desc) const;
    // rgba: the picture of the size given to Create, rows bottom first.
    void Draw(std::span<std::uint8_t> rgba, const OverlayDesc& desc) const;

    const Font& LabelFont() const { return *labels_; }

private:
    Overlay() = default;

    int width_ = 0;
    int height_ = 0;
    std::unique_ptr<Font> labels_;
    std::unique_ptr<Font> title_;
};

// Text that reads on the background: near black on light ones, near white
// on dark ones (by luminance), opaque.
Rgba8 TextColorOn(const std::array<float, 4>& background);

}  // namespace Korvex::Rendering
