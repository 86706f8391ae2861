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
    bool rectilinear_ = false;
    bool haveDimensions_ = false;
    std::size_t spacingOffset_ = 0;
    ImageGrid image_;
    RectilinearGrid rectilinearGrid_;
    std::optional<Location> section_;
    bool seenPointData_ = false, seenCellData_ = false;
    Dataset dataset_;
    std::vector<std::string> warnings_;
};

}  // namespace Korvex::Io
