// The POINT_DATA and CELL_DATA sections of a legacy VTK file.

#include "LegacyParser.h"
#include "ParseSupport.h"

#include <cctype>

namespace Korvex::Io {

namespace {

// vtkIdType is written as a 32-bit int; long as 64 bits, as on the systems
// that write nearly all such files.
constexpr ValueTypeName kTypes[] = {
    {"bit", ValueType::Bit},           {"char", ValueType::Int8},
    {"signed_char", ValueType::Int8},  {"unsigned_char", ValueType::UInt8},
    {"short", ValueType::Int16},       {"unsigned_short", ValueType::UInt16},
    {"int", ValueType::Int32},         {"unsigned_int", ValueType::UInt32},
    {"long", ValueType::Int64},        {"unsigned_long", ValueType::UInt64},
    {"vtktypeint64", ValueType::Int64}, {"vtktypeuint64", ValueType::UInt64},
    {"vtkIdType", ValueType::Int32},   {"float", ValueType::Float32},
    {"double", ValueType::Float64},
};

constexpr std::size_t kMaxScalarComponents = 4;

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

// Writers put spaces and other special characters of names as %XX.
std::string DecodeName(std::string_view word) {
    std::string name;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (word[i] == '%' && i + 2 < word.size() && HexDigit(word[i + 1]) >= 0 && HexDigit(word[i + 2]) >= 0) {
            name += static_cast<char>(HexDigit(word[i + 1]) * 16 + HexDigit(word[i + 2]));
            i += 2;
        } else {
            name += word[i];
        }
    }
    return name;
}

bool IsKeyword(std::string_view word, std::initializer_list<std::string_view> keywords) {
    for (std::string_view keyword : keywords)
        if (EqualsNoCase(word, keyword)) return true;
    return false;
}

}  // namespace

ValueType LegacyParser::TypeOf(const Line& line, std::size_t word) const {
    const std::string keyword(line.words[0]);
    if (word >= line.words.size()) Fail(line.offset, keyword + " needs a data type");
    const std::string_view type = line.words[word];
    if (const std::optional<ValueType> known = TypeNamed(kTypes, type)) return *known;
    if (IsKeyword(type, {"string", "utf8_string", "variant"}))
        Fail(line.offset, keyword + ": " + Quote(type) + " data is not supported (numbers only)");
    Fail(line.offset, keyword + ": unknown data type " + Quote(type) +
                          " (bit, char, unsigned_char, short, unsigned_short, int, unsigned_int, long, "
                          "unsigned_long, vtktypeint64, vtktypeuint64, vtkIdType, float or double)");
}

std::size_t LegacyParser::CountOf(const Line& line, std::size_t word, const char* what) const {
    const std::optional<std::uint64_t> count = word < line.words.size() ? ParseCount(line.words[word]) : std::nullopt;
    if (!count)
        Fail(line.offset, std::string(line.words[0]) + " needs " + what +
                              (word < line.words.size() ? ", found " + Quote(line.words[word]) : std::string()));
    return static_cast<std::size_t>(*count);
}

std::size_t LegacyParser::Tuples() const {
    if (kind_ == Kind::Unstructured) return *section_ == Location::Points ? points_.size() : cells_.types.size();
    std::size_t tuples = 1;
    for (std::size_t points : image_.dimensions)
        tuples *= *section_ == Location::Points || points == 1 ? points : points - 1;
    return tuples;
}

std::size_t LegacyParser::Checked(const Line& line, std::size_t a, std::size_t b) const {
    const std::optional<std::size_t> count = Product(a, b);
    if (!count) Fail(line.offset, std::string(line.words[0]) + ": too many values");
    return *count;
}

std::size_t LegacyParser::ValuesFor(const Line& line, std::size_t perTuple) const {
    return Checked(line, Tuples(), perTuple);
}

void LegacyParser::ReadAttributes(Line line) {
    for (std::optional<Line> next = std::move(line); next; next = scanner_.ReadKeywordLine()) {
        const Line& current = *next;
        const std::string_view keyword = current.words[0];
        if (IsKeyword(keyword, {"POINT_DATA", "CELL_DATA"}))
            StartSection(current);
        else if (IsKeyword(keyword, {"SCALARS"}))
            ReadScalars(current);
        else if (IsKeyword(keyword, {"VECTORS", "NORMALS"}))
            ReadArray(current, 3, 2);
        else if (IsKeyword(keyword, {"FIELD"}))
            ReadFieldArrays(current, true);
        else if (IsKeyword(keyword, {"COLOR_SCALARS"}))
            SkipValues(current, ValuesFor(current, CountOf(current, 2, "a name and the number of values")),
                       std::nullopt);
        else if (IsKeyword(keyword, {"LOOKUP_TABLE"}))
            SkipValues(current, Checked(current, 4, CountOf(current, 2, "a name and a size")), std::nullopt);
        else if (IsKeyword(keyword, {"TEXTURE_COORDINATES"}))
            SkipValues(current, ValuesFor(current, CountOf(current, 2, "a name and a dimension")), 3);
        else if (IsKeyword(keyword, {"TENSORS", "TENSORS6"}))
            SkipValues(current, ValuesFor(current, EqualsNoCase(keyword, "TENSORS") ? 9 : 6), 2);
        else if (IsKeyword(keyword, {"GLOBAL_IDS", "PEDIGREE_IDS"}))
            SkipValues(current, Tuples(), 2);
        else if (IsKeyword(keyword, {"METADATA"}))
            SkipMetadata();
        else if (!scanner_.Binary() && ParseNumber(keyword))
            Fail(current.offset, "more values than " +
                                     std::string(*section_ == Location::Points ? "POINT_DATA " : "CELL_DATA ") +
                                     std::to_string(Tuples()));
        else
            Fail(current.offset,
                 "expected SCALARS, VECTORS, NORMALS, FIELD, POINT_DATA or CELL_DATA, found " + Quote(keyword));
    }
}

void LegacyParser::StartSection(const Line& line) {
    const bool points = EqualsNoCase(line.words[0], "POINT_DATA");
    const std::string keyword = points ? "POINT_DATA" : "CELL_DATA";
    bool& seen = points ? seenPointData_ : seenCellData_;
    if (seen) Fail(line.offset, "a second " + keyword + " section");
    seen = true;
    section_ = points ? Location::Points : Location::Cells;
    const std::optional<std::uint64_t> count = line.words.size() == 2 ? ParseCount(line.words[1]) : std::nullopt;
    if (!count) Fail(line.offset, keyword + " needs the number of " + (points ? "points" : "cells"));
    if (*count != Tuples())
        Fail(line.offset, keyword + " " + std::string(line.words[1]) + " does not match " + GridSize() + " (" +
                              std::to_string(Tuples()) + (points ? " point" : " cell") + (Tuples() == 1 ? ")" : "s)"));
}

void LegacyParser::ReadScalars(const Line& line) {
    if (line.words.size() != 3 && line.words.size() != 4)
        Fail(line.offset, "SCALARS needs a name, a data type and optionally the number of components");
    const ValueType type = TypeOf(line, 2);
    std::size_t components = 1;
    if (line.words.size() == 4) {
        const std::optional<std::uint64_t> count = ParseCount(line.words[3]);
        if (!count || *count < 1 || *count > kMaxScalarComponents)
            Fail(line.offset, "SCALARS with " + Quote(line.words[3]) + " components is not supported (1 to 4)");
        components = static_cast<std::size_t>(*count);
    }
    const Line table = scanner_.ExpectKeywordLine("LOOKUP_TABLE after SCALARS");
    if (!EqualsNoCase(table.words[0], "LOOKUP_TABLE") || table.words.size() != 2)
        Fail(table.offset, "expected LOOKUP_TABLE <name> after SCALARS, found " + Quote(table.words[0]));
    DataArray array{DecodeName(line.words[1]), *section_, components, {}};
    array.values = ReadArrayValues(type, ValuesFor(line, components), line, "SCALARS " + Quote(array.name));
    dataset_.arrays.push_back(std::move(array));
}

void LegacyParser::ReadArray(const Line& line, std::size_t components, std::size_t typeWord) {
    if (line.words.size() != typeWord + 1)
        Fail(line.offset, std::string(line.words[0]) + " needs a name and a data type");
    DataArray array{DecodeName(line.words[1]), *section_, components, {}};
    array.values = ReadArrayValues(TypeOf(line, typeWord), ValuesFor(line, components), line,
                                   std::string(line.words[0]) + " " + Quote(array.name));
    dataset_.arrays.push_back(std::move(array));
}

void LegacyParser::ReadFieldArrays(const Line& line, bool keep) {
    if (line.words.size() != 3) Fail(line.offset, "FIELD needs a name and the number of arrays");
    const std::size_t arrays = CountOf(line, 2, "the number of arrays");
    for (std::size_t i = 0; i < arrays; ++i) {
        Line header = scanner_.ExpectKeywordLine("FIELD array " + std::to_string(i + 1) + " of " +
                                                 std::to_string(arrays));
        if (EqualsNoCase(header.words[0], "METADATA")) {
            SkipMetadata();
            header = scanner_.ExpectKeywordLine("a FIELD array");
        }
        if (EqualsNoCase(header.words[0], "NULL_ARRAY")) continue;
        if (header.words.size() != 4)
            Fail(header.offset, "expected a FIELD array: name, components, tuples and data type, found " +
                                    Quote(header.words[0]));
        const std::string name = DecodeName(header.words[0]);
        const std::size_t components = CountOf(header, 1, "a number of components");
        const std::size_t tuples = CountOf(header, 2, "a number of tuples");
        const ValueType type = TypeOf(header, 3);
        if (components < 1) Fail(header.offset, "FIELD array " + Quote(name) + " has no components");
        if (keep && tuples != Tuples())
            Fail(header.offset, "FIELD array " + Quote(name) + " has " + std::to_string(tuples) + " tuples, not " +
                                    std::to_string(Tuples()) + " as its section");
        DataArray array{name, section_.value_or(Location::Points), components, {}};
        array.values = ReadArrayValues(type, Checked(header, components, tuples), header, "FIELD array " + Quote(name));
        if (keep) dataset_.arrays.push_back(std::move(array));
    }
}

void LegacyParser::SkipValues(const Line& line, std::size_t count, std::optional<std::size_t> typeWord) {
    // Colours and lookup tables are bytes in binary files and numbers from 0
    // to 1 in ASCII ones.
    const ValueType type = typeWord ? TypeOf(line, *typeWord) : ValueType::UInt8;
    scanner_.ReadValues<float>(type, count, line.offset, std::string(line.words[0]));
}

void LegacyParser::SkipMetadata() {
    // Its lines run up to the first empty one.
    while (const std::optional<std::string_view> raw = scanner_.ReadRawLine())
        if (raw->find_first_not_of(" \t\r") == std::string_view::npos) return;
}

std::vector<float> LegacyParser::ReadArrayValues(ValueType type, std::size_t count, const Line& line,
                                                 const std::string& what) {
    bool swapped = false;
    std::vector<float> values = scanner_.ReadValues<float>(type, count, line.offset, what, &swapped);
    if (swapped)
        warnings_.push_back(std::string(fileName_) + ":" + std::to_string(LineOf(bytes_, line.offset)) + ": " +
                            what +
                            " looks byte-swapped: most values are denormal, infinite or beyond 1e30 as read, "
                            "plausible when swapped; legacy BINARY data is big-endian and this file was probably "
                            "written little-endian");
    return values;
}

}  // namespace Korvex::Io
