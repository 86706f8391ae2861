#include "VtkReader.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>
#include <system_error>

namespace Korvex::App {

namespace {

struct ParseError {
    std::size_t offset;
    std::string message;
};

enum class ValueType { Float, Double };

constexpr std::string_view kSignature = "# vtk DataFile Version";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// Words from a file may be anything; messages show them short and printable.
std::string Quote(std::string_view word) {
    constexpr std::size_t kShown = 32;
    std::string quoted = "'";
    for (char c : word.substr(0, kShown)) quoted += std::isprint(static_cast<unsigned char>(c)) ? c : '?';
    if (word.size() > kShown) quoted += "...";
    return quoted + "'";
}

std::optional<double> ParseDouble(std::string_view word) {
    // VTK writers may put a '+' in front; from_chars takes none.
    if (word.size() > 1 && word[0] == '+' && word[1] != '-' && word[1] != '+') word.remove_prefix(1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size()) return std::nullopt;
    return value;
}

std::optional<std::uint64_t> ParseCount(std::string_view word) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size()) return std::nullopt;
    return value;
}

std::uint64_t BigEndian(const unsigned char* bytes, std::size_t size) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < size; ++i) value = (value << 8) | bytes[i];
    return value;
}

class Parser {
public:
    explicit Parser(std::string_view bytes) : bytes_(bytes) {}

    VtkGrid Parse() {
        ReadHeader();
        ReadGeometry();
        ReadPointData();
        return std::move(grid_);
    }

private:
    struct Line {
        std::size_t offset;
        std::vector<std::string_view> words;
    };

    [[noreturn]] void Fail(std::size_t offset, std::string message) const {
        throw ParseError{offset, std::move(message)};
    }
    [[noreturn]] void FailAtEnd(const std::string& message) const {
        Fail(lastByte_, "unexpected end of file: " + message);
    }

    // The line from the read position as it stands, without its line break;
    // nothing at the end of the bytes.
    std::optional<std::string_view> ReadRawLine() {
        if (pos_ >= bytes_.size()) return std::nullopt;
        const std::size_t start = pos_;
        const std::size_t newline = bytes_.find('\n', start);
        const std::size_t end = newline == std::string_view::npos ? bytes_.size() : newline;
        pos_ = newline == std::string_view::npos ? bytes_.size() : newline + 1;
        std::string_view line = bytes_.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty()) lastByte_ = start + line.size() - 1;
        return line;
    }

    // The next line that is not blank, split into words; nothing at the end.
    std::optional<Line> ReadKeywordLine() {
        while (pos_ < bytes_.size() && IsBlank(bytes_[pos_])) ++pos_;
        const std::size_t start = pos_;
        const std::optional<std::string_view> text = ReadRawLine();
        if (!text) return std::nullopt;
        Line line{start, {}};
        std::size_t i = 0;
        while (i < text->size()) {
            if (IsBlank((*text)[i])) {
                ++i;
                continue;
            }
            std::size_t j = i;
            while (j < text->size() && !IsBlank((*text)[j])) ++j;
            line.words.push_back(text->substr(i, j - i));
            i = j;
        }
        return line;
    }

    Line ExpectKeywordLine(const std::string& expected) {
        std::optional<Line> line = ReadKeywordLine();
        if (!line) FailAtEnd("expected " + expected);
        return *std::move(line);
    }

    // The next ASCII value's text and offset; empty at the end of the bytes.
    std::string_view NextToken(std::size_t& offset) {
        while (pos_ < bytes_.size() && IsBlank(bytes_[pos_])) ++pos_;
        offset = pos_;
        while (pos_ < bytes_.size() && !IsBlank(bytes_[pos_])) ++pos_;
        if (pos_ > offset) lastByte_ = pos_ - 1;
        return bytes_.substr(offset, pos_ - offset);
    }

    void ReadHeader() {
        const std::optional<std::string_view> signature = ReadRawLine();
        if (!signature || signature->size() < kSignature.size() ||
            !EqualsNoCase(signature->substr(0, kSignature.size()), kSignature))
            Fail(0, "not a legacy VTK file: the first line must be '# vtk DataFile Version x.y'");
        if (!ReadRawLine()) FailAtEnd("expected a title line");
        const Line format = ExpectKeywordLine("ASCII or BINARY");
        if (format.words.size() == 1 && EqualsNoCase(format.words[0], "ASCII"))
            binary_ = false;
        else if (format.words.size() == 1 && EqualsNoCase(format.words[0], "BINARY"))
            binary_ = true;
        else
            Fail(format.offset, "expected ASCII or BINARY, found " + Quote(format.words[0]));
    }

    void ReadGeometry() {
        const Line dataset = ExpectKeywordLine("DATASET STRUCTURED_POINTS");
        if (!EqualsNoCase(dataset.words[0], "DATASET"))
            Fail(dataset.offset, "expected DATASET STRUCTURED_POINTS, found " + Quote(dataset.words[0]));
        if (dataset.words.size() != 2 || !EqualsNoCase(dataset.words[1], "STRUCTURED_POINTS"))
            Fail(dataset.offset, "unsupported dataset " +
                                     (dataset.words.size() > 1 ? Quote(dataset.words[1]) : std::string("''")) +
                                     " (STRUCTURED_POINTS only)");

        bool haveDimensions = false, haveOrigin = false, haveSpacing = false;
        for (;;) {
            const Line line = ExpectKeywordLine("POINT_DATA");
            const std::string_view keyword = line.words[0];
            if (EqualsNoCase(keyword, "DIMENSIONS")) {
                Once(haveDimensions, line);
                ReadDimensions(line);
            } else if (EqualsNoCase(keyword, "ORIGIN")) {
                Once(haveOrigin, line);
                grid_.origin = ReadTriple(line, false);
            } else if (EqualsNoCase(keyword, "SPACING") || EqualsNoCase(keyword, "ASPECT_RATIO")) {
                Once(haveSpacing, line);
                grid_.spacing = ReadTriple(line, true);
            } else if (EqualsNoCase(keyword, "POINT_DATA")) {
                if (!haveDimensions) Fail(line.offset, "expected DIMENSIONS before POINT_DATA");
                ReadPointCount(line);
                return;
            } else {
                Fail(line.offset, "expected DIMENSIONS, ORIGIN, SPACING or POINT_DATA, found " + Quote(keyword));
            }
        }
    }

    void Once(bool& seen, const Line& line) const {
        if (seen) Fail(line.offset, "a second " + std::string(line.words[0]) + " line");
        seen = true;
    }

    void ReadDimensions(const Line& line) {
        if (line.words.size() != 4) Fail(line.offset, "DIMENSIONS needs 3 integers");
        for (std::size_t axis = 0; axis < 3; ++axis) {
            const std::string_view word = line.words[axis + 1];
            const std::optional<std::uint64_t> size = ParseCount(word);
            if (!size && !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
                    return std::isdigit(static_cast<unsigned char>(c)) != 0;
                }))
                Fail(line.offset, "DIMENSIONS " + Quote(word) + " is too large: each must be 1 to " +
                                      std::to_string(kMaxVtkDimension));
            if (!size) Fail(line.offset, "DIMENSIONS needs 3 integers, found " + Quote(word));
            if (*size < 1 || *size > kMaxVtkDimension)
                Fail(line.offset, "DIMENSIONS " + std::to_string(*size) + " is out of range: each must be 1 to " +
                                      std::to_string(kMaxVtkDimension));
            grid_.dimensions[axis] = static_cast<std::size_t>(*size);
        }
    }

    std::array<double, 3> ReadTriple(const Line& line, bool positive) const {
        const std::string keyword(line.words[0]);
        if (line.words.size() != 4) Fail(line.offset, keyword + " needs 3 numbers");
        std::array<double, 3> values{};
        for (std::size_t axis = 0; axis < 3; ++axis) {
            const std::optional<double> value = ParseDouble(line.words[axis + 1]);
            if (!value || !std::isfinite(*value))
                Fail(line.offset, keyword + ": " + Quote(line.words[axis + 1]) + " is not a finite number");
            if (positive && !(*value > 0.0))
                Fail(line.offset, keyword + " must be positive, found " + Quote(line.words[axis + 1]));
            values[axis] = *value;
        }
        return values;
    }

    std::size_t PointCount() const { return grid_.dimensions[0] * grid_.dimensions[1] * grid_.dimensions[2]; }

    void ReadPointCount(const Line& line) const {
        const std::optional<std::uint64_t> count = line.words.size() == 2 ? ParseCount(line.words[1]) : std::nullopt;
        if (!count) Fail(line.offset, "POINT_DATA needs the number of points");
        if (*count != PointCount())
            Fail(line.offset, "POINT_DATA " + std::string(line.words[1]) + " does not match DIMENSIONS " +
                                  std::to_string(grid_.dimensions[0]) + " " + std::to_string(grid_.dimensions[1]) +
                                  " " + std::to_string(grid_.dimensions[2]) + " (" + std::to_string(PointCount()) +
                                  " points)");
    }

    void ReadPointData() {
        bool haveScalars = false, haveVectors = false;
        while (std::optional<Line> line = ReadKeywordLine()) {
            const std::string_view keyword = line->words[0];
            if (EqualsNoCase(keyword, "SCALARS")) {
                if (haveScalars) Fail(line->offset, "a second SCALARS section is not supported");
                haveScalars = true;
                ReadScalars(*line);
            } else if (EqualsNoCase(keyword, "VECTORS")) {
                if (haveVectors) Fail(line->offset, "a second VECTORS section is not supported");
                haveVectors = true;
                ReadVectors(*line);
            } else if (!binary_ && ParseDouble(keyword)) {
                Fail(line->offset, "more values than POINT_DATA " + std::to_string(PointCount()));
            } else {
                Fail(line->offset, "expected SCALARS or VECTORS, found " + Quote(keyword));
            }
        }
        if (!haveScalars) Fail(lastByte_, "no SCALARS in POINT_DATA");
    }

    ValueType ReadValueType(const Line& line) const {
        const std::string_view type = line.words[2];
        if (EqualsNoCase(type, "float")) return ValueType::Float;
        if (EqualsNoCase(type, "double")) return ValueType::Double;
        Fail(line.offset, std::string(line.words[0]) + ": unsupported data type " + Quote(type) + " (float or double)");
    }

    void ReadScalars(const Line& line) {
        if (line.words.size() != 3 && line.words.size() != 4)
            Fail(line.offset, "SCALARS needs a name, a data type and optionally 1 component");
        const ValueType type = ReadValueType(line);
        if (line.words.size() == 4 && line.words[3] != "1")
            Fail(line.offset, "SCALARS with " + Quote(line.words[3]) + " components is not supported (1 only)");
        const Line table = ExpectKeywordLine("LOOKUP_TABLE after SCALARS");
        if (!EqualsNoCase(table.words[0], "LOOKUP_TABLE") || table.words.size() != 2)
            Fail(table.offset, "expected LOOKUP_TABLE <name> after SCALARS, found " + Quote(table.words[0]));
        grid_.scalarsName = line.words[1];
        grid_.scalars = ReadValues(type, PointCount(), line.offset, "SCALARS " + Quote(grid_.scalarsName));
    }

    void ReadVectors(const Line& line) {
        if (line.words.size() != 3) Fail(line.offset, "VECTORS needs a name and a data type");
        const ValueType type = ReadValueType(line);
        grid_.vectorsName = line.words[1];
        const std::vector<float> flat =
            ReadValues(type, 3 * PointCount(), line.offset, "VECTORS " + Quote(grid_.vectorsName));
        grid_.vectors.resize(PointCount());
        for (std::size_t i = 0; i < grid_.vectors.size(); ++i)
            grid_.vectors[i] = {flat[3 * i], flat[3 * i + 1], flat[3 * i + 2]};
    }

    std::vector<float> ReadValues(ValueType type, std::size_t count, std::size_t sectionOffset,
                                  const std::string& section) {
        return binary_ ? ReadBinaryValues(type, count, sectionOffset, section) : ReadAsciiValues(count, section);
    }

    // Values are kept as floats: that is what the grids hold.
    float ToFloat(double value, std::size_t offset, const std::string& what) const {
        if (!std::isfinite(value)) Fail(offset, what + " is not a finite number");
        if (std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max()))
            Fail(offset, what + " is out of the float range");
        return static_cast<float>(value);
    }

    std::vector<float> ReadAsciiValues(std::size_t count, const std::string& section) {
        std::vector<float> values;
        // A short value takes two bytes with its separator: reserve no more
        // than the bytes left can hold.
        values.reserve(std::min(count, (bytes_.size() - pos_) / 2 + 1));
        for (std::size_t i = 0; i < count; ++i) {
            std::size_t offset = 0;
            const std::string_view token = NextToken(offset);
            if (token.empty())
                FailAtEnd(section + " has " + std::to_string(i) + " of " + std::to_string(count) + " values");
            const std::string what =
                section + ": value " + std::to_string(i + 1) + " of " + std::to_string(count) + " " + Quote(token);
            const std::optional<double> value = ParseDouble(token);
            if (!value) Fail(offset, what + " is not a number");
            values.push_back(ToFloat(*value, offset, what));
        }
        return values;
    }

    std::vector<float> ReadBinaryValues(ValueType type, std::size_t count, std::size_t sectionOffset,
                                        const std::string& section) {
        const std::size_t valueSize = type == ValueType::Float ? 4 : 8;
        const std::size_t available = bytes_.size() - pos_;
        if (available / valueSize < count)
            Fail(sectionOffset, section + ": binary data too short: " + std::to_string(available) + " of " +
                                    std::to_string(count * valueSize) + " bytes");
        const auto* data = reinterpret_cast<const unsigned char*>(bytes_.data() + pos_);
        std::vector<float> values(count);
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint64_t bits = BigEndian(data + i * valueSize, valueSize);
            const double value = type == ValueType::Float
                                     ? static_cast<double>(std::bit_cast<float>(static_cast<std::uint32_t>(bits)))
                                     : std::bit_cast<double>(bits);
            values[i] = ToFloat(value, sectionOffset, section + ": binary value " + std::to_string(i + 1));
        }
        pos_ += count * valueSize;
        if (count > 0) lastByte_ = pos_ - 1;
        return values;
    }

    std::string_view bytes_;
    std::size_t pos_ = 0;
    std::size_t lastByte_ = 0;  // the last byte consumed that is not blank, for end-of-file messages
    bool binary_ = false;
    VtkGrid grid_;
};

std::size_t LineOf(std::string_view bytes, std::size_t offset) {
    offset = std::min(offset, bytes.size());
    return 1 + static_cast<std::size_t>(
                   std::count(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

VtkReadResult Failure(std::string message) {
    VtkReadResult result;
    result.error = std::move(message);
    return result;
}

}  // namespace

VtkReadResult ParseVtk(std::string_view bytes, std::string_view fileName) {
    try {
        VtkReadResult result;
        result.grid = Parser(bytes).Parse();
        return result;
    } catch (const ParseError& error) {
        return Failure(std::string(fileName) + ":" + std::to_string(LineOf(bytes, error.offset)) + ": " +
                       error.message);
    }
}

VtkReadResult ReadVtkFile(const std::string& path) {
    std::error_code status;
    if (std::filesystem::is_directory(path, status)) return Failure(path + ": is a directory, not a VTK file");
    std::ifstream file(path, std::ios::binary);
    if (!file) return Failure(path + ": cannot open: " + std::strerror(errno));
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) return Failure(path + ": cannot read: " + std::strerror(errno));
    return ParseVtk(bytes, path);
}

}  // namespace Korvex::App
