#pragma once

// What --list prints: the grid and every array a file holds.

#include <Dataset.h>

#include <string>

namespace Korvex::App {

// "<path>: image data, 3x2x1 points (2x1x1 cells), box (0, 0, 0) to (2, 1, 0)"
// and a line per array: location, name, components, range.
std::string ListDataset(const Io::Dataset& dataset, const std::string& path);

}  // namespace Korvex::App
