#pragma once

// Small legacy VTK files made in tests.

#include <bit>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

namespace Korvex::App::test {

inline std::string VtkHeader(const std::string& format, const std::string& dimensions = "2 2 1",
                             std::size_t points = 4) {
    return "# vtk DataFile Version 3.0\ntest grid\n" + format + "\nDATASET STRUCTURED_POINTS\nDIMENSIONS " + dimensions +
           "\nORIGIN 0 0 0\nSPACING 1 1 1\nPOINT_DATA " + std::to_string(points) + "\n";
}

// The text with the first occurrence of line replaced.
inline std::string WithLine(const std::string& text, const std::string& line, const std::string& replacement) {
    std::string result = text;
    result.replace(result.find(line), line.size(), replacement);
    return result;
}

// Each value's bytes, most significant first.
template <class T>
std::string BigEndianValues(const std::vector<T>& values) {
    std::string bytes;
    for (T value : values) {
        const auto bits = std::bit_cast<std::conditional_t<sizeof(T) == 8, std::uint64_t, std::uint32_t>>(value);
        for (int shift = static_cast<int>(8 * sizeof(T)) - 8; shift >= 0; shift -= 8)
            bytes += static_cast<char>((bits >> shift) & 0xFF);
    }
    return bytes;
}

}  // namespace Korvex::App::test
