#pragma once

// What every picture of a time series shares, so that pictures rendered
// apart (slices of one series on many machines) match.

#include "AppOptions.h"

#include <Dataset.h>

#include <Korvex/Rendering/boundingbox.h>

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

    // Takes in one step's extremes of the values that colour the picture,
    // its box and displacement and, for --deform auto, its deformation
    // factor; the message says why it cannot be drawn.
    std::string Add(const Io::Dataset& dataset);

    // The options every step is planned with: --range (over every step's
    // values, above 0 for --log) and --deform filled in.
    RenderOptions StepOptions() const;
    // The factor --deform auto chose, the smallest of the steps that move.
    std::optional<float> AutoDeformation() const { return deformation_; }
    // What one camera frames for every step: the box that the steps' points
    // fill, moved by the deformation their pictures get. Empty before Add.
    std::optional<Rendering::boundingbox<double, 3>> Extent() const;

private:
    // A step's points at rest and moved by a factor, whose boxes bound those
    // of every factor from 0 to it: each side of the box moves convexly with
    // the factor, so it stays within the line between the two.
    struct StepBox {
        Rendering::boundingbox<double, 3> rest, moved;
        double factor = 0.0;
    };

    RenderOptions options_;
    std::optional<std::array<float, 2>> extremes_;
    std::optional<float> deformation_;
    std::vector<StepBox> boxes_;
};

}  // namespace Korvex::App
