#pragma once

// Pieces of one result, as a parallel run writes them, made one dataset.

#include "Dataset.h"

#include <string_view>
#include <vector>

namespace Korvex::Io {

// The pieces' cells and points one after another (curvilinear pieces as
// their cells), their arrays joined by name; an array that some piece lacks,
// or holds at another location or with other components, is left out with a
// warning. One piece is returned as it is. Regular grids are not joined:
// an error. Points that pieces share are repeated; the surface joins them
// by position. label names the result in messages.
ReadResult MergePieces(std::vector<Dataset> pieces, std::string_view label);

// Cells that a vtkGhostType cell array marks as copies of another piece's
// (or hidden) are removed with their values, and the vtkGhostType arrays
// with them, from an unstructured grid; other grids are left alone.
void RemoveGhostCells(Dataset& dataset);

inline constexpr std::string_view kGhostArrayName = "vtkGhostType";

}  // namespace Korvex::Io
