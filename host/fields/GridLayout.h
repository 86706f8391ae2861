#pragma once

#include <Korvex/Rendering/Simulation/GridBox.h>
#include <Korvex/Rendering/boundingbox.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <vector>

namespace Korvex::Fields {

// Positions along each axis, increasing.
using AxisPositions = std::array<std::vector<double>, 3>;

// Where the samples of a regular grid lie: sample (i, j, k) at
// origin + (i, j, k) * spacing; spacing is positive along every axis, one
// of one sample included.
struct GridLayout {
    std::array<std::size_t, 3> dimensions{1, 1, 1};
    std::array<double, 3> origin{0.0, 0.0, 0.0};
    std::array<double, 3> spacing{1.0, 1.0, 1.0};

    std::size_t Cells(std::size_t axis) const { return dimensions[axis] - 1; }
    double Position(std::size_t axis, std::size_t index) const {
        return origin[axis] + static_cast<double>(index) * spacing[axis];
    }
    std::array<double, 3> Point(std::size_t i, std::size_t j, std::size_t k) const {
        return {Position(0, i), Position(1, j), Position(2, k)};
    }
    std::size_t Count() const { return dimensions[0] * dimensions[1] * dimensions[2]; }
    // Samples are stored i fastest.
    std::size_t Index(std::size_t i, std::size_t j, std::size_t k) const {
        return i + dimensions[0] * (j + dimensions[1] * k);
    }

    AxisPositions Positions() const {
        AxisPositions positions;
        for (std::size_t axis = 0; axis < 3; ++axis)
            for (std::size_t i = 0; i < dimensions[axis]; ++i) positions[axis].push_back(Position(axis, i));
        return positions;
    }

    // From the first sample to the last: the box of the cells.
    Rendering::boundingbox<float, 3> CellBox() const {
        Rendering::boundingbox<float, 3> box;
        for (std::size_t axis = 0; axis < 3; ++axis) {
            box.min[axis] = static_cast<float>(origin[axis]);
            box.max[axis] = static_cast<float>(Position(axis, Cells(axis)));
        }
        return box;
    }
    // The box that the GPU grids span.
    Rendering::boundingbox<float, 3> TextureBox() const { return Rendering::GridTextureBox(origin, spacing, dimensions); }
};

// Faces and grid lines are cut into pieces: one per cell up to 64 cells, at
// most 64 beyond. Small pieces keep what the GPU interpolates linearly across
// a piece (the probe depth, z/w) close to exact; the bound keeps a grid of
// 2048 samples a side at about 50,000 triangles, and a piece of at most 32
// cells is still followed cell by cell by the GPU's tessellation (at most 64
// pieces per edge) when the grid is deformed.
inline constexpr std::size_t kMaxPiecesPerSide = 64;

inline std::size_t PieceCount(std::size_t cells) { return std::min(cells, kMaxPiecesPerSide); }
// The cell index where a piece begins; piece PieceCount(cells) gives the end.
inline std::size_t PieceBoundary(std::size_t cells, std::size_t piece) { return piece * cells / PieceCount(cells); }

}  // namespace Korvex::Fields
