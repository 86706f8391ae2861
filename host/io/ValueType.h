#pragma once

// The number types of result files and their conversion from stored bytes.

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace Korvex::Io {

enum class ValueType { Bit, Int8, UInt8, Int16, UInt16, Int32, UInt32, Int64, UInt64, Float32, Float64 };
enum class ByteOrder { Little, Big };

// Bytes one value takes; Bit packs eight values a byte and answers 0.
std::size_t ValueSize(ValueType type);
// Bytes that count values take; Bit rounds up to whole bytes.
std::size_t StoredSize(ValueType type, std::size_t count);
bool IsFloatingPoint(ValueType type);

// Converts count values stored one after another (Bit: most significant bit
// first) into out. Floats are what the grids hold: a value beyond their
// range becomes an infinity of its sign, a defined outcome.
void DecodeValues(ValueType type, ByteOrder order, const unsigned char* bytes, std::size_t count, float* out);
void DecodeValues(ValueType type, ByteOrder order, const unsigned char* bytes, std::size_t count, double* out);

float ToFloat(double value);

// How a file format names its types.
struct ValueTypeName {
    std::string_view name;
    ValueType type;
};

// The type of that name in the list, letter case aside; nothing if none.
std::optional<ValueType> TypeNamed(std::span<const ValueTypeName> names, std::string_view name);

}  // namespace Korvex::Io
