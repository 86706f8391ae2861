#include "XmlReader.h"

#include "ParseSupport.h"
#include "XmlCellGrids.h"
#include "XmlDataArray.h"

#include <cmath>

namespace Korvex::Io {

namespace {

constexpr std::string_view kAppendedTag = "<AppendedData";
constexpr std::string_view kAppendedEnd = "</AppendedData>";

// Appended raw data is not XML: the parser gets the text up to its '_'
// marker, closed by hand, and the data is taken from the bytes themselves.
struct SplitFile {
    std::string xml;
    std::string_view appended;  // null data without AppendedData
};

SplitFile Split(std::string_view bytes) {
    SplitFile split;
    const std::size_t tag = bytes.find(kAppendedTag);
    const std::size_t open = tag == std::string_view::npos ? tag : bytes.find('>', tag);
    const std::size_t marker = open == std::string_view::npos ? open : bytes.find('_', open);
    if (marker == std::string_view::npos) {
        split.xml = bytes;
        return split;
    }
    split.xml = std::string(bytes.substr(0, marker)) + std::string(kAppendedEnd) + "</VTKFile>";
    const std::size_t end = bytes.rfind(kAppendedEnd);
    split.appended = bytes.substr(marker + 1, (end == std::string_view::npos || end < marker ? bytes.size() : end) -
                                                  marker - 1);
    return split;
}

struct Extent {
    std::array<long long, 3> low{}, high{};

    std::array<std::size_t, 3> Points() const {
        return {static_cast<std::size_t>(high[0] - low[0] + 1), static_cast<std::size_t>(high[1] - low[1] + 1),
                static_cast<std::size_t>(high[2] - low[2] + 1)};
    }
};

Extent ExtentOf(const pugi::xml_node& node, const char* attribute) {
    const std::vector<double> numbers = NumbersOf(node, attribute, 6);
    Extent extent;
    for (std::size_t axis = 0; axis < 3; ++axis) {
        const double low = numbers[2 * axis], high = numbers[2 * axis + 1];
        if (low != std::floor(low) || high != std::floor(high) || std::fabs(low) > 1e15 || std::fabs(high) > 1e15)
            Fail(OffsetOf(node), std::string(node.name()) + " " + attribute + " needs 6 integers");
        if (high < low || high - low >= static_cast<double>(kMaxPointsPerAxis))
            Fail(OffsetOf(node), std::string(node.name()) + " " + attribute + ": each axis must span 1 to " +
                                     std::to_string(kMaxPointsPerAxis) + " points");
        extent.low[axis] = static_cast<long long>(low);
        extent.high[axis] = static_cast<long long>(high);
    }
    return extent;
}

class XmlParser {
public:
    XmlParser(std::string_view bytes, std::string_view fileName) : bytes_(bytes), fileName_(fileName) {}

    ReadResult Parse();

private:
    void ReadEncoding(const pugi::xml_node& root, std::string_view appended);
    Geometry ReadImage(const pugi::xml_node& grid, const Extent& extent) const;
    Geometry ReadRectilinear(const pugi::xml_node& piece, const Extent& extent);
    Geometry ReadStructured(const pugi::xml_node& piece, const Extent& extent, const ArrayReader& read) const;
    void ReadArrays(const pugi::xml_node& data, Location location, const Geometry& geometry, Dataset& dataset);
    template <class Out>
    std::vector<Out> Values(const pugi::xml_node& node, const XmlArrayHeader& header, std::size_t count);

    std::string_view bytes_;
    std::string_view fileName_;
    XmlEncoding encoding_;
    std::string byteOrderName_;
    std::vector<std::string> warnings_;
};

ReadResult XmlParser::Parse() {
    const SplitFile split = Split(bytes_);
    pugi::xml_document document;
    const pugi::xml_parse_result parsed =
        document.load_buffer(split.xml.data(), split.xml.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!parsed)
        Fail(static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, parsed.offset)),
             std::string("not well-formed XML: ") + parsed.description());
    const pugi::xml_node root = document.child("VTKFile");
    if (!root) Fail(0, "not a VTK XML file: no VTKFile element");
    const std::string type = root.attribute("type").value();
    if (type != "ImageData" && type != "RectilinearGrid" && type != "StructuredGrid" && type != "UnstructuredGrid")
        Fail(OffsetOf(root), "VTKFile type " + Quote(type) +
                                 " is not supported (ImageData, RectilinearGrid, StructuredGrid and UnstructuredGrid "
                                 "are read; collections by path)");
    ReadEncoding(root, split.appended);

    const pugi::xml_node grid = root.child(type.c_str());
    if (!grid) Fail(OffsetOf(root), "no " + type + " element in VTKFile");
    const pugi::xml_node piece = grid.child("Piece");
    if (!piece) Fail(OffsetOf(grid), type + " has no Piece");
    if (piece.next_sibling("Piece"))
        Fail(OffsetOf(piece.next_sibling("Piece")), "more than one Piece in a file is not supported");
    ReadResult result;
    Dataset& dataset = result.dataset;
    const ArrayReader read = [&](const pugi::xml_node& array, std::size_t count) {
        return Values<double>(array, DescribeDataArray(array), count);
    };
    if (type == "UnstructuredGrid") {
        dataset.geometry = ReadUnstructuredPiece(piece, read);
    } else {
        ExtentOf(grid, "WholeExtent");
        const Extent extent = ExtentOf(piece, "Extent");
        if (type == "ImageData")
            dataset.geometry = ReadImage(grid, extent);
        else if (type == "RectilinearGrid")
            dataset.geometry = ReadRectilinear(piece, extent);
        else
            dataset.geometry = ReadStructured(piece, extent, read);
    }
    for (const pugi::xml_node& data : piece.children()) {
        if (std::string_view(data.name()) == "PointData")
            ReadArrays(data, Location::Points, dataset.geometry, dataset);
        else if (std::string_view(data.name()) == "CellData")
            ReadArrays(data, Location::Cells, dataset.geometry, dataset);
    }
    result.warnings = std::move(warnings_);
    return result;
}

void XmlParser::ReadEncoding(const pugi::xml_node& root, std::string_view appended) {
    PayloadFormat& format = encoding_.payload;
    byteOrderName_ = root.attribute("byte_order").as_string("LittleEndian");
    if (byteOrderName_ == "BigEndian")
        format.byteOrder = ByteOrder::Big;
    else if (byteOrderName_ != "LittleEndian")
        Fail(OffsetOf(root), "byte_order " + Quote(byteOrderName_) + " is not LittleEndian or BigEndian");
    const std::string_view header = root.attribute("header_type").as_string("UInt32");
    if (header == "UInt64")
        format.headerSize = 8;
    else if (header != "UInt32")
        Fail(OffsetOf(root), "header_type " + Quote(header) + " is not UInt32 or UInt64");
    const std::string_view compressor = root.attribute("compressor").value();
    if (compressor == "vtkZLibDataCompressor")
        format.compressor = Compressor::ZLib;
    else if (compressor == "vtkLZ4DataCompressor")
        format.compressor = Compressor::LZ4;
    else if (!compressor.empty())
        Fail(OffsetOf(root), "compressor " + Quote(compressor) + " is not supported (zlib and LZ4 are read)");
    if (const pugi::xml_node data = root.child("AppendedData")) {
        const std::string_view encoding = data.attribute("encoding").as_string("raw");
        if (encoding != "raw" && encoding != "base64")
            Fail(OffsetOf(data), "AppendedData encoding " + Quote(encoding) + " is not raw or base64");
        encoding_.appendedBase64 = encoding == "base64";
        encoding_.appended = appended;
    }
}

Geometry XmlParser::ReadImage(const pugi::xml_node& grid, const Extent& extent) const {
    ImageGrid image;
    image.dimensions = extent.Points();
    if (grid.attribute("Spacing")) {
        const std::vector<double> spacing = NumbersOf(grid, "Spacing", 3);
        std::copy(spacing.begin(), spacing.end(), image.spacing.begin());
    }
    const std::string problem = CheckSpacing(image);
    if (!problem.empty()) Fail(OffsetOf(grid), "ImageData Spacing: " + problem);
    if (grid.attribute("Direction")) {
        const std::vector<double> direction = NumbersOf(grid, "Direction", 9);
        for (std::size_t i = 0; i < 9; ++i)
            if (direction[i] != (i % 4 == 0 ? 1.0 : 0.0))
                Fail(OffsetOf(grid),
                     "ImageData Direction: rotated or flipped grids are not supported (the identity only)");
    }
    const std::vector<double> origin =
        grid.attribute("Origin") ? NumbersOf(grid, "Origin", 3) : std::vector<double>{0.0, 0.0, 0.0};
    // The extent numbers the points from the origin.
    for (std::size_t axis = 0; axis < 3; ++axis) {
        image.origin[axis] = origin[axis] + static_cast<double>(extent.low[axis]) * image.spacing[axis];
        if (!std::isfinite(image.origin[axis])) Fail(OffsetOf(grid), "ImageData Origin is not finite");
    }
    return image;
}

Geometry XmlParser::ReadRectilinear(const pugi::xml_node& piece, const Extent& extent) {
    static constexpr const char* kAxes[] = {"x", "y", "z"};
    const pugi::xml_node coordinates = piece.child("Coordinates");
    if (!coordinates) Fail(OffsetOf(piece), "the Piece has no Coordinates");
    RectilinearGrid grid;
    const std::array<std::size_t, 3> points = extent.Points();
    pugi::xml_node array = coordinates.child("DataArray");
    for (std::size_t axis = 0; axis < 3; ++axis, array = array.next_sibling("DataArray")) {
        if (!array) Fail(OffsetOf(coordinates), std::string("Coordinates lack the ") + kAxes[axis] + " DataArray");
        const XmlArrayHeader header = DescribeDataArray(array);
        grid.coordinates[axis] = Values<double>(array, header, points[axis]);
        const std::string problem = CheckCoordinates(grid.coordinates[axis]);
        if (!problem.empty()) Fail(OffsetOf(array), std::string(kAxes[axis]) + " coordinates: " + problem);
    }
    return grid;
}

Geometry XmlParser::ReadStructured(const pugi::xml_node& piece, const Extent& extent, const ArrayReader& read) const {
    const std::array<std::size_t, 3> size = extent.Points();
    const std::optional<std::size_t> count = Product(size[0] * size[1], size[2]);
    if (!count || *count > kMaxPoints) Fail(OffsetOf(piece), "more than " + std::to_string(kMaxPoints) + " points");
    return StructuredGrid{size, ReadPoints(piece, *count, read)};
}

void XmlParser::ReadArrays(const pugi::xml_node& data, Location location, const Geometry& geometry,
                           Dataset& dataset) {
    for (const pugi::xml_node& node : data.children("DataArray")) {
        const XmlArrayHeader header = DescribeDataArray(node);
        const std::optional<std::size_t> count = Product(TupleCount(geometry, location), header.components);
        if (!count) Fail(OffsetOf(node), "DataArray " + Quote(header.name) + ": too many values");
        dataset.arrays.push_back({header.name, location, header.components, Values<float>(node, header, *count)});
    }
}

template <class Out>
std::vector<Out> XmlParser::Values(const pugi::xml_node& node, const XmlArrayHeader& header, std::size_t count) {
    bool swapped = false;
    std::vector<Out> values = ReadDataArray<Out>(node, header, encoding_, count, &swapped);
    if (swapped)
        warnings_.push_back(std::string(fileName_) + ":" + std::to_string(LineOf(bytes_, OffsetOf(node))) +
                            ": DataArray " + Quote(header.name) +
                            " looks byte-swapped: most values are denormal, infinite or beyond 1e30 as read, "
                            "plausible when swapped; the file says byte_order=\"" + byteOrderName_ +
                            "\" and was probably written in the other order");
    return values;
}

}  // namespace

ReadResult ParseXmlVtk(std::string_view bytes, std::string_view fileName) {
    return Guarded(fileName, bytes, [&] { return XmlParser(bytes, fileName).Parse(); });
}

}  // namespace Korvex::Io
