// Colour classes by channel thresholds.
#include "colour_classes.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int plainOn = 180;
constexpr int plainOff = 70;
constexpr int pureOn = 200;
constexpr int pureOff = 60;

int brightest(Rgb c) { return std::max({c.r, c.g, c.b}); }

} // namespace

bool isNearBlack(Rgb c) { return brightest(c) < 40; }
bool isDark(Rgb c) { return brightest(c) < 64; }
bool isLit(Rgb c) { return brightest(c) >= 60; }
bool isBright(Rgb c) { return brightest(c) > 128; }
bool isGrey(Rgb c) { return isLit(c) && std::abs(c.r - c.g) < 25 && std::abs(c.g - c.b) < 25; }
bool isWhite(Rgb c) { return c.r > 200 && c.g > 200 && c.b > 200; }

bool isRed(Rgb c) { return c.r > plainOn && c.g < plainOff && c.b < plainOff; }
bool isGreen(Rgb c) { return c.g > plainOn && c.r < plainOff && c.b < plainOff; }
bool isYellow(Rgb c) { return c.r > plainOn && c.g > plainOn && c.b < plainOff; }
bool isCyan(Rgb c) { return c.g > plainOn && c.b > plainOn && c.r < plainOff; }

bool isPureRed(Rgb c) { return c.r > pureOn && c.g < pureOff && c.b < pureOff; }
bool isPureGreen(Rgb c) { return c.g > pureOn && c.r < pureOff && c.b < pureOff; }
bool isPureBlue(Rgb c) { return c.b > pureOn && c.r < pureOff && c.g < pureOff; }
bool isPureYellow(Rgb c) { return c.r > pureOn && c.g > pureOn && c.b < pureOff; }
bool isPureCyan(Rgb c) { return c.g > pureOn && c.b > pureOn && c.r < 30; }

bool isReddish(Rgb c) { return c.r > 150 && c.r > c.b + 100 && c.g < plainOff; }
bool isBluish(Rgb c) { return c.b > 150 && c.b > c.r + 100 && c.g < plainOff; }
bool isRedOrPink(Rgb c) { return c.r > 200 && c.g < 200 && c.b < 200; }
