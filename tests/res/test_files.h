#pragma once
// Helpers for the resource tests: whole-file reads and little-endian field access.

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline std::vector<uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline uint32_t le16(const std::vector<uint8_t>& d, size_t at) { return d.at(at) | (d.at(at + 1) << 8); }

inline uint32_t le32(const std::vector<uint8_t>& d, size_t at) { return le16(d, at) | (le16(d, at + 2) << 16); }

inline uint32_t be32(const std::vector<uint8_t>& d, size_t at) {
    return (uint32_t{d.at(at)} << 24) | (d.at(at + 1) << 16) | (d.at(at + 2) << 8) | d.at(at + 3);
}
