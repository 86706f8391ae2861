#include "LegacyScanner.h"

#include "ByteSwapCheck.h"
#include "ParseSupport.h"

#include <algorithm>

namespace Korvex::Io {

std::optional<std::string_view> LegacyScanner::ReadRawLine() {
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

std::optional<LegacyScanner::Line> LegacyScanner::ReadKeywordLine() {
    while (pos_ < bytes_.size() && IsBlank(bytes_[pos_])) ++pos_;
    const std::size_t start = pos_;
    const std::optional<std::string_view> text = ReadRawLine();
    if (!text) return std::nullopt;
    Line line{start, {}};
    std::size_t pos = 0;
    for (std::string_view word = NextWord(*text, pos); !word.empty(); word = NextWord(*text, pos))
        line.words.push_back(word);
    return line;
}

LegacyScanner::Line LegacyScanner::ExpectKeywordLine(const std::string& expected) {
    std::optional<Line> line = ReadKeywordLine();
    if (!line) FailAtEnd("expected " + expected);
    return *std::move(line);
}

bool LegacyScanner::NextLineBeginsWith(std::string_view keyword) const {
    std::size_t pos = pos_;
    while (pos < bytes_.size() && IsBlank(bytes_[pos])) ++pos;
    return bytes_.size() - pos >= keyword.size() && EqualsNoCase(bytes_.substr(pos, keyword.size()), keyword);
}

void LegacyScanner::FailAtEnd(const std::string& message) const {
    Fail(lastByte_, "unexpected end of file: " + message);
}

std::string_view LegacyScanner::NextToken(std::size_t& offset) {
    const std::string_view token = NextWord(bytes_, pos_);
    offset = pos_ - token.size();
    if (!token.empty()) lastByte_ = pos_ - 1;
    return token;
}

template <class Out>
std::vector<Out> LegacyScanner::ReadAsciiValues(std::size_t count, const std::string& section) {
    std::vector<Out> values;
    // A short value takes two bytes with its separator: reserve no more
    // than the bytes left can hold.
    values.reserve(std::min(count, (bytes_.size() - pos_) / 2 + 1));
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t offset = 0;
        const std::string_view token = NextToken(offset);
        if (token.empty())
            FailAtEnd(section + " has " + std::to_string(i) + " of " + std::to_string(count) + " values");
        const std::optional<double> value = ParseNumber(token);
        if (!value)
            Fail(offset, section + ": value " + std::to_string(i + 1) + " of " + std::to_string(count) + " " +
                             Quote(token) + " is not a number");
        if constexpr (std::is_same_v<Out, float>)
            values.push_back(ToFloat(*value));
        else
            values.push_back(*value);
    }
    return values;
}

template <class Out>
std::vector<Out> LegacyScanner::ReadValues(ValueType type, std::size_t count, std::size_t sectionOffset,
                                           const std::string& section, bool* looksSwapped) {
    if (looksSwapped != nullptr) *looksSwapped = false;
    if (!binary_) return ReadAsciiValues<Out>(count, section);
    const std::size_t available = bytes_.size() - pos_;
    const std::optional<std::size_t> needed =
        type == ValueType::Bit ? std::optional<std::size_t>(StoredSize(type, count)) : Product(count, ValueSize(type));
    if (!needed || available < *needed)
        Fail(sectionOffset, section + ": binary data too short: " + std::to_string(available) + " of " +
                                (needed ? std::to_string(*needed) : std::string("more than 2^64")) + " bytes");
    const auto* data = reinterpret_cast<const unsigned char*>(bytes_.data() + pos_);
    std::vector<Out> values(count);
    DecodeValues(type, ByteOrder::Big, data, count, values.data());
    if (looksSwapped != nullptr) *looksSwapped = LooksByteSwapped(type, ByteOrder::Big, data, count);
    pos_ += *needed;
    if (*needed > 0) lastByte_ = pos_ - 1;
    return values;
}

template std::vector<float> LegacyScanner::ReadValues<float>(ValueType, std::size_t, std::size_t,
                                                             const std::string&, bool*);
template std::vector<double> LegacyScanner::ReadValues<double>(ValueType, std::size_t, std::size_t,
                                                               const std::string&, bool*);

}  // namespace Korvex::Io
