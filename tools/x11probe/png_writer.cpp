// PNG files through libpng's simplified write interface.
#include "png_writer.h"

#include <png.h>

namespace {

png_image describe(const RgbImage& image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    // Screenshots are written while a test or a script waits on them: speed matters more than size.
    png.flags = PNG_IMAGE_FLAG_FAST;
    return png;
}

} // namespace

std::vector<std::uint8_t> encodePng(const RgbImage& image) {
    if (!image.wellFormed()) return {};
    png_image png = describe(image);
    png_alloc_size_t size = 0;
    if (!png_image_write_get_memory_size(png, size, 0, image.rgb.data(), 0, nullptr)) return {};
    std::vector<std::uint8_t> file(size);
    png = describe(image);
    const bool written = png_image_write_to_memory(&png, file.data(), &size, 0, image.rgb.data(), 0, nullptr);
    png_image_free(&png);
    if (!written) return {};
    file.resize(size);
    return file;
}

bool writePngFile(const RgbImage& image, const std::string& path) {
    if (!image.wellFormed()) return false;
    png_image png = describe(image);
    // libpng removes the partly written file itself when it fails.
    const bool written = png_image_write_to_file(&png, path.c_str(), 0, image.rgb.data(), 0, nullptr);
    png_image_free(&png);
    return written;
}
