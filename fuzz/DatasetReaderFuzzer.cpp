// libFuzzer entry for the dataset readers, legacy VTK and XML alike, and the
// collection lists: every input gives a consistent dataset (cells naming
// points that exist) or one message naming the file and line, and the field
// drawn from a dataset, cells resampled included, matches its lattice. The
// sanitizers catch the rest.

#include <Collections.h>
#include <DatasetFile.h>
#include <UniformField.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

using namespace Korvex;

void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckCells(const Io::UnstructuredGrid& cells) {
    Check(cells.offsets.size() == cells.types.size() + 1 && cells.offsets.front() == 0);
    Check(cells.offsets.back() == cells.connectivity.size());
    Check(std::is_sorted(cells.offsets.begin(), cells.offsets.end()));
    for (std::uint32_t point : cells.connectivity) Check(point < cells.points.size());
}

void CheckDataset(const Io::Dataset& dataset) {
    if (const auto* cells = std::get_if<Io::UnstructuredGrid>(&dataset.geometry)) return CheckCells(*cells);
    for (std::size_t extent : Io::PointDimensions(dataset.geometry))
        Check(extent >= 1 && extent <= Io::kMaxPointsPerAxis);
    if (const auto* grid = std::get_if<Io::RectilinearGrid>(&dataset.geometry))
        for (const std::vector<double>& axis : grid->coordinates) Check(Io::CheckCoordinates(axis).empty());
    if (const auto* grid = std::get_if<Io::StructuredGrid>(&dataset.geometry)) {
        const auto& size = grid->dimensions;
        Check(size[0] * size[1] * size[2] == grid->points.size());
    }
}

void CheckArrays(const Io::Dataset& dataset) {
    for (const Io::DataArray& array : dataset.arrays) {
        Check(array.components >= 1);
        Check(array.values.size() == Io::TupleCount(dataset.geometry, array.location) * array.components);
    }
}

void CheckField(const Io::Dataset& dataset) {
    // A small budget keeps each run short and makes most grids resampled.
    constexpr std::size_t kBudget = 4096;
    const Io::DataArray* vectors = Fields::FirstVectors(dataset);
    const Fields::FieldResult made =
        Fields::MakeUniformField(dataset, {"", std::nullopt, vectors ? vectors->name : "", kBudget});
    if (!made.error.empty()) return;
    const Fields::UniformField& field = made.field;
    const auto& samples = field.Samples().dimensions;
    Check(samples[0] * samples[1] * samples[2] == field.scalars.size());
    Check(field.scalars.size() <= kBudget);
    Check(field.vectors.empty() || field.vectors.size() == field.scalars.size());
    for (float value : field.scalars) Check(std::isfinite(value));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (Io::KindOfCollection(bytes) != Io::CollectionKind::None) {
        const Io::CollectionList list = Io::ParseCollection(bytes, "fuzz.vtk");
        Check(list.error.empty() ? !list.entries.empty() : list.error.starts_with("fuzz.vtk:"));
        return 0;
    }
    const Io::ReadResult result = Io::ParseDataset(bytes, "fuzz.vtk");
    for (const std::string& warning : result.warnings) Check(warning.starts_with("fuzz.vtk:"));
    if (!result.Ok()) {
        Check(result.error.starts_with("fuzz.vtk:"));
        return 0;
    }
    CheckDataset(result.dataset);
    CheckArrays(result.dataset);
    CheckField(result.dataset);
    return 0;
}
