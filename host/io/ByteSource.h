#pragma once

// Where the bytes of an XML DataArray come from: the file itself (appended
// raw data) or base64 text (inline binary data, appended base64 data).

#include <cstddef>
#include <string_view>
#include <vector>

namespace Korvex::Io {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Appends the next n bytes to out; false, with out unchanged, when the
    // source ends first or is not what it claims to be.
    virtual bool Read(std::size_t n, std::vector<unsigned char>& out) = 0;
};

class RawBytes final : public ByteSource {
public:
    explicit RawBytes(std::string_view bytes) : bytes_(bytes) {}
    bool Read(std::size_t n, std::vector<unsigned char>& out) override;

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

// Decodes quad by quad, skipping blanks. '=' padding may end any quad, not
// only the last: writers encode a header and the data after it separately.
class Base64Bytes final : public ByteSource {
public:
    explicit Base64Bytes(std::string_view text) : text_(text) {}
    bool Read(std::size_t n, std::vector<unsigned char>& out) override;

private:
    // Decodes the next quad into pending_; false at the end or on a bad character.
    bool DecodeQuad();

    std::string_view text_;
    std::size_t pos_ = 0;
    std::vector<unsigned char> pending_;  // decoded, not yet read
    std::size_t pendingPos_ = 0;
};

}  // namespace Korvex::Io
