// The overlay pass: frame rate, point coordinates, the base-ray label and the sweep.

#include <GL/gl.h>
#include <GL/glu.h>

#include "angle_geometry.h"
#include "scene_pass.h"

namespace {

constexpr double kSweepLabelDistance = 200.0;
constexpr double kBaseLabelDistance = 165.0;
constexpr int32_t kCoordLabelShift = 10;

void setFillRgb(TextLabel& label, float r, float g, float b) {
    label.fillColor[0] = r;
    label.fillColor[1] = g;
    label.fillColor[2] = b;
}

// Beside the point and in its marker's colour: starts 10 px right, centred 10 px below.
void printCoords(TextLabel& label, PixelPoint p, float r, float g, float b) {
    setFillRgb(label, r, g, b);
    label.print(static_cast<float>(p.x + kCoordLabelShift), static_cast<float>(p.y - kCoordLabelShift), "%d, %d", p.x,
                p.y);
}

void printFrameRate(AngleGauge& g) {
    setFillRgb(g.fpsLabel, 0.0f, 1.0f, 1.0f);
    g.fpsLabel.print(5.0f, static_cast<float>(g.height - 15.0), "FPS : %.2f", g.fpsShown);
}

void printAllCoords(AngleGauge& g) {
    if (!g.showCoords) return;
    printCoords(g.coordLabel, g.armPoint, 0.0f, 1.0f, 0.0f);
    printCoords(g.coordLabel, g.basePoint, 1.0f, 0.0f, 0.0f);
    printCoords(g.coordLabel, g.vertex, 1.0f, 1.0f, 0.0f);
}

// The base ray always reads 0.0; it blinks red while it lies exactly on an axis.
void printBaseLabel(AngleGauge& g, RayOffset offset) {
    if (isAxisAligned(g.baseAngle)) {
        setFillRgb(g.angleLabel, g.pulseLevel.load(), 0.0f, 0.0f);
    } else {
        setFillRgb(g.angleLabel, 1.0f, 1.0f, 1.0f);
    }
    g.angleLabel.print(static_cast<float>(g.vertex.x) + offset.dx, static_cast<float>(g.vertex.y) + offset.dy, "%.1f",
                       0.0);
}

void printSweepLabel(AngleGauge& g, RayOffset offset) {
    setFillRgb(g.angleLabel, 1.0f, 1.0f, 1.0f);
    g.angleLabel.print(static_cast<float>(g.vertex.x) + offset.dx, static_cast<float>(g.vertex.y) + offset.dy, "%.4f",
                       g.sweep);
}

} // namespace

// NOTE: the model-view matrix is not reset: every change to it lies between a push and its
// pop, so here it is the context's initial identity.
void drawOverlay(AngleGauge& g) {
    tickFrameRate(g);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glViewport(0, 0, static_cast<GLsizei>(g.width), static_cast<GLsizei>(g.height));
    gluOrtho2D(0, g.width, 0, g.height);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();

    printFrameRate(g);
    printAllCoords(g);
    const RayOffset armOffset = rayOffset(g.armAngle, kSweepLabelDistance);
    const RayOffset baseOffset = rayOffset(g.baseAngle, kBaseLabelDistance);
    printBaseLabel(g, baseOffset);
    g.sweep = sweepAngle(g.armAngle, g.baseAngle);
    printSweepLabel(g, armOffset);

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}
