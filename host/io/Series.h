#pragma once

// The time steps a command line names, and reading one of them.

#include "Dataset.h"

#include <span>
#include <string>
#include <vector>

namespace Korvex::Io {

struct SeriesStep {
    std::vector<std::string> files;  // read together: the parts of one step
    double time = 0.0;
};

struct Series {
    std::vector<SeriesStep> steps;
    std::string error;  // why the paths name no steps; empty when they do
};

// One file is one step; a .pvd collection gives its time steps in the order
// of their times, the parts of a step together; several files (a numbered
// series, as a shell's wildcard gives them) are a step each, in the order of
// the last number in their names, 2 before 10.
Series OpenSeries(std::span<const std::string> paths);

// Reads the files of a step (parallel files with their pieces) and joins
// them; ghost cells are removed.
ReadResult ReadStep(const SeriesStep& step);

}  // namespace Korvex::Io
