#include "BinaryPayload.h"

#include <lz4.h>
#include <zlib.h>

#include <limits>
#include <optional>

namespace Korvex::Io {

namespace {

// zlib expands at most about 1032 times, LZ4 about 255 times.
constexpr std::size_t kMaxExpansion = 1100;
constexpr std::size_t kExpansionSlack = 64;

Payload Failure(std::string message) {
    Payload payload;
    payload.error = std::move(message);
    return payload;
}

std::optional<std::size_t> ReadCount(ByteSource& source, const PayloadFormat& format) {
    std::vector<unsigned char> bytes;
    if (!source.Read(format.headerSize, bytes)) return std::nullopt;
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < format.headerSize; ++i)
        value = (value << 8) | bytes[format.byteOrder == ByteOrder::Big ? i : format.headerSize - 1 - i];
    if (value > std::numeric_limits<std::size_t>::max()) return std::nullopt;
    return static_cast<std::size_t>(value);
}

bool Inflate(Compressor compressor, const unsigned char* in, std::size_t inSize, unsigned char* out,
             std::size_t outSize) {
    if (compressor == Compressor::ZLib) {
        uLongf produced = static_cast<uLongf>(outSize);
        if (inSize > std::numeric_limits<uLong>::max()) return false;
        return uncompress(out, &produced, in, static_cast<uLong>(inSize)) == Z_OK && produced == outSize;
    }
    constexpr auto kIntMax = static_cast<std::size_t>(std::numeric_limits<int>::max());
    if (inSize > kIntMax || outSize > kIntMax) return false;
    const int produced = LZ4_decompress_safe(reinterpret_cast<const char*>(in), reinterpret_cast<char*>(out),
                                             static_cast<int>(inSize), static_cast<int>(outSize));
    return produced >= 0 && static_cast<std::size_t>(produced) == outSize;
}

Payload ReadCompressed(ByteSource& source, const PayloadFormat& format, std::size_t expectedSize) {
    const std::optional<std::size_t> blocks = ReadCount(source, format);
    const std::optional<std::size_t> blockSize = ReadCount(source, format);
    const std::optional<std::size_t> lastSize = ReadCount(source, format);
    if (!blocks || !blockSize || !lastSize) return Failure("the compression header is cut short");
    if (*blocks == 0) {
        if (expectedSize != 0) return Failure("no compressed blocks for " + std::to_string(expectedSize) + " bytes");
        return {};
    }
    // A last block of size 0 is a full one.
    const std::size_t last = *lastSize == 0 ? *blockSize : *lastSize;
    if (last > *blockSize || (*blocks - 1) > (expectedSize / std::max<std::size_t>(*blockSize, 1)) ||
        (*blocks - 1) * *blockSize + last != expectedSize)
        return Failure("the compressed blocks hold a different size than the " + std::to_string(expectedSize) +
                       " bytes expected");
    std::vector<std::size_t> compressedSizes;
    for (std::size_t block = 0; block < *blocks; ++block) {
        const std::optional<std::size_t> size = ReadCount(source, format);
        if (!size) return Failure("the compression header is cut short");
        compressedSizes.push_back(*size);
    }
    Payload payload;
    std::vector<unsigned char> compressed;
    for (std::size_t block = 0; block < *blocks; ++block) {
        const std::size_t size = block + 1 == *blocks ? last : *blockSize;
        if (size > compressedSizes[block] * kMaxExpansion + kExpansionSlack)
            return Failure("compressed block " + std::to_string(block + 1) + " claims " + std::to_string(size) +
                           " bytes from " + std::to_string(compressedSizes[block]));
        compressed.clear();
        if (!source.Read(compressedSizes[block], compressed))
            return Failure("compressed block " + std::to_string(block + 1) + " is cut short");
        const std::size_t start = payload.bytes.size();
        payload.bytes.resize(start + size);
        if (!Inflate(format.compressor, compressed.data(), compressed.size(), payload.bytes.data() + start, size))
            return Failure("compressed block " + std::to_string(block + 1) + " does not decompress to " +
                           std::to_string(size) + " bytes");
    }
    return payload;
}

}  // namespace

Payload ReadPayload(ByteSource& source, const PayloadFormat& format, std::size_t expectedSize) {
    if (format.compressor != Compressor::None) return ReadCompressed(source, format, expectedSize);
    const std::optional<std::size_t> size = ReadCount(source, format);
    if (!size) return Failure("the byte count is cut short");
    if (*size != expectedSize) {
        std::uint64_t swapped = 0;
        for (std::size_t i = 0; i < format.headerSize; ++i) swapped = (swapped << 8) | ((*size >> (8 * i)) & 0xFF);
        return Failure("holds " + std::to_string(*size) + " bytes, not the " + std::to_string(expectedSize) +
                       " expected" +
                       (swapped == expectedSize ? "; read in the other byte order it is right: byte_order looks wrong"
                                                : ""));
    }
    Payload payload;
    if (!source.Read(*size, payload.bytes))
        return Failure("the data is cut short: fewer than " + std::to_string(*size) + " bytes");
    return payload;
}

}  // namespace Korvex::Io
