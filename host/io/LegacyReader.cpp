#include "LegacyReader.h"

#include "LegacyParser.h"
#include "ParseSupport.h"

#include <cmath>

namespace Korvex::Io {

namespace {

constexpr std::string_view kSignature = "# vtk DataFile Version";
constexpr const char* kAxisNames[] = {"X_COORDINATES", "Y_COORDINATES", "Z_COORDINATES"};
constexpr const char* kDatasetKinds = "STRUCTURED_POINTS, RECTILINEAR_GRID, STRUCTURED_GRID and UNSTRUCTURED_GRID";

}  // namespace

ReadResult LegacyParser::Parse() {
    ReadHeader();
    ReadDatasetKind();
    if (std::optional<Line> section = ReadGeometry()) ReadAttributes(*std::move(section));
    ReadResult result;
    switch (kind_) {
    case Kind::Image:
        dataset_.geometry = image_;
        break;
    case Kind::Rectilinear:
        dataset_.geometry = std::move(rectilinearGrid_);
        break;
    case Kind::Structured:
        dataset_.geometry = StructuredGrid{image_.dimensions, std::move(points_)};
        break;
    case Kind::Unstructured:
        cells_.points = std::move(points_);
        dataset_.geometry = std::move(cells_);
        break;
    }
    result.dataset = std::move(dataset_);
    result.warnings = std::move(warnings_);
    return result;
}

void LegacyParser::ReadHeader() {
    const std::optional<std::string_view> signature = scanner_.ReadRawLine();
    if (!signature || signature->size() < kSignature.size() ||
        !EqualsNoCase(signature->substr(0, kSignature.size()), kSignature))
        Fail(0, "not a legacy VTK file: the first line must be '# vtk DataFile Version x.y'");
    if (!scanner_.ReadRawLine()) scanner_.FailAtEnd("expected a title line");
    const Line format = scanner_.ExpectKeywordLine("ASCII or BINARY");
    if (format.words.size() == 1 && EqualsNoCase(format.words[0], "ASCII"))
        scanner_.SetBinary(false);
    else if (format.words.size() == 1 && EqualsNoCase(format.words[0], "BINARY"))
        scanner_.SetBinary(true);
    else
        Fail(format.offset, "expected ASCII or BINARY, found " + Quote(format.words[0]));
}

void LegacyParser::ReadDatasetKind() {
    const Line line = scanner_.ExpectKeywordLine("DATASET");
    if (EqualsNoCase(line.words[0], "FIELD"))
        Fail(line.offset,
             std::string("FIELD data without a DATASET is not supported (") + kDatasetKinds + " are read)");
    if (!EqualsNoCase(line.words[0], "DATASET")) Fail(line.offset, "expected DATASET, found " + Quote(line.words[0]));
    if (line.words.size() != 2) Fail(line.offset, "DATASET needs one type, such as STRUCTURED_POINTS");
    if (EqualsNoCase(line.words[1], "RECTILINEAR_GRID"))
        kind_ = Kind::Rectilinear;
    else if (EqualsNoCase(line.words[1], "STRUCTURED_GRID"))
        kind_ = Kind::Structured;
    else if (EqualsNoCase(line.words[1], "UNSTRUCTURED_GRID"))
        kind_ = Kind::Unstructured;
    else if (!EqualsNoCase(line.words[1], "STRUCTURED_POINTS"))
        Fail(line.offset, "DATASET " + Quote(line.words[1]) + " is not supported (" + kDatasetKinds + " are read)");
}

std::optional<LegacyScanner::Line> LegacyParser::ReadGeometry() {
    bool haveOrigin = false, haveSpacing = false;
    const auto once = [](bool& seen, const Line& line) {
        if (seen) Fail(line.offset, "a second " + std::string(line.words[0]) + " line");
        seen = true;
    };
    while (std::optional<Line> line = scanner_.ReadKeywordLine()) {
        const std::string_view keyword = line->words[0];
        if (EqualsNoCase(keyword, "POINT_DATA") || EqualsNoCase(keyword, "CELL_DATA")) {
            FinishGeometry(line->offset);
            return line;
        }
        const bool image = kind_ == Kind::Image, rectilinear = kind_ == Kind::Rectilinear;
        if (kind_ != Kind::Unstructured && EqualsNoCase(keyword, "DIMENSIONS")) {
            once(haveDimensions_, *line);
            ReadDimensions(*line);
        } else if (EqualsNoCase(keyword, "FIELD")) {
            ReadFieldArrays(*line, false);
        } else if (EqualsNoCase(keyword, "METADATA")) {
            SkipMetadata();
        } else if (image && EqualsNoCase(keyword, "ORIGIN")) {
            once(haveOrigin, *line);
            image_.origin = ReadTriple(*line);
        } else if (image && (EqualsNoCase(keyword, "SPACING") || EqualsNoCase(keyword, "SPACINGS") ||
                             EqualsNoCase(keyword, "ASPECT_RATIO"))) {
            once(haveSpacing, *line);
            image_.spacing = ReadTriple(*line);
            spacingOffset_ = line->offset;
        } else if (rectilinear && EqualsNoCase(keyword, kAxisNames[0])) {
            ReadCoordinates(*line, 0);
        } else if (rectilinear && EqualsNoCase(keyword, kAxisNames[1])) {
            ReadCoordinates(*line, 1);
        } else if (rectilinear && EqualsNoCase(keyword, kAxisNames[2])) {
            ReadCoordinates(*line, 2);
        } else if (!ReadCellGridLine(*line)) {
            static constexpr const char* kExpected[] = {"DIMENSIONS, ORIGIN, SPACING",
                                                        "DIMENSIONS, X_COORDINATES, Y_COORDINATES, Z_COORDINATES",
                                                        "DIMENSIONS, POINTS", "POINTS, CELLS, CELL_TYPES"};
            Fail(line->offset, std::string("expected ") + kExpected[static_cast<int>(kind_)] +
                                   ", POINT_DATA or CELL_DATA, found " + Quote(keyword));
        }
    }
    FinishGeometry(scanner_.LastByte());
    return std::nullopt;
}

void LegacyParser::ReadDimensions(const Line& line) {
    if (line.words.size() != 4) Fail(line.offset, "DIMENSIONS needs 3 integers");
    for (std::size_t axis = 0; axis < 3; ++axis) {
        const std::string_view word = line.words[axis + 1];
        const std::optional<std::uint64_t> size = ParseCount(word);
        const bool digits = !word.empty() && word.find_first_not_of("0123456789") == std::string_view::npos;
        if (!size && !digits) Fail(line.offset, "DIMENSIONS needs 3 integers, found " + Quote(word));
        if (!size || *size < 1 || *size > kMaxPointsPerAxis)
            Fail(line.offset, "DIMENSIONS " + Quote(word) + " is out of range: each must be 1 to " +
                                  std::to_string(kMaxPointsPerAxis));
        image_.dimensions[axis] = static_cast<std::size_t>(*size);
    }
}

std::array<double, 3> LegacyParser::ReadTriple(const Line& line) const {
    const std::string keyword(line.words[0]);
    if (line.words.size() != 4) Fail(line.offset, keyword + " needs 3 numbers");
    std::array<double, 3> values{};
    for (std::size_t axis = 0; axis < 3; ++axis) {
        const std::optional<double> value = ParseNumber(line.words[axis + 1]);
        if (!value || !std::isfinite(*value))
            Fail(line.offset, keyword + ": " + Quote(line.words[axis + 1]) + " is not a finite number");
        values[axis] = *value;
    }
    return values;
}

void LegacyParser::ReadCoordinates(const Line& line, std::size_t axis) {
    const std::string keyword = kAxisNames[axis];
    if (!rectilinearGrid_.coordinates[axis].empty()) Fail(line.offset, "a second " + keyword + " line");
    if (!haveDimensions_) Fail(line.offset, "expected DIMENSIONS before " + keyword);
    if (line.words.size() != 3) Fail(line.offset, keyword + " needs a count and a data type");
    const std::size_t count = CountOf(line, 1, keyword.c_str());
    if (count != image_.dimensions[axis])
        Fail(line.offset, keyword + " " + std::to_string(count) + " does not match DIMENSIONS " +
                              std::to_string(image_.dimensions[axis]));
    std::vector<double> values =
        scanner_.ReadValues<double>(TypeOf(line, 2), count, line.offset, keyword);
    const std::string problem = CheckCoordinates(values);
    if (!problem.empty()) Fail(line.offset, keyword + ": " + problem);
    rectilinearGrid_.coordinates[axis] = std::move(values);
}

void LegacyParser::FinishGeometry(std::size_t offset) {
    if (kind_ == Kind::Structured || kind_ == Kind::Unstructured) return FinishCellGrid(offset);
    if (!haveDimensions_) Fail(offset, "expected DIMENSIONS before the data");
    if (kind_ == Kind::Image) {
        const std::string spacing = CheckSpacing(image_);
        if (!spacing.empty()) Fail(spacingOffset_, "SPACING: " + spacing);
        return;
    }
    for (std::size_t axis = 0; axis < 3; ++axis)
        if (rectilinearGrid_.coordinates[axis].empty())
            Fail(offset, std::string("expected ") + kAxisNames[axis] + " before the data");
}

ReadResult ParseLegacyVtk(std::string_view bytes, std::string_view fileName) {
    return Guarded(fileName, bytes, [&] { return LegacyParser(bytes, fileName).Parse(); });
}

}  // namespace Korvex::Io
