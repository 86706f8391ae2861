#pragma once

#include "Dataset.h"

namespace Korvex::Io {

// The cells of a curvilinear grid, in its cell order (i fastest): hexahedra,
// or quadrilaterals where one axis has a single point; none where two axes
// have one, or where the points do not match the dimensions.
UnstructuredGrid CellsOfStructuredGrid(StructuredGrid grid);

}  // namespace Korvex::Io
