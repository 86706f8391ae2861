#pragma once

// Legacy VTK files holding a regular grid: DATASET STRUCTURED_POINTS with
// POINT_DATA of one SCALARS field (float or double, one component) and an
// optional VECTORS field, written as ASCII or as big-endian BINARY.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace Korvex::App {

// What the library's grids take along each axis.
inline constexpr std::size_t kMaxVtkDimension = 2048;

// Sample (i, j, k) lies at origin + (i, j, k) * spacing; values run x
// fastest, then y, then z.
struct VtkGrid {
    std::array<std::size_t, 3> dimensions{};
    std::array<double, 3> origin{0.0, 0.0, 0.0};
    std::array<double, 3> spacing{1.0, 1.0, 1.0};
    std::string scalarsName;
    std::vector<float> scalars;
    std::string vectorsName;                    // empty without VECTORS
    std::vector<std::array<float, 3>> vectors;  // empty without VECTORS
};

struct VtkReadResult {
    VtkGrid grid;
    // "<file>:<line>: <what went wrong>", or "<file>: ..." where no line
    // applies; empty on success.
    std::string error;

    bool Ok() const { return error.empty(); }
};

// Parses the bytes of a file; fileName only labels the messages. Every input
// gives a grid or one message; nothing is read outside the bytes, and memory
// grows with the bytes actually present, never with the counts a file claims.
VtkReadResult ParseVtk(std::string_view bytes, std::string_view fileName);

// Reads the file at path and parses it.
VtkReadResult ReadVtkFile(const std::string& path);

}  // namespace Korvex::App
