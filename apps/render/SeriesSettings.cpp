#include "SeriesSettings.h"

#include "ScenePlan.h"

#include <ArrayChoice.h>
#include <Deformation.h>

#include <algorithm>

namespace Korvex::App {

std::vector<std::size_t> SelectedSteps(std::size_t count, const std::optional<StepSlice>& slice) {
    const StepSlice all{0, count, 1};
    const StepSlice& chosen = slice.value_or(all);
    std::vector<std::size_t> steps;
    for (std::size_t step = chosen.first; step < std::min(chosen.end, count); step += chosen.stride)
        steps.push_back(step);
    return steps;
}

std::string SeriesSettings::Add(const Io::Dataset& dataset) {
    const Fields::FieldRequest request = RequestFromOptions(dataset, options_);
    const Fields::ChosenArrays chosen =
        Fields::ChooseArrays(dataset, request.scalars, request.component, request.vectors);
    if (!chosen.error.empty()) return chosen.error;
    if (!options_.range) {
        const std::array<float, 2> step = ValueRangeOf(Fields::ComponentValues(*chosen.scalars, request.component));
        range_ = range_ ? std::array<float, 2>{std::min((*range_)[0], step[0]), std::max((*range_)[1], step[1])} : step;
    }
    // Without a displacement, planning the picture says so.
    if (options_.deformAuto && chosen.vectors != nullptr) {
        const auto bounds = Io::Bounds(dataset.geometry);
        const Rendering::boundingbox<double, 3> box{{bounds[0][0], bounds[1][0], bounds[2][0]},
                                                    {bounds[0][1], bounds[1][1], bounds[2][1]}};
        const auto factor = static_cast<float>(Fields::AutoDeformationFactor(chosen.vectors->values, box));
        deformation_ = std::min(deformation_.value_or(factor), factor);
    }
    return {};
}

RenderOptions SeriesSettings::StepOptions() const {
    RenderOptions options = options_;
    if (range_) options.range = range_;
    if (deformation_) options.deformation = deformation_;
    return options;
}

}  // namespace Korvex::App
