#pragma once

#include <cstdint>
#include <string>

namespace Korvex::Rendering {

// Writes RGBA8 texels, given bottom row first as GL reads them back, to a PNG
// file whose first row is the top of the picture. False and *error on failure.
bool WritePng(const std::string& path, std::uint32_t width, std::uint32_t height, const std::uint8_t* rgba,
              std::string* error);

}  // namespace Korvex::Rendering
