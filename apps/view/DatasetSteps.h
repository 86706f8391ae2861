#pragma once

// The time steps the viewer moves through with the left and right keys.

#include <Dataset.h>

#include <cstddef>
#include <memory>
#include <string>

namespace Korvex::App {

class DatasetSteps {
public:
    virtual ~DatasetSteps() = default;
    virtual std::size_t Count() const = 0;
    // What names the step in messages: its file.
    virtual std::string Name(std::size_t step) const = 0;
    virtual Io::ReadResult Read(std::size_t step) const = 0;
};

// The steps of the file the command line names: one file is one step.
std::unique_ptr<DatasetSteps> OpenSteps(const std::string& path);

}  // namespace Korvex::App
