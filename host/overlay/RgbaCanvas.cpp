#include "RgbaCanvas.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace Korvex::Rendering {

RgbaCanvas::RgbaCanvas(int width, int height, std::span<std::uint8_t> rgba)
    : width_(std::max(width, 0)), height_(std::max(height, 0)), rgba_(rgba) {
    if (rgba.size() / 4 < static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_))
        throw std::invalid_argument("RgbaCanvas: fewer texels than " + std::to_string(width_) + "x" +
                                    std::to_string(height_));
}

std::uint8_t* RgbaCanvas::Texel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return nullptr;
    const std::size_t row = static_cast<std::size_t>(height_ - 1 - y);
    return rgba_.data() + 4 * (row * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x));
}

Rgba8 RgbaCanvas::At(int x, int y) const {
    const std::uint8_t* texel = Texel(x, y);
    return texel == nullptr ? Rgba8{} : Rgba8{texel[0], texel[1], texel[2], texel[3]};
}

void RgbaCanvas::Set(int x, int y, const Rgba8& color) {
    if (std::uint8_t* texel = Texel(x, y)) std::copy(color.begin(), color.end(), texel);
}

void RgbaCanvas::Fill(const PixelRect& rect, const Rgba8& color) {
    for (int y = std::max(rect.y, 0); y < std::min(rect.Bottom(), height_); ++y)
        for (int x = std::max(rect.x, 0); x < std::min(rect.Right(), width_); ++x) Set(x, y, color);
}

void RgbaCanvas::Blend(int x, int y, const Rgba8& color, std::uint8_t coverage) {
    std::uint8_t* texel = Texel(x, y);
    if (texel == nullptr) return;
    const double source = color[3] / 255.0 * coverage / 255.0;
    const double below = texel[3] / 255.0 * (1.0 - source);
    const double alpha = source + below;
    if (alpha <= 0.0) return;
    for (std::size_t c = 0; c < 3; ++c)
        texel[c] = static_cast<std::uint8_t>(std::lround((color[c] * source + texel[c] * below) / alpha));
    texel[3] = static_cast<std::uint8_t>(std::lround(alpha * 255.0));
}

}  // namespace Korvex::Rendering
