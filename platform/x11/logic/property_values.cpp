// Values of the window properties that the window manager reads.

#include "property_values.h"

uint32_t opacityCardinal(BYTE alpha) { return static_cast<uint32_t>(uint64_t{alpha} * 0xFFFFFFFFu / 255u); }

std::vector<unsigned long> netWmIconData(const IconImage* images, int count) {
    std::vector<unsigned long> data;
    for (int i = 0; i < count; ++i) {
        const IconImage& image = images[i];
        const size_t pixels = static_cast<size_t>(image.size) * static_cast<size_t>(image.size);
        data.push_back(static_cast<unsigned long>(image.size));
        data.push_back(static_cast<unsigned long>(image.size));
        data.insert(data.end(), image.argb, image.argb + pixels);
    }
    return data;
}

std::string latin1ToUtf8(const std::string& text) {
    std::string utf8;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | (byte >> 6));
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}
