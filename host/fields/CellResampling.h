#pragma once

#include "LinearCells.h"
#include "SampleOwners.h"

#include <cstddef>
#include <span>
#include <vector>

namespace Korvex::Fields {

// A field of a grid of cells: `components` floats per point, or per cell.
struct FieldValues {
    std::span<const float> values;
    std::size_t components = 1;
    bool perCell = false;
};

// Each field at every sample of owners.grid, `components` floats a sample,
// i fastest; all located at once. Point values are interpolated with the
// owning cell's own shape functions; outside the cell, for samples near the
// surface, its interpolation is carried on for at most one cell, so a field
// linear over the surface cells is exact at every sample around the surface
// while the steep gradient of a thin cell is not carried far. Cell values
// are constant over their cell. Samples that no cell reaches take the value
// of the nearest sample that one reaches along the grid's lines (x, then y,
// then z): never drawn on the surface, they only keep the texture's values
// in range. Empty when a field holds fewer tuples than points (or cells).
std::vector<std::vector<float>> ResampleFields(const LinearCells& cells, const SampleOwners& owners,
                                               std::span<const FieldValues> fields);

// Gives every sample outside `known` the value of the nearest known sample
// along the grid's lines, axis by axis; does nothing where none is known.
void FillAlongGridLines(const GridLayout& grid, std::size_t components, std::vector<std::uint8_t> known,
                        std::vector<float>& values);

}  // namespace Korvex::Fields
