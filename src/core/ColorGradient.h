#pragma once

#include <Korvex/Rendering/Gpu/GpuHandle.h>
#include <Korvex/Rendering/Gpu/IGpu.h>
#include <Korvex/Rendering/array_view.h>

#include <array>
#include <concepts>
#include <cstddef>
#include <cstdint>

namespace Korvex::Rendering::detail {

inline constexpr std::size_t kColorBytes = 4;  // r, g, b, a

// The first and the last colour of a table of at least one colour.
inline array_view<const std::uint8_t> FirstColor(array_view<const std::uint8_t> rgba) {
    return {rgba.data(), kColorBytes};
}
inline array_view<const std::uint8_t> LastColor(array_view<const std::uint8_t> rgba) {
    return {rgba.data() + rgba.size() - kColorBytes, kColorBytes};
}

// The constants-block fields of a gradient-coloured mesh.
template <class Constants>
concept GradientConstantsBlock = requires(Constants c) {
    { c.min_value } -> std::same_as<float&>;
    { c.max_value } -> std::same_as<float&>;
    { c.min_sample_value } -> std::same_as<float&>;
    { c.sample_value_range } -> std::same_as<float&>;
    { c.underflow_color } -> std::same_as<std::array<float, 4>&>;
    { c.overflow_color } -> std::same_as<std::array<float, 4>&>;
};

// Places min_value on the centre of the first of gradientWidth texels and
// max_value on the centre of the last, so that the shaders' u = (v -
// min_sample_value) / sample_value_range samples the ends exactly. A width of
// 1 (no gradient yet) leaves both fields non-finite.
template <GradientConstantsBlock Constants>
void DeriveSampleRange(Constants& constants, std::size_t gradientWidth) {
    const double span = static_cast<double>(constants.max_value - constants.min_value);
    const double step = span / static_cast<double>(gradientWidth - 1);
    constants.min_sample_value = static_cast<float>(constants.min_value - step * 0.5);
    constants.sample_value_range = static_cast<float>(static_cast<double>(gradientWidth) * step);
}

// A mesh's colour gradient: a 1D RGBA8 image with its shader view, and the
// number of colours the value range is spread over (at least 2 once a
// gradient is installed, 1 before).
class ColorGradient {
public:
    bool IsInstalled() const { return !image_.IsNull(); }
    ImageViewId View() const { return view_.Get(); }
    std::size_t Width() const { return width_; }

    // Replaces the gradient and writes the colours and the sampling range
    // into constants. Views shorter than one colour are rejected with no
    // change; trailing bytes of rgba short of a colour are ignored.
    template <GradientConstantsBlock Constants>
    void Install(IGpu& gpu, Constants& constants, array_view<const std::uint8_t> underflowColor,
                 array_view<const std::uint8_t> rgba, array_view<const std::uint8_t> overflowColor) {
        if (underflowColor.size() < kColorBytes || rgba.size() < kColorBytes || overflowColor.size() < kColorBytes)
            return;
        ReplaceImage(gpu, rgba);
        constants.underflow_color = UnitColor(underflowColor);
        constants.overflow_color = UnitColor(overflowColor);
        DeriveSampleRange(constants, width_);
    }

    template <GradientConstantsBlock Constants>
    void SetValueRange(Constants& constants, float minValue, float maxValue) const {
        constants.min_value = minValue;
        constants.max_value = maxValue;
        DeriveSampleRange(constants, width_);
    }

private:
    void ReplaceImage(IGpu& gpu, array_view<const std::uint8_t> rgba);
    static std::array<float, 4> UnitColor(array_view<const std::uint8_t> color);

    // The view is released before its image.
    GpuHandle<ImageTag> image_;
    GpuHandle<ImageViewTag> view_;
    std::size_t width_ = 1;
};

}  // namespace Korvex::Rendering::detail
