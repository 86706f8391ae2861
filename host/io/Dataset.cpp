#include "Dataset.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace Korvex::Io {

namespace {

std::string Number(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

// The points of a grid that lists them.
const std::vector<Point3>* PointList(const Geometry& geometry) {
    if (const auto* grid = std::get_if<StructuredGrid>(&geometry)) return &grid->points;
    if (const auto* grid = std::get_if<UnstructuredGrid>(&geometry)) return &grid->points;
    return nullptr;
}

}  // namespace

std::array<std::size_t, 3> PointDimensions(const Geometry& geometry) {
    if (const auto* image = std::get_if<ImageGrid>(&geometry)) return image->dimensions;
    if (const auto* curvilinear = std::get_if<StructuredGrid>(&geometry)) return curvilinear->dimensions;
    if (const auto* cells = std::get_if<UnstructuredGrid>(&geometry)) return {cells->points.size(), 1, 1};
    const auto& coordinates = std::get<RectilinearGrid>(geometry).coordinates;
    return {coordinates[0].size(), coordinates[1].size(), coordinates[2].size()};
}

std::array<std::size_t, 3> CellDimensions(const Geometry& geometry) {
    if (const auto* cells = std::get_if<UnstructuredGrid>(&geometry)) return {cells->types.size(), 1, 1};
    std::array<std::size_t, 3> cells = PointDimensions(geometry);
    for (std::size_t& count : cells) count = count > 1 ? count - 1 : 1;
    return cells;
}

std::size_t TupleCount(const Geometry& geometry, Location location) {
    const std::array<std::size_t, 3> size =
        location == Location::Points ? PointDimensions(geometry) : CellDimensions(geometry);
    return size[0] * size[1] * size[2];
}

std::array<std::array<double, 2>, 3> Bounds(const Geometry& geometry) {
    std::array<std::array<double, 2>, 3> bounds{};
    const std::vector<Point3>* points = PointList(geometry);
    for (std::size_t axis = 0; axis < 3; ++axis) {
        if (const auto* image = std::get_if<ImageGrid>(&geometry)) {
            const double last =
                image->origin[axis] + static_cast<double>(image->dimensions[axis] - 1) * image->spacing[axis];
            bounds[axis] = {image->origin[axis], last};
        } else if (points != nullptr) {
            if (points->empty()) continue;
            const auto [low, high] = std::minmax_element(
                points->begin(), points->end(), [&](const Point3& a, const Point3& b) { return a[axis] < b[axis]; });
            bounds[axis] = {(*low)[axis], (*high)[axis]};
        } else if (const auto& along = std::get<RectilinearGrid>(geometry).coordinates[axis]; !along.empty()) {
            bounds[axis] = {along.front(), along.back()};
        }
    }
    return bounds;
}

std::string CheckSpacing(const ImageGrid& grid) {
    static constexpr char kAxes[] = "xyz";
    for (std::size_t axis = 0; axis < 3; ++axis) {
        const double spacing = grid.spacing[axis];
        if (!std::isfinite(spacing)) return std::string("the spacing along ") + kAxes[axis] + " is not finite";
        if (grid.dimensions[axis] > 1 && !(spacing > 0.0))
            return std::string("the spacing along ") + kAxes[axis] + " must be positive, found " + Number(spacing) +
                   " (zero is taken only along an axis of one point)";
    }
    return {};
}

std::string CheckCoordinates(const std::vector<double>& coordinates) {
    for (std::size_t i = 0; i < coordinates.size(); ++i) {
        if (!std::isfinite(coordinates[i])) return "coordinate " + std::to_string(i + 1) + " is not finite";
        if (i > 0 && !(coordinates[i] > coordinates[i - 1]))
            return "coordinates must increase: coordinate " + std::to_string(i + 1) + " (" + Number(coordinates[i]) +
                   ") is not above coordinate " + std::to_string(i) + " (" + Number(coordinates[i - 1]) + ")";
    }
    return {};
}

}  // namespace Korvex::Io
