#pragma once

// A dataset written out as one line, so that a test states what a file
// must give as text.

#include <Dataset.h>

#include <sstream>
#include <string>

namespace Korvex::Io::test {

// "image 3x2x1 at -1,0.5,2 step 0.25,2,1; point 'f' 1: 0 1 2 ..." or
// "rectilinear x 0,1 y 0,2 z 5; cell 'm' 2: 1 2 ...".
inline std::string Summary(const Dataset& dataset) {
    std::ostringstream text;
    const auto triple = [&](const std::array<double, 3>& values) {
        text << values[0] << "," << values[1] << "," << values[2];
    };
    if (const auto* image = std::get_if<ImageGrid>(&dataset.geometry)) {
        text << "image " << image->dimensions[0] << "x" << image->dimensions[1] << "x" << image->dimensions[2] << " at ";
        triple(image->origin);
        text << " step ";
        triple(image->spacing);
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
