#pragma once

// The linear shapes cells are drawn and interpolated as, and which VTK cell
// types become which: quadratic and higher-order cells by their corner nodes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace Korvex::Fields {

enum class Shape : std::uint8_t { None, Triangle, Quad, Tetra, Hexahedron, Wedge, Pyramid };

inline constexpr std::uint8_t kVtkTriangle = 5;
inline constexpr std::uint8_t kVtkQuad = 9;
inline constexpr std::uint8_t kVtkTetra = 10;
inline constexpr std::uint8_t kVtkVoxel = 11;
inline constexpr std::uint8_t kVtkHexahedron = 12;
inline constexpr std::uint8_t kVtkWedge = 13;
inline constexpr std::uint8_t kVtkPyramid = 14;

inline constexpr std::size_t kMaxCorners = 8;

// 2 for the shells (triangles, quadrilaterals), 3 for the solids, 0 for None.
inline int Dimension(Shape shape) {
    constexpr std::array<int, 7> kDimension{0, 2, 2, 3, 3, 3, 3};
    return kDimension[static_cast<std::size_t>(shape)];
}
inline std::size_t CornerCount(Shape shape) {
    constexpr std::array<std::size_t, 7> kCorners{0, 3, 4, 4, 8, 6, 5};
    return kCorners[static_cast<std::size_t>(shape)];
}

// A face: its corners in order around it. A shell has one face, itself.
struct FaceCorners {
    std::uint8_t count;
    std::array<std::uint8_t, 4> corners;
};
std::span<const FaceCorners> FacesOf(Shape shape);

// How a cell type is drawn: its shape (None: left out) and, for each corner
// of the shape, the index of that corner among the cell's nodes.
struct CellTypeShape {
    Shape shape = Shape::None;
    std::array<std::uint8_t, kMaxCorners> nodeOfCorner{};
};
const CellTypeShape& ShapeOfCellType(std::uint8_t type);

}  // namespace Korvex::Fields
