#pragma once

#include "CellShapes.h"

#include <Dataset.h>

#include <Korvex/Rendering/boundingbox.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Korvex::Fields {

using Io::Point3;
using Io::UnstructuredGrid;
using Corners = std::array<std::uint32_t, kMaxCorners>;

// The cells of an unstructured grid as linear shapes, checked once so that
// everything built on them reads nothing out of bounds. Points at the same
// position share one canonical id: pieces of a parallel result, and results
// that give each cell nodes of its own, still join along their faces.
class LinearCells {
public:
    struct Result {
        std::unique_ptr<LinearCells> cells;
        std::string error;  // why the grid cannot be used; empty when cells is set
    };
    // Keeps a reference to grid, which must outlive the result.
    static Result Create(const UnstructuredGrid& grid);

    const UnstructuredGrid& Grid() const { return *grid_; }
    std::size_t CellCount() const { return shapes_.size(); }
    Shape ShapeOf(std::size_t cell) const { return shapes_[cell]; }
    // The point ids of the cell's corners in its shape's order.
    Corners CornersOf(std::size_t cell) const;
    std::uint32_t CanonicalId(std::uint32_t point) const { return canonical_[point]; }
    // The box of the corners of the cells drawn; empty without any.
    const Rendering::boundingbox<double, 3>& Bounds() const { return bounds_; }
    // Cells left out, by cell type: types without a surface or volume (vertices,
    // lines, polyhedra...) and cells with fewer nodes than their corners.
    const std::map<std::uint8_t, std::size_t>& Skipped() const { return skipped_; }

private:
    explicit LinearCells(const UnstructuredGrid& grid) : grid_(&grid) {}

    const UnstructuredGrid* grid_;
    std::vector<Shape> shapes_;
    std::vector<std::uint32_t> canonical_;
    std::map<std::uint8_t, std::size_t> skipped_;
    Rendering::boundingbox<double, 3> bounds_;
};

// Faces are keyed by cell * 8 + face in 32 bits.
inline constexpr std::size_t kMaxCells = std::size_t{1} << 29;

}  // namespace Korvex::Fields
