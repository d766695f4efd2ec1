// PNG files through libpng's simplified write interface.
#include "png_writer.h"

#include <png.h>

bool writePngFile(const RgbImage& image, const std::string& path) {
    if (!image.wellFormed()) return false;
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    // Screenshots are written while a test or a script waits on them: speed matters more than size.
    png.flags = PNG_IMAGE_FLAG_FAST;
    // libpng removes the partly written file itself when it fails.
    const bool written = png_image_write_to_file(&png, path.c_str(), 0, image.rgb.data(), 0, nullptr);
    png_image_free(&png);
    return written;
}
