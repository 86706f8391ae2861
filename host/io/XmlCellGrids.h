#pragma once

// The points and cells of VTK XML StructuredGrid (.vts) and
// UnstructuredGrid (.vtu) pieces. Failures throw ParseError at the element.

#include "Dataset.h"

#include <pugixml.hpp>

#include <cstddef>
#include <functional>
#include <vector>

namespace Korvex::Io {

// Reads count values of a DataArray element, as the parser reads every array.
using ArrayReader = std::function<std::vector<double>(const pugi::xml_node& array, std::size_t count)>;

// The Points element's count points.
std::vector<Point3> ReadPoints(const pugi::xml_node& piece, std::size_t count, const ArrayReader& read);

// NumberOfPoints points and NumberOfCells cells: the Cells element's
// offsets (where each cell ends), connectivity and types arrays.
UnstructuredGrid ReadUnstructuredPiece(const pugi::xml_node& piece, const ArrayReader& read);

}  // namespace Korvex::Io
