#include "ViewedData.h"

#include <ArrayChoice.h>
#include <Deformation.h>
#include <NamedColorMaps.h>
#include <SeriesSettings.h>

#include <algorithm>

namespace Korvex::App {

namespace {

// The arrays a picture can be coloured by, VTK's own bookkeeping
// (vtkGhostType...) only when there is nothing else.
std::vector<std::string> ColoringArrays(const Io::Dataset& dataset) {
    std::vector<std::string> names;
    for (const Io::DataArray& array : dataset.arrays)
        if (!array.name.starts_with("vtk") && std::find(names.begin(), names.end(), array.name) == names.end())
            names.push_back(array.name);
    if (names.empty())
        for (const Io::DataArray& array : dataset.arrays) names.push_back(array.name);
    return names;
}

}  // namespace

std::unique_ptr<ViewedData> ViewedData::Open(const RenderOptions& options, std::unique_ptr<DatasetSteps> steps,
                                             std::string* error) {
    std::unique_ptr<ViewedData> data(new ViewedData());
    data->steps_ = std::move(steps);
    Io::ReadResult read = data->steps_->Read(0);
    if (!read.Ok()) {
        *error = read.error;
        return nullptr;
    }
    RenderOptions viewed = options;
    if (!viewed.deformation && !viewed.deformAuto && Fields::FirstVectors(read.dataset) != nullptr)
        viewed.deformation = 0.0f;
    // The colour range and --deform auto's factor as korvex-render takes
    // them from a file, here from the first step.
    SeriesSettings settings(viewed);
    std::string message = settings.Add(read.dataset);
    if (message.empty()) message = data->Replan(settings.StepOptions(), read.dataset);
    if (!message.empty()) {
        *error = data->StepName() + ": " + message;
        return nullptr;
    }
    data->Took(std::move(read));
    return data;
}

void ViewedData::Took(Io::ReadResult read) {
    dataset_ = std::move(read.dataset);
    notes_ = std::move(read.warnings);
    for (const std::string& note : scene_.made.notes) notes_.push_back(StepName() + ": " + note);
}

std::string ViewedData::Replan(const RenderOptions& options, const Io::Dataset& dataset) {
    PlannedScene scene = PlanScene(dataset, options);
    if (!scene.error.empty()) return scene.error;
    scene_ = std::move(scene);
    options_ = options;
    return {};
}

std::string ViewedData::ShowStep(std::size_t step) {
    Io::ReadResult read = steps_->Read(step);
    if (!read.Ok()) return read.error;
    RenderOptions options = options_;
    options.range = scene_.plan.valueRange;
    if (const std::string message = Replan(options, read.dataset); !message.empty())
        return steps_->Name(step) + ": " + message;
    step_ = step;
    Took(std::move(read));
    return {};
}

std::string ViewedData::ColorByNextArray() {
    const std::vector<std::string> names = ColoringArrays(dataset_);
    if (names.size() < 2) return "there is no other array to colour by";
    const Io::DataArray* first = Fields::FirstArray(dataset_);
    const std::string drawn = !options_.scalars.empty() ? options_.scalars : first != nullptr ? first->name : "";
    const std::string current = options_.colorBy.empty() ? drawn : options_.colorBy;
    const auto at = std::find(names.begin(), names.end(), current);
    std::size_t next = at == names.end() ? 0 : static_cast<std::size_t>(at - names.begin()) + 1;
    std::string failures;
    // An array that cannot colour (no values above 0 with --log) is passed over.
    for (std::size_t tries = 0; tries < names.size(); ++tries, ++next) {
        RenderOptions options = options_;
        const std::string& name = names[next % names.size()];
        options.colorBy = name == drawn ? "" : name;
        options.range.reset();
        const std::string message = Replan(options, dataset_);
        if (message.empty()) return {};
        failures = message;
    }
    return failures;
}

std::optional<double> ViewedData::AutoDeformation() const {
    const Io::DataArray* vectors = Fields::FindArray(dataset_, scene_.made.field.vectorsName);
    if (vectors == nullptr || vectors->components != 3) return std::nullopt;
    const auto bounds = Io::Bounds(dataset_.geometry);
    const Rendering::boundingbox<double, 3> box{{bounds[0][0], bounds[1][0], bounds[2][0]},
                                                {bounds[0][1], bounds[1][1], bounds[2][1]}};
    return Fields::AutoDeformationFactor(vectors->values, box);
}

void ViewedData::NextColorMap() {
    options_.colorMap = NextColorMapName(options_.colorMap);
    scene_.plan.colorMap = options_.colorMap;
}

void ViewedData::SetValueRange(const std::array<float, 2>& range) {
    options_.range = range;
    scene_.plan.valueRange = range;
}

std::string NextColorMapName(const std::string& name) {
    constexpr std::string_view kReversed = "_r";
    const bool reversed = name.ends_with(kReversed);
    const std::string base = reversed ? name.substr(0, name.size() - kReversed.size()) : name;
    const std::vector<std::string_view> names = Rendering::ColorMapNames();
    const auto at = std::find(names.begin(), names.end(), base);
    const std::size_t next = at == names.end() ? 0 : static_cast<std::size_t>(at - names.begin() + 1) % names.size();
    return std::string(names[next]) + (reversed ? std::string(kReversed) : "");
}

}  // namespace Korvex::App
