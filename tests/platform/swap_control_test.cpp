// Which GLX swap-control extension a GLX extension list offers.

#include <gtest/gtest.h>

#include "swap_control.h"

namespace {

TEST(SwapControl, PrefersExtThenMesaThenSgi) {
    EXPECT_EQ(pickSwapControl("GLX_SGI_swap_control GLX_MESA_swap_control GLX_EXT_swap_control"), SwapControl::Ext);
    EXPECT_EQ(pickSwapControl("GLX_SGI_swap_control GLX_MESA_swap_control"), SwapControl::Mesa);
    EXPECT_EQ(pickSwapControl("GLX_ARB_multisample GLX_SGI_swap_control"), SwapControl::Sgi);
}

TEST(SwapControl, NothingListedGivesMissing) {
    EXPECT_EQ(pickSwapControl(nullptr), SwapControl::Missing);
    EXPECT_EQ(pickSwapControl(""), SwapControl::Missing);
    // What Mesa's llvmpipe reports under Xvfb.
    EXPECT_EQ(pickSwapControl("GLX_ARB_context_flush_control GLX_ARB_create_context GLX_ARB_create_context_no_error "
                              "GLX_ARB_create_context_profile GLX_ARB_fbconfig_float GLX_ARB_framebuffer_sRGB "
                              "GLX_ARB_get_proc_address GLX_ARB_multisample GLX_EXT_create_context_es2_profile "
                              "GLX_EXT_create_context_es_profile GLX_EXT_fbconfig_packed_float "
                              "GLX_EXT_framebuffer_sRGB GLX_EXT_no_config_context GLX_EXT_texture_from_pixmap "
                              "GLX_EXT_visual_info GLX_EXT_visual_rating GLX_MESA_copy_sub_buffer "
                              "GLX_MESA_query_renderer GLX_OML_swap_method GLX_SGIS_multisample GLX_SGIX_fbconfig "
                              "GLX_SGIX_pbuffer GLX_SGIX_visual_select_group GLX_SGI_make_current_read "),
              SwapControl::Missing);
}

TEST(SwapControl, NamesMatchAsWholeWords) {
    EXPECT_EQ(pickSwapControl("GLX_EXT_swap_control_tear"), SwapControl::Missing);
    EXPECT_EQ(pickSwapControl("GLX_EXT_swap_control_tear GLX_MESA_swap_control"), SwapControl::Mesa);
    EXPECT_EQ(pickSwapControl("XGLX_EXT_swap_control GLX_SGI_swap_control"), SwapControl::Sgi);
    EXPECT_EQ(pickSwapControl("GLX_EXT_swap_control_tear GLX_EXT_swap_control"), SwapControl::Ext);
}

TEST(HasExtension, FindsNamesAnywhereInTheList) {
    const char* list = "GLX_A GLX_B GLX_C";
    EXPECT_TRUE(hasExtension(list, "GLX_A"));
    EXPECT_TRUE(hasExtension(list, "GLX_B"));
    EXPECT_TRUE(hasExtension(list, "GLX_C"));
    EXPECT_FALSE(hasExtension(list, "GLX_"));
    EXPECT_FALSE(hasExtension(list, "GLX_B GLX"));
    EXPECT_FALSE(hasExtension(list, ""));
}

} // namespace

namespace {

TEST(Pacing, RefreshRateFromModeTimings) {
    // 1920x1080 at 60 Hz (CEA): 148.5 MHz over 2200 x 1125.
    EXPECT_NEAR(modeRefreshHz(148500000, 2200, 1125, false, false), 60.0, 1e-9);
    EXPECT_NEAR(modeRefreshHz(74250000, 2200, 1125, true, false), 60.0, 1e-9) << "1080i shows a field a refresh";
    EXPECT_NEAR(modeRefreshHz(25175000, 800, 525, false, true), 29.97, 0.01) << "double scan shows lines twice";
    // Xvfb's modes have no timings.
    EXPECT_EQ(modeRefreshHz(0, 1024, 768, false, false), 0.0);
    EXPECT_EQ(modeRefreshHz(148500000, 0, 1125, false, false), 0.0);
}

TEST(Pacing, PeriodFallsBackTo60HzWhereTheRateIsUnknownOrImplausible) {
    EXPECT_EQ(refreshPeriodNs(60.0), 16666667);
    EXPECT_EQ(refreshPeriodNs(144.0), 6944444);
    for (double unknown : {0.0, -1.0, 5.0, 100000.0}) EXPECT_EQ(refreshPeriodNs(unknown), 16666667) << unknown;
}

TEST(Pacing, SwapsComeIntervalPeriodsApartWithoutCatchUpBursts) {
    const long long period = 16666667;
    const long long t0 = 1000000000;
    EXPECT_EQ(nextSwapTime(0, t0, period, 1), t0) << "the first swap goes at once";
    EXPECT_EQ(nextSwapTime(t0, t0 + 1000, period, 1), t0 + period) << "a fast frame waits";
    EXPECT_EQ(nextSwapTime(t0, t0 + 1000, period, 2), t0 + 2 * period);
    EXPECT_EQ(nextSwapTime(t0, t0 + period + 5, period, 1), t0 + period) << "slightly late: keep the cadence";
    EXPECT_EQ(nextSwapTime(t0, t0 + 3 * period, period, 1), t0 + 3 * period) << "a stall restarts from now";
    EXPECT_EQ(nextSwapTime(t0, t0 + 1000, period, 0), t0 + 1000) << "interval 0 does not pace";
}

struct ScanCount {
    int frames = 0;
    int scanned = 0;
};

// A second of frames that finish drawing every drawMs and are swapped when nextSwapTime allows
// (interval 0: unpaced), and how many of them get their key looked for.
ScanCount scansInASecond(double drawMs, int interval) {
    const long long period = 16666667;
    const long long start = 1000000000;
    long long now = start;
    long long lastSwap = 0;
    long long lastScanned = 0;
    ScanCount count;
    while (now < start + 1000000000LL) {
        now += static_cast<long long>(drawMs * 1e6);
        const long long swap = nextSwapTime(lastSwap, now, period, interval);
        if (keyScanDue(lastScanned, swap, period)) {
            lastScanned = swap;
            ++count.scanned;
        }
        lastSwap = now = swap;
        ++count.frames;
    }
    return count;
}

TEST(KeyScan, EveryPacedFrameButOnlyOneUnpacedFramePerRefresh) {
    EXPECT_TRUE(keyScanDue(0, 123, 16666667)) << "the first frame";
    for (int interval : {1, 2}) {
        const ScanCount paced = scansInASecond(3.0, interval);
        EXPECT_EQ(paced.frames, 60 / interval + 1); // the first frame goes at once
        EXPECT_EQ(paced.scanned, paced.frames) << "interval " << interval;
    }
    const ScanCount unpaced = scansInASecond(2.0, 0);
    EXPECT_EQ(unpaced.frames, 500);
    EXPECT_GE(unpaced.scanned, 55);
    EXPECT_LE(unpaced.scanned, 63); // about one a refresh
    const ScanCount slow = scansInASecond(40.0, 0);
    EXPECT_EQ(slow.scanned, slow.frames) << "slower than the display: every frame";
}

} // namespace
