#include "DatasetSteps.h"

#include <DatasetFile.h>

namespace Korvex::App {

namespace {

class SingleFile final : public DatasetSteps {
public:
    explicit SingleFile(std::string path) : path_(std::move(path)) {}
    std::size_t Count() const override { return 1; }
    std::string Name(std::size_t) const override { return path_; }
    Io::ReadResult Read(std::size_t) const override { return Io::ReadDatasetFile(path_); }

private:
    std::string path_;
};

}  // namespace

std::unique_ptr<DatasetSteps> OpenSteps(const std::string& path) { return std::make_unique<SingleFile>(path); }

}  // namespace Korvex::App
