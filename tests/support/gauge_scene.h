// What a gauge window shows, and where, as the end-to-end tests judge it: the same judgements for the Linux
// build on our X11 layer and for the Windows build under Wine, which draw the same frames.
// Coordinates are GL's (origin bottom-left of the 600 x 600 client area, y up), as GaugeImage reads them.
#pragma once

#include "gauge_image.h"
#include "x_session.h"

#include <functional>
#include <string>

namespace gauge {

inline const std::string title = "Tessivar - tessivar.example.org";
constexpr int side = 600;

// Client-area X coordinates of a GL point: the y axes run opposite ways.
inline WindowPoint fromGl(int x, int y) { return {x, side - y}; }

// A box about the point on the circle of the given radius about the vertex, at the given angle.
PixelBox onCircle(int degrees, double radius, int slack);

// Text areas: each label's glyphs lie within these boxes for the points used by the tests.
extern const PixelBox fpsText;
extern const PixelBox vertexCoordText;
extern const PixelBox armUpCoordText;
extern const PixelBox baseRightCoordText;
extern const PixelBox sweepAtRest; // "0.0000" centred 200 px out along an arm at 0 degrees
extern const PixelBox sweepArmUp;  // "90.0000" centred 200 px out along an arm at 90 degrees

// The first frame is complete once the yellow vertex marker shows in the middle.
bool firstFrameDrawn(const GaugeImage& f);

// Left drag straight up sets the arm to 90 degrees, right drag straight right the base to 0; window is the
// client area's X window.
void dragArmUpBaseRight(XSession& x, Window window);
// The frame those drags lead to is on screen: both markers where the drags end and the bar turned by the
// sweep of 90 degrees. The bar turns by the sweep the previous frame stored, so it follows the markers one
// frame late: when both drags reach the program between two frames (slow frames, a loaded machine), the
// first frame with the markers in place still shows the bar as it was before them.
bool armUpBaseRightReached(const GaugeImage& f);

// The judgements below list what they found wrong, one line each; empty when the frame is right.
// The first frame: all points in the middle, the indicator upright, every label where it belongs.
std::string startFaults(const GaugeImage& f);
// After dragArmUpBaseRight: a solid white arm up, the red base ray right, a quarter arc, the bar turned, the sweep.
std::string armUpBaseRightFaults(const GaugeImage& f);
// Without a face: no text anywhere, the rest drawn.
std::string silentFaults(const GaugeImage& f);

// The coordinates after dragArmUpBaseRight, all three shown, or all hidden while the rest of the text stays.
bool coordinatesShown(const GaugeImage& f);
bool coordinatesHidden(const GaugeImage& f);

// The client area of a running gauge as a test sees it: captures of the size it should have (side x side until
// told otherwise), waits for a frame that passes a check, keys typed with the pointer over it.
class View {
public:
    View(XSession& x, Window client) : x_(x), client_(client) {}

    // Captures the client area; false (and the last capture kept) unless it has the expected size.
    bool capture();
    // After a resize: captures of the old size are refused from now on.
    void expectSize(int width, int height) {
        width_ = width;
        height_ = height;
    }
    // Captures until check passes or the time-out; the last capture stays for inspection.
    bool waitFor(const std::function<bool(const GaugeImage&)>& check, double timeoutSeconds);
    // Keys reach the window under the pointer when no window manager gives out the focus: it goes over the
    // client area (away from anything drawn) first.
    void typeKey(unsigned long keysym, unsigned long modifierKeysym = 0);

    GaugeImage frame() const { return GaugeImage(last_); }
    const RgbImage& lastCapture() const { return last_; }
    Window client() const { return client_; }
    int height() const { return height_; }

private:
    XSession& x_;
    Window client_;
    int width_ = side;
    int height_ = side;
    RgbImage last_;
};

} // namespace gauge
