// The colour of one pixel as the pixel tests read it, and the classes they sort pixels into.
//
// The classes come in two strictnesses on purpose. The render tests look at single pixels of frames read straight
// back from GL, as drawn: the pure classes ask for a channel above 200 and the others below 60. The end-to-end
// tests count pixels of captured frames in boxes that take in the blended edges of smoothed lines and markers:
// the plain classes take a channel above 180 as on and below 70 as off.
#pragma once

#include <functional>

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
};

using ColourTest = std::function<bool(Rgb)>;

// Brightness, by the brightest channel.
bool isNearBlack(Rgb c); // below 40: the background, nothing drawn
bool isDark(Rgb c);      // below 64, a quarter
bool isLit(Rgb c);       // 60 or more: anything visibly drawn
bool isBright(Rgb c);    // above 128, half
bool isGrey(Rgb c);      // lit and colourless, at any brightness
bool isWhite(Rgb c);     // every channel above 200

// Plain classes: on above 180, off below 70.
bool isRed(Rgb c);
bool isGreen(Rgb c);
bool isYellow(Rgb c);
bool isCyan(Rgb c);

// Pure classes: on above 200, off below 60 (below 30 for cyan's red).
bool isPureRed(Rgb c);
bool isPureGreen(Rgb c);
bool isPureBlue(Rgb c);
bool isPureYellow(Rgb c);
bool isPureCyan(Rgb c);

// Mixtures.
bool isReddish(Rgb c);   // red clearly above blue and little green, as at the red end of the gradient
bool isBluish(Rgb c);    // blue clearly above red and little green
bool isRedOrPink(Rgb c); // strong red, or red blended over white, as smoothed outline lines come out
