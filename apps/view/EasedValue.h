#pragma once

#include <algorithm>

namespace Korvex::App {

// A number that glides to each new target over a fixed time, starting and
// ending gently; times in seconds.
class EasedValue {
public:
    static constexpr double kSeconds = 0.3;

    explicit EasedValue(double value) : from_(value), to_(value) {}

    void SetTarget(double target, double now) {
        from_ = At(now);
        to_ = target;
        start_ = now;
    }
    double Target() const { return to_; }
    double At(double now) const {
        const double t = std::clamp((now - start_) / kSeconds, 0.0, 1.0);
        return from_ + (to_ - from_) * t * t * (3.0 - 2.0 * t);
    }
    bool Moving(double now) const { return now - start_ < kSeconds && from_ != to_; }

private:
    double from_;
    double to_;
    double start_ = -kSeconds;
};

}  // namespace Korvex::App
