#pragma once
// The pixel format the program asks for (double-buffered RGBA, 32 colour bits, 16 depth bits), for
// tests and test programs that set up GL through the layer as the program does.

#include "win32_api.h"

inline PIXELFORMATDESCRIPTOR gaugeFormatRequest(DWORD buffering = PFD_DOUBLEBUFFER) {
    PIXELFORMATDESCRIPTOR request = {};
    request.nSize = sizeof(request);
    request.nVersion = 1;
    request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | buffering;
    request.iPixelType = PFD_TYPE_RGBA;
    request.cColorBits = 32;
    request.cDepthBits = 16;
    return request;
}
