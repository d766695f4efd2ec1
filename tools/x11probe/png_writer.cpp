// PNG encoding of plain 8-bit RGB images, on zlib.
#include "png_writer.h"

#include <zlib.h>

#include <fstream>

namespace {

void appendBigEndian32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// Appends one chunk: length, type, data, and the CRC over type and data.
void appendChunk(std::vector<std::uint8_t>& out, const char type[4], const std::vector<std::uint8_t>& data) {
    appendBigEndian32(out, static_cast<std::uint32_t>(data.size()));
    const size_t typeStart = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0L, out.data() + typeStart, static_cast<uInt>(out.size() - typeStart));
    appendBigEndian32(out, static_cast<std::uint32_t>(crc));
}

std::vector<std::uint8_t> headerData(const RgbImage& image) {
    std::vector<std::uint8_t> data;
    appendBigEndian32(data, static_cast<std::uint32_t>(image.width));
    appendBigEndian32(data, static_cast<std::uint32_t>(image.height));
    data.insert(data.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, adaptive filtering, no interlace
    return data;
}

// Every row is prefixed with filter type 0 (none).
std::vector<std::uint8_t> filteredRows(const RgbImage& image) {
    const size_t rowBytes = static_cast<size_t>(image.width) * 3;
    std::vector<std::uint8_t> rows;
    rows.reserve((rowBytes + 1) * image.height);
    for (int y = 0; y < image.height; ++y) {
        rows.push_back(0);
        const auto* row = image.rgb.data() + rowBytes * y;
        rows.insert(rows.end(), row, row + rowBytes);
    }
    return rows;
}

bool deflateInto(const std::vector<std::uint8_t>& raw, std::vector<std::uint8_t>& compressed) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    compressed.resize(size);
    if (compress2(compressed.data(), &size, raw.data(), static_cast<uLong>(raw.size()), Z_BEST_SPEED) != Z_OK)
        return false;
    compressed.resize(size);
    return true;
}

} // namespace

std::vector<std::uint8_t> encodePng(const RgbImage& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.rgb.size() != static_cast<size_t>(image.width) * image.height * 3)
        return {};
    std::vector<std::uint8_t> compressed;
    if (!deflateInto(filteredRows(image), compressed)) return {};
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    appendChunk(png, "IHDR", headerData(image));
    appendChunk(png, "IDAT", compressed);
    appendChunk(png, "IEND", {});
    return png;
}

bool writePngFile(const RgbImage& image, const std::string& path) {
    const std::vector<std::uint8_t> png = encodePng(image);
    if (png.empty()) return false;
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    return static_cast<bool>(file);
}
