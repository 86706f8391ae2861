// libFuzzer entry for grid uploads: a few uploads into a scalar and a vector
// grid on the recording device, with any dimensions, views shorter or longer
// than the grid, padded pitches and mappings that give no memory. An upload
// is accepted exactly when every dimension lies in 1..2048 and the view holds
// enough elements. A rejected one calls nothing and changes nothing; an
// accepted one leaves the elements at the host's pitches with the padding
// untouched, the range of exactly those elements, and no staging image.

#include "FuzzSupport.h"

#include <Korvex/Rendering/Simulation/Simulation.h>
#include <RecordingDevice.h>

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace {

using namespace Korvex::Rendering;
using Korvex::Rendering::fuzz::ExactBlock;
using Dimensions = std::array<std::size_t, 3>;

// Longer views are not backed by memory: they only ever claim fewer
// elements than the grid needs, so the upload must reject them unread.
constexpr std::size_t kMaxBackedElements = std::size_t{1} << 14;
constexpr std::uint32_t kStagingUsage = kImageUsageCpuWrite | kImageUsageCopySource;
constexpr std::uint32_t kGridImageUsage = kImageUsageSampled | kImageUsageCopyDestination;

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

struct ScalarKind {
    using Element = float;
    using Grid = IScalarGrid;
    using Texture = ScalarGridTexture;
    static constexpr std::size_t kTexelBytes = 4;

    static std::unique_ptr<Grid> Create(IGpu& gpu) { return CreateScalarGrid(gpu); }
    static bool Upload(Grid& grid, const Dimensions& size, array_view<const Element> elements) {
        return grid.SetValues(size[0], size[1], size[2], elements);
    }
    static bool SameRange(const Texture& a, const Texture& b) {
        return SameBits(a.range_min, b.range_min) && SameBits(a.range_max, b.range_max);
    }
    // A NaN takes both ends over; the next number takes over from it.
    static Texture RangeOf(const Element* values, std::size_t count) {
        Texture texture{};
        texture.range_min = std::numeric_limits<float>::max();
        texture.range_max = -std::numeric_limits<float>::max();
        for (std::size_t i = 0; i < count; ++i) {
            texture.range_min = values[i] > texture.range_min ? texture.range_min : values[i];
            texture.range_max = texture.range_max > values[i] ? texture.range_max : values[i];
        }
        return texture;
    }
};

struct VectorKind {
    using Element = Vector3f;
    using Grid = IVectorGrid;
    using Texture = VectorGridTexture;
    static constexpr std::size_t kTexelBytes = 16;

    static std::unique_ptr<Grid> Create(IGpu& gpu) { return CreateVectorGrid(gpu); }
    static bool Upload(Grid& grid, const Dimensions& size, array_view<const Element> elements) {
        return grid.SetVectors(size[0], size[1], size[2], elements);
    }
    static bool SameRange(const Texture& a, const Texture& b) {
        for (std::size_t i = 0; i < 3; ++i)
            if (!SameBits(a.range_min[i], b.range_min[i]) || !SameBits(a.range_max[i], b.range_max[i])) return false;
        return true;
    }
    // Strict comparisons per component: a NaN component counts for nothing.
    static Texture RangeOf(const Element* vectors, std::size_t count) {
        Texture texture{};
        texture.range_min.fill(std::numeric_limits<float>::max());
        texture.range_max.fill(-std::numeric_limits<float>::max());
        for (std::size_t i = 0; i < count; ++i) {
            const float components[3] = {vectors[i].x, vectors[i].y, vectors[i].z};
            for (std::size_t c = 0; c < 3; ++c) {
                if (texture.range_min[c] > components[c]) texture.range_min[c] = components[c];
                if (components[c] > texture.range_max[c]) texture.range_max[c] = components[c];
            }
        }
        return texture;
    }
};

// Mostly small, sometimes at or just past the limits, sometimes anything.
std::size_t Dimension(FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange(0, 7)) {
        case 0: return 0;
        case 1: return kMaxGridDimension;
        case 2: return kMaxGridDimension + 1;
        case 3: return input.ConsumeIntegral<std::size_t>();
        default: return input.ConsumeIntegralInRange<std::size_t>(1, 6);
    }
}

struct Padding {
    std::uint32_t row = 0;
    std::uint32_t slice = 0;
};

// What the GPU image of an accepted upload must hold, staged at pitches with
// the padding given (none reached it when the mapping gave no memory).
template <class Kind>
void CheckTexels(const std::vector<std::uint8_t>& bytes, const Dimensions& size, const typename Kind::Element* elements,
                 const Padding& padding, bool mapped) {
    constexpr std::uint8_t kFresh = RecordingDevice::kFreshByte;
    if (!mapped) {
        KORVEX_FUZZ_CHECK(std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == kFresh; }));
        return;
    }
    const std::size_t rowBytes = size[0] * Kind::kTexelBytes;
    const std::size_t rowPitch = rowBytes + padding.row;
    const std::size_t slicePitch = rowPitch * size[1] + padding.slice;
    KORVEX_FUZZ_CHECK(bytes.size() == slicePitch * size[2]);
    const auto fresh = [&](std::size_t from, std::size_t to) {
        return std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                           bytes.begin() + static_cast<std::ptrdiff_t>(to), [](std::uint8_t b) { return b == kFresh; });
    };
    const typename Kind::Element* next = elements;
    for (std::size_t z = 0; z < size[2]; ++z) {
        for (std::size_t y = 0; y < size[1]; ++y) {
            const std::size_t row = z * slicePitch + y * rowPitch;
            for (std::size_t x = 0; x < size[0]; ++x, ++next) {
                const std::size_t texel = row + x * Kind::kTexelBytes;
                KORVEX_FUZZ_CHECK(std::memcmp(&bytes[texel], next, sizeof *next) == 0);
                KORVEX_FUZZ_CHECK(fresh(texel + sizeof *next, texel + Kind::kTexelBytes));
            }
            KORVEX_FUZZ_CHECK(fresh(row + rowBytes, row + rowPitch));
        }
        KORVEX_FUZZ_CHECK(fresh(z * slicePitch + size[1] * rowPitch, (z + 1) * slicePitch));
    }
}

template <class Kind>
class GridUnderTest {
public:
    explicit GridUnderTest(RecordingDevice& device) : device_(device), grid_(Kind::Create(device)) {}

    void Recreate() {
        grid_.reset();
        grid_ = Kind::Create(device_);
    }

    void Upload(FuzzedDataProvider& input, const Padding& padding, bool nullMap) {
        const Dimensions size{Dimension(input), Dimension(input), Dimension(input)};
        const bool sizesValid = std::all_of(size.begin(), size.end(),
                                            [](std::size_t s) { return s >= 1 && s <= kMaxGridDimension; });
        // At most 2,049 cubed: no overflow.
        const std::size_t count = sizesValid ? size[0] * size[1] * size[2] : 0;
        std::size_t length = sizesValid ? count - std::min<std::size_t>(count, input.ConsumeIntegralInRange(0, 2)) +
                                              input.ConsumeIntegralInRange<std::size_t>(0, 2)
                                        : input.ConsumeIntegralInRange<std::size_t>(0, 64);
        if (length > kMaxBackedElements && length >= count) length = count - 1;
        const bool backed = length <= kMaxBackedElements;
        const std::vector<std::uint8_t> bytes =
            input.ConsumeBytes<std::uint8_t>(backed ? length * sizeof(typename Kind::Element) : 0);
        const ExactBlock<typename Kind::Element> block(backed ? length : 1, bytes.data(), bytes.size());
        const array_view<const typename Kind::Element> view(block.data(), length);

        const typename Kind::Texture before = grid_->GetTexture();
        const std::size_t liveBefore = device_.LiveObjectCount();
        device_.ClearCalls();
        if (nullMap) device_.FailOperation("MapImage", 1);
        const bool accepted = Kind::Upload(*grid_, size, view);
        device_.ClearFaults();
        const typename Kind::Texture after = grid_->GetTexture();

        KORVEX_FUZZ_CHECK(accepted == (sizesValid && count <= length));
        if (!accepted) {
            KORVEX_FUZZ_CHECK(device_.Calls().empty());
            KORVEX_FUZZ_CHECK(after.view.value == before.view.value && after.dimensions == before.dimensions);
            KORVEX_FUZZ_CHECK(Kind::SameRange(after, before));
            return;
        }

        bool madeImage = false;
        for (const RecordedCall& call : device_.Calls()) {
            if (call.operation != "CreateImage") continue;
            if (call.As<ImageDesc>().usage == kStagingUsage) {
                KORVEX_FUZZ_CHECK(!device_.IsLive(ImageId{call.result}));
            } else if (call.As<ImageDesc>().usage == kGridImageUsage) {
                image_ = ImageId{call.result};
                madeImage = true;
            }
        }
        // A new image exactly when the dimensions change; the old one goes.
        KORVEX_FUZZ_CHECK(madeImage == (before.dimensions != size));
        KORVEX_FUZZ_CHECK(device_.LiveObjectCount() == liveBefore + (before.view.IsNull() ? 2 : 0));
        KORVEX_FUZZ_CHECK(after.dimensions == size && device_.IsLive(after.view));
        KORVEX_FUZZ_CHECK(Kind::SameRange(after, Kind::RangeOf(block.data(), count)));
        CheckTexels<Kind>(device_.ImageBytes(image_), size, block.data(), padding, !nullMap);
    }

private:
    RecordingDevice& device_;
    std::unique_ptr<typename Kind::Grid> grid_;
    ImageId image_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    RecordingDevice device;
    {
        GridUnderTest<ScalarKind> values(device);
        GridUnderTest<VectorKind> vectors(device);
        Padding padding;
        bool nullMap = false;
        for (int step = 0; step < 8 && input.remaining_bytes() > 0; ++step) {
            switch (input.ConsumeIntegralInRange(0, 5)) {
                case 0: values.Upload(input, padding, nullMap); break;
                case 1: vectors.Upload(input, padding, nullMap); break;
                case 2:
                    padding = {input.ConsumeIntegralInRange<std::uint32_t>(0, 64),
                               input.ConsumeIntegralInRange<std::uint32_t>(0, 256)};
                    device.SetPitchPadding(padding.row, padding.slice);
                    break;
                case 3: nullMap = !nullMap; break;
                case 4: values.Recreate(); break;
                default: vectors.Recreate(); break;
            }
        }
    }
    KORVEX_FUZZ_CHECK(device.LiveObjectCount() == 0);
    return 0;
}
