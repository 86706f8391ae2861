#pragma once

// The parser behind ParseLegacyVtk: the header and grid in LegacyReader.cpp,
// the POINT_DATA and CELL_DATA sections in LegacyAttributes.cpp.

#include "Dataset.h"
#include "LegacyScanner.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Korvex::Io {

class LegacyParser {
public:
    LegacyParser(std::string_view bytes, std::string_view fileName) : scanner_(bytes), bytes_(bytes), fileName_(fileName) {}

    // Throws ParseError.
    ReadResult Parse();

private:
    using Line = LegacyScanner::Line;

    void ReadHeader();
    void ReadDatasetKind();
    // Reads the grid up to the first POINT_DATA or CELL_DATA line, returned;
    // nothing when the file ends first.
    std::optional<Line> ReadGeometry();
    void ReadDimensions(const Line& line);
    std::array<double, 3> ReadTriple(const Line& line) const;
    void ReadCoordinates(const Line& line, std::size_t axis);
    void FinishGeometry(std::size_t offset);
    // POINTS, CELLS and CELL_TYPES of curvilinear and unstructured grids, in
    // LegacyCells.cpp; false for other keywords.
    bool ReadCellGridLine(const Line& line);
    void ReadPoints(const Line& line);
    void ReadCells(const Line& line);
    void ReadCellsWithCounts(const Line& line, std::size_t cells, std::size_t values);
    void ReadOffsetsAndConnectivity(const Line& line, std::size_t offsets, std::size_t nodes);
    void ReadCellTypes(const Line& line);
    void FinishCellGrid(std::size_t offset);
    std::vector<std::uint64_t> ReadIntegers(const Line& line, std::size_t word, std::size_t count,
                                            const std::string& what, std::uint64_t limit);
    // What the tuples of a section must match, for messages: "DIMENSIONS 3 2 1".
    std::string GridSize() const;

    void ReadAttributes(Line line);
    void StartSection(const Line& line);
    void ReadArray(const Line& line, std::size_t components, std::size_t typeWord);
    void ReadScalars(const Line& line);
    void ReadFieldArrays(const Line& line, bool keep);
    void SkipValues(const Line& line, std::size_t perTuple, std::optional<std::size_t> typeWord);
    void SkipMetadata();
    std::vector<float> ReadArrayValues(ValueType type, std::size_t count, const Line& line, const std::string& what);

    ValueType TypeOf(const Line& line, std::size_t word) const;
    std::size_t CountOf(const Line& line, std::size_t word, const char* what) const;
    std::size_t Tuples() const;
    // a * b, failing at the line when it does not fit.
    std::size_t Checked(const Line& line, std::size_t a, std::size_t b) const;
    std::size_t ValuesFor(const Line& line, std::size_t perTuple) const;

    LegacyScanner scanner_;
    std::string_view bytes_;
    std::string_view fileName_;
    enum class Kind { Image, Rectilinear, Structured, Unstructured };
    Kind kind_ = Kind::Image;
    bool haveDimensions_ = false;
    std::size_t spacingOffset_ = 0;
    ImageGrid image_;
    RectilinearGrid rectilinearGrid_;
    std::optional<std::size_t> pointsOffset_, cellsOffset_, typesOffset_;
    std::vector<Point3> points_;
    UnstructuredGrid cells_;
    std::optional<Location> section_;
    bool seenPointData_ = false, seenCellData_ = false;
    Dataset dataset_;
    std::vector<std::string> warnings_;
};

}  // namespace Korvex::Io
