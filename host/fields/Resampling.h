#pragma once

// Values on a structured grid carried onto another lattice, axis by axis.

#include "GridLayout.h"

#include <cstddef>
#include <span>
#include <vector>

namespace Korvex::Fields {

// Where each target sample takes its value along one axis: from source
// index first[t] and, weighted by weight[t], the one after it.
struct AxisWeights {
    std::vector<std::size_t> first;
    std::vector<double> weight;
};

// Linear interpolation between source positions (increasing), targets
// outside them clamped to the ends.
AxisWeights LinearWeights(const std::vector<double>& source, const std::vector<double>& targets);
// The cell between walls (increasing) that holds each target: values at
// cells are constant across them.
AxisWeights CellWeights(const std::vector<double>& walls, const std::vector<double>& targets);

// Tuples of `components` values on a source grid, x fastest, carried onto
// the target lattice the weights describe.
std::vector<float> Resample(std::span<const float> values, std::size_t components,
                            const std::array<std::size_t, 3>& sourceDimensions,
                            const std::array<AxisWeights, 3>& weights);

// Values at the cells of a grid of points averaged onto the points: each
// point takes the mean of the cells around it. And the reverse: each cell
// takes the mean of its corners. An axis of one point has one cell.
std::vector<float> CellsToPoints(std::span<const float> values, std::size_t components,
                                 const std::array<std::size_t, 3>& points);
std::vector<float> PointsToCells(std::span<const float> values, std::size_t components,
                                 const std::array<std::size_t, 3>& points);

}  // namespace Korvex::Fields
