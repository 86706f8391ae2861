#include "DatasetFile.h"

#include "LegacyReader.h"
#include "ParseSupport.h"
#include "XmlReader.h"

namespace Korvex::Io {

ReadResult ParseDataset(std::string_view bytes, std::string_view fileName) {
    std::size_t start = bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    while (start < bytes.size() && IsBlank(bytes[start])) ++start;
    if (bytes.substr(start).starts_with("<")) return ParseXmlVtk(bytes, fileName);
    return ParseLegacyVtk(bytes, fileName);
}

ReadResult ReadDatasetFile(const std::string& path) {
    FileBytes file = ReadFileBytes(path);
    if (!file.error.empty()) {
        ReadResult result;
        result.error = std::move(file.error);
        return result;
    }
    return ParseDataset(file.bytes, path);
}

}  // namespace Korvex::Io
