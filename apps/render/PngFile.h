#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace Korvex::App {

// Writes RGBA8 texels (rows bottom first, as read back) as a PNG through a
// temporary file in the same directory, renamed over path once complete:
// path is never left half written. Creates the directory. False and *error
// on failure, with no file left behind.
bool WritePngFile(const std::string& path, std::uint32_t width, std::uint32_t height,
                  const std::vector<std::uint8_t>& rgba, std::string* error);

// Draws a small cross centred on pixel (x, y) from the top left: black on a
// white outline, visible on any colour.
void MarkPixel(std::vector<std::uint8_t>& rgba, std::uint32_t width, std::uint32_t height, std::uint32_t x,
               std::uint32_t y);

}  // namespace Korvex::App
