// Which mechanism serves a layered window's colour key and opacity on a given display.

#include <gtest/gtest.h>

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
            const TranslucencyPlan plan = planTranslucency(true, true, false, argb, compositing);
            EXPECT_FALSE(plan.boundingShape) << argb << compositing;
            EXPECT_FALSE(plan.inputShape) << argb << compositing;
        }
    }
}

TEST(Compositing, KeyPixelsAreCutOutOfBothShapesWithoutPerPixelAlpha) {
    const TranslucencyPlan plain = planTranslucency(true, true, true, false, true);
    EXPECT_TRUE(plain.boundingShape && plain.inputShape);
    EXPECT_TRUE(plain.opacityHint) << "the compositor blends by the hint";
    EXPECT_FALSE(plain.alphaPass);
    const TranslucencyPlan noCompositor = planTranslucency(true, true, true, true, false);
    EXPECT_TRUE(noCompositor.boundingShape && noCompositor.inputShape) << "a visual with alpha needs a compositor";
    EXPECT_FALSE(noCompositor.alphaPass);
}

TEST(Compositing, PerPixelAlphaShowsTheKeyAndCarriesTheOpacity) {
    const TranslucencyPlan keyed = planTranslucency(true, true, true, true, true);
    EXPECT_TRUE(keyed.alphaPass);
    EXPECT_FALSE(keyed.boundingShape) << "alpha 0 shows what is behind";
    EXPECT_TRUE(keyed.inputShape) << "a compositor does not pass clicks through alpha";
    EXPECT_FALSE(keyed.opacityHint) << "the hint as well would blend twice";

    const TranslucencyPlan alphaOnly = planTranslucency(false, true, false, true, true);
    EXPECT_TRUE(alphaOnly.alphaPass);
    EXPECT_FALSE(alphaOnly.inputShape || alphaOnly.boundingShape);

    const TranslucencyPlan keyOnly = planTranslucency(true, false, true, true, true);
    EXPECT_TRUE(keyOnly.alphaPass) << "key pixels get alpha 0, the rest stays opaque";
    EXPECT_FALSE(keyOnly.opacityHint);
}

TEST(Compositing, NotLayeredDoesNothing) {
    const TranslucencyPlan plan = planTranslucency(false, false, false, true, true);
    EXPECT_FALSE(plan.boundingShape || plan.inputShape || plan.alphaPass || plan.opacityHint);
}

} // namespace
