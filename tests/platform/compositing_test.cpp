// Which mechanism serves a layered window's colour key and opacity on a given display.

#include <gtest/gtest.h>

#include <utility>

#include "compositing.h"

namespace {

TEST(Compositing, SelectionIsNamedAfterTheScreen) {
    EXPECT_EQ(compositorSelectionName(0), "_NET_WM_CM_S0");
    EXPECT_EQ(compositorSelectionName(12), "_NET_WM_CM_S12");
}

// Window managers decorate a window with no shape; some copy an input shape onto their frame.
TEST(Compositing, NoShapeWhileNoPixelIsKeyed) {
    for (bool argb : {false, true}) {
        for (bool compositing : {false, true}) {
            const TranslucencyPlan plan = planTranslucency(true, true, false, argb, compositing, false, false);
            EXPECT_FALSE(plan.boundingShape) << argb << compositing;
            EXPECT_FALSE(plan.inputShape) << argb << compositing;
        }
    }
}

TEST(Compositing, KeyPixelsAreCutOutOfBothShapesWithoutPerPixelAlpha) {
    const TranslucencyPlan plain = planTranslucency(true, true, true, false, true, false, false);
    EXPECT_TRUE(plain.boundingShape && plain.inputShape);
    EXPECT_TRUE(plain.opacityHint) << "the compositor blends by the hint";
    EXPECT_FALSE(plain.alphaPass);
    const TranslucencyPlan noCompositor = planTranslucency(true, true, true, true, false, false, false);
    EXPECT_TRUE(noCompositor.boundingShape && noCompositor.inputShape) << "a visual with alpha needs a compositor";
    EXPECT_FALSE(noCompositor.alphaPass);
}

TEST(Compositing, PerPixelAlphaShowsTheKeyAndCarriesTheOpacity) {
    const TranslucencyPlan keyed = planTranslucency(true, true, true, true, true, false, false);
    EXPECT_TRUE(keyed.alphaPass && keyed.keyClear);
    EXPECT_FALSE(keyed.boundingShape) << "alpha 0 shows what is behind";
    EXPECT_TRUE(keyed.inputShape) << "a compositor does not pass clicks through alpha";
    EXPECT_FALSE(keyed.opacityHint) << "the hint as well would blend twice";

    const TranslucencyPlan alphaOnly = planTranslucency(false, true, false, true, true, false, false);
    EXPECT_TRUE(alphaOnly.alphaPass);
    EXPECT_FALSE(alphaOnly.inputShape || alphaOnly.boundingShape);

    const TranslucencyPlan keyOnly = planTranslucency(true, false, true, true, true, false, false);
    EXPECT_TRUE(keyOnly.alphaPass) << "key pixels get alpha 0, the rest stays opaque";
    EXPECT_FALSE(keyOnly.opacityHint);
}

// Where the compositor applies the hint over the window's own alpha and the frame's alpha is all 255,
// the hint carries the opacity and only the key pixels are written; otherwise the whole frame is.
TEST(Compositing, OverAnOpaqueFrameTheHintCarriesTheOpacityWhereTheCompositorHonoursIt) {
    const TranslucencyPlan cheap = planTranslucency(true, true, true, true, true, true, true);
    EXPECT_FALSE(cheap.alphaPass);
    EXPECT_TRUE(cheap.keyClear) << "key pixels still need alpha 0";
    EXPECT_TRUE(cheap.opacityHint);
    EXPECT_TRUE(cheap.inputShape);
    EXPECT_FALSE(cheap.boundingShape) << "no bounding shape under a compositor";

    const TranslucencyPlan unkeyed = planTranslucency(true, true, false, true, true, true, true);
    EXPECT_FALSE(unkeyed.alphaPass || unkeyed.keyClear || unkeyed.inputShape) << "nothing to write";
    EXPECT_TRUE(unkeyed.opacityHint);

    for (const auto& [hintHonoured, frameOpaque] : {std::pair{false, true}, std::pair{true, false}}) {
        const TranslucencyPlan full = planTranslucency(true, true, true, true, true, hintHonoured, frameOpaque);
        EXPECT_TRUE(full.alphaPass && full.keyClear) << hintHonoured << frameOpaque;
        EXPECT_FALSE(full.opacityHint) << "the hint as well would blend twice";
    }
    const TranslucencyPlan noCompositor = planTranslucency(true, true, true, true, false, true, true);
    EXPECT_FALSE(noCompositor.keyClear) << "without a compositor the bounding shape cuts the key out";
    EXPECT_TRUE(noCompositor.boundingShape && noCompositor.opacityHint);
}

TEST(Compositing, NotLayeredDoesNothing) {
    const TranslucencyPlan plan = planTranslucency(false, false, false, true, true, false, false);
    EXPECT_FALSE(plan.boundingShape || plan.inputShape || plan.alphaPass || plan.keyClear || plan.opacityHint);
}

} // namespace
