#include "PngFile.h"

#include <PngWriter.h>

#include <filesystem>
#include <system_error>

namespace Korvex::App {

bool WritePngFile(const std::string& path, std::uint32_t width, std::uint32_t height,
                  const std::vector<std::uint8_t>& rgba, std::string* error) {
    if (rgba.size() != std::size_t{4} * width * height) {
        *error = path + ": no image to write";
        return false;
    }
    const std::filesystem::path target(path);
    std::error_code status;
    if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path(), status);
    if (status) {
        *error = path + ": cannot make its directory: " + status.message();
        return false;
    }
    const std::string partial = path + ".partial";
    if (!Rendering::WritePng(partial, width, height, rgba.data(), error)) {
        std::filesystem::remove(partial, status);
        return false;
    }
    std::filesystem::rename(partial, target, status);
    if (status) {
        *error = path + ": cannot write: " + status.message();
        std::filesystem::remove(partial, status);
        return false;
    }
    return true;
}

void MarkPixel(std::vector<std::uint8_t>& rgba, std::uint32_t width, std::uint32_t height, std::uint32_t x,
               std::uint32_t y) {
    constexpr int kArm = 8;
    const auto paint = [&](int px, int py, std::uint8_t shade) {
        if (px < 0 || py < 0 || px >= static_cast<int>(width) || py >= static_cast<int>(height)) return;
        // Rows are stored bottom first.
        const std::size_t row = height - 1 - static_cast<std::uint32_t>(py);
        std::uint8_t* texel = &rgba[4 * (row * width + static_cast<std::uint32_t>(px))];
        texel[0] = texel[1] = texel[2] = shade;
        texel[3] = 255;
    };
    const int cx = static_cast<int>(x), cy = static_cast<int>(y);
    for (int pass = 0; pass < 2; ++pass) {
        // The white outline first, one pixel wider, then the black cross over it.
        const int border = pass == 0 ? 1 : 0;
        const std::uint8_t shade = pass == 0 ? 255 : 0;
        for (int d = -kArm - border; d <= kArm + border; ++d)
            for (int w = -border; w <= border; ++w) {
                if (d >= -2 && d <= 2) continue;  // the probed pixel itself stays visible
                paint(cx + d, cy + w, shade);
                paint(cx + w, cy + d, shade);
            }
    }
}

}  // namespace Korvex::App
