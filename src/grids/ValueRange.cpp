#include "grids/ValueRange.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace Korvex::Rendering::detail {

namespace {

// Four floats side by side (GCC and Clang vector types, SSE or NEON), and
// the masks their comparisons give.
using Lanes = float __attribute__((vector_size(16)));
using Masks = std::int32_t __attribute__((vector_size(16)));
constexpr std::size_t kLaneCount = 4;

constexpr float kLargest = std::numeric_limits<float>::max();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

Lanes Broadcast(float value) { return Lanes{value, value, value, value}; }
Lanes Load(const float* values) {
    Lanes lanes;
    std::memcpy(&lanes, values, sizeof lanes);
    return lanes;
}
bool Any(Masks masks) { return (masks[0] | masks[1] | masks[2] | masks[3]) != 0; }

// Stores past the cache where the processor has them: the staging image is
// read next by the device, not by this core, and a plain store would first
// fetch every line it fills.
constexpr std::uintptr_t kStoreAlignment = 16;
void StoreAround(std::uint8_t* aligned, Lanes v) {
#if defined(__SSE2__)
    _mm_stream_ps(reinterpret_cast<float*>(aligned), v);
#else
    std::memcpy(aligned, &v, sizeof v);
#endif
}
void FenceStores() {
#if defined(__SSE2__)
    _mm_sfence();
#endif
}

// The rules of one step. For the scalar grid the later of equal values
// wins, and a NaN v becomes the end; for the vector grid the earlier wins
// and a NaN v changes nothing.
float ScalarMin(float min, float v) { return v > min ? min : v; }
float ScalarMax(float max, float v) { return max > v ? max : v; }
float VectorMin(float min, float v) { return min > v ? v : min; }
float VectorMax(float max, float v) { return v > max ? v : max; }

// Equal values differ in their bits only for +0.0 and -0.0. When an end is
// zero, a pass in order ends with the last zero (scalar grid: each later
// zero replaced it) or the first (vector grid: none did).
float LastZero(const float* values, std::size_t count) {
    for (std::size_t i = count; i-- > 0;)
        if (values[i] == 0.0f) return values[i];
    return 0.0f;
}

// The pass over a block in order, from its first value: needed where the
// block holds a NaN, which the side-by-side extremes cannot place.
ScalarRangeSummary ScalarPass(const float* values, std::size_t count) {
    ScalarRangeSummary summary{false, true, false, values[0], values[0], 0.0f};
    for (std::size_t i = 0; i < count; ++i) {
        summary.min = ScalarMin(summary.min, values[i]);
        summary.max = ScalarMax(summary.max, values[i]);
        if (values[i] == 0.0f) {
            summary.hasZero = true;
            summary.lastZero = values[i];
        }
    }
    return summary;
}

}  // namespace

ScalarRangeSummary CopyScalars(std::uint8_t* destination, const float* values, std::size_t count) {
    if (count == 0) return {};
    // One by one up to a 16-byte boundary of the destination, four at a time
    // after it, one by one again for what is left.
    const std::size_t head =
        std::min(count, (kStoreAlignment - reinterpret_cast<std::uintptr_t>(destination) % kStoreAlignment) %
                            kStoreAlignment / sizeof(float));
    std::memcpy(destination, values, head * sizeof(float));
    Lanes min = Broadcast(kInfinity), max = Broadcast(-kInfinity);
    Masks nan{}, zero{};
    std::size_t i = head;
    for (; i + kLaneCount <= count; i += kLaneCount) {
        const Lanes v = Load(values + i);
        // Only the bits of equal zeros and NaN depend on the form; both are
        // settled below.
        min = min > v ? v : min;
        max = v > max ? v : max;
        nan |= v != v;
        zero |= v == 0.0f;
        StoreAround(destination + sizeof(float) * i, v);
    }
    const std::size_t tail = i;
    std::memcpy(destination + sizeof(float) * tail, values + tail, (count - tail) * sizeof(float));
    FenceStores();

    bool anyNaN = Any(nan), anyZero = Any(zero);
    ScalarRangeSummary summary{false, false, false, kInfinity, -kInfinity, 0.0f};
    for (std::size_t lane = 0; lane < kLaneCount; ++lane) {
        summary.min = ScalarMin(summary.min, min[lane]);
        summary.max = ScalarMax(summary.max, max[lane]);
    }
    const auto add = [&](std::size_t first, std::size_t last) {
        for (std::size_t k = first; k < last; ++k) {
            anyNaN |= values[k] != values[k];
            anyZero |= values[k] == 0.0f;
            summary.min = ScalarMin(summary.min, values[k]);
            summary.max = ScalarMax(summary.max, values[k]);
        }
    };
    add(0, head);
    add(tail, count);
    if (anyNaN) return ScalarPass(values, count);
    summary.hasZero = anyZero;
    if (anyZero) summary.lastZero = LastZero(values, count);
    return summary;
}

ScalarRangeSummary Join(const ScalarRangeSummary& earlier, const ScalarRangeSummary& later) {
    if (later.empty) return earlier;
    if (earlier.empty) return later;
    ScalarRangeSummary joined = later;
    if (!later.hadNaN) {
        joined.hadNaN = earlier.hadNaN;
        joined.min = ScalarMin(earlier.min, later.min);
        joined.max = ScalarMax(earlier.max, later.max);
    }
    if (!later.hasZero) {
        joined.hasZero = earlier.hasZero;
        joined.lastZero = earlier.lastZero;
    }
    return joined;
}

void FinishScalarRange(const ScalarRangeSummary& summary, float& min, float& max) {
    min = kLargest;
    max = -kLargest;
    if (summary.empty) return;
    // After a NaN the range starts afresh from the values that follow it.
    min = summary.hadNaN ? summary.min : ScalarMin(min, summary.min);
    max = summary.hadNaN ? summary.max : ScalarMax(max, summary.max);
    if (min == 0.0f) min = summary.lastZero;
    if (max == 0.0f) max = summary.lastZero;
}

VectorRangeSummary::VectorRangeSummary() {
    min.fill(kLargest);
    max.fill(-kLargest);
    hasZero.fill(false);
    firstZero.fill(0.0f);
}

// Taken as a list of floats, four vectors are 12 floats: three groups of
// four lanes, float 4 group + lane being component (4 group + lane) % 3.
VectorRangeSummary SummarizeVectors(const Vector3f* vectors, std::size_t count) {
    constexpr std::size_t kGroups = 3;
    Lanes min[kGroups], max[kGroups];
    Masks zero[kGroups] = {};
    for (std::size_t group = 0; group < kGroups; ++group) {
        min[group] = Broadcast(kLargest);
        max[group] = Broadcast(-kLargest);
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(vectors);
    std::size_t i = 0;
    for (; i + kLaneCount <= count; i += kLaneCount)
        for (std::size_t group = 0; group < kGroups; ++group) {
            Lanes v;
            std::memcpy(&v, bytes + sizeof(Vector3f) * i + sizeof v * group, sizeof v);
            // Strict comparisons: a NaN v changes nothing.
            min[group] = min[group] > v ? v : min[group];
            max[group] = v > max[group] ? v : max[group];
            zero[group] |= v == 0.0f;
        }

    VectorRangeSummary summary;
    std::array<bool, 3> anyZero{};
    for (std::size_t group = 0; group < kGroups; ++group)
        for (std::size_t lane = 0; lane < kLaneCount; ++lane) {
            const std::size_t c = (kLaneCount * group + lane) % 3;
            summary.min[c] = VectorMin(summary.min[c], min[group][lane]);
            summary.max[c] = VectorMax(summary.max[c], max[group][lane]);
            anyZero[c] = anyZero[c] || zero[group][lane] != 0;
        }
    const auto component = [&](std::size_t v, std::size_t c) {
        return c == 0 ? vectors[v].x : c == 1 ? vectors[v].y : vectors[v].z;
    };
    for (; i < count; ++i)
        for (std::size_t c = 0; c < 3; ++c) {
            summary.min[c] = VectorMin(summary.min[c], component(i, c));
            summary.max[c] = VectorMax(summary.max[c], component(i, c));
            anyZero[c] = anyZero[c] || component(i, c) == 0.0f;
        }
    for (std::size_t c = 0; c < 3; ++c)
        for (std::size_t v = 0; anyZero[c] && !summary.hasZero[c]; ++v)
            if (component(v, c) == 0.0f) {
                summary.hasZero[c] = true;
                summary.firstZero[c] = component(v, c);
            }
    return summary;
}

VectorRangeSummary Join(const VectorRangeSummary& earlier, const VectorRangeSummary& later) {
    VectorRangeSummary joined = earlier;
    for (std::size_t c = 0; c < 3; ++c) {
        joined.min[c] = VectorMin(earlier.min[c], later.min[c]);
        joined.max[c] = VectorMax(earlier.max[c], later.max[c]);
        if (!earlier.hasZero[c]) {
            joined.hasZero[c] = later.hasZero[c];
            joined.firstZero[c] = later.firstZero[c];
        }
    }
    return joined;
}

void FinishVectorRange(const VectorRangeSummary& summary, std::array<float, 3>& min, std::array<float, 3>& max) {
    min = summary.min;
    max = summary.max;
    for (std::size_t c = 0; c < 3; ++c) {
        if (min[c] == 0.0f) min[c] = summary.firstZero[c];
        if (max[c] == 0.0f) max[c] = summary.firstZero[c];
    }
}

}  // namespace Korvex::Rendering::detail
