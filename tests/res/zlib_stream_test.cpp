// Checksums against published values; the encoder against zlib's own decoder.

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>

#include "zlib_stream.h"

namespace {

std::vector<uint8_t> bytesOf(const std::string& s) { return {s.begin(), s.end()}; }

TEST(Checksums, Crc32MatchesTheCheckValue) {
    const std::vector<uint8_t> data = bytesOf("123456789");
    EXPECT_EQ(checksumCrc32(data.data(), data.size()), 0xCBF43926u);
    EXPECT_EQ(checksumCrc32(nullptr, 0), 0u);
}

TEST(Checksums, Crc32ContinuesAcrossPieces) {
    const std::vector<uint8_t> data = bytesOf("IHDR and some more bytes");
    const uint32_t whole = checksumCrc32(data.data(), data.size());
    EXPECT_EQ(checksumCrc32(data.data() + 4, data.size() - 4, checksumCrc32(data.data(), 4)), whole);
}

TEST(Checksums, Adler32MatchesKnownValues) {
    const std::vector<uint8_t> wiki = bytesOf("Wikipedia");
    EXPECT_EQ(checksumAdler32(wiki.data(), wiki.size()), 0x11E60398u);
    EXPECT_EQ(checksumAdler32(nullptr, 0), 1u);
    // Enough 0xFF bytes to make both sums wrap the modulus.
    const std::vector<uint8_t> ones(100000, 0xFF);
    EXPECT_EQ(checksumAdler32(ones.data(), ones.size()),
              static_cast<uint32_t>(::adler32(1L, ones.data(), static_cast<uInt>(ones.size()))));
}

std::vector<uint8_t> inflate(const std::vector<uint8_t>& stream, size_t expectedSize) {
    std::vector<uint8_t> out(expectedSize + 16);
    uLongf size = static_cast<uLongf>(out.size());
    const int status = uncompress(out.data(), &size, stream.data(), static_cast<uLong>(stream.size()));
    EXPECT_EQ(status, Z_OK);
    out.resize(status == Z_OK ? size : 0);
    return out;
}

void expectRoundTrip(const std::vector<uint8_t>& data) {
    const std::vector<uint8_t> stream = zlibCompress(data);
    ASSERT_GE(stream.size(), 6u);
    EXPECT_EQ(((stream[0] << 8) | stream[1]) % 31, 0) << "bad zlib header check bits";
    EXPECT_EQ(inflate(stream, data.size()), data);
}

TEST(ZlibCompress, RoundTripsThroughZlib) {
    expectRoundTrip({});
    expectRoundTrip({42});
    expectRoundTrip(bytesOf("abcabcabcabcabcabcabcabc-abc"));
    expectRoundTrip(std::vector<uint8_t>(100000, 0)); // runs far longer than one match

    std::vector<uint8_t> all;
    for (int i = 0; i < 3000; ++i) all.push_back(static_cast<uint8_t>(i * 7 + (i >> 8)));
    expectRoundTrip(all); // every literal code length
}

TEST(ZlibCompress, RoundTripsNoiseAndDistantRepeats) {
    std::mt19937 random(7);
    std::vector<uint8_t> noise(40000);
    for (uint8_t& b : noise) b = static_cast<uint8_t>(random());
    expectRoundTrip(noise);

    // A block repeated just inside and just beyond the 32 KiB window.
    std::vector<uint8_t> repeats(noise.begin(), noise.begin() + 1000);
    repeats.resize(32768, 0x55);
    repeats.insert(repeats.end(), noise.begin(), noise.begin() + 1000);
    repeats.insert(repeats.end(), 5, 0x11);
    repeats.insert(repeats.end(), noise.begin(), noise.begin() + 1000);
    expectRoundTrip(repeats);
}

} // namespace
