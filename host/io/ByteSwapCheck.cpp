#include "ByteSwapCheck.h"

#include <algorithm>
#include <cmath>

namespace Korvex::Io {

namespace {

// Simulation values rarely leave 1e-30..1e30; a float read in the wrong
// order takes its exponent from a mantissa byte, which lands outside that
// band about a fifth of the time for Float32 and nearly always for Float64.
constexpr double kSmallest = 1e-30;
constexpr double kLargest = 1e30;
// Enough values to judge by; spread over the whole array.
constexpr std::size_t kSampled = 4096;

bool Implausible(double value) {
    const double size = std::fabs(value);
    return !std::isfinite(value) || size > kLargest || (size != 0.0 && size < kSmallest);
}

}  // namespace

bool LooksByteSwapped(ValueType type, ByteOrder order, const unsigned char* bytes, std::size_t count) {
    if (!IsFloatingPoint(type) || count == 0) return false;
    const ByteOrder other = order == ByteOrder::Big ? ByteOrder::Little : ByteOrder::Big;
    const std::size_t size = ValueSize(type);
    const std::size_t step = std::max<std::size_t>(1, count / kSampled);
    std::size_t asRead = 0, swapped = 0, sampled = 0;
    for (std::size_t i = 0; i < count; i += step, ++sampled) {
        double read = 0.0, otherWay = 0.0;
        DecodeValues(type, order, bytes + i * size, 1, &read);
        DecodeValues(type, other, bytes + i * size, 1, &otherWay);
        asRead += Implausible(read) ? 1 : 0;
        swapped += Implausible(otherWay) ? 1 : 0;
    }
    // At least a tenth implausible as read, and a hundred times fewer when swapped.
    return asRead * 10 >= sampled && asRead > 0 && swapped * 100 <= asRead;
}

}  // namespace Korvex::Io
