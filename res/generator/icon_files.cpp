// PNG and ICO writers for the application icon.

#include "icon_files.h"

#include "zlib_stream.h"

namespace {

constexpr int kPngThreshold = 256;

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFFu);
    put16(out, v >> 16);
}

void putBigEndian32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void putPngChunk(std::vector<uint8_t>& out, const char type[5], const std::vector<uint8_t>& data) {
    putBigEndian32(out, static_cast<uint32_t>(data.size()));
    const size_t typeStart = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    putBigEndian32(out, checksumCrc32(out.data() + typeStart, out.size() - typeStart));
}

// Scanlines with filter type 0 in front of each row, RGBA byte order.
std::vector<uint8_t> pngScanlines(const IconPixels& image) {
    std::vector<uint8_t> raw;
    raw.reserve(static_cast<size_t>(image.size) * (1 + 4 * image.size));
    for (int y = 0; y < image.size; ++y) {
        raw.push_back(0);
        for (int x = 0; x < image.size; ++x) {
            const uint32_t p = image.argb[static_cast<size_t>(y) * image.size + x];
            raw.insert(raw.end(), {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p),
                                   static_cast<uint8_t>(p >> 24)});
        }
    }
    return raw;
}

int maskRowBytes(int size) { return (size + 31) / 32 * 4; }

} // namespace

std::vector<uint8_t> encodePng(const IconPixels& image) {
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    putBigEndian32(header, image.size);
    putBigEndian32(header, image.size);
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8 bits, RGBA, deflate, adaptive filters, no interlace
    putPngChunk(out, "IHDR", header);
    putPngChunk(out, "IDAT", zlibCompress(pngScanlines(image)));
    putPngChunk(out, "IEND", {});
    return out;
}

std::vector<uint8_t> encodeIconDib(const IconPixels& image) {
    const int n = image.size;
    const int maskBytes = maskRowBytes(n);
    std::vector<uint8_t> out;
    put32(out, 40);    // biSize
    put32(out, n);     // biWidth
    put32(out, 2 * n); // biHeight: colour image and AND mask
    put16(out, 1);     // biPlanes
    put16(out, 32);    // biBitCount
    put32(out, 0);     // biCompression: BI_RGB
    put32(out, static_cast<uint32_t>(n * n * 4 + maskBytes * n));
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);

    for (int y = n - 1; y >= 0; --y)
        for (int x = 0; x < n; ++x) put32(out, image.argb[static_cast<size_t>(y) * n + x]); // BGRA in memory

    // NOTE: only old display paths read the AND mask; a set bit marks a fully transparent pixel.
    for (int y = n - 1; y >= 0; --y) {
        std::vector<uint8_t> row(maskBytes, 0);
        for (int x = 0; x < n; ++x)
            if ((image.argb[static_cast<size_t>(y) * n + x] >> 24) == 0) row[x / 8] |= 0x80 >> (x % 8);
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

std::vector<uint8_t> encodeIco(const std::vector<IconPixels>& images) {
    std::vector<std::vector<uint8_t>> blobs;
    for (const IconPixels& image : images)
        blobs.push_back(image.size >= kPngThreshold ? encodePng(image) : encodeIconDib(image));

    std::vector<uint8_t> out;
    put16(out, 0); // reserved
    put16(out, 1); // type: icon
    put16(out, static_cast<uint32_t>(images.size()));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        const int size = images[i].size;
        out.push_back(static_cast<uint8_t>(size >= 256 ? 0 : size)); // 0 stands for 256
        out.push_back(static_cast<uint8_t>(size >= 256 ? 0 : size));
        out.push_back(0); // no palette
        out.push_back(0);
        put16(out, 1);  // planes
        put16(out, 32); // bits per pixel
        put32(out, static_cast<uint32_t>(blobs[i].size()));
        put32(out, offset);
        offset += static_cast<uint32_t>(blobs[i].size());
    }
    for (const auto& blob : blobs) out.insert(out.end(), blob.begin(), blob.end());
    return out;
}
