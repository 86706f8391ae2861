#include "Series.h"

#include "Collections.h"
#include "DatasetFile.h"
#include "ParseSupport.h"
#include "Pieces.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>

namespace Korvex::Io {

namespace {

bool IsTimeCollection(const std::string& path) {
    return EqualsNoCase(std::filesystem::path(path).extension().string(), ".pvd");
}

// The last run of digits in the file's name, if any.
std::optional<std::uint64_t> NumberInName(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    const auto last =
        std::find_if(name.rbegin(), name.rend(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
    if (last == name.rend()) return std::nullopt;
    const auto first =
        std::find_if_not(last, name.rend(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
    return ParseCount(std::string(first.base(), last.base()));
}

Series TimeSteps(const std::string& path) {
    Series series;
    const FileBytes file = ReadFileBytes(path);
    if (!file.error.empty()) {
        series.error = file.error;
        return series;
    }
    const CollectionList list = ParseCollection(file.bytes, path);
    if (!list.error.empty()) {
        series.error = list.error;
        return series;
    }
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    for (const CollectionEntry& entry : list.entries) {
        const auto step = std::find_if(series.steps.begin(), series.steps.end(),
                                       [&](const SeriesStep& s) { return s.time == entry.time; });
        const std::string part = (folder / entry.file).string();
        if (step != series.steps.end())
            step->files.push_back(part);
        else
            series.steps.push_back({{part}, entry.time});
    }
    std::stable_sort(series.steps.begin(), series.steps.end(),
                     [](const SeriesStep& a, const SeriesStep& b) { return a.time < b.time; });
    return series;
}

}  // namespace

Series OpenSeries(std::span<const std::string> paths) {
    Series series;
    if (paths.size() == 1 && IsTimeCollection(paths.front())) return TimeSteps(paths.front());
    for (const std::string& path : paths) {
        if (IsTimeCollection(path)) {
            series.error = path + ": a .pvd collection is named alone, not with other files";
            return series;
        }
        series.steps.push_back({{path}, static_cast<double>(series.steps.size())});
    }
    const bool numbered =
        std::all_of(paths.begin(), paths.end(), [](const std::string& path) { return NumberInName(path).has_value(); });
    if (numbered)
        std::stable_sort(series.steps.begin(), series.steps.end(), [](const SeriesStep& a, const SeriesStep& b) {
            return *NumberInName(a.files.front()) < *NumberInName(b.files.front());
        });
    return series;
}

ReadResult ReadStep(const SeriesStep& step) {
    std::vector<Dataset> parts;
    std::vector<std::string> warnings;
    for (const std::string& file : step.files) {
        ReadResult part = ReadDatasetFile(file);
        if (!part.Ok()) return part;
        warnings.insert(warnings.end(), part.warnings.begin(), part.warnings.end());
        parts.push_back(std::move(part.dataset));
    }
    ReadResult result = MergePieces(std::move(parts), step.files.front());
    result.warnings.insert(result.warnings.begin(), warnings.begin(), warnings.end());
    return result;
}

}  // namespace Korvex::Io
