#pragma once

// The values of one XML DataArray element, whatever dataset holds it:
// ASCII text, inline base64, or appended raw or base64 data, each
// uncompressed or in zlib or LZ4 blocks. Failures throw ParseError at the
// element.

#include "BinaryPayload.h"
#include "ValueType.h"

#include <pugixml.hpp>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace Korvex::Io {

// What the VTKFile element and its AppendedData say about binary data.
struct XmlEncoding {
    PayloadFormat payload;
    std::string_view appended;  // after the '_' marker; empty without AppendedData
    bool appendedBase64 = false;
};

struct XmlArrayHeader {
    std::string name;
    std::size_t components = 1;
    ValueType type = ValueType::Float32;
};

// The element's name, components and type; throws ParseError for a type or
// component count that cannot be read.
XmlArrayHeader DescribeDataArray(const pugi::xml_node& node);

// count values (tuples times components) of the element; *looksSwapped
// tells whether binary floating-point data looks written in the other byte
// order (see LooksByteSwapped).
template <class Out>
std::vector<Out> ReadDataArray(const pugi::xml_node& node, const XmlArrayHeader& header, const XmlEncoding& encoding,
                               std::size_t count, bool* looksSwapped);

// The byte offset of the node in the file, for messages.
std::size_t OffsetOf(const pugi::xml_node& node);

// The attribute's text as a list of numbers; throws ParseError naming the
// attribute unless it holds exactly count of them.
std::vector<double> NumbersOf(const pugi::xml_node& node, const char* attribute, std::size_t count);

}  // namespace Korvex::Io
