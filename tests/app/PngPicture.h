#pragma once

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Korvex::App::test {

// The picture's RGBA bytes, top row first; empty when it cannot be read.
struct Picture {
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint8_t> rgba;
    const std::uint8_t* At(std::uint32_t x, std::uint32_t y) const { return &rgba[4 * (std::size_t{y} * width + x)]; }
    bool IsBackground(std::uint32_t x, std::uint32_t y) const {
        const std::uint8_t* p = At(x, y);
        return p[0] == 255 && p[1] == 255 && p[2] == 255;
    }
};

inline Picture ReadPng(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) return {};
    image.format = PNG_FORMAT_RGBA;
    Picture picture{image.width, image.height, std::vector<std::uint8_t>(PNG_IMAGE_SIZE(image))};
    if (png_image_finish_read(&image, nullptr, picture.rgba.data(), 0, nullptr) == 0) return {};
    return picture;
}

}  // namespace Korvex::App::test
