#include "XmlCellGrids.h"

#include "ParseSupport.h"
#include "XmlDataArray.h"

#include <cmath>
#include <string>

namespace Korvex::Io {

namespace {

constexpr std::uint64_t kCellTypes = 256;
// Offsets beyond this would not survive the trip through a double.
constexpr std::uint64_t kOffsetsEnd = std::uint64_t{1} << 53;

std::size_t CountAttribute(const pugi::xml_node& piece, const char* name, std::size_t limit) {
    const std::optional<std::uint64_t> count = ParseCount(piece.attribute(name).value());
    if (!count || *count > limit)
        Fail(OffsetOf(piece), std::string("Piece ") + name + " must be a count from 0 to " + std::to_string(limit));
    return static_cast<std::size_t>(*count);
}

pugi::xml_node NamedArray(const pugi::xml_node& cells, const char* name) {
    for (const pugi::xml_node& array : cells.children("DataArray"))
        if (std::string_view(array.attribute("Name").value()) == name) return array;
    Fail(OffsetOf(cells), std::string("Cells lack the DataArray '") + name + "'");
}

// count values of the array, each a whole number below end.
std::vector<std::uint64_t> Integers(const pugi::xml_node& array, std::size_t count, std::uint64_t end,
                                    const ArrayReader& read) {
    const std::vector<double> values = read(array, count);
    std::vector<std::uint64_t> integers(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (!(values[i] >= 0.0 && values[i] < static_cast<double>(end) && values[i] == std::floor(values[i])))
            Fail(OffsetOf(array), "DataArray " + Quote(array.attribute("Name").value()) + ": value " +
                                      std::to_string(i + 1) + " is not a whole number below " + std::to_string(end));
        integers[i] = static_cast<std::uint64_t>(values[i]);
    }
    return integers;
}

}  // namespace

std::vector<Point3> ReadPoints(const pugi::xml_node& piece, std::size_t count, const ArrayReader& read) {
    const pugi::xml_node array = piece.child("Points").child("DataArray");
    if (!array) Fail(OffsetOf(piece), "the Piece has no Points DataArray");
    if (DescribeDataArray(array).components != 3) Fail(OffsetOf(array), "Points need 3 components");
    const std::vector<double> xyz = read(array, 3 * count);
    std::vector<Point3> points(count);
    for (std::size_t p = 0; p < count; ++p) {
        points[p] = {xyz[3 * p], xyz[3 * p + 1], xyz[3 * p + 2]};
        for (double coordinate : points[p])
            if (!std::isfinite(coordinate)) Fail(OffsetOf(array), "point " + std::to_string(p) + " is not finite");
    }
    return points;
}

UnstructuredGrid ReadUnstructuredPiece(const pugi::xml_node& piece, const ArrayReader& read) {
    UnstructuredGrid grid;
    grid.points = ReadPoints(piece, CountAttribute(piece, "NumberOfPoints", kMaxPoints), read);
    const std::size_t cells = CountAttribute(piece, "NumberOfCells", SIZE_MAX / 8);
    if (cells == 0) return grid;
    const pugi::xml_node list = piece.child("Cells");
    if (!list) Fail(OffsetOf(piece), "the Piece has no Cells");
    const pugi::xml_node ends = NamedArray(list, "offsets");
    const std::vector<std::uint64_t> offsets = Integers(ends, cells, kOffsetsEnd, read);
    grid.offsets.assign(1, 0);
    for (std::uint64_t end : offsets) {
        if (end < grid.offsets.back())
            Fail(OffsetOf(ends), "DataArray 'offsets' decreases at cell " + std::to_string(grid.offsets.size() - 1));
        grid.offsets.push_back(end);
    }
    const pugi::xml_node connectivity = NamedArray(list, "connectivity");
    const std::vector<std::uint64_t> nodes = Integers(connectivity, grid.offsets.back(), grid.points.size(), read);
    grid.connectivity.assign(nodes.begin(), nodes.end());
    const std::vector<std::uint64_t> types = Integers(NamedArray(list, "types"), cells, kCellTypes, read);
    grid.types.assign(types.begin(), types.end());
    return grid;
}

}  // namespace Korvex::Io
