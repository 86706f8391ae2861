#include "ViewerText.h"

#include <algorithm>

namespace Korvex::App {

namespace {

using Rendering::PixelRect;

// Lines in columns from (x, top), each column as wide as its widest entry,
// on a panel with a margin of half a line.
class Panel {
public:
    Panel(const Rendering::Font& font, std::vector<std::vector<std::string>> rows)
        : font_(font), rows_(std::move(rows)) {
        for (const auto& row : rows_)
            for (std::size_t c = 0; c < row.size(); ++c) {
                if (widths_.size() <= c) widths_.push_back(0);
                widths_[c] = std::max(widths_[c], font_.Width(row[c]));
            }
    }

    int Margin() const { return font_.LineHeight() / 2; }
    int Width() const {
        int width = 2 * Margin();
        for (int w : widths_) width += w + Margin();
        return width - (widths_.empty() ? 0 : Margin());
    }
    int Height() const { return static_cast<int>(rows_.size()) * font_.LineHeight() + 2 * Margin(); }

    void Draw(Rendering::RgbaCanvas& canvas, int x, int top, const Rendering::Rgba8& textColor,
              const Rendering::Rgba8& backdrop) const {
        canvas.Fill({x, top, Width(), Height()}, backdrop);
        int baseline = top + Margin() + font_.Ascent();
        for (const auto& row : rows_) {
            int column = x + Margin();
            for (std::size_t c = 0; c < row.size(); ++c) {
                font_.Draw(canvas, row[c], column, baseline, textColor);
                column += widths_[c] + Margin();
            }
            baseline += font_.LineHeight();
        }
    }

private:
    const Rendering::Font& font_;
    std::vector<std::vector<std::string>> rows_;
    std::vector<int> widths_;
};

std::vector<std::vector<std::string>> OneColumn(const std::vector<std::string>& lines) {
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : lines) rows.push_back({line});
    return rows;
}

}  // namespace

void DrawViewerText(Rendering::RgbaCanvas& canvas, const Rendering::Font& font, const ViewerText& text,
                    const PixelRect& area, const Rendering::Rgba8& textColor, const Rendering::Rgba8& backdrop) {
    const int gap = font.LineHeight() / 2;
    if (!text.status.empty()) {
        const Panel status(font, OneColumn(text.status));
        status.Draw(canvas, area.x + gap, area.Bottom() - gap - status.Height(), textColor, backdrop);
    }
    if (!text.corner.empty())
        Panel(font, {{text.corner}}).Draw(canvas, area.x + gap, area.y + gap, textColor, backdrop);
    if (text.help.empty()) return;
    std::vector<std::vector<std::string>> rows;
    for (const HelpRow& row : text.help) rows.push_back({row.keys, row.does});
    const Panel help(font, std::move(rows));
    help.Draw(canvas, area.x + std::max(gap, (area.width - help.Width()) / 2),
              area.y + std::max(gap, (area.height - help.Height()) / 2), textColor, backdrop);
}

}  // namespace Korvex::App
