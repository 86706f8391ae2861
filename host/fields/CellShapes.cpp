#include "CellShapes.h"

namespace Korvex::Fields {

namespace {

// Faces listed around each polygon in VTK's node order.
constexpr std::array<FaceCorners, 1> kTriangleFaces{{{3, {0, 1, 2, 0}}}};
constexpr std::array<FaceCorners, 1> kQuadFaces{{{4, {0, 1, 2, 3}}}};
constexpr std::array<FaceCorners, 4> kTetraFaces{
    {{3, {0, 1, 3, 0}}, {3, {1, 2, 3, 0}}, {3, {2, 0, 3, 0}}, {3, {0, 2, 1, 0}}}};
constexpr std::array<FaceCorners, 6> kHexahedronFaces{
    {{4, {0, 4, 7, 3}}, {4, {1, 2, 6, 5}}, {4, {0, 1, 5, 4}}, {4, {3, 7, 6, 2}}, {4, {0, 3, 2, 1}}, {4, {4, 5, 6, 7}}}};
constexpr std::array<FaceCorners, 5> kWedgeFaces{
    {{3, {0, 1, 2, 0}}, {3, {3, 5, 4, 0}}, {4, {0, 3, 4, 1}}, {4, {1, 4, 5, 2}}, {4, {2, 5, 3, 0}}}};
constexpr std::array<FaceCorners, 5> kPyramidFaces{
    {{4, {0, 3, 2, 1}}, {3, {0, 1, 4, 0}}, {3, {1, 2, 4, 0}}, {3, {2, 3, 4, 0}}, {3, {3, 0, 4, 0}}}};

constexpr std::array<std::uint8_t, kMaxCorners> kInOrder{0, 1, 2, 3, 4, 5, 6, 7};
// Voxels and pixels number their corners x fastest, not around each face.
constexpr std::array<std::uint8_t, kMaxCorners> kVoxelOrder{0, 1, 3, 2, 4, 5, 7, 6};

}  // namespace

std::span<const FaceCorners> FacesOf(Shape shape) {
    switch (shape) {
    case Shape::Triangle:
        return kTriangleFaces;
    case Shape::Quad:
        return kQuadFaces;
    case Shape::Tetra:
        return kTetraFaces;
    case Shape::Hexahedron:
        return kHexahedronFaces;
    case Shape::Wedge:
        return kWedgeFaces;
    case Shape::Pyramid:
        return kPyramidFaces;
    case Shape::None:
        break;
    }
    return {};
}

const CellTypeShape& ShapeOfCellType(std::uint8_t type) {
    static constexpr std::array<CellTypeShape, 256> kTable = [] {
        std::array<CellTypeShape, 256> table{};
        const auto set = [&](Shape shape, std::initializer_list<int> codes) {
            for (int code : codes) table[static_cast<std::size_t>(code)] = {shape, kInOrder};
        };
        // Linear, quadratic, biquadratic and the like, Lagrange, Bezier.
        set(Shape::Triangle, {kVtkTriangle, 22, 34, 69, 76});
        set(Shape::Quad, {kVtkQuad, 23, 28, 30, 70, 77});
        set(Shape::Tetra, {kVtkTetra, 24, 71, 78});
        set(Shape::Hexahedron, {kVtkHexahedron, 25, 29, 33, 72, 79});
        set(Shape::Wedge, {kVtkWedge, 26, 31, 32, 73, 80});
        set(Shape::Pyramid, {kVtkPyramid, 27, 37, 74, 81});
        table[8] = {Shape::Quad, kVoxelOrder};  // pixel
        table[kVtkVoxel] = {Shape::Hexahedron, kVoxelOrder};
        return table;
    }();
    return kTable[type];
}

}  // namespace Korvex::Fields
