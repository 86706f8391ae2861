#include "DatasetListing.h"

#include <ArrayChoice.h>

#include <algorithm>
#include <cmath>
#include <iomanip>
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

}  // namespace

std::string ListDataset(const Io::Dataset& dataset, const std::string& path) {
    std::ostringstream text;
    text << std::setprecision(6);
    const bool image = std::holds_alternative<Io::ImageGrid>(dataset.geometry);
    const auto bounds = Io::Bounds(dataset.geometry);
    text << path << ": " << (image ? "image data" : "rectilinear grid") << ", "
         << Size(Io::PointDimensions(dataset.geometry)) << " points (" << Size(Io::CellDimensions(dataset.geometry))
         << " cells), box (" << bounds[0][0] << ", " << bounds[1][0] << ", " << bounds[2][0] << ") to ("
         << bounds[0][1] << ", " << bounds[1][1] << ", " << bounds[2][1] << ")\n";
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
