#include "ValueType.h"

#include "ParseSupport.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace Korvex::Io {

namespace {

template <std::size_t Size>
std::uint64_t LoadBits(const unsigned char* bytes, ByteOrder order) {
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < Size; ++i) bits = (bits << 8) | bytes[order == ByteOrder::Big ? i : Size - 1 - i];
    return bits;
}

template <class Stored>
double Load(const unsigned char* bytes, ByteOrder order) {
    using Bits = std::conditional_t<sizeof(Stored) == 1, std::uint8_t,
                                    std::conditional_t<sizeof(Stored) == 2, std::uint16_t,
                                                       std::conditional_t<sizeof(Stored) == 4, std::uint32_t,
                                                                          std::uint64_t>>>;
    const auto bits = static_cast<Bits>(LoadBits<sizeof(Stored)>(bytes, order));
    return static_cast<double>(std::bit_cast<Stored>(bits));
}

template <class Stored, class Out>
void DecodeAs(ByteOrder order, const unsigned char* bytes, std::size_t count, Out* out) {
    for (std::size_t i = 0; i < count; ++i) {
        const double value = Load<Stored>(bytes + i * sizeof(Stored), order);
        if constexpr (std::is_same_v<Out, float>)
            out[i] = ToFloat(value);
        else
            out[i] = value;
    }
}

template <class Out>
void Decode(ValueType type, ByteOrder order, const unsigned char* bytes, std::size_t count, Out* out) {
    switch (type) {
    case ValueType::Bit:
        for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<Out>((bytes[i / 8] >> (7 - i % 8)) & 1u);
        return;
    case ValueType::Int8: return DecodeAs<std::int8_t>(order, bytes, count, out);
    case ValueType::UInt8: return DecodeAs<std::uint8_t>(order, bytes, count, out);
    case ValueType::Int16: return DecodeAs<std::int16_t>(order, bytes, count, out);
    case ValueType::UInt16: return DecodeAs<std::uint16_t>(order, bytes, count, out);
    case ValueType::Int32: return DecodeAs<std::int32_t>(order, bytes, count, out);
    case ValueType::UInt32: return DecodeAs<std::uint32_t>(order, bytes, count, out);
    case ValueType::Int64: return DecodeAs<std::int64_t>(order, bytes, count, out);
    case ValueType::UInt64: return DecodeAs<std::uint64_t>(order, bytes, count, out);
    case ValueType::Float32: return DecodeAs<float>(order, bytes, count, out);
    case ValueType::Float64: return DecodeAs<double>(order, bytes, count, out);
    }
}

}  // namespace

std::size_t ValueSize(ValueType type) {
    switch (type) {
    case ValueType::Bit: return 0;
    case ValueType::Int8:
    case ValueType::UInt8: return 1;
    case ValueType::Int16:
    case ValueType::UInt16: return 2;
    case ValueType::Int32:
    case ValueType::UInt32:
    case ValueType::Float32: return 4;
    case ValueType::Int64:
    case ValueType::UInt64:
    case ValueType::Float64: return 8;
    }
    return 0;
}

std::size_t StoredSize(ValueType type, std::size_t count) {
    return type == ValueType::Bit ? (count + 7) / 8 : count * ValueSize(type);
}

bool IsFloatingPoint(ValueType type) { return type == ValueType::Float32 || type == ValueType::Float64; }

void DecodeValues(ValueType type, ByteOrder order, const unsigned char* bytes, std::size_t count, float* out) {
    Decode(type, order, bytes, count, out);
}

void DecodeValues(ValueType type, ByteOrder order, const unsigned char* bytes, std::size_t count, double* out) {
    Decode(type, order, bytes, count, out);
}

std::optional<ValueType> TypeNamed(std::span<const ValueTypeName> names, std::string_view name) {
    for (const ValueTypeName& known : names)
        if (EqualsNoCase(name, known.name)) return known.type;
    return std::nullopt;
}

float ToFloat(double value) {
    constexpr double kLargest = std::numeric_limits<float>::max();
    if (value > kLargest) return std::numeric_limits<float>::infinity();
    if (value < -kLargest) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

}  // namespace Korvex::Io
