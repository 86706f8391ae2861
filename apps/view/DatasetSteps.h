#pragma once

// The time steps the viewer moves through with the left and right keys.

#include <AppOptions.h>
#include <Dataset.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Korvex::App {

class DatasetSteps {
public:
    virtual ~DatasetSteps() = default;
    virtual std::size_t Count() const = 0;
    // What names the step in messages: its (first) file.
    virtual std::string Name(std::size_t step) const = 0;
    virtual Io::ReadResult Read(std::size_t step) const = 0;
};

// The steps of the files the command line names that the slice selects
// (--step, --steps): one file is a series of one step. Null and *error
// when they name no step.
std::unique_ptr<DatasetSteps> OpenSteps(const std::vector<std::string>& paths, const std::optional<StepSlice>& slice,
                                        std::string* error);

}  // namespace Korvex::App
