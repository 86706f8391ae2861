#pragma once

// What the readers share: the error they throw, words shown in messages,
// numbers read from text, file bytes.

#include "Dataset.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Korvex::Io {

// Thrown inside a reader and turned into "<file>:<line>: <message>" at its
// entry point; offset is a byte offset into the file.
struct ParseError {
    std::size_t offset;
    std::string message;
};

[[noreturn]] void Fail(std::size_t offset, std::string message);

// 1 for the first line.
std::size_t LineOf(std::string_view bytes, std::size_t offset);
std::string Located(std::string_view fileName, std::string_view bytes, const ParseError& error);

// What parse() returns, or the message of the ParseError it throws.
template <class Parse>
ReadResult Guarded(std::string_view fileName, std::string_view bytes, Parse&& parse) {
    try {
        return parse();
    } catch (const ParseError& error) {
        ReadResult result;
        result.error = Located(fileName, bytes, error);
        return result;
    }
}

bool EqualsNoCase(std::string_view a, std::string_view b);
bool IsBlank(char c);

// The next blank-separated word of text from pos, which moves past it;
// empty at the end.
std::string_view NextWord(std::string_view text, std::size_t& pos);

// Words from a file may be anything; messages show them short and printable.
std::string Quote(std::string_view word);

// Decimal numbers as writers print them, '+' in front allowed, "nan" and
// "inf" too; nothing else around them.
std::optional<double> ParseNumber(std::string_view word);
std::optional<std::uint64_t> ParseCount(std::string_view word);

// a * b, or nothing when it does not fit.
std::optional<std::size_t> Product(std::size_t a, std::size_t b);

struct FileBytes {
    std::string bytes;
    std::string error;  // "<path>: cannot open: ..."; empty when read
};
FileBytes ReadFileBytes(const std::string& path);

}  // namespace Korvex::Io
