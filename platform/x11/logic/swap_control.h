#pragma once
// Which GLX swap-control extension stands behind wglSwapIntervalEXT. Pure, for tests.

enum class SwapControl { Missing, Ext, Mesa, Sgi };

// True when the space-separated extension list names exactly this extension.
bool hasExtension(const char* extensions, const char* name);

// The preferred swap-control extension of a GLX extension list: EXT, then MESA, then SGI.
SwapControl pickSwapControl(const char* extensions);

// ---- Pacing where the driver has no swap control ----------------------------------------------
// Without a GLX swap-control extension the layer keeps the interval itself and waits before each
// swap, so a program asking for vertical sync still draws no faster than the display refreshes.

// The refresh rate of a display mode from its timings, in hertz; 0 where the timings say nothing
// (a virtual screen reports a dot clock of 0).
double modeRefreshHz(unsigned long dotClock, unsigned hTotal, unsigned vTotal, bool interlaced, bool doubleScan);

// Nanoseconds between refreshes: from the rate where it is plausible, otherwise 60 Hz.
long long refreshPeriodNs(double hertz);

// When the next swap may happen, in the same clock as now: interval periods after the previous swap.
// The first swap (previous 0) and a swap more than a period late go at once: a stall does not buy a
// burst of catch-up frames. Interval 0 means no pacing.
long long nextSwapTime(long long previous, long long now, long long period, int interval);

// ---- How often the colour key is looked for ----------------------------------------------------
// A display shows at most one frame per refresh, so frames drawn faster than that (vertical sync off)
// share the key found in the latest one looked at; each frame of a paced program is looked at.

// True when the frame to be swapped at swapTime must be scanned for key pixels: nothing scanned yet
// (lastScannedSwap 0) or a refresh period, less an eighth for the clocks' jitter, since the swap of
// the frame scanned last.
bool keyScanDue(long long lastScannedSwap, long long swapTime, long long period);
