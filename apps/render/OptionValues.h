#pragma once

// Reading the values of korvex-render's options: each failure throws
// OptionError with the one-line message the user sees.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Korvex::App {

struct OptionError {
    std::string message;
};

[[noreturn]] void FailOption(std::string message);

std::string Quote(std::string_view text);
// Shortest text that reads back as the value: "0.01", not "0.010000".
std::string Format(double value);

double ReadNumberIn(std::string_view option, std::string_view text, double low, double high);
std::uint64_t ReadWholeNumberIn(std::string_view option, std::string_view text, std::uint64_t low,
                                std::uint64_t high);
std::vector<std::string_view> Split(std::string_view text, char separator);
// Exactly two parts, or a failure saying what was expected ("X,Y such as 400,300").
std::array<std::string_view, 2> SplitInTwo(std::string_view option, std::string_view text, char separator,
                                           std::string_view expected);
// Two numbers "MIN,MAX", MIN below MAX or, unless strictly, equal to it.
std::array<float, 2> ReadRange(std::string_view option, std::string_view text, bool strictlyIncreasing);
// "A,B,C,D" scaled so that A,B,C is a unit normal.
std::array<float, 4> ReadClipPlane(std::string_view option, std::string_view text);
// "x=V", "y=V", "z=V" or "A,B,C,D": the plane A*x + B*y + C*z + D = 0.
std::array<double, 4> ReadPlane(std::string_view option, std::string_view text);
// A colour name (white, black, gray, red, ...) or #RRGGBB, opaque.
std::array<std::uint8_t, 4> ReadColor(std::string_view option, std::string_view text);

}  // namespace Korvex::App
