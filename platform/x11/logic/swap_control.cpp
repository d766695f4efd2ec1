// Whole-word lookup in GLX extension strings.

#include "swap_control.h"

#include <cstring>

bool hasExtension(const char* extensions, const char* name) {
    if (!extensions || !name || !*name) return false;
    const size_t length = std::strlen(name);
    for (const char* at = std::strstr(extensions, name); at; at = std::strstr(at + 1, name)) {
        const bool startsWord = at == extensions || at[-1] == ' ';
        const bool endsWord = at[length] == ' ' || at[length] == '\0';
        if (startsWord && endsWord) return true;
    }
    return false;
}

SwapControl pickSwapControl(const char* extensions) {
    if (hasExtension(extensions, "GLX_EXT_swap_control")) return SwapControl::Ext;
    if (hasExtension(extensions, "GLX_MESA_swap_control")) return SwapControl::Mesa;
    if (hasExtension(extensions, "GLX_SGI_swap_control")) return SwapControl::Sgi;
    return SwapControl::Missing;
}

double modeRefreshHz(unsigned long dotClock, unsigned hTotal, unsigned vTotal, bool interlaced, bool doubleScan) {
    if (dotClock == 0 || hTotal == 0 || vTotal == 0) return 0.0;
    double lines = static_cast<double>(vTotal);
    // An interlaced mode shows a field, half the lines, per refresh; a double-scanned one each line twice.
    if (interlaced) lines /= 2.0;
    if (doubleScan) lines *= 2.0;
    return static_cast<double>(dotClock) / (static_cast<double>(hTotal) * lines);
}

long long refreshPeriodNs(double hertz) {
    constexpr double kFallbackHz = 60.0;
    // NOTE: below 20 Hz or above 1000 Hz the timings are more likely wrong than the display that odd.
    const double rate = (hertz >= 20.0 && hertz <= 1000.0) ? hertz : kFallbackHz;
    return static_cast<long long>(1e9 / rate + 0.5);
}

long long nextSwapTime(long long previous, long long now, long long period, int interval) {
    if (interval <= 0 || period <= 0 || previous <= 0) return now;
    const long long due = previous + period * interval;
    if (due < now - period) return now;
    return due;
}

bool keyScanDue(long long lastScannedSwap, long long swapTime, long long period) {
    if (lastScannedSwap <= 0 || period <= 0) return true;
    return swapTime - lastScannedSwap >= period - period / 8;
}
