#pragma once

// From a dataset to what the library draws: one regular grid of samples of
// the chosen value, and optionally of a displacement, at points or at cell
// centres.

#include "ArrayChoice.h"
#include "GridLayout.h"

#include <Dataset.h>

#include <array>
#include <cstddef>
#include <limits>
#include <string>
#include <vector>

namespace Korvex::Fields {

// The most samples along an axis that the library's 3D textures take.
inline constexpr std::size_t kMaxSamplesPerAxis = 2048;
// Grids beyond it are resampled coarser: 512^3, a CT volume's usual size.
inline constexpr std::size_t kDefaultMaxSamples = std::size_t{1} << 27;

struct UniformField {
    // The points of the drawn lattice: its box is the grid's, its cells are
    // what voxels show.
    GridLayout points;
    // Where the dataset's own cells meet along each axis: the edges drawn.
    AxisPositions cellWalls;
    // At points, or at the centres of the cells of `points`.
    Io::Location location = Io::Location::Points;
    std::string scalarsLabel;  // "'velocity' magnitude"
    std::vector<float> scalars;
    std::string vectorsName;                    // empty without a displacement
    std::vector<std::array<float, 3>> vectors;  // empty, or one per sample

    // Where the samples lie: the points, or the cell centres.
    GridLayout Samples() const;
};

struct FieldRequest {
    std::string scalars;  // empty: FirstArray
    ComponentChoice component;
    std::string vectors;  // empty: no displacement
    std::size_t maxSamples = kDefaultMaxSamples;
};

// Values that are not finite cannot be coloured or interpolated: NaN and
// -infinity become the lowest float, +infinity the highest, which lie beyond
// every range a user gives and which ranges taken from the data leave out.
inline constexpr float kBeyondRange = std::numeric_limits<float>::max();

struct FieldResult {
    UniformField field;
    // What was done to the data on the way, for the user: resampling, values
    // that are not finite.
    std::vector<std::string> notes;
    std::string error;  // why nothing can be drawn, without the file name
};

// Takes an image grid as it is when it fits the limits, uniform
// rectilinear coordinates as an image grid, and resamples the rest onto the
// lattice no coarser than its finest spacing that maxSamples and
// kMaxSamplesPerAxis allow, spanning the grid's true box. Values at points
// are interpolated linearly; values at cells keep the value of the cell
// that holds each new cell's centre. A displacement at the other location
// than the scalars is averaged onto theirs.
FieldResult MakeUniformField(const Io::Dataset& dataset, const FieldRequest& request);

// The same field with its values at points (cells averaged onto them).
UniformField AtPoints(const UniformField& field);

}  // namespace Korvex::Fields
