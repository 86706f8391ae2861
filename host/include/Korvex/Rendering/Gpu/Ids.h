#pragma once

#include <cstdint>

namespace Korvex::Rendering {

struct BufferTag;
struct ImageTag;
struct ImageViewTag;
struct SamplerTag;
struct ProgramTag;
struct PipelineStateTag;

// A 64-bit device id. Devices keep a slot index in the low 32 bits and a
// generation count in the high 32 bits; all-ones low bits mean "no object".
// Aligned to 4 bytes: the host descriptions place ids at 12- and 20-byte
// strides, and every id in them must be usable in place.
template <class Tag, int Bits>
struct __attribute__((packed, aligned(4))) Id {
    static constexpr std::uint64_t kNullValue = ~std::uint64_t{0};
    static constexpr std::uint64_t kIndexMask = (std::uint64_t{1} << Bits) - 1;

    std::uint64_t value = kNullValue;

    static constexpr Id Null() { return Id{}; }
    static constexpr Id FromParts(std::uint32_t index, std::uint32_t generation) {
        return Id{(std::uint64_t{generation} << 32) | index};
    }

    constexpr bool IsNull() const { return (value & kIndexMask) == kIndexMask; }
    constexpr explicit operator bool() const { return !IsNull(); }
    constexpr std::uint32_t Index() const { return static_cast<std::uint32_t>(value & kIndexMask); }
    constexpr std::uint32_t Generation() const { return static_cast<std::uint32_t>(value >> 32); }

    friend constexpr bool operator==(Id a, Id b) { return a.value == b.value; }
};

using BufferId = Id<BufferTag, 32>;
using ImageId = Id<ImageTag, 32>;
using ImageViewId = Id<ImageViewTag, 32>;  // image views and buffer views alike
using SamplerId = Id<SamplerTag, 32>;
using ProgramId = Id<ProgramTag, 32>;
using PipelineStateId = Id<PipelineStateTag, 32>;

static_assert(sizeof(BufferId) == 8 && alignof(BufferId) == 4);

}  // namespace Korvex::Rendering
