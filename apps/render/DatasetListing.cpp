#include "DatasetListing.h"

#include <ArrayChoice.h>

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <map>
#include <sstream>

namespace Korvex::App {

namespace {

std::string Size(const std::array<std::size_t, 3>& size) {
    return std::to_string(size[0]) + "x" + std::to_string(size[1]) + "x" + std::to_string(size[2]);
}

std::string Range(const Io::DataArray& array) {
    const std::vector<float> values = Fields::ComponentValues(array, std::nullopt);
    std::size_t infinite = 0;
    for (float value : values) infinite += std::isfinite(value) ? 0 : 1;
    std::ostringstream text;
    text << std::setprecision(6);
    if (infinite == values.size()) {
        text << "no finite values";
    } else {
        std::vector<float> finite;
        for (float value : values)
            if (std::isfinite(value)) finite.push_back(value);
        const auto [low, high] = std::minmax_element(finite.begin(), finite.end());
        text << (array.components > 1 ? "magnitude " : "") << *low << " to " << *high;
        if (infinite > 0) text << ", " << infinite << " not finite";
    }
    return text.str();
}

// "image data, 3x2x1 points (2x1x1 cells)" or "unstructured grid, 8 points,
// 2 cells (1 of VTK type 10, 1 of type 12)".
std::string Grid(const Io::Geometry& geometry) {
    const auto* cells = std::get_if<Io::UnstructuredGrid>(&geometry);
    if (cells == nullptr) {
        const char* kind = std::holds_alternative<Io::ImageGrid>(geometry)         ? "image data"
                           : std::holds_alternative<Io::RectilinearGrid>(geometry) ? "rectilinear grid"
                                                                                   : "curvilinear grid";
        return std::string(kind) + ", " + Size(Io::PointDimensions(geometry)) + " points (" +
               Size(Io::CellDimensions(geometry)) + " cells)";
    }
    std::map<int, std::size_t> types;
    for (std::uint8_t type : cells->types) ++types[type];
    std::string text = "unstructured grid, " + std::to_string(cells->points.size()) + " points, " +
                       std::to_string(cells->types.size()) + " cells";
    for (const auto& [type, count] : types)
        text += (type == types.begin()->first ? " (" : ", ") + std::to_string(count) + " of " +
                (type == types.begin()->first ? "VTK type " : "type ") + std::to_string(type);
    return types.empty() ? text : text + ")";
}

}  // namespace

std::string ListDataset(const Io::Dataset& dataset, const std::string& path) {
    std::ostringstream text;
    text << std::setprecision(6);
    const auto bounds = Io::Bounds(dataset.geometry);
    text << path << ": " << Grid(dataset.geometry) << ", box (" << bounds[0][0] << ", " << bounds[1][0] << ", "
         << bounds[2][0] << ") to (" << bounds[0][1] << ", " << bounds[1][1] << ", " << bounds[2][1] << ")\n";
    std::size_t width = 0;
    for (const Io::DataArray& array : dataset.arrays) width = std::max(width, array.name.size() + 2);
    for (const Io::DataArray& array : dataset.arrays)
        text << "  " << (array.location == Io::Location::Points ? "point " : "cell  ") << std::left
             << std::setw(static_cast<int>(width)) << "'" + array.name + "'" << "  " << array.components
             << (array.components == 1 ? " component   " : " components  ") << Range(array) << "\n";
    if (dataset.arrays.empty()) text << "  no arrays\n";
    return text.str();
}

}  // namespace Korvex::App
