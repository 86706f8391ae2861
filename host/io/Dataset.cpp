#include "Dataset.h"

#include <cmath>
#include <sstream>

namespace Korvex::Io {

namespace {

template <class... Kinds>
struct Overloaded : Kinds... {
    using Kinds::operator()...;
};

std::string Number(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

}  // namespace

std::array<std::size_t, 3> PointDimensions(const Geometry& geometry) {
    return std::visit(Overloaded{[](const ImageGrid& grid) { return grid.dimensions; },
                                 [](const RectilinearGrid& grid) {
                                     return std::array<std::size_t, 3>{grid.coordinates[0].size(),
                                                                       grid.coordinates[1].size(),
                                                                       grid.coordinates[2].size()};
                                 }},
                      geometry);
}

std::array<std::size_t, 3> CellDimensions(const Geometry& geometry) {
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
    std::visit(Overloaded{[&](const ImageGrid& grid) {
                              for (std::size_t axis = 0; axis < 3; ++axis) {
                                  const double last = grid.origin[axis] +
                                                      static_cast<double>(grid.dimensions[axis] - 1) *
                                                          grid.spacing[axis];
                                  bounds[axis] = {grid.origin[axis], last};
                              }
                          },
                          [&](const RectilinearGrid& grid) {
                              for (std::size_t axis = 0; axis < 3; ++axis)
                                  if (!grid.coordinates[axis].empty())
                                      bounds[axis] = {grid.coordinates[axis].front(), grid.coordinates[axis].back()};
                          }},
               geometry);
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
