#pragma once

// VTK XML files of one piece: ImageData (.vti), RectilinearGrid (.vtr),
// StructuredGrid (.vts) and UnstructuredGrid (.vtu), with point and cell
// data, all in ASCII, inline base64 or
// appended raw or base64 form, uncompressed or zlib or LZ4 compressed,
// UInt32 or UInt64 headers, either byte order.

#include "Dataset.h"

#include <string_view>

namespace Korvex::Io {

// Parses the bytes of a file; fileName only labels the messages. Like
// ParseLegacyVtk: a dataset or one message naming the file and line, memory
// bounded by the bytes present.
ReadResult ParseXmlVtk(std::string_view bytes, std::string_view fileName);

}  // namespace Korvex::Io
