#include "Pieces.h"

#include "ParseSupport.h"
#include "StructuredCells.h"

#include <algorithm>
#include <cmath>

namespace Korvex::Io {

namespace {

// VTK's ghost flags: a copy of a cell another piece owns, a hidden cell.
constexpr unsigned kDuplicateCell = 1;
constexpr unsigned kHiddenCell = 32;

const DataArray* Matching(const Dataset& piece, const DataArray& array) {
    for (const DataArray& candidate : piece.arrays)
        if (candidate.name == array.name && candidate.location == array.location &&
            candidate.components == array.components)
            return &candidate;
    return nullptr;
}

}  // namespace

ReadResult MergePieces(std::vector<Dataset> pieces, std::string_view label) {
    ReadResult result;
    if (pieces.size() == 1) {
        result.dataset = std::move(pieces.front());
        return result;
    }
    UnstructuredGrid merged;
    for (Dataset& piece : pieces) {
        if (auto* curvilinear = std::get_if<StructuredGrid>(&piece.geometry))
            piece.geometry = CellsOfStructuredGrid(std::move(*curvilinear));
        const auto* cells = std::get_if<UnstructuredGrid>(&piece.geometry);
        if (cells == nullptr) {
            result.error = std::string(label) + ": pieces of regular grids are not joined (read one piece)";
            return result;
        }
        if (merged.points.size() + cells->points.size() > kMaxPoints) {
            result.error = std::string(label) + ": more than " + std::to_string(kMaxPoints) + " points in all pieces";
            return result;
        }
        const auto base = static_cast<std::uint32_t>(merged.points.size());
        const std::uint64_t nodes = merged.connectivity.size();
        merged.points.insert(merged.points.end(), cells->points.begin(), cells->points.end());
        merged.types.insert(merged.types.end(), cells->types.begin(), cells->types.end());
        for (std::size_t c = 1; c < cells->offsets.size(); ++c) merged.offsets.push_back(nodes + cells->offsets[c]);
        for (std::uint32_t node : cells->connectivity) merged.connectivity.push_back(base + node);
    }
    Dataset& dataset = result.dataset;
    for (const DataArray& array : pieces.front().arrays) {
        DataArray joined{array.name, array.location, array.components, {}};
        bool everywhere = true;
        for (const Dataset& piece : pieces) {
            const DataArray* part = Matching(piece, array);
            if (part == nullptr) {
                everywhere = false;
                break;
            }
            joined.values.insert(joined.values.end(), part->values.begin(), part->values.end());
        }
        if (everywhere)
            dataset.arrays.push_back(std::move(joined));
        else
            result.warnings.push_back(std::string(label) + ": array " + Quote(array.name) +
                                      " is not in every piece alike; left out");
    }
    dataset.geometry = std::move(merged);
    return result;
}

void RemoveGhostCells(Dataset& dataset) {
    auto* cells = std::get_if<UnstructuredGrid>(&dataset.geometry);
    const auto ghost = std::find_if(dataset.arrays.begin(), dataset.arrays.end(), [](const DataArray& array) {
        return array.name == kGhostArrayName && array.location == Location::Cells && array.components == 1;
    });
    if (cells == nullptr) return;
    if (ghost != dataset.arrays.end()) {
        std::vector<bool> keep(cells->types.size());
        for (std::size_t c = 0; c < keep.size(); ++c) {
            const float flags = ghost->values[c];
            keep[c] = !(flags >= 0.0f && flags < 256.0f &&
                        (static_cast<unsigned>(flags) & (kDuplicateCell | kHiddenCell)) != 0);
        }
        UnstructuredGrid kept{std::move(cells->points), {}, {0}, {}};
        for (std::size_t c = 0; c < keep.size(); ++c) {
            if (!keep[c]) continue;
            kept.types.push_back(cells->types[c]);
            kept.connectivity.insert(kept.connectivity.end(), cells->connectivity.begin() + cells->offsets[c],
                                     cells->connectivity.begin() + cells->offsets[c + 1]);
            kept.offsets.push_back(kept.connectivity.size());
        }
        for (DataArray& array : dataset.arrays) {
            if (array.location != Location::Cells) continue;
            std::vector<float> values;
            for (std::size_t c = 0; c < keep.size(); ++c)
                if (keep[c])
                    values.insert(values.end(), array.values.begin() + c * array.components,
                                  array.values.begin() + (c + 1) * array.components);
            array.values = std::move(values);
        }
        *cells = std::move(kept);
    }
    std::erase_if(dataset.arrays, [](const DataArray& array) { return array.name == kGhostArrayName; });
}

}  // namespace Korvex::Io
