// Checksums and the zlib encoder for the icon's PNG image.

#include "zlib_stream.h"

#include <algorithm>
#include <array>

namespace {

constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 258;
constexpr int kWindowSize = 32768;
constexpr int kMaxChainSteps = 128;
constexpr int kHashBits = 15;

constexpr std::array<uint16_t, 29> kLengthBase = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                                  31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<uint8_t, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<uint16_t, 30> kDistanceBase = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                                    33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                                    1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<uint8_t, 30> kDistanceExtra = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                    6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// Deflate's bit order: values LSB first, Huffman codes MSB first.
class BitWriter {
public:
    explicit BitWriter(std::vector<uint8_t>& out) : out_(out) {}

    void writeBits(uint32_t value, int count) {
        for (int i = 0; i < count; ++i) pushBit((value >> i) & 1u);
    }

    void writeCode(uint32_t code, int length) {
        for (int i = length - 1; i >= 0; --i) pushBit((code >> i) & 1u);
    }

    void flush() {
        if (used_ > 0) out_.push_back(current_);
        current_ = 0;
        used_ = 0;
    }

private:
    void pushBit(uint32_t bit) {
        current_ |= static_cast<uint8_t>(bit << used_);
        if (++used_ == 8) flush();
    }

    std::vector<uint8_t>& out_;
    uint8_t current_ = 0;
    int used_ = 0;
};

// Writes a literal/length symbol (0..285) with the fixed Huffman code.
void writeLiteralLength(BitWriter& bits, int symbol) {
    if (symbol < 144)
        bits.writeCode(0x30 + symbol, 8);
    else if (symbol < 256)
        bits.writeCode(0x190 + (symbol - 144), 9);
    else if (symbol < 280)
        bits.writeCode(symbol - 256, 7);
    else
        bits.writeCode(0xC0 + (symbol - 280), 8);
}

void writeMatch(BitWriter& bits, int length, int distance) {
    int lengthCode = static_cast<int>(kLengthBase.size()) - 1;
    while (kLengthBase[lengthCode] > length) --lengthCode;
    writeLiteralLength(bits, 257 + lengthCode);
    bits.writeBits(length - kLengthBase[lengthCode], kLengthExtra[lengthCode]);

    int distanceCode = static_cast<int>(kDistanceBase.size()) - 1;
    while (kDistanceBase[distanceCode] > distance) --distanceCode;
    bits.writeCode(distanceCode, 5);
    bits.writeBits(distance - kDistanceBase[distanceCode], kDistanceExtra[distanceCode]);
}

uint32_t hashAt(const std::vector<uint8_t>& data, size_t pos) {
    const uint32_t v = data[pos] | (data[pos + 1] << 8) | (data[pos + 2] << 16);
    return (v * 2654435761u) >> (32 - kHashBits);
}

// Finds the longest earlier match for `pos` through hash chains; hands back its length and distance.
struct Matcher {
    explicit Matcher(const std::vector<uint8_t>& data) : data(data), head(1u << kHashBits, -1), prev(data.size(), -1) {}

    void insert(size_t pos) {
        if (pos + kMinMatch > data.size()) return;
        const uint32_t h = hashAt(data, pos);
        prev[pos] = head[h];
        head[h] = static_cast<int>(pos);
    }

    int longest(size_t pos, int* distance) const {
        if (pos + kMinMatch > data.size()) return 0;
        const int limit = static_cast<int>(std::min<size_t>(kMaxMatch, data.size() - pos));
        int best = 0;
        int candidate = head[hashAt(data, pos)];
        for (int steps = 0; candidate >= 0 && steps < kMaxChainSteps; ++steps, candidate = prev[candidate]) {
            if (static_cast<int>(pos) - candidate > kWindowSize) break;
            int length = 0;
            while (length < limit && data[candidate + length] == data[pos + length]) ++length;
            if (length > best) {
                best = length;
                *distance = static_cast<int>(pos) - candidate;
                if (length == limit) break;
            }
        }
        return best >= kMinMatch ? best : 0;
    }

    const std::vector<uint8_t>& data;
    std::vector<int> head;
    std::vector<int> prev;
};

void putBigEndian32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

} // namespace

uint32_t checksumCrc32(const uint8_t* data, size_t size, uint32_t crc) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFFu] ^ (crc >> 8);
    return ~crc;
}

uint32_t checksumAdler32(const uint8_t* data, size_t size, uint32_t adler) {
    constexpr uint32_t kModulus = 65521;
    uint32_t a = adler & 0xFFFFu;
    uint32_t b = adler >> 16;
    for (size_t i = 0; i < size; ++i) {
        a = (a + data[i]) % kModulus;
        b = (b + a) % kModulus;
    }
    return (b << 16) | a;
}

std::vector<uint8_t> zlibCompress(const std::vector<uint8_t>& data) {
    // CMF 0x78: deflate with a 32 KiB window; FLG 0x01 makes the header a multiple of 31.
    std::vector<uint8_t> out = {0x78, 0x01};
    BitWriter bits(out);
    bits.writeBits(1, 1); // final block
    bits.writeBits(1, 2); // fixed Huffman codes

    Matcher matcher(data);
    size_t pos = 0;
    while (pos < data.size()) {
        int distance = 0;
        const int length = matcher.longest(pos, &distance);
        if (length > 0) {
            writeMatch(bits, length, distance);
            for (int i = 0; i < length; ++i) matcher.insert(pos + i);
            pos += length;
        } else {
            writeLiteralLength(bits, data[pos]);
            matcher.insert(pos);
            ++pos;
        }
    }
    writeLiteralLength(bits, 256); // end of block
    bits.flush();

    putBigEndian32(out, checksumAdler32(data.data(), data.size()));
    return out;
}
