#pragma once

// Small legacy VTK files made in tests.

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

namespace Korvex::Io::test {

// A STRUCTURED_POINTS file up to its POINT_DATA line.
inline std::string VtkHeader(const std::string& format, const std::string& dimensions = "2 2 1",
                             std::size_t points = 4) {
    return "# vtk DataFile Version 3.0\n"
           "test grid\n" +
           format +
           "\n"
           "DATASET STRUCTURED_POINTS\n"
           "DIMENSIONS " +
           dimensions +
           "\n"
           "ORIGIN 0 0 0\n"
           "SPACING 1 1 1\n"
           "POINT_DATA " +
           std::to_string(points) + "\n";
}

// The text with the first occurrence of line replaced.
inline std::string WithLine(const std::string& text, const std::string& line, const std::string& replacement) {
    std::string result = text;
    result.replace(result.find(line), line.size(), replacement);
    return result;
}

inline void AppendBigEndian(std::string& bytes, float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>((bits >> shift) & 0xFF);
}

inline void AppendBigEndian(std::string& bytes, double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    for (int shift = 56; shift >= 0; shift -= 8) bytes += static_cast<char>((bits >> shift) & 0xFF);
}

inline void AppendBigEndian(std::string& bytes, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>((bits >> shift) & 0xFF);
}

template <class T>
std::string BigEndianValues(const std::vector<T>& values) {
    std::string bytes;
    for (T value : values) AppendBigEndian(bytes, value);
    return bytes;
}

}  // namespace Korvex::Io::test
