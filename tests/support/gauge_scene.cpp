// The end-to-end judgements of gauge frames; the thresholds allow for the blended edges of smoothed lines.
#include "gauge_scene.h"

#include <chrono>
#include <cmath>
#include <sstream>
#include <thread>

namespace gauge {

namespace {

// Collects the faults of one judgement as lines of text.
class Faults {
public:
    void check(bool passed, const std::string& what) {
        if (!passed) out_ << what << '\n';
    }
    std::string text() const { return out_.str(); }

private:
    std::ostringstream out_;
};

std::string at(int value) { return " " + std::to_string(value); }

} // namespace

const PixelBox fpsText{5, 578, 120, 592};
const PixelBox vertexCoordText{310, 282, 370, 296};
const PixelBox armUpCoordText{310, 432, 370, 448};
const PixelBox baseRightCoordText{462, 280, 520, 291};
const PixelBox sweepAtRest{480, 294, 520, 306};
const PixelBox sweepArmUp{270, 493, 330, 507};

namespace {

// The ends of the indicator when a sweep of 90 degrees turns it by 180: its red end left, its blue end right.
const PixelBox barLeftEnd = around(530, 550, 2);
const PixelBox barRightEnd = around(570, 550, 2);

} // namespace

PixelBox onCircle(int degrees, double radius, int slack) {
    const double rad = degrees * M_PI / 180.0;
    return around(static_cast<int>(std::lround(300 + radius * std::cos(rad))),
                  static_cast<int>(std::lround(300 + radius * std::sin(rad))), slack);
}

bool firstFrameDrawn(const GaugeImage& f) { return f.count(around(300, 300, 3), isYellow) >= 14; }

void dragArmUpBaseRight(XSession& x, Window window) {
    x.drag(window, Button1, fromGl(300, 350), fromGl(300, 450));
    x.drag(window, Button3, fromGl(350, 300), fromGl(450, 300));
}

bool armUpBaseRightReached(const GaugeImage& f) {
    return f.count(around(300, 450, 3), isGreen) >= 14 && f.count(around(450, 300, 3), isRed) >= 14 &&
           f.any(barLeftEnd, isReddish) && f.any(barRightEnd, isBluish);
}

std::string startFaults(const GaugeImage& f) {
    Faults faults;
    faults.check(isNearBlack(f.at(100, 100)) && isNearBlack(f.at(500, 100)), "background not black");
    faults.check(f.count(around(300, 300, 3), isYellow) >= 14, "no vertex marker on top of the other two");
    for (int x = 360; x <= 440; x += 20)
        faults.check(f.any({x, 298, x, 302}, isRed), "no base ray over the arm at x" + at(x));
    faults.check(f.none(onCircle(90, 100, 2), isLit) && f.none(onCircle(180, 100, 2), isLit),
                 "an arc where equal angles draw none");

    // Sweep 0 turns the bar by 90 degrees: red end up, blue end down, nothing beside it.
    faults.check(f.any(around(550, 570, 2), isReddish), "bar: no red end up");
    faults.check(f.any(around(550, 530, 2), isBluish), "bar: no blue end down");
    faults.check(f.none(around(526, 550, 1), isLit) && f.none(around(574, 550, 1), isLit), "bar: lit beside it");

    faults.check(f.count(fpsText, isCyan) >= 20, "no frame rate in the top-left corner");
    faults.check(f.count(vertexCoordText, isYellow) >= 10, "no coordinates beside the points");
    faults.check(f.count(sweepAtRest, isWhite) >= 10, "no sweep 200 px out along the arm");
    faults.check(f.none(sweepArmUp, isLit), "something where the sweep of an upright arm goes");
    return faults.text();
}

std::string armUpBaseRightFaults(const GaugeImage& f) {
    Faults faults;
    for (int y = 310; y <= 440; ++y) faults.check(f.rowHas(y, 297, 303, isWhite), "arm not solid white at row" + at(y));
    for (int x = 380; x <= 440; ++x) faults.check(f.any({x, 297, x, 303}, isRed), "no red base ray at column" + at(x));
    faults.check(f.none({200, 297, 290, 303}, isLit), "something left of the vertex");

    for (int degrees : {5, 30, 45, 60, 85})
        faults.check(f.any(onCircle(degrees, 100, 2), isWhite), "no arc at" + at(degrees) + " degrees");
    for (int degrees : {100, 135, 200, 225, 250, 290, 315, 340})
        faults.check(f.none(onCircle(degrees, 100, 2), isLit), "arc at" + at(degrees) + " degrees");

    faults.check(f.count(around(300, 450, 3), isGreen) >= 14, "no arm marker");
    faults.check(f.count(around(450, 300, 3), isRed) >= 14, "no base marker");
    faults.check(f.count(around(300, 300, 3), isYellow) >= 14, "no vertex marker");

    // Sweep 90 turns the bar by 180 degrees: red end left, blue end right, lying flat.
    faults.check(f.any(barLeftEnd, isReddish), "bar: no red end left");
    faults.check(f.any(barRightEnd, isBluish), "bar: no blue end right");
    faults.check(f.none(around(550, 572, 1), isLit) && f.none(around(550, 528, 1), isLit), "bar: not lying flat");

    faults.check(f.count(sweepArmUp, isWhite) >= 20, "no 90.0000 200 px up the arm");
    faults.check(f.none(sweepAtRest, isWhite), "sweep still at its old place");
    return faults.text();
}

std::string silentFaults(const GaugeImage& f) {
    Faults faults;
    faults.check(f.none(fpsText, isLit), "frame rate drawn without a face");
    faults.check(f.none(vertexCoordText, isLit), "coordinates drawn without a face");
    faults.check(f.none(sweepAtRest, isLit), "sweep drawn without a face");
    faults.check(f.count(around(300, 300, 3), isYellow) >= 14, "no vertex marker");
    faults.check(f.any(around(550, 570, 2), isReddish), "no indicator");
    return faults.text();
}

bool coordinatesShown(const GaugeImage& f) {
    return f.count(armUpCoordText, isGreen) >= 10 && f.count(vertexCoordText, isYellow) >= 10 &&
           f.count(baseRightCoordText, isRed) >= 5;
}

bool coordinatesHidden(const GaugeImage& f) {
    return f.none(armUpCoordText, isLit) && f.none(vertexCoordText, isLit) && f.none(baseRightCoordText, isLit) &&
           f.count(fpsText, isCyan) >= 20 && f.count(sweepArmUp, isWhite) >= 20;
}

bool View::capture() {
    auto image = x_.captureWindow(client_);
    if (!image || image->width != width_ || image->height != height_) return false;
    last_ = std::move(*image);
    return true;
}

bool View::waitFor(const std::function<bool(const GaugeImage&)>& check, double timeoutSeconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    for (;;) {
        if (capture() && check(frame())) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void View::typeKey(unsigned long keysym, unsigned long modifierKeysym) {
    x_.moveTo(client_, {20, 300});
    x_.tapKey(keysym, modifierKeysym);
}

} // namespace gauge
