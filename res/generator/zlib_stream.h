#pragma once
// Checksums and a small zlib encoder (one fixed-Huffman deflate block with greedy LZ77 matching).

#include <cstddef>
#include <cstdint>
#include <vector>

// CRC-32 as PNG uses it (reflected polynomial 0xEDB88320), continued from `crc` (0 to start).
uint32_t checksumCrc32(const uint8_t* data, size_t size, uint32_t crc = 0);

// Adler-32 as zlib uses it, continued from `adler` (1 to start).
uint32_t checksumAdler32(const uint8_t* data, size_t size, uint32_t adler = 1);

// A complete zlib stream (header, deflate data, Adler-32 trailer) of `data`.
std::vector<uint8_t> zlibCompress(const std::vector<uint8_t>& data);
