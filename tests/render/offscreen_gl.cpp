// EGL on Mesa's surfaceless platform: a 600 x 600 RGBA8 pbuffer with depth and a
// compatibility context, made once for the test program.

#include "offscreen_gl.h"

#include <GL/gl.h>

#include "egl_surfaceless.h"
#include "render_hooks.h"
#include "gauge_setup.h"
#include "scene_pass.h"

namespace {

OffscreenContext offscreen;
AngleGauge labelledBeforeContext;

// The program creates its labels during static construction, before any GL context.
class OffscreenEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        createGaugeLabelsFromFile(labelledBeforeContext, kTestFace);
        ASSERT_TRUE(makeOffscreenContext(offscreen, kFrameSize, kFrameSize))
            << "no EGL surfaceless context, error 0x" << std::hex << eglGetError();
    }
    void TearDown() override {
        releaseGaugeLabels(labelledBeforeContext);
        destroyOffscreenContext(offscreen);
    }
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new OffscreenEnvironment);

} // namespace

Rgb Frame::at(int x, int y) const {
    const size_t i = (static_cast<size_t>(y) * kFrameSize + static_cast<size_t>(x)) * 4;
    return {rgba[i], rgba[i + 1], rgba[i + 2]};
}

Frame readFrame() {
    Frame frame;
    frame.rgba.resize(static_cast<size_t>(kFrameSize) * kFrameSize * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kFrameSize, kFrameSize, GL_RGBA, GL_UNSIGNED_BYTE, frame.rgba.data());
    return frame;
}

AngleGauge& gaugeLabelledBeforeContext() { return labelledBeforeContext; }

void RenderTest::SetUp() {
    ASSERT_NE(eglGetCurrentContext(), EGL_NO_CONTEXT);
    setFixedGlState();
    testFallbackFace = kTestFace;
    createGaugeLabelsFromFile(*gauge, kTestFace);
    onResize(*gauge, 600.0f, 600.0f);
}

void RenderTest::TearDown() {
    releaseGaugeLabels(*gauge);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

Frame RenderTest::frameOf(AngleGauge& g) {
    renderFrame(g);
    return readFrame();
}

Frame printedAlone(TextLabel& label, float x, float y, const char* text) {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, kFrameSize, kFrameSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kFrameSize, 0, kFrameSize, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    label.print(x, y, "%s", text);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    return readFrame();
}

int differingPixels(const Frame& a, const Frame& b, const PixelBox& box) {
    int count = 0;
    for (int y = box.bottom; y <= box.top; ++y) {
        for (int x = box.left; x <= box.right; ++x) {
            const Rgb p = a.at(x, y);
            const Rgb q = b.at(x, y);
            if (p.r != q.r || p.g != q.g || p.b != q.b) ++count;
        }
    }
    return count;
}
