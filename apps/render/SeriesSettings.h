#pragma once

// What every picture of a time series shares, so that pictures rendered
// apart (slices of one series on many machines) match.

#include "AppOptions.h"

#include <Dataset.h>

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace Korvex::App {

// The steps a slice selects of count, in order; empty when none.
std::vector<std::size_t> SelectedSteps(std::size_t count, const std::optional<StepSlice>& slice);

// What the options leave to the data, taken over every step given to Add.
class SeriesSettings {
public:
    explicit SeriesSettings(const RenderOptions& options) : options_(options) {}

    // Takes in one step's range of the drawn values and, for --deform auto,
    // its deformation factor; the message says why it cannot be drawn.
    std::string Add(const Io::Dataset& dataset);

    // The options every step is planned with: --range and --deform filled in.
    RenderOptions StepOptions() const;
    // The factor --deform auto chose, the smallest of the steps'.
    std::optional<float> AutoDeformation() const { return deformation_; }

private:
    RenderOptions options_;
    std::optional<std::array<float, 2>> range_;
    std::optional<float> deformation_;
};

}  // namespace Korvex::App
