#include "Font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>

namespace Korvex::Rendering {

namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

// The next character of UTF-8 text at *at, which moves past it.
char32_t NextCharacter(std::string_view text, std::size_t* at) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byte((*at)++);
    if (lead < 0x80) return lead;
    const int extra = lead >= 0xF0 && lead < 0xF5 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 && lead < 0xE0 ? 1 : -1;
    if (extra < 0 || *at + static_cast<std::size_t>(extra) > text.size()) return kReplacementCharacter;
    char32_t code = lead & (0x3F >> extra);
    for (int i = 0; i < extra; ++i) {
        if ((byte(*at) & 0xC0) != 0x80) return kReplacementCharacter;
        code = (code << 6) | (byte((*at)++) & 0x3F);
    }
    const char32_t smallest[] = {0, 0x80, 0x800, 0x10000};
    const bool surrogate = code >= 0xD800 && code < 0xE000;
    return code < smallest[extra] || surrogate || code > 0x10FFFF ? kReplacementCharacter : code;
}

// 26.6 fixed point to whole pixels, rounded.
int Pixels(FT_Pos value) { return static_cast<int>((value + 32) >> 6); }

}  // namespace

std::unique_ptr<Font> Font::Open(const std::string& path, int pixelSize, std::string* error) {
    std::unique_ptr<Font> font(new Font());
    font->pixelSize_ = pixelSize;
    const auto fail = [&](const std::string& why) {
        if (error != nullptr) *error = "Font::Open(): " + path + ": " + why;
        return nullptr;
    };
    if (FT_Init_FreeType(&font->library_) != 0) return fail("FreeType did not start");
    if (FT_New_Face(font->library_, path.c_str(), 0, &font->face_) != 0) return fail("not a font FreeType reads");
    if (pixelSize < 1 || FT_Set_Pixel_Sizes(font->face_, 0, static_cast<FT_UInt>(pixelSize)) != 0)
        return fail("no size of " + std::to_string(pixelSize) + " pixels");
    return font;
}

Font::~Font() {
    if (face_ != nullptr) FT_Done_Face(face_);
    if (library_ != nullptr) FT_Done_FreeType(library_);
}

int Font::Ascent() const { return Pixels(face_->size->metrics.ascender); }
int Font::Descent() const { return Pixels(-face_->size->metrics.descender); }

int Font::Width(std::string_view text) const {
    return Layout(text, nullptr, 0, 0, Rgba8{});
}

void Font::Draw(RgbaCanvas& canvas, std::string_view text, int x, int baseline, const Rgba8& color) const {
    Layout(text, &canvas, x, baseline, color);
}

int Font::Layout(std::string_view text, RgbaCanvas* drawTo, int x, int baseline, const Rgba8& color) const {
    const bool kerning = FT_HAS_KERNING(face_);
    FT_Pos pen = 0;  // 26.6
    FT_UInt previous = 0;
    for (std::size_t at = 0; at < text.size();) {
        const FT_UInt glyph = FT_Get_Char_Index(face_, NextCharacter(text, &at));
        if (kerning && previous != 0 && glyph != 0) {
            FT_Vector delta;
            if (FT_Get_Kerning(face_, previous, glyph, FT_KERNING_DEFAULT, &delta) == 0) pen += delta.x;
        }
        previous = glyph;
        const FT_Int32 flags = FT_LOAD_TARGET_LIGHT | (drawTo != nullptr ? FT_LOAD_RENDER : FT_LOAD_DEFAULT);
        if (FT_Load_Glyph(face_, glyph, flags) != 0) continue;
        const FT_GlyphSlot slot = face_->glyph;
        if (drawTo != nullptr) {
            const FT_Bitmap& bitmap = slot->bitmap;
            const int left = x + Pixels(pen) + slot->bitmap_left;
            const int top = baseline - slot->bitmap_top;
            for (unsigned row = 0; row < bitmap.rows; ++row)
                for (unsigned column = 0; column < bitmap.width; ++column) {
                    const int offset = static_cast<int>(row) * bitmap.pitch + static_cast<int>(column);
                    const std::uint8_t coverage = bitmap.buffer[offset];
                    if (coverage != 0)
                        drawTo->Blend(left + static_cast<int>(column), top + static_cast<int>(row), color, coverage);
                }
        }
        pen += slot->advance.x;
    }
    return Pixels(pen);
}

}  // namespace Korvex::Rendering
