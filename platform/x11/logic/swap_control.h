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
