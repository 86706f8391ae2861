#pragma once

// The bytes of a legacy VTK file as keyword lines and blocks of values,
// ASCII or big-endian binary. Failures throw ParseError.

#include "ValueType.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Korvex::Io {

class LegacyScanner {
public:
    struct Line {
        std::size_t offset;
        std::vector<std::string_view> words;  // at least one
    };

    explicit LegacyScanner(std::string_view bytes) : bytes_(bytes) {}

    void SetBinary(bool binary) { binary_ = binary; }
    bool Binary() const { return binary_; }

    // The line from the read position as it stands, without its line break;
    // nothing at the end of the bytes.
    std::optional<std::string_view> ReadRawLine();
    // The next line that is not blank, split into words; nothing at the end.
    std::optional<Line> ReadKeywordLine();
    Line ExpectKeywordLine(const std::string& expected);
    // Whether the next line that is not blank begins with the keyword;
    // reads nothing, so binary data after the current line stays whole.
    bool NextLineBeginsWith(std::string_view keyword) const;

    // count values of type; section names them in messages. Binary values
    // are big-endian; *looksSwapped tells whether they look written the
    // other way (always false for ASCII).
    template <class Out>
    std::vector<Out> ReadValues(ValueType type, std::size_t count, std::size_t sectionOffset,
                                const std::string& section, bool* looksSwapped = nullptr);

    [[noreturn]] void FailAtEnd(const std::string& message) const;
    std::size_t LastByte() const { return lastByte_; }

private:
    // The next ASCII value's text and offset; empty at the end of the bytes.
    std::string_view NextToken(std::size_t& offset);
    template <class Out>
    std::vector<Out> ReadAsciiValues(std::size_t count, const std::string& section);

    std::string_view bytes_;
    std::size_t pos_ = 0;
    std::size_t lastByte_ = 0;  // the last byte consumed that is not blank, for end-of-file messages
    bool binary_ = false;
};

}  // namespace Korvex::Io
