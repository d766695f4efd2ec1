// The scene pass: rays, arc, point markers and the rotating indicator, then the overlay.

#include "scene_pass.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "angle_geometry.h"
#include "seams.h"

namespace {

constexpr double kRayLength = 150.0;
constexpr float kArcRadius = 100.0f;
constexpr float kMarkerSize = 4.0f;
constexpr float kIndicatorInset = 50.0f;
constexpr GLint kArmStippleFactor = 5;
constexpr GLushort kArmStipplePattern = 0x6666;

void beginPixelProjection(const AngleGauge& g) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glViewport(g.viewport.x, g.viewport.y, g.viewport.w, g.viewport.h);
    gluOrtho2D(0, g.width, 0, g.height);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void endPixelProjection() {
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

// One line from the vertex along an offset, in the current colour.
void drawRay(PixelPoint vertex, RayOffset offset) {
    const float x = static_cast<float>(vertex.x);
    const float y = static_cast<float>(vertex.y);
    glVertex2f(x, y);
    glVertex2f(x + offset.dx, y + offset.dy);
}

// Dashed grey at the pulse level while dragged, solid white otherwise.
void drawArm(const AngleGauge& g, RayOffset offset) {
    if (g.draggingArm) {
        const float p = g.pulseLevel.load();
        glEnable(GL_LINE_STIPPLE);
        glLineStipple(kArmStippleFactor, kArmStipplePattern);
        glBegin(GL_LINES);
        glColor3f(p, p, p);
        drawRay(g.vertex, offset);
        glEnd();
        glDisable(GL_LINE_STIPPLE);
    } else {
        glBegin(GL_LINES);
        glColor3f(1.0f, 1.0f, 1.0f);
        drawRay(g.vertex, offset);
        glEnd();
    }
}

void drawBase(const AngleGauge& g, RayOffset offset) {
    glBegin(GL_LINES);
    glColor3f(1.0f, 0.0f, 0.0f);
    drawRay(g.vertex, offset);
    glEnd();
}

void drawMarkers(const AngleGauge& g) {
    glColor3f(0.0f, 1.0f, 0.0f);
    drawMarker(g.armPoint.x, g.armPoint.y);
    glColor3f(1.0f, 0.0f, 0.0f);
    drawMarker(g.basePoint.x, g.basePoint.y);
    glColor3f(1.0f, 1.0f, 0.0f);
    drawMarker(g.vertex.x, g.vertex.y);
}

// Turned by the sweep the overlay stored on the previous frame.
void drawIndicator(const AngleGauge& g) {
    glTranslatef(g.width - kIndicatorInset, g.height - kIndicatorInset, 0.0f);
    glRotatef(g.sweep + 90.0f, 0.0f, 0.0f, 1.0f);
    glScalef(0.6f, 0.3f, 1.0f);
    drawGradientQuad(-40.0f, -40.0f, 80.0f, 80.0f);
}

} // namespace

void renderFrame(AngleGauge& g) {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // The frame's alpha stays the clear's 1 under the smoothed lines and the text: Windows shows a
    // layered window's colour alone, and a compositor that blends by the window's own alpha (X with a
    // 32-bit visual) then shows the same, with no pass over the frame to make the alpha opaque.
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
    beginPixelProjection(g);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_LINE_SMOOTH);

    g.armAngle = rayAngle(g.vertex, g.armPoint);
    const RayOffset armOffset = rayOffset(g.armAngle, kRayLength);
    g.baseAngle = rayAngle(g.vertex, g.basePoint);
    const RayOffset baseOffset = rayOffset(g.baseAngle, kRayLength);

    drawArm(g, armOffset);
    drawBase(g, baseOffset);
    const ArcSpan span = arcSpan(g.armAngle, g.baseAngle);
    if (span.present) drawArc(span.start, span.end, kArcRadius, g.vertex.x, g.vertex.y);
    drawMarkers(g);
    drawIndicator(g);

    glDisable(GL_LINE_SMOOTH);
    endPixelProjection();
    drawOverlay(g);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    swapFrameBuffers(g.hdc);
}

void drawArc(int32_t start, int32_t end, float radius, int32_t cx, int32_t cy) {
    glColor3f(1.0f, 1.0f, 1.0f);
    glPushMatrix();
    glBegin(GL_LINE_STRIP);
    for (int32_t i = start + 1; i <= end; ++i) {
        const double rad = static_cast<float>(i * kPi / 180.0);
        const float c = static_cast<float>(std::cos(rad));
        const float s = static_cast<float>(std::sin(rad));
        glVertex2f(c * radius + static_cast<float>(cx), s * radius + static_cast<float>(cy));
    }
    glEnd();
    glPopMatrix();
}

void drawMarker(int32_t x, int32_t y) {
    glPointSize(kMarkerSize);
    glBegin(GL_POINTS);
    glVertex2f(static_cast<float>(x), static_cast<float>(y));
    glEnd();
}

void drawGradientQuad(float x, float y, float w, float h) {
    glPushMatrix();
    glBegin(GL_QUADS);
    glColor3f(0.0f, 0.0f, 1.0f);
    glVertex2f(x, y);
    glColor3f(1.0f, 0.0f, 0.0f);
    glVertex2f(x + w, y);
    glColor3f(1.0f, 0.0f, 0.0f);
    glVertex2f(x + w, y + h);
    glColor3f(0.0f, 0.0f, 1.0f);
    glVertex2f(x, y + h);
    glEnd();
    glPopMatrix();
}
