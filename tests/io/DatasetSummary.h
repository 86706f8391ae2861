#pragma once

// A dataset written out as one line, so that a test states what a file
// must give as text.

#include <Dataset.h>

#include <sstream>
#include <string>

namespace Korvex::Io::test {

// "image 3x2x1 at -1,0.5,2 step 0.25,2,1; point 'f' 1: 0 1 2 ...",
// "rectilinear x 0,1 y 0,2 z 5; cell 'm' 2: 1 2 ...", "structured 2x1x1
// 0,0,0 1,0,0; ..." or "cells 0,0,0 1,0,0 ... | 10: 0,1,2,3 5: 1,2,4; ...".
inline std::string Summary(const Dataset& dataset) {
    std::ostringstream text;
    const auto triple = [&](const std::array<double, 3>& values) {
        text << values[0] << "," << values[1] << "," << values[2];
    };
    if (const auto* image = std::get_if<ImageGrid>(&dataset.geometry)) {
        text << "image " << image->dimensions[0] << "x" << image->dimensions[1] << "x" << image->dimensions[2]
             << " at ";
        triple(image->origin);
        text << " step ";
        triple(image->spacing);
    } else if (const auto* curvilinear = std::get_if<StructuredGrid>(&dataset.geometry)) {
        const auto& size = curvilinear->dimensions;
        text << "structured " << size[0] << "x" << size[1] << "x" << size[2];
        for (const Point3& p : curvilinear->points) text << " ", triple(p);
    } else if (const auto* cells = std::get_if<UnstructuredGrid>(&dataset.geometry)) {
        text << "cells";
        for (const Point3& p : cells->points) text << " ", triple(p);
        text << " |";
        for (std::size_t c = 0; c < cells->types.size(); ++c) {
            text << " " << int{cells->types[c]} << ":";
            for (std::uint64_t n = cells->offsets[c]; n < cells->offsets[c + 1]; ++n)
                text << (n == cells->offsets[c] ? " " : ",") << cells->connectivity[n];
        }
    } else {
        const auto& grid = std::get<RectilinearGrid>(dataset.geometry);
        text << "rectilinear";
        for (std::size_t axis = 0; axis < 3; ++axis) {
            text << " " << "xyz"[axis];
            for (std::size_t i = 0; i < grid.coordinates[axis].size(); ++i)
                text << (i == 0 ? " " : ",") << grid.coordinates[axis][i];
        }
    }
    for (const DataArray& array : dataset.arrays) {
        text << "; " << (array.location == Location::Points ? "point" : "cell") << " '" << array.name << "' "
             << array.components << ":";
        for (float value : array.values) text << " " << value;
    }
    return text.str();
}

}  // namespace Korvex::Io::test
