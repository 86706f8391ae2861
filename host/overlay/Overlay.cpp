#include "Overlay.h"

#include <algorithm>
#include <cmath>

namespace Korvex::Rendering {

namespace {

// Label size: a fortieth of the picture's smaller side, within readable bounds.
int LabelPixelSize(int width, int height) { return std::clamp(std::min(width, height) / 40, 9, 64); }

}  // namespace

std::unique_ptr<Overlay> Overlay::Create(const std::string& fontPath, int width, int height, std::string* error) {
    std::unique_ptr<Overlay> overlay(new Overlay());
    overlay->width_ = width;
    overlay->height_ = height;
    const int labelSize = LabelPixelSize(width, height);
    overlay->labels_ = Font::Open(fontPath, labelSize, error);
    if (!overlay->labels_) return nullptr;
    overlay->title_ = Font::Open(fontPath, labelSize * 4 / 3, error);
    if (!overlay->title_) return nullptr;
    return overlay;
}

OverlayLayout Overlay::Layout(const OverlayDesc& desc) const {
    OverlayLayout layout;
    const int margin = labels_->PixelSize();
    int top = 0;
    // Text takes no more than it leaves: a title a quarter of the height at
    // most, a bar half the width (right) or height (below).
    if (!desc.title.empty() && margin + title_->LineHeight() <= height_ / 4) {
        layout.titleBaseline = margin / 2 + title_->Ascent();
        top = layout.titleBaseline + title_->Descent() + margin / 2;
    }
    layout.scene = {0, top, width_, height_ - top};
    if (!desc.colorBar) return layout;
    const ColorBarLayout bar = LayoutColorBar(*desc.colorBar, desc.placement, layout.scene, *labels_);
    PixelRect scene = layout.scene;
    if (desc.placement == ColorBarPlacement::Right)
        scene.width = bar.bounds.x - margin;
    else
        scene.height = bar.bounds.y - margin - top;
    if (2 * scene.width < width_ || 2 * scene.height < layout.scene.height) return layout;
    layout.scene = scene;
    layout.colorBar = bar;
    return layout;
}

void Overlay::Draw(std::span<std::uint8_t> rgba, const OverlayDesc& desc) const {
    RgbaCanvas canvas(width_, height_, rgba);
    const OverlayLayout layout = Layout(desc);
    if (layout.titleBaseline > 0) {
        // Centred, or from the left margin when wider than the picture.
        const int x = std::max((width_ - title_->Width(desc.title)) / 2, labels_->PixelSize());
        title_->Draw(canvas, desc.title, x, layout.titleBaseline, desc.textColor);
    }
    if (layout.colorBar) DrawColorBar(canvas, *desc.colorBar, *layout.colorBar, *labels_, desc.textColor);
}

Rgba8 TextColorOn(const std::array<float, 4>& background) {
    const double luminance = 0.2126 * background[0] + 0.7152 * background[1] + 0.0722 * background[2];
    return luminance > 0.5 ? Rgba8{20, 20, 20, 255} : Rgba8{235, 235, 235, 255};
}

}  // namespace Korvex::Rendering
