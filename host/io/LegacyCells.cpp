// The points and cells of legacy STRUCTURED_GRID and UNSTRUCTURED_GRID files:
// CELLS in the layout of format 5 (OFFSETS and CONNECTIVITY arrays) and in
// the older one (each cell's node count before its nodes), CELL_TYPES.

#include "LegacyParser.h"
#include "ParseSupport.h"

#include <cmath>

namespace Korvex::Io {

namespace {

constexpr std::size_t kAnyType = SIZE_MAX;
constexpr std::uint64_t kMaxCellType = 255;

}  // namespace

bool LegacyParser::ReadCellGridLine(const Line& line) {
    const std::string_view keyword = line.words[0];
    const auto once = [&](std::optional<std::size_t>& offset) {
        if (offset) Fail(line.offset, "a second " + std::string(keyword) + " line");
        offset = line.offset;
    };
    if (kind_ != Kind::Structured && kind_ != Kind::Unstructured) return false;
    if (EqualsNoCase(keyword, "POINTS")) {
        once(pointsOffset_);
        ReadPoints(line);
    } else if (kind_ == Kind::Unstructured && EqualsNoCase(keyword, "CELLS")) {
        once(cellsOffset_);
        ReadCells(line);
    } else if (kind_ == Kind::Unstructured && EqualsNoCase(keyword, "CELL_TYPES")) {
        once(typesOffset_);
        ReadCellTypes(line);
    } else {
        return false;
    }
    return true;
}

void LegacyParser::ReadPoints(const Line& line) {
    if (line.words.size() != 3) Fail(line.offset, "POINTS needs a count and a data type");
    const std::size_t count = CountOf(line, 1, "the number of points");
    if (count > kMaxPoints) Fail(line.offset, "POINTS: more than " + std::to_string(kMaxPoints) + " points");
    const std::vector<double> xyz =
        scanner_.ReadValues<double>(TypeOf(line, 2), Checked(line, count, 3), line.offset, "POINTS");
    points_.resize(count);
    for (std::size_t p = 0; p < count; ++p) {
        points_[p] = {xyz[3 * p], xyz[3 * p + 1], xyz[3 * p + 2]};
        for (double coordinate : points_[p])
            if (!std::isfinite(coordinate)) Fail(line.offset, "POINTS: point " + std::to_string(p) + " is not finite");
    }
}

std::vector<std::uint64_t> LegacyParser::ReadIntegers(const Line& line, std::size_t word, std::size_t count,
                                                      const std::string& what, std::uint64_t limit) {
    // Binary cell lists without a type word are 32-bit integers.
    const ValueType type = word == kAnyType ? ValueType::Int32 : TypeOf(line, word);
    const std::vector<double> values = scanner_.ReadValues<double>(type, count, line.offset, what);
    std::vector<std::uint64_t> integers(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double value = values[i];
        if (!(value >= 0.0 && value <= static_cast<double>(limit) && value == std::floor(value)))
            Fail(line.offset, what + ": value " + std::to_string(i + 1) + " (" + std::to_string(value) +
                                  ") is not an integer from 0 to " + std::to_string(limit));
        integers[i] = static_cast<std::uint64_t>(value);
    }
    return integers;
}

void LegacyParser::ReadCells(const Line& line) {
    if (line.words.size() != 3) Fail(line.offset, "CELLS needs two counts");
    const std::size_t first = CountOf(line, 1, "the number of cells"), second = CountOf(line, 2, "a size");
    if (scanner_.NextLineBeginsWith("OFFSETS"))
        ReadOffsetsAndConnectivity(line, first, second);
    else
        ReadCellsWithCounts(line, first, second);
}

void LegacyParser::ReadCellsWithCounts(const Line& line, std::size_t cells, std::size_t values) {
    const std::vector<std::uint64_t> list = ReadIntegers(line, kAnyType, values, "CELLS", UINT32_MAX);
    cells_.offsets.assign(1, 0);
    cells_.connectivity.reserve(values - std::min(values, cells));
    std::size_t next = 0;
    for (std::size_t c = 0; c < cells; ++c) {
        if (next >= list.size() || list[next] > list.size() - next - 1)
            Fail(line.offset,
                 "CELLS: cell " + std::to_string(c) + " runs past the " + std::to_string(values) + " values");
        const std::size_t nodes = list[next++];
        for (std::size_t n = 0; n < nodes; ++n) cells_.connectivity.push_back(static_cast<std::uint32_t>(list[next++]));
        cells_.offsets.push_back(cells_.connectivity.size());
    }
    if (next != list.size())
        Fail(line.offset,
             "CELLS: " + std::to_string(list.size() - next) + " values left after " + std::to_string(cells) + " cells");
}

void LegacyParser::ReadOffsetsAndConnectivity(const Line& line, std::size_t offsets, std::size_t nodes) {
    const Line offsetsLine = scanner_.ExpectKeywordLine("OFFSETS");
    if (offsetsLine.words.size() != 2) Fail(offsetsLine.offset, "OFFSETS needs a data type");
    cells_.offsets = ReadIntegers(offsetsLine, 1, offsets, "OFFSETS", nodes);
    for (std::size_t c = 1; c < cells_.offsets.size(); ++c)
        if (cells_.offsets[c] < cells_.offsets[c - 1])
            Fail(offsetsLine.offset, "OFFSETS decrease at value " + std::to_string(c + 1));
    if (cells_.offsets.empty() || cells_.offsets.front() != 0 || cells_.offsets.back() != nodes)
        Fail(line.offset, "CELLS " + std::to_string(offsets) + " " + std::to_string(nodes) +
                              ": OFFSETS must run from 0 to " + std::to_string(nodes));
    const Line connectivity = scanner_.ExpectKeywordLine("CONNECTIVITY");
    if (!EqualsNoCase(connectivity.words[0], "CONNECTIVITY") || connectivity.words.size() != 2)
        Fail(connectivity.offset, "expected CONNECTIVITY and a data type after OFFSETS");
    const std::vector<std::uint64_t> ids = ReadIntegers(connectivity, 1, nodes, "CONNECTIVITY", UINT32_MAX);
    cells_.connectivity.assign(ids.begin(), ids.end());
}

void LegacyParser::ReadCellTypes(const Line& line) {
    if (line.words.size() != 2) Fail(line.offset, "CELL_TYPES needs the number of cells");
    const std::vector<std::uint64_t> types =
        ReadIntegers(line, kAnyType, CountOf(line, 1, "the number of cells"), "CELL_TYPES", kMaxCellType);
    cells_.types.assign(types.begin(), types.end());
}

void LegacyParser::FinishCellGrid(std::size_t offset) {
    if (kind_ == Kind::Structured && !haveDimensions_) Fail(offset, "expected DIMENSIONS before the data");
    if (!pointsOffset_) Fail(offset, "expected POINTS before the data");
    if (kind_ == Kind::Structured) {
        const auto& size = image_.dimensions;
        if (size[0] * size[1] * size[2] != points_.size())
            Fail(*pointsOffset_, "POINTS " + std::to_string(points_.size()) + " does not match " + GridSize());
        return;
    }
    if (cellsOffset_.has_value() != typesOffset_.has_value())
        Fail(offset, cellsOffset_ ? "expected CELL_TYPES after CELLS" : "expected CELLS before CELL_TYPES");
    if (cells_.types.size() + 1 != cells_.offsets.size())
        Fail(*typesOffset_, "CELL_TYPES " + std::to_string(cells_.types.size()) + " does not match CELLS " +
                                std::to_string(cells_.offsets.size() - 1));
    for (std::size_t n = 0; n < cells_.connectivity.size(); ++n)
        if (cells_.connectivity[n] >= points_.size())
            Fail(*cellsOffset_, "CELLS: node " + std::to_string(n) + " names point " +
                                    std::to_string(cells_.connectivity[n]) + " of " + std::to_string(points_.size()));
}

std::string LegacyParser::GridSize() const {
    if (kind_ == Kind::Unstructured)
        return *section_ == Location::Points ? "POINTS " + std::to_string(points_.size())
                                             : "CELLS " + std::to_string(cells_.types.size());
    return "DIMENSIONS " + std::to_string(image_.dimensions[0]) + " " + std::to_string(image_.dimensions[1]) + " " +
           std::to_string(image_.dimensions[2]);
}

}  // namespace Korvex::Io
