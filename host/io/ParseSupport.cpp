#include "ParseSupport.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace Korvex::Io {

void Fail(std::size_t offset, std::string message) { throw ParseError{offset, std::move(message)}; }

std::size_t LineOf(std::string_view bytes, std::size_t offset) {
    offset = std::min(offset, bytes.size());
    return 1 + static_cast<std::size_t>(
                   std::count(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

std::string Located(std::string_view fileName, std::string_view bytes, const ParseError& error) {
    return std::string(fileName) + ":" + std::to_string(LineOf(bytes, error.offset)) + ": " + error.message;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

std::string_view NextWord(std::string_view text, std::size_t& pos) {
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    const std::size_t start = pos;
    while (pos < text.size() && !IsBlank(text[pos])) ++pos;
    return text.substr(start, pos - start);
}

std::string Quote(std::string_view word) {
    constexpr std::size_t kShown = 32;
    std::string quoted = "'";
    for (char c : word.substr(0, kShown)) quoted += std::isprint(static_cast<unsigned char>(c)) ? c : '?';
    if (word.size() > kShown) quoted += "...";
    return quoted + "'";
}

std::optional<double> ParseNumber(std::string_view word) {
    // from_chars takes no '+' in front.
    if (word.size() > 1 && word[0] == '+' && word[1] != '-' && word[1] != '+') word.remove_prefix(1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (end != word.data() + word.size() || word.empty()) return std::nullopt;
    // Beyond double's range is still a number: from_chars leaves value
    // alone there, strtod gives the infinity or zero it rounds to.
    if (error == std::errc::result_out_of_range) return std::strtod(std::string(word).c_str(), nullptr);
    if (error != std::errc()) return std::nullopt;
    return value;
}

std::optional<std::uint64_t> ParseCount(std::string_view word) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size()) return std::nullopt;
    return value;
}

std::optional<std::size_t> Product(std::size_t a, std::size_t b) {
    std::size_t product = 0;
    if (__builtin_mul_overflow(a, b, &product)) return std::nullopt;
    return product;
}

FileBytes ReadFileBytes(const std::string& path) {
    FileBytes file;
    std::error_code status;
    if (std::filesystem::is_directory(path, status)) {
        file.error = path + ": is a directory, not a data file";
        return file;
    }
    std::ifstream stream(path, std::ios::binary);
    if (!stream) {
        file.error = path + ": cannot open: " + std::strerror(errno);
        return file;
    }
    file.bytes.assign(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
    if (stream.bad()) file.error = path + ": cannot read: " + std::strerror(errno);
    return file;
}

}  // namespace Korvex::Io
