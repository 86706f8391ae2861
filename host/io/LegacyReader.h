#pragma once

// Legacy VTK files: DATASET STRUCTURED_POINTS, RECTILINEAR_GRID,
// STRUCTURED_GRID or UNSTRUCTURED_GRID (CELLS with OFFSETS and CONNECTIVITY
// or in the older layout), ASCII or big-endian BINARY, with any number of
// SCALARS (1 to 4 components), VECTORS, NORMALS and FIELD arrays in
// POINT_DATA and CELL_DATA, of every number type VTK writes. Lookup tables,
// colour scalars, texture coordinates, tensors and METADATA are skipped.

#include "Dataset.h"

#include <string_view>

namespace Korvex::Io {

// Parses the bytes of a file; fileName only labels the messages. Every input
// gives a dataset or one message naming the file and line; nothing is read
// outside the bytes, and memory grows with the bytes actually present,
// never with the counts a file claims.
ReadResult ParseLegacyVtk(std::string_view bytes, std::string_view fileName);

}  // namespace Korvex::Io
