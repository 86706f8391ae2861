#include "ColorBarTicks.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace Korvex::Rendering {

namespace {

constexpr int kFewestTicks = 3;
constexpr int kMostTicks = 7;
constexpr int kBestTicks = 5;
// A value this close to a range end, relative to the step, still counts as
// inside: a range from 20.0005 still shows 20 at its end.
constexpr double kEndTolerance = 1e-3;

// printf's %e without the plus sign and leading zeros of the exponent: 1.5e6, 2e-5.
std::string ShortExponent(std::string text) {
    const std::size_t e = text.find('e');
    if (e == std::string::npos) return text;
    const int exponent = std::atoi(text.c_str() + e + 1);
    return text.substr(0, e) + "e" + std::to_string(exponent);
}

std::string Format(const char* format, int precision, double value) {
    std::array<char, 64> text{};
    std::snprintf(text.data(), text.size(), format, precision, value);
    return ShortExponent(text.data());
}

// Multiples of step within the range.
std::vector<double> Multiples(double minValue, double maxValue, double step) {
    const double first = std::ceil(minValue / step - kEndTolerance);
    const double last = std::floor(maxValue / step + kEndTolerance);
    std::vector<double> values;
    for (double k = first; k <= last && values.size() <= kMostTicks; ++k) values.push_back(k == 0.0 ? 0.0 : k * step);
    return values;
}

int Distance(std::size_t count) {
    const int n = static_cast<int>(count);
    return n < kFewestTicks || n > kMostTicks ? 100 + std::abs(n - kBestTicks) : std::abs(n - kBestTicks);
}

// Labels with the decimals the step needs; with an exponent when the values
// are very large or the step very small.
std::vector<std::string> LinearLabels(const std::vector<double>& values, double step) {
    double largest = 0.0;
    for (double v : values) largest = std::max(largest, std::abs(v));
    // log10 of a power of ten may come out just below the whole number.
    const int stepDigit = static_cast<int>(std::floor(std::log10(step) + 1e-9));
    const int topDigit = largest > 0.0 ? static_cast<int>(std::floor(std::log10(largest))) : stepDigit;
    const bool exponent = topDigit >= 5 || topDigit <= -4;
    std::vector<std::string> labels;
    for (double v : values) {
        if (v == 0.0)
            labels.push_back("0");
        else if (exponent)
            labels.push_back(Format("%.*e", std::max(0, topDigit - stepDigit), v));
        else
            labels.push_back(Format("%.*f", std::max(0, -stepDigit), v));
    }
    return labels;
}

struct Choice {
    std::vector<double> values;
    std::vector<std::string> labels;
};

Choice LinearChoice(double minValue, double maxValue) {
    const int top = static_cast<int>(std::floor(std::log10(maxValue - minValue)));
    std::vector<double> best;
    double bestStep = 1.0;
    for (int e = top - 2; e <= top + 1; ++e)
        for (double mantissa : {1.0, 2.0, 5.0}) {
            const double step = mantissa * std::pow(10.0, e);
            std::vector<double> values = Multiples(minValue, maxValue, step);
            if (best.empty() || Distance(values.size()) < Distance(best.size())) {
                best = std::move(values);
                bestStep = step;
            }
        }
    return {best, LinearLabels(best, bestStep)};
}

// mantissas times every stride-th power of ten within the range.
std::vector<double> LogValues(double minValue, double maxValue, std::initializer_list<double> mantissas, int stride) {
    std::vector<double> values;
    const int low = static_cast<int>(std::floor(std::log10(minValue))) - 1;
    const int high = static_cast<int>(std::ceil(std::log10(maxValue))) + 1;
    for (int e = low; e <= high && values.size() <= kMostTicks; ++e) {
        if (((e % stride) + stride) % stride != 0) continue;
        for (double mantissa : mantissas) {
            const double v = mantissa * std::pow(10.0, e);
            if (v >= minValue * (1 - kEndTolerance) && v <= maxValue * (1 + kEndTolerance)) values.push_back(v);
        }
    }
    return values;
}

Choice LogChoice(double minValue, double maxValue) {
    std::vector<double> values;
    for (int stride = 1; stride <= 1000; ++stride) {
        values = LogValues(minValue, maxValue, {1.0}, stride);
        if (values.size() <= kMostTicks) break;
    }
    if (values.size() < kFewestTicks) values = LogValues(minValue, maxValue, {1.0, 2.0, 5.0}, 1);
    if (values.size() < kFewestTicks || values.size() > kMostTicks)
        values = LogValues(minValue, maxValue, {1, 2, 3, 4, 5, 6, 7, 8, 9}, 1);
    if (values.size() < kFewestTicks || values.size() > kMostTicks) return LinearChoice(minValue, maxValue);
    Choice choice{values, {}};
    for (double v : values) choice.labels.push_back(Format("%.*g", 6, v));
    return choice;
}

}  // namespace

std::vector<ColorBarTick> ColorBarTicks(double minValue, double maxValue, bool logarithmic) {
    if (!std::isfinite(minValue) || !std::isfinite(maxValue) || !std::isfinite(maxValue - minValue) ||
        !(minValue < maxValue) ||
        (logarithmic && !(minValue > 0.0)))
        return {};
    const Choice choice = logarithmic ? LogChoice(minValue, maxValue) : LinearChoice(minValue, maxValue);
    const auto scale = [&](double v) { return logarithmic ? std::log10(v) : v; };
    std::vector<ColorBarTick> ticks;
    for (std::size_t i = 0; i < choice.values.size(); ++i) {
        const double v = choice.values[i];
        const double position = (scale(v) - scale(minValue)) / (scale(maxValue) - scale(minValue));
        ticks.push_back({v, std::clamp(position, 0.0, 1.0), choice.labels[i]});
    }
    return ticks;
}

}  // namespace Korvex::Rendering
