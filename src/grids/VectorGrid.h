#pragma once

#include "grids/GridUpload.h"
#include "grids/ValueRange.h"

#include <Korvex/Rendering/Simulation/IVectorGrid.h>

namespace Korvex::Rendering {

namespace detail {

// A vector fills the first 12 bytes of a 16-byte texel; the fourth float is
// left as the staging memory holds it.
struct VectorTexels {
    using Element = Vector3f;
    using Range = std::array<float, 3>;
    static constexpr std::uint32_t kFormat = kFormatRgba32Float;
    static constexpr std::size_t kTexelBytes = 4 * sizeof(float);

    using Summary = VectorRangeSummary;
    static void ResetRange(Range& min, Range& max);
    static Summary Fill(std::uint8_t* texels, const Vector3f* vectors, std::size_t count);
    static void FinishRange(const Summary& summary, Range& min, Range& max) { FinishVectorRange(summary, min, max); }
};

}  // namespace detail

class VectorGrid final : public IVectorGrid {
public:
    explicit VectorGrid(IGpu& gpu) : image_(gpu) {}

    bool SetVectors(std::size_t size_x, std::size_t size_y, std::size_t size_z,
                    array_view<const Vector3f> values) override;
    VectorGridTexture GetTexture() const override;

private:
    detail::GridImage<detail::VectorTexels> image_;
};

}  // namespace Korvex::Rendering
