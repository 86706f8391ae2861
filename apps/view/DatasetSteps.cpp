#include "DatasetSteps.h"

#include <Series.h>
#include <SeriesSettings.h>

namespace Korvex::App {

namespace {

class SelectedSeries final : public DatasetSteps {
public:
    SelectedSeries(Io::Series series, std::vector<std::size_t> selected)
        : series_(std::move(series)), selected_(std::move(selected)) {}
    std::size_t Count() const override { return selected_.size(); }
    std::string Name(std::size_t step) const override { return Step(step).files.front(); }
    Io::ReadResult Read(std::size_t step) const override { return Io::ReadStep(Step(step)); }

private:
    const Io::SeriesStep& Step(std::size_t step) const { return series_.steps[selected_.at(step)]; }

    Io::Series series_;
    std::vector<std::size_t> selected_;
};

}  // namespace

std::unique_ptr<DatasetSteps> OpenSteps(const std::vector<std::string>& paths, const std::optional<StepSlice>& slice,
                                        std::string* error) {
    Io::Series series = Io::OpenSeries(paths);
    if (!series.error.empty()) {
        *error = series.error;
        return nullptr;
    }
    std::vector<std::size_t> selected = SelectedSteps(series.steps.size(), slice);
    if (selected.empty()) {
        *error = paths.front() + ": --step or --steps selects none of its " + std::to_string(series.steps.size()) +
                 " time steps";
        return nullptr;
    }
    return std::make_unique<SelectedSeries>(std::move(series), std::move(selected));
}

}  // namespace Korvex::App
