#pragma once

// Any result file the readers take, told apart by its first bytes.

#include "Dataset.h"

#include <string>
#include <string_view>

namespace Korvex::Io {

// Legacy VTK or VTK XML bytes; fileName labels the messages.
ReadResult ParseDataset(std::string_view bytes, std::string_view fileName);

// Reads the file at path and parses it; a parallel file (.pvtu, .pvts) is
// read with its pieces, which are joined. Ghost cells are removed.
ReadResult ReadDatasetFile(const std::string& path);

}  // namespace Korvex::Io
