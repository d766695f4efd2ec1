// The generated ICO file: directory, the PNG-compressed 256 image and the three DIB images.

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

#include "resource_data.h"
#include "resource_ids.h"
#include "test_files.h"

namespace {

struct IconEntry {
    int size;
    uint32_t bitCount;
    uint32_t bytes;
    uint32_t offset;
};

class IconFile : public ::testing::Test {
protected:
    void SetUp() override {
        ico = readBytes(TESSIVAR_ICON_FILE);
        ASSERT_GE(ico.size(), 6u + 4 * 16);
        images = findIconImages(IDI_TESSIVAR, &imageCount);
        ASSERT_NE(images, nullptr);
        ASSERT_EQ(imageCount, 4);
    }

    IconEntry entry(int i) const {
        const size_t at = 6 + 16 * i;
        const int width = ico[at] == 0 ? 256 : ico[at];
        return {width, le16(ico, at + 6), le32(ico, at + 8), le32(ico, at + 12)};
    }

    std::vector<uint8_t> imageBytes(int i) const {
        const IconEntry e = entry(i);
        return {ico.begin() + e.offset, ico.begin() + e.offset + e.bytes};
    }

    std::vector<uint8_t> ico;
    const IconImage* images = nullptr;
    int imageCount = 0;
};

struct PngChunk {
    std::string type;
    std::vector<uint8_t> data;
    uint32_t storedCrc;
};

std::vector<PngChunk> pngChunks(const std::vector<uint8_t>& png) {
    std::vector<PngChunk> chunks;
    for (size_t at = 8; at + 12 <= png.size();) {
        const uint32_t length = be32(png, at);
        PngChunk chunk{std::string(png.begin() + at + 4, png.begin() + at + 8),
                       {png.begin() + at + 8, png.begin() + at + 8 + length},
                       be32(png, at + 8 + length)};
        chunks.push_back(chunk);
        at += 12 + length;
    }
    return chunks;
}

uint32_t chunkCrc(const PngChunk& chunk) {
    const uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(chunk.type.data()), 4);
    // NOTE: zlib's crc32 answers 0 for a null buffer, which an empty vector may hand it.
    if (chunk.data.empty()) return static_cast<uint32_t>(crc);
    return static_cast<uint32_t>(crc32(crc, chunk.data.data(), static_cast<uInt>(chunk.data.size())));
}

TEST_F(IconFile, DirectoryListsFourImagesLargestFirstPackedBackToBack) {
    EXPECT_EQ(le16(ico, 0), 0u);
    EXPECT_EQ(le16(ico, 2), 1u); // icon, not cursor
    EXPECT_EQ(le16(ico, 4), 4u);
    const int sizes[] = {256, 48, 32, 16};
    uint32_t expectedOffset = 6 + 4 * 16;
    for (int i = 0; i < 4; ++i) {
        const IconEntry e = entry(i);
        EXPECT_EQ(e.size, sizes[i]);
        EXPECT_EQ(ico[6 + 16 * i + 1], ico[6 + 16 * i]) << "height byte differs from width";
        EXPECT_EQ(le16(ico, 6 + 16 * i + 4), 1u); // planes
        EXPECT_EQ(e.bitCount, 32u);
        EXPECT_EQ(e.offset, expectedOffset);
        expectedOffset += e.bytes;
    }
    EXPECT_EQ(expectedOffset, ico.size());
}

TEST_F(IconFile, LargestImageIsPngWithValidChunks) {
    const std::vector<uint8_t> png = imageBytes(0);
    const std::vector<uint8_t> signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ASSERT_TRUE(std::equal(signature.begin(), signature.end(), png.begin()));

    const std::vector<PngChunk> chunks = pngChunks(png);
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks[0].type, "IHDR");
    EXPECT_EQ(chunks[1].type, "IDAT");
    EXPECT_EQ(chunks[2].type, "IEND");
    for (const PngChunk& chunk : chunks) EXPECT_EQ(chunk.storedCrc, chunkCrc(chunk)) << chunk.type;

    const std::vector<uint8_t>& header = chunks[0].data;
    ASSERT_EQ(header.size(), 13u);
    EXPECT_EQ(be32(header, 0), 256u);
    EXPECT_EQ(be32(header, 4), 256u);
    EXPECT_EQ(header[8], 8);  // bits per channel
    EXPECT_EQ(header[9], 6);  // RGBA
    EXPECT_EQ(header[12], 0); // not interlaced
}

TEST_F(IconFile, PngDecodesToTheLinuxPixels) {
    const std::vector<PngChunk> chunks = pngChunks(imageBytes(0));
    ASSERT_EQ(chunks.size(), 3u);
    const std::vector<uint8_t>& compressed = chunks[1].data;
    std::vector<uint8_t> raw(256 * (1 + 256 * 4));
    uLongf rawSize = static_cast<uLongf>(raw.size());
    ASSERT_EQ(uncompress(raw.data(), &rawSize, compressed.data(), static_cast<uLong>(compressed.size())), Z_OK);
    ASSERT_EQ(rawSize, raw.size());
    // Worth compressing at all: most of the image is transparent.
    EXPECT_LT(compressed.size(), raw.size() / 4);

    ASSERT_EQ(images[0].size, 256);
    int mismatches = 0;
    for (int y = 0; y < 256; ++y) {
        const uint8_t* row = &raw[y * (1 + 256 * 4)];
        ASSERT_EQ(row[0], 0) << "row " << y << " uses a filter";
        for (int x = 0; x < 256; ++x) {
            const uint8_t* p = row + 1 + 4 * x;
            const uint32_t argb = (uint32_t{p[3]} << 24) | (p[0] << 16) | (p[1] << 8) | p[2];
            if (argb != images[0].argb[y * 256 + x]) ++mismatches;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST_F(IconFile, SmallImagesAreBottomUpDibsWithAndMasks) {
    for (int i = 1; i < 4; ++i) {
        const int n = images[i].size;
        SCOPED_TRACE(n);
        ASSERT_EQ(entry(i).size, n);
        const std::vector<uint8_t> dib = imageBytes(i);
        const size_t maskRow = (n + 31) / 32 * 4;
        ASSERT_EQ(dib.size(), 40 + n * n * 4 + maskRow * n);
        EXPECT_EQ(le32(dib, 0), 40u);
        EXPECT_EQ(le32(dib, 4), static_cast<uint32_t>(n));
        EXPECT_EQ(le32(dib, 8), static_cast<uint32_t>(2 * n));
        EXPECT_EQ(le16(dib, 12), 1u);
        EXPECT_EQ(le16(dib, 14), 32u);
        EXPECT_EQ(le32(dib, 16), 0u); // BI_RGB

        int pixelMismatches = 0;
        int maskMismatches = 0;
        for (int y = 0; y < n; ++y) {
            const int fileRow = n - 1 - y;
            for (int x = 0; x < n; ++x) {
                const uint32_t argb = images[i].argb[y * n + x];
                if (le32(dib, 40 + 4 * (fileRow * n + x)) != argb) ++pixelMismatches;
                const uint8_t maskByte = dib[40 + n * n * 4 + fileRow * maskRow + x / 8];
                const bool masked = maskByte & (0x80 >> (x % 8));
                if (masked != ((argb >> 24) == 0)) ++maskMismatches;
            }
        }
        EXPECT_EQ(pixelMismatches, 0);
        EXPECT_EQ(maskMismatches, 0);
    }
}

} // namespace
