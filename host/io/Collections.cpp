#include "Collections.h"

#include "ParseSupport.h"

#include <pugixml.hpp>

#include <cmath>

namespace Korvex::Io {

namespace {

constexpr std::size_t kMaxEntries = 1000000;

// The type attribute of the VTKFile element, found without parsing the
// whole file: collections are small, data files may be huge.
std::string_view FileType(std::string_view bytes) {
    const std::size_t element = bytes.find("<VTKFile");
    if (element == std::string_view::npos) return {};
    const std::size_t end = bytes.find('>', element);
    const std::string_view tag = bytes.substr(element, end == std::string_view::npos ? end : end - element);
    std::size_t attribute = tag.find("type=\"");
    while (attribute != std::string_view::npos && !IsBlank(tag[attribute - 1]))
        attribute = tag.find("type=\"", attribute + 1);
    if (attribute == std::string_view::npos) return {};
    const std::size_t start = attribute + 6;
    const std::size_t close = tag.find('"', start);
    return close == std::string_view::npos ? std::string_view{} : tag.substr(start, close - start);
}

}  // namespace

CollectionKind KindOfCollection(std::string_view bytes) {
    const std::string_view type = FileType(bytes);
    if (type == "Collection") return CollectionKind::TimeSteps;
    if (type == "PUnstructuredGrid" || type == "PStructuredGrid") return CollectionKind::Pieces;
    return CollectionKind::None;
}

CollectionList ParseCollection(std::string_view bytes, std::string_view fileName) {
    CollectionList list;
    const CollectionKind kind = KindOfCollection(bytes);
    try {
        pugi::xml_document document;
        const pugi::xml_parse_result parsed =
            document.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_utf8);
        if (!parsed)
            Fail(static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, parsed.offset)),
                 std::string("not well-formed XML: ") + parsed.description());
        const pugi::xml_node root = document.child("VTKFile");
        const std::string type = root.attribute("type").value();
        if (kind == CollectionKind::None) Fail(0, "not a collection: VTKFile type " + Quote(type));
        const pugi::xml_node holder = root.child(type.c_str());
        const char* element = kind == CollectionKind::TimeSteps ? "DataSet" : "Piece";
        const char* attribute = kind == CollectionKind::TimeSteps ? "file" : "Source";
        for (const pugi::xml_node& entry : holder.children(element)) {
            const auto offset = static_cast<std::size_t>(entry.offset_debug());
            const std::string file = entry.attribute(attribute).value();
            if (file.empty()) Fail(offset, std::string(element) + " without a " + attribute + " attribute");
            double time = 0.0;
            if (kind == CollectionKind::TimeSteps && entry.attribute("timestep")) {
                const std::optional<double> value = ParseNumber(entry.attribute("timestep").value());
                if (!value || !std::isfinite(*value)) Fail(offset, "DataSet timestep is not a finite number");
                time = *value;
            }
            if (list.entries.size() == kMaxEntries)
                Fail(offset, "more than " + std::to_string(kMaxEntries) + " entries");
            list.entries.push_back({file, time});
        }
        if (list.entries.empty()) Fail(0, std::string("the collection lists no ") + element);
    } catch (const ParseError& error) {
        list.entries.clear();
        list.error = Located(fileName, bytes, error);
    }
    return list;
}

}  // namespace Korvex::Io
