// The overlay drawn on the CPU: blending over transparent and opaque
// pictures, and the colour bar's parts in their places.

#include <FontLocation.h>
#include <Overlay.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace Korvex::Rendering {
namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 300;
const Rgba8 kWhite{255, 255, 255, 255};
const Rgba8 kInk{20, 20, 20, 255};

class OverlayDrawingTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        fontPath_ = FindSansFont(&error);
        ASSERT_FALSE(fontPath_.empty()) << error;
        overlay_ = Overlay::Create(fontPath_, kWidth, kHeight, &error);
        ASSERT_NE(overlay_, nullptr) << error;
    }

    // Pixels of the picture that differ from white, within rect.
    int Marked(const PixelRect& rect) {
        const RgbaCanvas canvas(kWidth, kHeight, picture_);
        int marked = 0;
        for (int y = rect.y; y < rect.Bottom(); ++y)
            for (int x = rect.x; x < rect.Right(); ++x) marked += canvas.At(x, y) != kWhite ? 1 : 0;
        return marked;
    }

    std::string fontPath_;
    std::unique_ptr<Overlay> overlay_;
    std::vector<std::uint8_t> picture_ = std::vector<std::uint8_t>(4 * kWidth * kHeight, 255);
};

TEST_F(OverlayDrawingTest, CanvasBlendsOverAnyPictureAndCutsFillsToIt) {
    std::vector<std::uint8_t> clear(4, 0);
    RgbaCanvas transparent(1, 1, clear);
    transparent.Blend(0, 0, {200, 100, 50, 255}, 128);
    EXPECT_EQ(transparent.At(0, 0), (Rgba8{200, 100, 50, 128}));
    RgbaCanvas opaque(kWidth, kHeight, picture_);
    opaque.Blend(3, 4, {0, 0, 0, 255}, 51);  // a fifth of black over white
    EXPECT_EQ(opaque.At(3, 4), (Rgba8{204, 204, 204, 255}));
    // A rectangle over the top left corner fills the texels it shares with the picture only.
    std::vector<std::uint8_t> small(4 * 3 * 2, 0);
    RgbaCanvas corner(3, 2, small);
    corner.Fill({-1, -1, 3, 2}, kInk);
    EXPECT_EQ(corner.At(0, 0), kInk);
    EXPECT_EQ(corner.At(1, 0), kInk);
    EXPECT_EQ(corner.At(2, 0), (Rgba8{0, 0, 0, 0}));
    EXPECT_EQ(corner.At(0, 1), (Rgba8{0, 0, 0, 0}));
    // Broken UTF-8 still advances, a replacement glyph a bad byte.
    EXPECT_GT(overlay_->LabelFont().Width("\xff\xc3"), overlay_->LabelFont().Width(""));
    // Rows are stored bottom first: the top row is the last in memory.
    EXPECT_EQ(picture_[4 * ((kHeight - 1 - 4) * kWidth + 3)], 204);
}

TEST_F(OverlayDrawingTest, BarShowsGradientCapsTicksAndLabelsBesideTheScene) {
    ColorBarDesc bar;
    bar.gradient = {0, 0, 0, 255, 255, 255, 255, 255};
    bar.minValue = 0.0;
    bar.maxValue = 100.0;
    bar.underflowColor = Rgba8{255, 0, 255, 255};
    bar.overflowColor = Rgba8{0, 255, 0, 255};
    bar.title = "pressure";
    for (const ColorBarPlacement placement : {ColorBarPlacement::Right, ColorBarPlacement::Bottom}) {
        const bool right = placement == ColorBarPlacement::Right;
        const OverlayDesc desc{"Title", bar, placement, kInk};
        const OverlayLayout layout = overlay_->Layout(desc);
        picture_.assign(picture_.size(), 255);
        overlay_->Draw(picture_, desc);
        const RgbaCanvas canvas(kWidth, kHeight, picture_);
        ASSERT_TRUE(layout.colorBar.has_value());
        const PixelRect strip = layout.colorBar->strip;
        const PixelRect scene = layout.scene;
        EXPECT_EQ(Marked(scene), 0) << "the scene is left free";
        const int length = right ? strip.height : strip.width;
        // The caps just beyond the framed ends, on the strip's centre line.
        const int cx = strip.x + strip.width / 2, cy = strip.y + strip.height / 2;
        EXPECT_EQ(right ? canvas.At(cx, strip.Bottom() + 2) : canvas.At(strip.x - 3, cy), *bar.underflowColor);
        EXPECT_EQ(right ? canvas.At(cx, strip.y - 3) : canvas.At(strip.Right() + 2, cy), *bar.overflowColor);
        // 0, 20, ..., 100, each with ink of its label beyond the tick.
        ASSERT_EQ(layout.colorBar->ticks.size(), 6u);
        for (const ColorBarTick& tick : layout.colorBar->ticks) {
            const int at = static_cast<int>(tick.position * (length - 1));
            const PixelRect label = right ? PixelRect{strip.Right() + 4, strip.Bottom() - at - 6, 40, 12}
                                          : PixelRect{strip.x + at - 6, strip.Bottom() + 4, 12, 20};
            EXPECT_GT(Marked(label), 3) << tick.label;
        }
    }
}

}  // namespace
}  // namespace Korvex::Rendering
