#pragma once

#include "core/ThreadSanitizerEdges.h"

#include <Korvex/Rendering/Gpu/Codes.h>
#include <Korvex/Rendering/Gpu/GpuHandle.h>
#include <Korvex/Rendering/Gpu/IGpu.h>
#include <Korvex/Rendering/Simulation/IScalarGrid.h>
#include <Korvex/Rendering/array_view.h>

#include <oneapi/tbb/blocked_range.h>
#include <oneapi/tbb/parallel_for.h>
#include <oneapi/tbb/partitioner.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Korvex::Rendering::detail {

// The GPU side of a grid: its 3D image and view, the value range and the
// dimensions of the last upload. Texels says what differs between grids:
//   Element, Range, Summary (of the range of a block of elements, ValueRange.h),
//   kFormat, kTexelBytes,
//   Summary Fill(std::uint8_t* texels, const Element* elements, std::size_t count): writes count
//     consecutive texels and summarises their elements, Join(Summary, Summary),
//   ResetRange(Range& min, Range& max), FinishRange(const Summary&, Range& min, Range& max).
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
    // Copies the rows of the stored dimensions into the mapped staging image
    // and summarises their range: one pass over the input, in parallel over
    // blocks of rows.
    typename Texels::Summary FillRows(std::uint8_t* base, const MappedImage& mapped, const Element* elements);

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
    const typename Texels::Summary summary =
        FillRows(static_cast<std::uint8_t*>(mapped.data), mapped, elements.data());
    gpu_.UnmapImage(staging.Get(), 0);
    gpu_.CopyImage(staging.Get(), image_.Get());
    Texels::FinishRange(summary, rangeMin_, rangeMax_);

    viewId_ = view_.Get();
    staging.Reset();
    return true;
}

template <class Texels>
typename Texels::Summary GridImage<Texels>::FillRows(std::uint8_t* base, const MappedImage& mapped,
                                                     const Element* elements) {
    using Summary = typename Texels::Summary;
    const std::size_t sizeX = dimensions_[0], sizeY = dimensions_[1], sizeZ = dimensions_[2];
    // Blocks of whole rows, about kBlockBytes of input each, summarised into
    // slots of their own and joined in order afterwards.
    constexpr std::size_t kBlockBytes = std::size_t{256} << 10;
    const std::size_t rows = sizeY * sizeZ;
    const std::size_t rowsPerBlock = std::max<std::size_t>(kBlockBytes / (sizeX * sizeof(Element)), 1);
    std::vector<Summary> blocks((rows + rowsPerBlock - 1) / rowsPerBlock);
    // Rows that follow each other in the staging image too (tight pitches)
    // go as one run: one long copy writes memory faster than many short ones.
    const bool tight = mapped.rowPitch == sizeX * Texels::kTexelBytes && mapped.slicePitch == mapped.rowPitch * sizeY;
    HappensBefore(&rangeMin_);
    tbb::parallel_for(
        tbb::blocked_range<std::size_t>(0, blocks.size(), 1),
        [&](const tbb::blocked_range<std::size_t>& range) {
            HappensAfter(&rangeMin_);
            for (std::size_t block = range.begin(); block != range.end(); ++block) {
                const std::size_t first = block * rowsPerBlock, last = std::min(rows, first + rowsPerBlock);
                const std::size_t run = tight ? last - first : 1;
                for (std::size_t r = first; r != last; r += run) {
                    const std::size_t z = r / sizeY, y = r % sizeY;
                    std::uint8_t* row = base + z * std::size_t{mapped.slicePitch} + y * std::size_t{mapped.rowPitch};
                    blocks[block] = Join(blocks[block], Texels::Fill(row, elements + r * sizeX, sizeX * run));
                }
            }
            HappensBefore(&rangeMax_);
        },
        tbb::auto_partitioner());
    HappensAfter(&rangeMax_);
    Summary summary;
    for (const Summary& block : blocks) summary = Join(summary, block);
    return summary;
}

}  // namespace Korvex::Rendering::detail
