#include "ColorBar.h"

#include "GradientColor.h"

#include <algorithm>
#include <cmath>

namespace Korvex::Rendering {

namespace {

// Share of the area's height (right) or width (bottom) the bar spans, caps included.
constexpr double kBarShare = 0.6;

struct Metrics {
    int margin, thickness, tickLength, gap, line, titleHeight, labelsWidth, titleWidth;
};

Metrics MeasureBar(const ColorBarDesc& bar, const std::vector<ColorBarTick>& ticks, const Font& font) {
    const int size = font.PixelSize();
    Metrics m{};
    m.margin = size;
    m.thickness = std::max(8, size);
    m.tickLength = std::max(3, size / 3);
    m.gap = std::max(2, size / 4);
    m.line = font.LineHeight();
    m.titleWidth = font.Width(bar.title);
    m.titleHeight = bar.title.empty() ? 0 : m.line + m.gap;
    for (const ColorBarTick& tick : ticks) m.labelsWidth = std::max(m.labelsWidth, font.Width(tick.label));
    return m;
}

// Bar coordinates: along from the strip's low end, across from its side
// away from the labels; both in pixels.
struct BarFrame {
    const ColorBarLayout& layout;

    int Length() const { return Vertical() ? layout.strip.height : layout.strip.width; }
    bool Vertical() const { return layout.placement == ColorBarPlacement::Right; }
    int X(int along, int across) const { return Vertical() ? layout.strip.x + across : layout.strip.x + along; }
    int Y(int along, int across) const {
        return Vertical() ? layout.strip.Bottom() - 1 - along : layout.strip.y + across;
    }
};

// A triangle beyond one end of the frame: its base on the frame, its tip capLength away.
void DrawCap(RgbaCanvas& canvas, const BarFrame& frame, bool high, int thickness, const Rgba8& color) {
    const int cap = frame.layout.capLength;
    for (int k = 0; k < cap; ++k) {
        const double halfWidth = 0.5 * thickness * (1.0 - (k + 0.5) / cap);
        const int along = high ? frame.Length() + 1 + k : -2 - k;
        for (int across = 0; across < thickness; ++across)
            if (std::abs(across + 0.5 - 0.5 * thickness) <= halfWidth)
                canvas.Set(frame.X(along, across), frame.Y(along, across), color);
    }
}

}  // namespace

ColorBarLayout LayoutColorBar(const ColorBarDesc& bar, ColorBarPlacement placement, const PixelRect& area,
                              const Font& font) {
    ColorBarLayout layout;
    layout.placement = placement;
    layout.ticks = ColorBarTicks(bar.minValue, bar.maxValue, bar.logarithmic);
    const Metrics m = MeasureBar(bar, layout.ticks, font);
    const bool caps = bar.underflowColor.has_value() || bar.overflowColor.has_value();
    layout.capLength = caps ? m.thickness : 0;
    const int ends = 2 * (layout.capLength + 1);  // caps and the frame around the strip
    if (placement == ColorBarPlacement::Right) {
        const int width = std::max(m.thickness + m.tickLength + m.gap + m.labelsWidth, m.titleWidth);
        // The top label reaches half a line above the strip: the title stays clear of it.
        const int above = m.titleHeight > 0 ? m.titleHeight + m.line / 2 : 0;
        const int room = area.height - 2 * m.margin - above - m.line;
        const int length = std::max(1, std::min(static_cast<int>(std::lround(kBarShare * area.height)), room) - ends);
        const int top = area.y + (area.height - above - length - ends) / 2;
        layout.strip = {area.Right() - m.margin - width, top + above + ends / 2, m.thickness, length};
        layout.bounds = {layout.strip.x, top, width, above + length + ends + m.line / 2};
    } else {
        const int height = m.titleHeight + m.thickness + m.tickLength + m.gap + m.line;
        const int room = area.width - 2 * m.margin - m.labelsWidth;
        const int length = std::max(1, std::min(static_cast<int>(std::lround(kBarShare * area.width)), room) - ends);
        const int top = area.Bottom() - m.margin - height;
        layout.strip = {area.x + (area.width - length) / 2, top + m.titleHeight, length, m.thickness};
        const int width = std::max(length + ends + m.labelsWidth, m.titleWidth);
        layout.bounds = {area.x + (area.width - width) / 2, top, width, height};
    }
    return layout;
}

void DrawColorBar(RgbaCanvas& canvas, const ColorBarDesc& bar, const ColorBarLayout& layout, const Font& font,
                  const Rgba8& textColor) {
    const Metrics m = MeasureBar(bar, layout.ticks, font);
    const PixelRect& strip = layout.strip;
    canvas.Fill({strip.x - 1, strip.y - 1, strip.width + 2, strip.height + 2}, textColor);
    const BarFrame frame{layout};
    const int length = frame.Length();
    const int thickness = frame.Vertical() ? strip.width : strip.height;
    for (int along = 0; along < length; ++along) {
        const Rgba8 color = GradientColorAt(bar.gradient, (along + 0.5) / length);
        for (int across = 0; across < thickness; ++across)
            canvas.Set(frame.X(along, across), frame.Y(along, across), color);
    }
    if (bar.underflowColor) DrawCap(canvas, frame, false, thickness, *bar.underflowColor);
    if (bar.overflowColor) DrawCap(canvas, frame, true, thickness, *bar.overflowColor);

    for (const ColorBarTick& tick : layout.ticks) {
        const int along = std::clamp(static_cast<int>(std::floor(tick.position * length)), 0, length - 1);
        for (int across = thickness; across < thickness + 1 + m.tickLength; ++across)
            canvas.Set(frame.X(along, across), frame.Y(along, across), textColor);
        const int x = frame.X(along, thickness + 1 + m.tickLength + m.gap);
        const int y = frame.Y(along, thickness + 1 + m.tickLength + m.gap);
        if (frame.Vertical())
            font.Draw(canvas, tick.label, x, y + (font.Ascent() - font.Descent()) / 2, textColor);
        else
            font.Draw(canvas, tick.label, x - font.Width(tick.label) / 2, y + font.Ascent(), textColor);
    }
    if (bar.title.empty()) return;
    const int titleX = frame.Vertical() ? layout.bounds.x : layout.bounds.x + (layout.bounds.width - m.titleWidth) / 2;
    font.Draw(canvas, bar.title, titleX, layout.bounds.y + font.Ascent(), textColor);
}

}  // namespace Korvex::Rendering
