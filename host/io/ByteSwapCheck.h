#pragma once

// Binary floating-point data written in one byte order and read in the other
// still decodes to numbers, only absurd ones. This tells such data apart.

#include "ValueType.h"

#include <cstddef>

namespace Korvex::Io {

// True when the floating-point values stored in bytes, read in order, look
// byte-swapped: many of them non-finite, denormal or beyond 1e30 in size,
// and far fewer so when read in the other order. Integer types answer false.
bool LooksByteSwapped(ValueType type, ByteOrder order, const unsigned char* bytes, std::size_t count);

}  // namespace Korvex::Io
