#pragma once

// The one in-memory form of a result file that every reader returns: where
// the points lie and the named arrays of values at points or cells.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace Korvex::Io {

enum class Location { Points, Cells };

struct DataArray {
    std::string name;
    Location location = Location::Points;
    std::size_t components = 1;
    std::vector<float> values;  // tuple after tuple, `components` values each

    std::size_t Tuples() const { return components == 0 ? 0 : values.size() / components; }
};

// Points at origin + (i, j, k) * spacing, i fastest. An axis of one point
// may have any spacing, zero included.
struct ImageGrid {
    std::array<std::size_t, 3> dimensions{1, 1, 1};
    std::array<double, 3> origin{0.0, 0.0, 0.0};
    std::array<double, 3> spacing{1.0, 1.0, 1.0};
};

// Points at (x[i], y[j], z[k]), each axis strictly increasing, i fastest.
struct RectilinearGrid {
    std::array<std::vector<double>, 3> coordinates;
};

using Point3 = std::array<double, 3>;

// A curvilinear grid: point (i, j, k) is points[i + nx * (j + ny * k)].
struct StructuredGrid {
    std::array<std::size_t, 3> dimensions{1, 1, 1};
    std::vector<Point3> points;
};

// Cells of any kind, VTK's cell type codes and node orders: cell c has type
// types[c] and the nodes connectivity[offsets[c]] up to
// connectivity[offsets[c + 1]].
struct UnstructuredGrid {
    std::vector<Point3> points;
    std::vector<std::uint8_t> types;
    std::vector<std::uint64_t> offsets{0};  // one more than the cells, from 0
    std::vector<std::uint32_t> connectivity;
};

// Point indices are 32-bit.
inline constexpr std::size_t kMaxPoints = UINT32_MAX;

// Each kind of grid a reader can return.
using Geometry = std::variant<ImageGrid, RectilinearGrid, StructuredGrid, UnstructuredGrid>;

struct Dataset {
    Geometry geometry;
    std::vector<DataArray> arrays;  // point and cell arrays in the file's order
};

// Points along each axis of a structured grid; an unstructured grid's lie
// along the first.
std::array<std::size_t, 3> PointDimensions(const Geometry& geometry);
// Cells along each axis, as VTK counts them: an axis of one point has one
// cell of no thickness. An unstructured grid's lie along the first.
std::array<std::size_t, 3> CellDimensions(const Geometry& geometry);
std::size_t TupleCount(const Geometry& geometry, Location location);

// From the smallest coordinate to the largest along each axis.
std::array<std::array<double, 2>, 3> Bounds(const Geometry& geometry);

// Points along one axis: each reader accepts 1 to this many.
inline constexpr std::size_t kMaxPointsPerAxis = std::size_t{1} << 21;

// Why an image grid's spacing cannot be used, or empty: spacing must be
// finite, and positive along axes of more than one point.
std::string CheckSpacing(const ImageGrid& grid);
// Why one axis's coordinates cannot be used, or empty: finite and strictly
// increasing.
std::string CheckCoordinates(const std::vector<double>& coordinates);

struct ReadResult {
    Dataset dataset;
    // Things that look wrong but do not stop the reading, each one line
    // beginning with the file name.
    std::vector<std::string> warnings;
    // "<file>:<line>: <what went wrong>", or "<file>: ..." where no line
    // applies; empty on success.
    std::string error;

    bool Ok() const { return error.empty(); }
};

}  // namespace Korvex::Io
