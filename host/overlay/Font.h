#pragma once

#include "RgbaCanvas.h"

#include <memory>
#include <string>
#include <string_view>

struct FT_LibraryRec_;
struct FT_FaceRec_;

namespace Korvex::Rendering {

// One font file at one pixel size, rasterised by FreeType with grey-level
// anti-aliasing. Text is UTF-8; a byte that is not part of a well-formed
// character is drawn as U+FFFD.
class Font {
public:
    // Null and *error when the file is not a font FreeType reads.
    static std::unique_ptr<Font> Open(const std::string& path, int pixelSize, std::string* error);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    int PixelSize() const { return pixelSize_; }
    // Pixels above and below the baseline that a line of this font takes.
    int Ascent() const;
    int Descent() const;
    int LineHeight() const { return Ascent() + Descent(); }

    // The advance of the text from its first pen position to its last.
    int Width(std::string_view text) const;
    // Blends the glyphs in color, the pen starting at x on the baseline y.
    void Draw(RgbaCanvas& canvas, std::string_view text, int x, int baseline, const Rgba8& color) const;

private:
    Font() = default;
    // Lays out the text; drawTo null measures only. Answers the advance in pixels.
    int Layout(std::string_view text, RgbaCanvas* drawTo, int x, int baseline, const Rgba8& color) const;

    FT_LibraryRec_* library_ = nullptr;
    FT_FaceRec_* face_ = nullptr;
    int pixelSize_ = 0;
};

}  // namespace Korvex::Rendering
