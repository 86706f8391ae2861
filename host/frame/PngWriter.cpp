#include "PngWriter.h"

#include <png.h>

#include <cstring>

namespace Korvex::Rendering {

bool WritePng(const std::string& path, std::uint32_t width, std::uint32_t height, const std::uint8_t* rgba,
              std::string* error) {
    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_RGBA;
    // A negative stride tells libpng that the rows are stored bottom-up: the
    // one flip between GL's row order and the picture's.
    const auto stride = -static_cast<png_int_32>(PNG_IMAGE_ROW_STRIDE(image));
    if (rgba == nullptr || width == 0 || height == 0 ||
        png_image_write_to_file(&image, path.c_str(), 0, rgba, stride, nullptr) == 0) {
        if (error != nullptr)
            *error = "WritePng(): " + path + ": " + (rgba == nullptr || width == 0 || height == 0 ? "no texels" : image.message);
        png_image_free(&image);
        return false;
    }
    return true;
}

}  // namespace Korvex::Rendering
