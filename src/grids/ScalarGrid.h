#pragma once

#include "grids/GridUpload.h"
#include "grids/ValueRange.h"

#include <Korvex/Rendering/Simulation/IScalarGrid.h>

namespace Korvex::Rendering {

namespace detail {

struct ScalarTexels {
    using Element = float;
    using Range = float;
    static constexpr std::uint32_t kFormat = kFormatR32Float;
    static constexpr std::size_t kTexelBytes = sizeof(float);

    using Summary = ScalarRangeSummary;
    static void ResetRange(float& min, float& max);
    static Summary Fill(std::uint8_t* texels, const float* values, std::size_t count) {
        return CopyScalars(texels, values, count);
    }
    static void FinishRange(const Summary& summary, float& min, float& max) { FinishScalarRange(summary, min, max); }
};

}  // namespace detail

class ScalarGrid final : public IScalarGrid {
public:
    explicit ScalarGrid(IGpu& gpu) : image_(gpu) {}

    bool SetValues(std::size_t size_x, std::size_t size_y, std::size_t size_z,
                   array_view<const float> values) override;
    ScalarGridTexture GetTexture() const override;

private:
    detail::GridImage<detail::ScalarTexels> image_;
};

}  // namespace Korvex::Rendering
