#pragma once
// The executable's icon and accelerator resources as plain data, for platforms without a resource section.

#include <cstdint>

// One image of an icon group: size x size pixels, 0xAARRGGBB (straight alpha), top row first.
struct IconImage {
    int size;
    const uint32_t* argb;
};

// One accelerator: flags as Win32 spells them (FVIRTKEY 1, FNOINVERT 2, FSHIFT 4, FCONTROL 8, FALT 16),
// the virtual-key or character code, and the WM_COMMAND identifier it sends.
struct AcceleratorEntry {
    uint8_t flags;
    uint16_t key;
    uint16_t command;
};

// Whether icon group `id` exists, without decoding its images.
bool hasIconGroup(int id);
// The images of icon group `id`, largest first, decoded on the first call; null and a count of 0 for
// an unknown id (or images that fail to decode).
const IconImage* findIconImages(int id, int* count);

// The entries of accelerator table `id`; null and a count of 0 for an unknown id.
const AcceleratorEntry* findAcceleratorTable(int id, int* count);
