// The window-property encoders: the opacity cardinal grows strictly with alpha from 0 to 0xFFFFFFFF;
// _NET_WM_ICON data is, image by image, width, height and the pixels, 2 + w*h values each; the
// UTF-8 title is valid UTF-8 that decodes back to the Latin-1 bytes it came from.
//
// Input: two alphas (1 byte each), an image count (1 byte: 0..4), each image's size (1 byte: 0..32),
// then the title's bytes; the icons' pixels are taken from the title bytes, repeated.

#include <memory>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "property_values.h"

namespace {

void checkOpacity(BYTE a, BYTE b) {
    const uint64_t expected = uint64_t{a} * 0xFFFFFFFFu / 255u; // alpha/255 of full opacity, rounded down
    FUZZ_CHECK(opacityCardinal(a) == expected);
    if (a < b) FUZZ_CHECK(opacityCardinal(a) < opacityCardinal(b));
    FUZZ_CHECK(opacityCardinal(0) == 0u && opacityCardinal(255) == 0xFFFFFFFFu);
}

void checkIcon(const std::vector<int>& sides, const std::string& fill) {
    const int count = static_cast<int>(sides.size());
    std::vector<std::unique_ptr<uint32_t[]>> pixels;
    std::vector<IconImage> images;
    size_t expectedLength = 0;
    for (const int side : sides) {
        const size_t n = static_cast<size_t>(side) * side;
        pixels.emplace_back(new uint32_t[n]); // exactly the image, so an overread is caught
        for (size_t p = 0; p < n; ++p) {
            const auto byte = fill.empty() ? 0u : static_cast<unsigned char>(fill[p % fill.size()]);
            pixels.back()[p] = (0x01010101u * byte) ^ static_cast<uint32_t>(p);
        }
        images.push_back(IconImage{side, pixels.back().get()});
        expectedLength += 2 + n;
    }

    const std::vector<unsigned long> data = netWmIconData(images.data(), count);
    FUZZ_CHECK(data.size() == expectedLength);
    size_t at = 0;
    for (const IconImage& image : images) {
        FUZZ_CHECK(data[at] == static_cast<unsigned long>(image.size));
        FUZZ_CHECK(data[at + 1] == static_cast<unsigned long>(image.size));
        at += 2;
        const size_t n = static_cast<size_t>(image.size) * image.size;
        for (size_t p = 0; p < n; ++p) FUZZ_CHECK(data[at + p] == image.argb[p]); // 0xAARRGGBB, high bits 0
        at += n;
    }
}

// Strict UTF-8 decoding: no overlong forms, no surrogates, nothing past U+10FFFF, no truncated tail.
bool decodeUtf8(const std::string& text, std::vector<uint32_t>& codePoints) {
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int extra;
        uint32_t cp;
        if (lead < 0x80) {
            extra = 0;
            cp = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2;
            cp = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
            cp = lead & 0x07;
        } else {
            return false;
        }
        if (i + extra >= text.size()) return false; // the sequence runs past the end
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (next & 0x3F);
        }
        const uint32_t smallest[] = {0, 0x80, 0x800, 0x10000};
        if (cp < smallest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        codePoints.push_back(cp);
        i += 1 + extra;
    }
    return true;
}

void checkTitle(const std::string& latin1) {
    const std::string utf8 = latin1ToUtf8(latin1);
    std::vector<uint32_t> codePoints;
    FUZZ_CHECK(decodeUtf8(utf8, codePoints));
    FUZZ_CHECK(codePoints.size() == latin1.size());
    for (size_t i = 0; i < latin1.size(); ++i) FUZZ_CHECK(codePoints[i] == static_cast<unsigned char>(latin1[i]));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const BYTE a = in.byte();
    const BYTE b = in.byte();
    checkOpacity(a, b);

    std::vector<int> sides(in.byte() % 5);
    for (int& side : sides) side = in.byte() % 33;
    size_t n = 0;
    const uint8_t* title = in.rest(&n);
    const std::string latin1(reinterpret_cast<const char*>(title), n);

    checkIcon(sides, latin1);
    checkTitle(latin1);
    return 0;
}
