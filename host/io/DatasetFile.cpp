#include "DatasetFile.h"

#include "Collections.h"
#include "LegacyReader.h"
#include "ParseSupport.h"
#include "Pieces.h"
#include "XmlReader.h"

#include <filesystem>

namespace Korvex::Io {

ReadResult ParseDataset(std::string_view bytes, std::string_view fileName) {
    std::size_t start = bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    while (start < bytes.size() && IsBlank(bytes[start])) ++start;
    if (bytes.substr(start).starts_with("<")) return ParseXmlVtk(bytes, fileName);
    return ParseLegacyVtk(bytes, fileName);
}

namespace {

ReadResult Failed(std::string error) {
    ReadResult result;
    result.error = std::move(error);
    return result;
}

ReadResult ReadFile(const std::string& path) {
    FileBytes file = ReadFileBytes(path);
    if (!file.error.empty()) return Failed(std::move(file.error));
    return ParseDataset(file.bytes, path);
}

// The pieces a parallel file lists, each read as a file of its own.
ReadResult ReadPieces(std::string_view bytes, const std::string& path) {
    const CollectionList list = ParseCollection(bytes, path);
    if (!list.error.empty()) return Failed(list.error);
    std::vector<Dataset> pieces;
    std::vector<std::string> warnings;
    for (const CollectionEntry& entry : list.entries) {
        ReadResult piece = ReadFile((std::filesystem::path(path).parent_path() / entry.file).string());
        if (!piece.Ok()) return piece;
        warnings.insert(warnings.end(), piece.warnings.begin(), piece.warnings.end());
        pieces.push_back(std::move(piece.dataset));
    }
    ReadResult merged = MergePieces(std::move(pieces), path);
    merged.warnings.insert(merged.warnings.begin(), warnings.begin(), warnings.end());
    return merged;
}

}  // namespace

ReadResult ReadDatasetFile(const std::string& path) {
    FileBytes file = ReadFileBytes(path);
    if (!file.error.empty()) return Failed(std::move(file.error));
    ReadResult result;
    switch (KindOfCollection(file.bytes)) {
    case CollectionKind::Pieces:
        result = ReadPieces(file.bytes, path);
        break;
    case CollectionKind::TimeSteps:
        return Failed(path + ": a collection of time steps, read as a series");
    case CollectionKind::None:
        result = ParseDataset(file.bytes, path);
        break;
    }
    if (result.Ok()) RemoveGhostCells(result.dataset);
    return result;
}

}  // namespace Korvex::Io
