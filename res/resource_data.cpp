// The icon group and accelerator table of tessivar.rc as plain data for the Linux layer.

#include "resource_data.h"

#include <png.h>

#include <iterator>
#include <vector>

#include "icon_pngs.h"
#include "resource_ids.h"

namespace {

// Accelerator flags as Win32 spells them.
constexpr uint8_t kVirtKey = 0x01, kNoInvert = 0x02, kControl = 0x08;

// The ACCELERATORS table of tessivar.rc; tests/res/compiled_resources_test.cpp holds the two to the same bytes.
const AcceleratorEntry kAccelerators[] = {
    {kVirtKey | kControl | kNoInvert, 'X', IDM_EXIT}, // 'X' is VK_X
};

} // namespace

std::vector<uint32_t> decodeIconPng(const EmbeddedPng& png) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, png.bytes, png.length)) return {};
    if (image.width != static_cast<png_uint_32>(png.size) || image.height != static_cast<png_uint_32>(png.size)) {
        png_image_free(&image);
        return {};
    }
    // 8-bit RGBA from the simplified API is straight (not premultiplied) alpha, as IconImage wants.
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) return {};

    std::vector<uint32_t> argb(rgba.size() / 4);
    for (size_t i = 0; i < argb.size(); ++i) {
        const uint8_t* p = &rgba[4 * i];
        argb[i] = (uint32_t{p[3]} << 24) | (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
    }
    return argb;
}

namespace {

struct DecodedIcon {
    std::vector<std::vector<uint32_t>> pixels;
    std::vector<IconImage> images;
};

// All or nothing: a window gets either the whole group or no icon, never a partial one.
DecodedIcon decodeAppIcon() {
    DecodedIcon icon;
    for (int i = 0; i < kAppIconPngCount; ++i) {
        std::vector<uint32_t> argb = decodeIconPng(kAppIconPngs[i]);
        if (argb.empty()) return {};
        icon.pixels.push_back(std::move(argb));
    }
    for (int i = 0; i < kAppIconPngCount; ++i) icon.images.push_back({kAppIconPngs[i].size, icon.pixels[i].data()});
    return icon;
}

} // namespace

bool hasIconGroup(int id) { return id == IDI_TESSIVAR; }

const IconImage* findIconImages(int id, int* count) {
    if (count) *count = 0;
    if (!hasIconGroup(id)) return nullptr;
    // Decoded once, on first use, and kept for the life of the process as a resource section would be.
    static const DecodedIcon icon = decodeAppIcon();
    if (icon.images.empty()) return nullptr;
    if (count) *count = static_cast<int>(icon.images.size());
    return icon.images.data();
}

const AcceleratorEntry* findAcceleratorTable(int id, int* count) {
    if (count) *count = 0;
    if (id != IDR_ACCELERATORS) return nullptr;
    if (count) *count = static_cast<int>(std::size(kAccelerators));
    return kAccelerators;
}
