#pragma once

// The binary form of an XML DataArray: a header of byte counts, then the
// bytes, whole or as compressed blocks.

#include "ByteSource.h"
#include "ValueType.h"

#include <cstddef>
#include <string>
#include <vector>

namespace Korvex::Io {

enum class Compressor { None, ZLib, LZ4 };

struct PayloadFormat {
    ByteOrder byteOrder = ByteOrder::Little;
    std::size_t headerSize = 4;  // UInt32 or UInt64 counts
    Compressor compressor = Compressor::None;
};

struct Payload {
    std::vector<unsigned char> bytes;
    std::string error;  // what is wrong with the data; empty when read
};

// Reads the payload, which must hold exactly expectedSize bytes once
// uncompressed. Memory grows with the bytes the source holds: a compressed
// block may claim no more than a compressor can expand its bytes to.
Payload ReadPayload(ByteSource& source, const PayloadFormat& format, std::size_t expectedSize);

}  // namespace Korvex::Io
