// Text labels on FTGL: a polygon font draws, an outline font of the same face measures.

#include "text_label.h"

#include <FTGL/ftgl.h>
#include <GL/gl.h>

#include <cstdarg>
#include <cstdio>

#include "seams.h"

namespace {

constexpr char kSystemFaceFile[] = "c:/windows/Fonts/arial.ttf";
constexpr unsigned kFaceResolution = 72;

// Longer output is cut to 99 characters.
void vformatLabelText(char (&text)[kLabelTextSize], const char* format, va_list args) {
    text[0] = '\0';
    std::vsnprintf(text, sizeof text, format, args);
}

// The translucent grey box behind the text, wound counter-clockwise for back-face culling.
void drawBoxPass(const TextLabel& label, float w, float h) {
    if (!label.drawBox) return;
    glColor4f(0.2f, 0.2f, 0.2f, static_cast<float>(label.fillColor[3] * 0.7));
    glBegin(GL_QUADS);
    glVertex2f(-2.0f, h + 5.0f);
    glVertex2f(-2.0f, -5.0f);
    glVertex2f(w + 2.0f, -5.0f);
    glVertex2f(w + 2.0f, h + 5.0f);
    glEnd();
}

void drawGlyphPass(const TextLabel& label, const char* text) {
    glColor4fv(label.fillColor);
    glLineWidth(1.0f);
    label.fillFont->Render(text, -1, FTPoint(0, 0, 0), FTPoint(0, 0, 0), FTGL::RENDER_ALL);
    if (label.style & StyleOutline) {
        glColor4fv(label.outlineColor);
        label.outlineFont->Render(text, -1, FTPoint(0, 0, 0), FTPoint(0, 0, 0), FTGL::RENDER_ALL);
    }
}

} // namespace

LabelOrigin labelOrigin(int32_t align, float x, float y, float w, float h) {
    const float centredY = static_cast<float>(y - h * 0.5);
    switch (align) {
    case AlignLeft:
        return {true, x, centredY};
    case AlignCenter:
        return {true, static_cast<float>(x - w * 0.5), centredY};
    case AlignRight:
        return {true, x - w, centredY};
    default:
        return {false, 0.0f, 0.0f};
    }
}

// NOTE: on Linux the system path is relative to the working directory, so the directory the user
// starts in decides what it names; only a regular file there that reads whole is taken for the face.
FaceFile readLabelFace() {
    FaceFile system = readFaceFile(kSystemFaceFile);
    return system.outcome == FaceRead::Read ? system : readFaceFile(fallbackFaceFile());
}

void TextLabel::create(int32_t size, TextAlign alignment) { createFromFace(readLabelFace(), size, alignment); }

void TextLabel::createFromFile(const char* path, int32_t size, TextAlign alignment) {
    createFromFace(readFaceFile(path), size, alignment);
}

// A font that fails to load stays owned until release; the label stays not ready. A path that names
// no regular file, or no path, gives no fonts at all; any other failed read gives FreeType no bytes,
// which it reports as a face that failed to load.
void TextLabel::createFromFace(const FaceFile& file, int32_t size, TextAlign alignment) {
    if (file.outcome == FaceRead::NoPath || file.outcome == FaceRead::NotRegularFile) return;
    face = file.bytes;
    fillFont = new FTPolygonFont(face->data(), face->size());
    if (fillFont->Error()) return;
    outlineFont = new FTOutlineFont(face->data(), face->size());
    if (outlineFont->Error()) return;
    style = 0;
    fillFont->Outset(0.0f);
    outlineFont->Outset(0.1f);
    faceSize = size;
    fillFont->FaceSize(static_cast<unsigned>(size), kFaceResolution);
    outlineFont->FaceSize(static_cast<unsigned>(size), kFaceResolution);
    align = alignment;
    ready = true;
}

void TextLabel::print(float x, float y, const char* format, ...) {
    if (!ready) return;
    char text[kLabelTextSize];
    va_list args;
    va_start(args, format);
    vformatLabelText(text, format, args);
    va_end(args);

    glPushMatrix();
    glPushAttrib(GL_DEPTH_BUFFER_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    const FTBBox box = outlineFont->BBox(text, -1, FTPoint(0, 0, 0), FTPoint(0, 0, 0));
    const float w = static_cast<float>(box.Upper().X());
    const float h = static_cast<float>(box.Upper().Y());
    const LabelOrigin origin = labelOrigin(align, x, y, w, h);
    if (origin.translate) glTranslatef(origin.x, origin.y, 0.0f);

    if (textFirst) {
        glEnable(GL_DEPTH_TEST);
        drawGlyphPass(*this, text);
        drawBoxPass(*this, w, h);
    } else {
        glDisable(GL_DEPTH_TEST);
        drawBoxPass(*this, w, h);
        drawGlyphPass(*this, text);
    }

    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glPopAttrib();
    glPopMatrix();
}

void TextLabel::release() {
    if (fillFont) {
        delete fillFont;
        fillFont = nullptr;
    }
    if (outlineFont) {
        delete outlineFont;
        outlineFont = nullptr;
    }
    face.reset();  // after the fonts, which read from it until deleted
    ready = false; // a print after release must not reach the deleted fonts
}
