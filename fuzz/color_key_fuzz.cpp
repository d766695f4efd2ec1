// The colour-key pass on arbitrary frames, against a brute-force mask: its rectangles lie within the
// frame, cover exactly the pixels that are not the key colour (alpha ignored), once each, and form
// YX bands: sorted by y then x, one height per band, bands apart, each band's runs maximal and no two
// touching bands alike (else they would have been one).
//
// Input: width and height (1 byte each: 0..64, where 0 gives an empty frame, which is skipped; bit 7 of
// the width byte makes the width negative), the key (3 bytes: red, green, blue), then one byte a pixel choosing
// its colour: 0-2 the key with another alpha, 3-5 one channel off by one, others a grey of that value.

#include <vector>

#include "color_key_runs.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const uint8_t widthByte = in.byte();
    const int width = (widthByte & 0x80) ? -(widthByte & 0x3F) : widthByte % 65;
    const int height = in.byte() % 65;
    const uint8_t red = in.byte();
    const uint8_t green = in.byte();
    const uint8_t blue = in.byte();
    const COLORREF key = RGB(red, green, blue);

    if (width <= 0 || height == 0) return 0;

    // Rows bottom-up as glReadPixels gives them, one 0xAARRGGBB word a pixel; opaque[y][x] in window
    // rows, top-down. The frame covers the whole window and the shape gets no margin.
    std::vector<uint32_t> frame(static_cast<size_t>(width) * height);
    std::vector<std::vector<bool>> opaque(height, std::vector<bool>(width));
    for (int glRow = 0; glRow < height; ++glRow) {
        for (int x = 0; x < width; ++x) {
            const uint8_t choice = in.byte();
            unsigned char rgb[3] = {red, green, blue};
            if (choice >= 3 && choice <= 5) {
                rgb[choice - 3] = static_cast<unsigned char>(rgb[choice - 3] + 1);
            } else if (choice > 5) {
                rgb[0] = rgb[1] = rgb[2] = choice;
            }
            const uint32_t alpha = static_cast<uint32_t>(static_cast<unsigned char>(choice * 85)) << 24;
            frame[static_cast<size_t>(glRow) * width + x] =
                alpha | uint32_t{rgb[0]} << 16 | uint32_t{rgb[1]} << 8 | rgb[2];
            opaque[height - 1 - glRow][x] = rgb[0] != red || rgb[1] != green || rgb[2] != blue;
        }
    }

    std::vector<MaskRect> rects;
    opaqueRectangles(FrameView{frame.data(), width, height}, width, height, key, 0, rects);
    bool anyKey = false;
    for (const auto& row : opaque) {
        for (bool o : row) anyKey = anyKey || !o;
    }
    FUZZ_CHECK(hasKeyPixel(frame.data(), frame.size(), key) == anyKey);

    std::vector<std::vector<int>> covered(height, std::vector<int>(width));
    for (size_t i = 0; i < rects.size(); ++i) {
        const MaskRect& r = rects[i];
        FUZZ_CHECK(r.width > 0 && r.height > 0 && r.x >= 0 && r.y >= 0);
        FUZZ_CHECK(r.x + r.width <= width && r.y + r.height <= height);
        for (int y = r.y; y < r.y + r.height; ++y) {
            for (int x = r.x; x < r.x + r.width; ++x) ++covered[y][x];
        }
        if (i == 0) continue;
        const MaskRect& p = rects[i - 1];
        if (r.y == p.y) {
            // Same band: same height, left to right with key pixels between (runs are maximal).
            FUZZ_CHECK(r.height == p.height);
            FUZZ_CHECK(r.x > p.x + p.width);
        } else {
            // A new band starts below the previous one.
            FUZZ_CHECK(r.y >= p.y + p.height);
        }
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) FUZZ_CHECK(covered[y][x] == (opaque[y][x] ? 1 : 0));
    }

    // Runs start and end at key pixels or the frame's edge; touching bands differ in their runs.
    std::vector<std::vector<MaskRect>> bands;
    for (const MaskRect& r : rects) {
        for (int y = r.y; y < r.y + r.height; ++y) {
            FUZZ_CHECK(r.x == 0 || !opaque[y][r.x - 1]);
            FUZZ_CHECK(r.x + r.width == width || !opaque[y][r.x + r.width]);
        }
        if (bands.empty() || bands.back().front().y != r.y) bands.emplace_back();
        bands.back().push_back(r);
    }
    for (size_t i = 1; i < bands.size(); ++i) {
        const std::vector<MaskRect>& above = bands[i - 1];
        const std::vector<MaskRect>& below = bands[i];
        if (below.front().y != above.front().y + above.front().height) continue;
        bool sameRuns = above.size() == below.size();
        for (size_t j = 0; sameRuns && j < above.size(); ++j) {
            sameRuns = above[j].x == below[j].x && above[j].width == below[j].width;
        }
        FUZZ_CHECK(!sameRuns);
    }
    return 0;
}
