#include "OptionValues.h"

#include <charconv>
#include <cmath>
#include <sstream>

namespace Korvex::App {

namespace {

double ReadNumber(std::string_view option, std::string_view text) {
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        FailOption(std::string(option) + ": " + Quote(text) + " is not a number");
    return value;
}

std::vector<double> ReadNumbers(std::string_view option, std::string_view text, std::size_t count,
                                const char* example) {
    const std::vector<std::string_view> parts = Split(text, ',');
    if (parts.size() != count)
        FailOption(std::string(option) + ": expected " + std::to_string(count) +
                   " numbers separated by commas, such as " + example + ", found " + Quote(text));
    std::vector<double> values;
    for (std::string_view part : parts) values.push_back(ReadNumber(option, part));
    return values;
}

// Options are converted to float for the GPU; the limits keep them finite there.
constexpr double kMaxValue = 1e30;

struct NamedColor {
    std::string_view name;
    std::array<std::uint8_t, 4> rgba;
};
constexpr NamedColor kNamedColors[] = {
    {"white", {255, 255, 255, 255}}, {"black", {0, 0, 0, 255}},     {"gray", {128, 128, 128, 255}},
    {"grey", {128, 128, 128, 255}},  {"red", {255, 0, 0, 255}},      {"green", {0, 160, 0, 255}},
    {"blue", {0, 0, 255, 255}},      {"yellow", {255, 255, 0, 255}}, {"magenta", {255, 0, 255, 255}},
    {"cyan", {0, 255, 255, 255}},
};

}  // namespace

void FailOption(std::string message) { throw OptionError{std::move(message)}; }

std::string Quote(std::string_view text) { return "'" + std::string(text) + "'"; }

std::string Format(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

double ReadNumberIn(std::string_view option, std::string_view text, double low, double high) {
    const double value = ReadNumber(option, text);
    if (value < low || value > high)
        FailOption(std::string(option) + ": " + std::string(text) + " is out of range (" + Format(low) + " to " +
                   Format(high) + ")");
    return value;
}

std::uint64_t ReadWholeNumberIn(std::string_view option, std::string_view text, std::uint64_t low,
                                std::uint64_t high) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || end != text.data() + text.size() ||
        (error != std::errc() && error != std::errc::result_out_of_range))
        FailOption(std::string(option) + ": " + Quote(text) + " is not a whole number");
    if (error == std::errc::result_out_of_range || value < low || value > high)
        FailOption(std::string(option) + ": " + std::string(text) + " is out of range (" + std::to_string(low) +
                   " to " + std::to_string(high) + ")");
    return value;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) return parts;
        text.remove_prefix(at + 1);
    }
}

std::array<std::string_view, 2> SplitInTwo(std::string_view option, std::string_view text, char separator,
                                           std::string_view expected) {
    const std::vector<std::string_view> parts = Split(text, separator);
    if (parts.size() != 2)
        FailOption(std::string(option) + ": expected " + std::string(expected) + ", found " + Quote(text));
    return {parts[0], parts[1]};
}

std::array<float, 2> ReadRange(std::string_view option, std::string_view text, bool strictlyIncreasing) {
    const std::vector<double> values = ReadNumbers(option, text, 2, "0,100");
    for (double value : values)
        if (std::fabs(value) > kMaxValue) FailOption(std::string(option) + ": " + Format(value) + " is too large");
    if (strictlyIncreasing ? !(values[0] < values[1]) : !(values[0] <= values[1]))
        FailOption(std::string(option) + ": MIN must be " + (strictlyIncreasing ? "below" : "at most") +
                   " MAX, found " + Quote(text));
    return {static_cast<float>(values[0]), static_cast<float>(values[1])};
}

std::array<float, 4> ReadClipPlane(std::string_view option, std::string_view text) {
    const std::vector<double> values = ReadNumbers(option, text, 4, "0,-1,0,0.5");
    const double length = std::sqrt(values[0] * values[0] + values[1] * values[1] + values[2] * values[2]);
    if (!(length > 0.0) || !std::isfinite(length))
        FailOption(std::string(option) + ": the normal A,B,C of " + Quote(text) + " must be non-zero and finite");
    if (std::fabs(values[3]) / length > kMaxValue)
        FailOption(std::string(option) + ": D of " + Quote(text) + " is too large");
    // Caps are placed on the plane only for unit normals; scaling the four
    // numbers keeps the same half-space.
    return {static_cast<float>(values[0] / length), static_cast<float>(values[1] / length),
            static_cast<float>(values[2] / length), static_cast<float>(values[3] / length)};
}

std::array<double, 4> ReadPlane(std::string_view option, std::string_view text) {
    if (text.size() > 2 && text[1] == '=' && text[0] >= 'x' && text[0] <= 'z') {
        std::array<double, 4> plane{0.0, 0.0, 0.0, -ReadNumberIn(option, text.substr(2), -kMaxValue, kMaxValue)};
        plane[static_cast<std::size_t>(text[0] - 'x')] = 1.0;
        return plane;
    }
    if (Split(text, ',').size() != 4)
        FailOption(std::string(option) + ": expected x=V, y=V, z=V or A,B,C,D such as z=0.5, found " + Quote(text));
    const std::array<float, 4> plane = ReadClipPlane(option, text);
    return {plane[0], plane[1], plane[2], plane[3]};
}

std::array<std::uint8_t, 4> ReadColor(std::string_view option, std::string_view text) {
    for (const NamedColor& color : kNamedColors)
        if (color.name == text) return color.rgba;
    std::array<std::uint8_t, 4> rgba{0, 0, 0, 255};
    const bool hex = text.size() == 7 && text[0] == '#' &&
                     text.find_first_not_of("0123456789abcdefABCDEF", 1) == std::string_view::npos;
    if (!hex)
        FailOption(std::string(option) + ": " + Quote(text) + " is not a colour (a name such as white, or #RRGGBB)");
    for (std::size_t c = 0; c < 3; ++c)
        std::from_chars(text.data() + 1 + 2 * c, text.data() + 3 + 2 * c, rgba[c], 16);
    return rgba;
}

}  // namespace Korvex::App
