#pragma once
// Values of the window properties that the window manager reads, computed without X.

#include <cstdint>
#include <string>
#include <vector>

#include "win32_api.h"
#include "resource_data.h"

// _NET_WM_WINDOW_OPACITY for an alpha of 0..255: the fraction alpha/255 of 0xFFFFFFFF, rounded down.
uint32_t opacityCardinal(BYTE alpha);

// _NET_WM_ICON: for each image its width, its height and its pixels as 0xAARRGGBB, top row first.
// NOTE: format-32 properties are arrays of C long on the client side, 64 bits on LP64.
std::vector<unsigned long> netWmIconData(const IconImage* images, int count);

// A Windows-1252-ish byte string ("A" functions) as UTF-8 for _NET_WM_NAME; bytes above 0x7F are
// taken as Latin-1.
std::string latin1ToUtf8(const std::string& text);
