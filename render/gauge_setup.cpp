// The gauge's labels and the fixed GL state.

#include "gauge_setup.h"

#include <GL/gl.h>

void setFillColour(TextLabel& label, const LabelLook& look) {
    label.fillColor[0] = look.red;
    label.fillColor[1] = look.green;
    label.fillColor[2] = look.blue;
}

namespace {

// The face is read once; all six fonts share its bytes.
void createGaugeLabelsFromFace(AngleGauge& g, const FaceFile& face) {
    for (const LabelLook& look : kGaugeLabelLooks) {
        TextLabel& label = g.*look.label;
        label.createFromFace(face, look.size, look.alignment);
        setFillColour(label, look);
    }
}

} // namespace

void createGaugeLabels(AngleGauge& g) { createGaugeLabelsFromFace(g, readLabelFace()); }

void createGaugeLabelsFromFile(AngleGauge& g, const char* path) { createGaugeLabelsFromFace(g, readFaceFile(path)); }

void releaseGaugeLabels(AngleGauge& g) {
    g.coordLabel.release();
    g.angleLabel.release();
    g.fpsLabel.release();
}

void setFixedGlState() {
    glFrontFace(GL_CCW);
    glPolygonMode(GL_FRONT, GL_FILL);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glShadeModel(GL_SMOOTH);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
}
