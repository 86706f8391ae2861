#pragma once

#include "ArrayChoice.h"
#include "UniformField.h"

#include <Dataset.h>

namespace Korvex::Fields {

// A curvilinear or unstructured grid's field: its chosen values (component
// or magnitude) and displacement resampled onto a lattice over the box of
// its cells, of at most request.meshSamples and request.maxSamples samples,
// each located in its cell and interpolated with the cell's own shape
// functions; with the grid's outer surface and cell edges. Its notes say
// what was resampled and which cells were left out.
FieldResult MakeCellField(const Io::Dataset& dataset, const ChosenArrays& arrays, const FieldRequest& request);

}  // namespace Korvex::Fields
