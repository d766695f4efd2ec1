#pragma once
// Which GLX swap-control extension stands behind wglSwapIntervalEXT. Pure, for tests.

enum class SwapControl { Missing, Ext, Mesa, Sgi };

// True when the space-separated extension list names exactly this extension.
bool hasExtension(const char* extensions, const char* name);

// The preferred swap-control extension of a GLX extension list: EXT, then MESA, then SGI.
SwapControl pickSwapControl(const char* extensions);
