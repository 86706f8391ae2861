#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace Korvex::Rendering {

using Rgba8 = std::array<std::uint8_t, 4>;

// A rectangle of pixels, x to the right and y down from the picture's top left.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    int Right() const { return x + width; }
    int Bottom() const { return y + height; }
};

// Draws into an RGBA8 picture whose rows are stored bottom first, as the
// frame reads them back, with coordinates from the top left. Whatever falls
// outside the picture is left out.
class RgbaCanvas {
public:
    // rgba holds at least width * height texels.
    RgbaCanvas(int width, int height, std::span<std::uint8_t> rgba);

    int Width() const { return width_; }
    int Height() const { return height_; }

    Rgba8 At(int x, int y) const;
    void Set(int x, int y, const Rgba8& color);
    void Fill(const PixelRect& rect, const Rgba8& color);
    // color over the texel, its alpha scaled by coverage / 255; straight
    // (not premultiplied) alpha, so a transparent picture stays correct.
    void Blend(int x, int y, const Rgba8& color, std::uint8_t coverage);

private:
    std::uint8_t* Texel(int x, int y) const;

    int width_;
    int height_;
    std::span<std::uint8_t> rgba_;
};

}  // namespace Korvex::Rendering
