#include "XmlDataArray.h"

#include "ByteSwapCheck.h"
#include "ParseSupport.h"

#include <memory>
#include <optional>

namespace Korvex::Io {

namespace {

constexpr ValueTypeName kTypes[] = {
    {"Int8", ValueType::Int8},       {"UInt8", ValueType::UInt8},     {"Int16", ValueType::Int16},
    {"UInt16", ValueType::UInt16},   {"Int32", ValueType::Int32},     {"UInt32", ValueType::UInt32},
    {"Int64", ValueType::Int64},     {"UInt64", ValueType::UInt64},   {"Float32", ValueType::Float32},
    {"Float64", ValueType::Float64},
};

constexpr std::size_t kMaxComponents = 1024;

std::string Label(const XmlArrayHeader& header) { return "DataArray " + Quote(header.name); }

template <class Out>
Out Converted(double value) {
    if constexpr (std::is_same_v<Out, float>)
        return ToFloat(value);
    else
        return value;
}

template <class Out>
std::vector<Out> ReadAscii(const pugi::xml_node& node, const XmlArrayHeader& header, std::size_t count) {
    const std::string_view text = node.child_value();
    std::vector<Out> values;
    values.reserve(std::min(count, text.size() / 2 + 1));
    std::size_t pos = 0;
    for (std::string_view token = NextWord(text, pos); !token.empty(); token = NextWord(text, pos)) {
        if (values.size() == count)
            Fail(OffsetOf(node), Label(header) + ": more than the " + std::to_string(count) + " values expected");
        const std::optional<double> value = ParseNumber(token);
        if (!value)
            Fail(OffsetOf(node), Label(header) + ": value " + std::to_string(values.size() + 1) + " " + Quote(token) +
                                     " is not a number");
        values.push_back(Converted<Out>(*value));
    }
    if (values.size() != count)
        Fail(OffsetOf(node), Label(header) + ": " + std::to_string(values.size()) + " of " + std::to_string(count) +
                                 " values");
    return values;
}

std::unique_ptr<ByteSource> SourceOf(const pugi::xml_node& node, const XmlArrayHeader& header,
                                     const XmlEncoding& encoding, std::string_view format) {
    if (format == "binary") return std::make_unique<Base64Bytes>(node.child_value());
    if (encoding.appended.data() == nullptr)
        Fail(OffsetOf(node), Label(header) + ": appended data, but the file has no AppendedData");
    const std::optional<std::uint64_t> offset = ParseCount(node.attribute("offset").value());
    if (!offset) Fail(OffsetOf(node), Label(header) + ": appended data needs an offset");
    if (*offset > encoding.appended.size())
        Fail(OffsetOf(node), Label(header) + ": offset " + std::to_string(*offset) + " is beyond the " +
                                 std::to_string(encoding.appended.size()) + " bytes of appended data");
    const std::string_view data = encoding.appended.substr(static_cast<std::size_t>(*offset));
    if (encoding.appendedBase64) return std::make_unique<Base64Bytes>(data);
    return std::make_unique<RawBytes>(data);
}

}  // namespace

std::size_t OffsetOf(const pugi::xml_node& node) {
    const std::ptrdiff_t offset = node.offset_debug();
    return offset < 0 ? 0 : static_cast<std::size_t>(offset);
}

XmlArrayHeader DescribeDataArray(const pugi::xml_node& node) {
    XmlArrayHeader header;
    header.name = node.attribute("Name").value();
    const std::string_view type = node.attribute("type").value();
    const std::optional<ValueType> known = TypeNamed(kTypes, type);
    if (!known && (type == "String" || type == "Bit"))
        Fail(OffsetOf(node), Label(header) + ": " + Quote(type) + " data is not supported (numbers only)");
    if (!known)
        Fail(OffsetOf(node), Label(header) + ": unknown type " + Quote(type) +
                                 " (Int8, UInt8, Int16, UInt16, Int32, UInt32, Int64, UInt64, Float32 or Float64)");
    header.type = *known;
    if (const pugi::xml_attribute components = node.attribute("NumberOfComponents")) {
        const std::optional<std::uint64_t> count = ParseCount(components.value());
        if (!count || *count < 1 || *count > kMaxComponents)
            Fail(OffsetOf(node), Label(header) + ": NumberOfComponents " + Quote(components.value()) +
                                     " is not supported (1 to " + std::to_string(kMaxComponents) + ")");
        header.components = static_cast<std::size_t>(*count);
    }
    return header;
}

template <class Out>
std::vector<Out> ReadDataArray(const pugi::xml_node& node, const XmlArrayHeader& header, const XmlEncoding& encoding,
                               std::size_t count, bool* looksSwapped) {
    *looksSwapped = false;
    const std::string_view format = node.attribute("format").value();
    if (format == "ascii") return ReadAscii<Out>(node, header, count);
    if (format != "binary" && format != "appended")
        Fail(OffsetOf(node), Label(header) + ": format " + Quote(format) + " is not one of ascii, binary, appended");
    const std::unique_ptr<ByteSource> source = SourceOf(node, header, encoding, format);
    const std::optional<std::size_t> size = Product(count, ValueSize(header.type));
    if (!size) Fail(OffsetOf(node), Label(header) + ": too many values");
    const Payload payload = ReadPayload(*source, encoding.payload, *size);
    if (!payload.error.empty()) Fail(OffsetOf(node), Label(header) + ": " + payload.error);
    std::vector<Out> values(count);
    DecodeValues(header.type, encoding.payload.byteOrder, payload.bytes.data(), count, values.data());
    *looksSwapped = LooksByteSwapped(header.type, encoding.payload.byteOrder, payload.bytes.data(), count);
    return values;
}

template std::vector<float> ReadDataArray<float>(const pugi::xml_node&, const XmlArrayHeader&, const XmlEncoding&,
                                                 std::size_t, bool*);
template std::vector<double> ReadDataArray<double>(const pugi::xml_node&, const XmlArrayHeader&, const XmlEncoding&,
                                                   std::size_t, bool*);

std::vector<double> NumbersOf(const pugi::xml_node& node, const char* attribute, std::size_t count) {
    const std::string_view text = node.attribute(attribute).value();
    std::vector<double> numbers;
    std::size_t pos = 0;
    bool valid = true;
    for (std::string_view word = NextWord(text, pos); !word.empty() && valid; word = NextWord(text, pos)) {
        const std::optional<double> number = ParseNumber(word);
        valid = number.has_value();
        if (valid) numbers.push_back(*number);
    }
    if (!valid || numbers.size() != count)
        Fail(OffsetOf(node), std::string(node.name()) + " " + attribute + " needs " + std::to_string(count) +
                                 " numbers, found " + Quote(text));
    return numbers;
}

}  // namespace Korvex::Io
