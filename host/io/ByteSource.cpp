#include "ByteSource.h"

#include "ParseSupport.h"

#include <array>

namespace Korvex::Io {

namespace {

constexpr std::array<int, 256> MakeAlphabet() {
    std::array<int, 256> values{};
    values.fill(-1);
    constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t i = 0; i < kAlphabet.size(); ++i) values[static_cast<unsigned char>(kAlphabet[i])] = static_cast<int>(i);
    return values;
}

constexpr std::array<int, 256> kAlphabet = MakeAlphabet();

}  // namespace

bool RawBytes::Read(std::size_t n, std::vector<unsigned char>& out) {
    if (n > bytes_.size() - pos_) return false;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes_.data() + pos_);
    out.insert(out.end(), data, data + n);
    pos_ += n;
    return true;
}

bool Base64Bytes::DecodeQuad() {
    std::array<int, 4> quad{};
    std::size_t filled = 0, padding = 0;
    while (filled < 4) {
        while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
        if (pos_ == text_.size()) return false;
        const char c = text_[pos_++];
        if (c == '=' && filled >= 2) {
            ++padding;
            quad[filled++] = 0;
            continue;
        }
        const int value = kAlphabet[static_cast<unsigned char>(c)];
        if (value < 0 || padding > 0) return false;
        quad[filled++] = value;
    }
    const unsigned bits = (unsigned(quad[0]) << 18) | (unsigned(quad[1]) << 12) | (unsigned(quad[2]) << 6) | unsigned(quad[3]);
    pending_.clear();
    pendingPos_ = 0;
    pending_.push_back(static_cast<unsigned char>(bits >> 16));
    if (padding < 2) pending_.push_back(static_cast<unsigned char>(bits >> 8));
    if (padding < 1) pending_.push_back(static_cast<unsigned char>(bits));
    return true;
}

bool Base64Bytes::Read(std::size_t n, std::vector<unsigned char>& out) {
    // Four characters give at most three bytes: refuse before growing out.
    const std::size_t available = pending_.size() - pendingPos_ + (text_.size() - pos_) / 4 * 3;
    if (n > available) return false;
    const std::size_t start = out.size();
    out.reserve(start + n);
    while (out.size() - start < n) {
        if (pendingPos_ == pending_.size() && !DecodeQuad()) {
            out.resize(start);
            return false;
        }
        const std::size_t take = std::min(n - (out.size() - start), pending_.size() - pendingPos_);
        out.insert(out.end(), pending_.begin() + static_cast<std::ptrdiff_t>(pendingPos_),
                   pending_.begin() + static_cast<std::ptrdiff_t>(pendingPos_ + take));
        pendingPos_ += take;
    }
    return true;
}

}  // namespace Korvex::Io
