#pragma once
// Which swap-control extension a GLX extension list offers. Pure, so the choice can be tested.

enum class GlxSwapControl { Missing, Ext, Mesa, Sgi };

// True when the space-separated list names exactly this extension (not just a longer name starting with it).
bool listsGlxExtension(const char* list, const char* name);

// The preferred swap control of a GLX extension list: EXT, then MESA, then SGI; Missing when it lists none.
GlxSwapControl listedSwapControl(const char* list);
