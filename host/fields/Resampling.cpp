#include "Resampling.h"

#include <algorithm>

namespace Korvex::Fields {

namespace {

std::size_t Cells(std::size_t points) { return points > 1 ? points - 1 : 1; }

// Along each axis, value (i, j, k) of the output is the mean of the inputs
// spans[axis][i] lists.
using Spans = std::array<std::vector<std::vector<std::size_t>>, 3>;

std::vector<float> Averaged(std::span<const float> values, std::size_t components,
                            const std::array<std::size_t, 3>& inputs, const Spans& spans) {
    const std::size_t nx = spans[0].size(), ny = spans[1].size(), nz = spans[2].size();
    std::vector<float> out(nx * ny * nz * components);
    std::vector<double> sum(components);
    for (std::size_t k = 0; k < nz; ++k)
        for (std::size_t j = 0; j < ny; ++j)
            for (std::size_t i = 0; i < nx; ++i) {
                std::fill(sum.begin(), sum.end(), 0.0);
                std::size_t count = 0;
                for (std::size_t z : spans[2][k])
                    for (std::size_t y : spans[1][j])
                        for (std::size_t x : spans[0][i]) {
                            const std::size_t at = (x + inputs[0] * (y + inputs[1] * z)) * components;
                            for (std::size_t c = 0; c < components; ++c) sum[c] += values[at + c];
                            ++count;
                        }
                const std::size_t to = (i + nx * (j + ny * k)) * components;
                for (std::size_t c = 0; c < components; ++c) out[to + c] = static_cast<float>(sum[c] / double(count));
            }
    return out;
}

}  // namespace

AxisWeights LinearWeights(const std::vector<double>& source, const std::vector<double>& targets) {
    AxisWeights weights;
    for (double target : targets) {
        const auto above = std::upper_bound(source.begin(), source.end(), target);
        const std::size_t after = static_cast<std::size_t>(above - source.begin());
        if (after == 0 || after == source.size()) {
            weights.first.push_back(after == 0 ? 0 : source.size() - 1);
            weights.weight.push_back(0.0);
            continue;
        }
        const double low = source[after - 1], high = source[after];
        weights.first.push_back(after - 1);
        weights.weight.push_back((target - low) / (high - low));
    }
    return weights;
}

AxisWeights CellWeights(const std::vector<double>& walls, const std::vector<double>& targets) {
    AxisWeights weights;
    const std::size_t cells = Cells(walls.size());
    for (double target : targets) {
        const auto above = std::upper_bound(walls.begin(), walls.end(), target);
        const std::size_t after = static_cast<std::size_t>(above - walls.begin());
        weights.first.push_back(std::min(after == 0 ? 0 : after - 1, cells - 1));
        weights.weight.push_back(0.0);
    }
    return weights;
}

std::vector<float> Resample(std::span<const float> values, std::size_t components,
                            const std::array<std::size_t, 3>& sourceDimensions,
                            const std::array<AxisWeights, 3>& weights) {
    const std::size_t nx = weights[0].first.size(), ny = weights[1].first.size(), nz = weights[2].first.size();
    std::vector<float> out(nx * ny * nz * components);
    const auto source = [&](std::size_t x, std::size_t y, std::size_t z) {
        return (x + sourceDimensions[0] * (y + sourceDimensions[1] * z)) * components;
    };
    for (std::size_t k = 0; k < nz; ++k)
        for (std::size_t j = 0; j < ny; ++j)
            for (std::size_t i = 0; i < nx; ++i) {
                const std::size_t to = (i + nx * (j + ny * k)) * components;
                for (std::size_t corner = 0; corner < 8; ++corner) {
                    const std::size_t dx = corner & 1, dy = (corner >> 1) & 1, dz = corner >> 2;
                    const double wx = dx ? weights[0].weight[i] : 1.0 - weights[0].weight[i];
                    const double wy = dy ? weights[1].weight[j] : 1.0 - weights[1].weight[j];
                    const double wz = dz ? weights[2].weight[k] : 1.0 - weights[2].weight[k];
                    const double w = wx * wy * wz;
                    // A zero weight may point past the last sample.
                    if (w == 0.0) continue;
                    const std::size_t from =
                        source(weights[0].first[i] + dx, weights[1].first[j] + dy, weights[2].first[k] + dz);
                    for (std::size_t c = 0; c < components; ++c)
                        out[to + c] = static_cast<float>(out[to + c] + w * values[from + c]);
                }
            }
    return out;
}

std::vector<float> CellsToPoints(std::span<const float> values, std::size_t components,
                                 const std::array<std::size_t, 3>& points) {
    Spans spans;
    std::array<std::size_t, 3> cells{};
    for (std::size_t axis = 0; axis < 3; ++axis) {
        cells[axis] = Cells(points[axis]);
        for (std::size_t p = 0; p < points[axis]; ++p) {
            // The cells on either side that exist.
            std::vector<std::size_t> around;
            if (p > 0) around.push_back(p - 1);
            if (p < cells[axis] || points[axis] == 1) around.push_back(std::min(p, cells[axis] - 1));
            spans[axis].push_back(around);
        }
    }
    return Averaged(values, components, cells, spans);
}

std::vector<float> PointsToCells(std::span<const float> values, std::size_t components,
                                 const std::array<std::size_t, 3>& points) {
    Spans spans;
    for (std::size_t axis = 0; axis < 3; ++axis)
        for (std::size_t c = 0; c < Cells(points[axis]); ++c)
            spans[axis].push_back(points[axis] == 1 ? std::vector<std::size_t>{0} : std::vector<std::size_t>{c, c + 1});
    return Averaged(values, components, points, spans);
}

}  // namespace Korvex::Fields
