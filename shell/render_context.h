#pragma once
// Binds OpenGL to the main window: device context, pixel format, WGL context, palette,
// the fixed GL state and vertical sync.

#include "win32_api.h"

// Runs once from WM_CREATE; a failure shows a message box and exits with status 1.
void setupRenderContext(HWND window);

// GLEW's entry points for the current context; after the first frame, which needs none of them.
void loadGlExtensions();

// A logical palette for palette-based formats; null on true-colour displays.
HPALETTE createPalette(HDC dc);

// Re-realises the palette on WM_QUERYNEWPALETTE and WM_PALETTECHANGED.
void onPaletteMessage(UINT message, WPARAM wParam);

// Releases the device context, the GL context and the palette, whichever exist.
void teardownRenderContext();

// The entry colours of an n-colour palette for the channel layout of a pixel format.
unsigned paletteSize(const PIXELFORMATDESCRIPTOR& format);
PALETTEENTRY paletteEntry(unsigned index, const PIXELFORMATDESCRIPTOR& format);
