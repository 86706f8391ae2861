#pragma once

#include <Korvex/Rendering/Gpu/Codes.h>
#include <Korvex/Rendering/Gpu/GpuHandle.h>
#include <Korvex/Rendering/Gpu/IGpu.h>
#include <Korvex/Rendering/Simulation/IScalarGrid.h>
#include <Korvex/Rendering/array_view.h>

#include <array>
#include <cstddef>
#include <cstdint>

namespace Korvex::Rendering::detail {

// The GPU side of a grid: its 3D image and view, the value range and the
// dimensions of the last upload. Texels says what differs between grids:
//   Element, Range, kFormat, kTexelBytes,
//   FillRow(std::uint8_t* row, const Element* elements, std::size_t count),
//   ResetRange(Range& min, Range& max), Widen(Range& min, Range& max, const Element&).
template <class Texels>
class GridImage {
public:
    using Element = typename Texels::Element;
    using Range = typename Texels::Range;

    explicit GridImage(IGpu& gpu) : gpu_(gpu) { Texels::ResetRange(rangeMin_, rangeMax_); }
    GridImage(const GridImage&) = delete;
    GridImage& operator=(const GridImage&) = delete;
    ~GridImage() {
        view_.Reset();
        image_.Reset();
    }

    bool Upload(std::size_t sizeX, std::size_t sizeY, std::size_t sizeZ, array_view<const Element> elements);

    ImageViewId ViewId() const { return viewId_; }
    const Range& RangeMin() const { return rangeMin_; }
    const Range& RangeMax() const { return rangeMax_; }
    const std::array<std::size_t, 3>& Dimensions() const { return dimensions_; }

private:
    IGpu& gpu_;
    GpuHandle<ImageTag> image_;
    GpuHandle<ImageViewTag> view_;
    ImageViewId viewId_;
    Range rangeMin_;
    Range rangeMax_;
    std::array<std::size_t, 3> dimensions_{};
};

// Answers false when the device cannot take the grid (it refused an image,
// a view, a staging image or its mapping): after a change of dimensions the
// grid then holds nothing (a null view), otherwise its previous values.
template <class Texels>
bool GridImage<Texels>::Upload(std::size_t sizeX, std::size_t sizeY, std::size_t sizeZ,
                               array_view<const Element> elements) {
    const std::array<std::size_t, 3> dimensions = {sizeX, sizeY, sizeZ};
    // Unsigned wrap-around turns 0 into a huge number, so one test covers both ends.
    for (std::size_t size : dimensions)
        if (size - 1 > kMaxGridDimension - 1) return false;
    const std::size_t count = sizeX * sizeY * sizeZ;
    if (count > elements.size()) return false;

    if (dimensions != dimensions_) {
        // The old image goes first: large grids need the room.
        view_.Reset();
        image_.Reset();
        viewId_ = ImageViewId::Null();
        Texels::ResetRange(rangeMin_, rangeMax_);
        dimensions_ = dimensions;
    }

    ImageDesc desc{static_cast<std::uint32_t>(sizeX), static_cast<std::uint32_t>(sizeY),
                   static_cast<std::uint32_t>(sizeZ), Texels::kFormat, 1, 1, 0};
    // An image left without a view (a device that threw) is made again.
    if (view_.IsNull()) {
        desc.usage = kImageUsageSampled | kImageUsageCopyDestination;
        image_ = GpuHandle<ImageTag>(gpu_, gpu_.CreateImage(desc));
        view_ = GpuHandle<ImageViewTag>(gpu_, gpu_.CreateImageView(image_.Get(), ImageViewDesc{}));
        if (view_.IsNull()) {
            image_.Reset();
            return false;
        }
    }

    desc.usage = kImageUsageCpuWrite | kImageUsageCopySource;
    GpuHandle<ImageTag> staging(gpu_, gpu_.CreateImage(desc));
    const MappedImage mapped = gpu_.MapImage(staging.Get(), 0, kMapWrite);
    if (mapped.data == nullptr) return false;
    auto* const base = static_cast<std::uint8_t*>(mapped.data);
    const Element* next = elements.data();
    for (std::size_t z = 0; z < sizeZ; ++z) {
        for (std::size_t y = 0; y < sizeY; ++y, next += sizeX) {
            std::uint8_t* row = base + z * std::size_t{mapped.slicePitch} + y * std::size_t{mapped.rowPitch};
            Texels::FillRow(row, next, sizeX);
        }
    }
    gpu_.UnmapImage(staging.Get(), 0);
    gpu_.CopyImage(staging.Get(), image_.Get());

    Texels::ResetRange(rangeMin_, rangeMax_);
    for (std::size_t i = 0; i < count; ++i) Texels::Widen(rangeMin_, rangeMax_, elements[i]);

    viewId_ = view_.Get();
    staging.Reset();
    return true;
}

}  // namespace Korvex::Rendering::detail
