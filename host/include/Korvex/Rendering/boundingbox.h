#pragma once

#include <algorithm>
#include <array>
#include <limits>

namespace Korvex::Rendering {

// Minimum point then maximum point. A default box is empty: every minimum is
// the largest finite value and every maximum its negative, so adding the
// first point makes the box that point.
template <class T, int N>
struct boundingbox {
    std::array<T, N> min;
    std::array<T, N> max;

    constexpr boundingbox() {
        min.fill(std::numeric_limits<T>::max());
        max.fill(-std::numeric_limits<T>::max());
    }
    constexpr boundingbox(const std::array<T, N>& lo, const std::array<T, N>& hi) : min(lo), max(hi) {}

    constexpr bool IsEmpty() const {
        for (int i = 0; i < N; ++i)
            if (min[i] > max[i]) return true;
        return false;
    }

    constexpr void Add(const std::array<T, N>& p) {
        for (int i = 0; i < N; ++i) {
            min[i] = std::min(min[i], p[i]);
            max[i] = std::max(max[i], p[i]);
        }
    }

    friend constexpr bool operator==(const boundingbox&, const boundingbox&) = default;
};

using BoundingBox3f = boundingbox<float, 3>;

}  // namespace Korvex::Rendering
