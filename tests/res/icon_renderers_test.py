#!/usr/bin/python3
"""The icon drawn by librsvg (rsvg-convert: GNOME, and the build's own PNGs) and by Qt's SVG renderer (KDE
Plasma, for every size without a PNG) must look the same, and stay visible on a dark panel.

Usage: icon_renderers_test.py <icon.svg> <rsvg-convert>
"""
import os
import subprocess
import sys
import tempfile

os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")
from PyQt5.QtCore import Qt  # noqa: E402
from PyQt5.QtGui import QColor, QGuiApplication, QImage, QPainter  # noqa: E402
from PyQt5.QtSvg import QSvgRenderer  # noqa: E402

# Sizes desktops ask for: the build's PNG sizes and the panel and launcher sizes in between.
SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
# The renderers antialias differently: here a mean of at most 2.5 levels and 4% of pixels (the edges of thin lines
# at small sizes); a shape one of them drops or misplaces costs a mean of 17 levels and 18% of the pixels.
MEAN_LIMIT = 4.0
PIXEL_LIMIT = 24
STRAY_SHARE = 0.06
# Breeze Dark's panel colour; a light feature must stand at least this far above it in luma.
DARK_PANEL = QColor(0x31, 0x36, 0x3B)
CONTRAST = 25


def qt_render(svg, size):
    renderer = QSvgRenderer(svg)
    if not renderer.isValid():
        raise SystemExit(f"FAIL: Qt cannot read {svg}")
    image = QImage(size, size, QImage.Format_ARGB32_Premultiplied)
    image.fill(Qt.transparent)
    painter = QPainter(image)
    renderer.render(painter)
    painter.end()
    return image


def rsvg_render(rsvg, svg, size, directory):
    png = os.path.join(directory, f"icon-{size}.png")
    subprocess.run([rsvg, f"--width={size}", f"--height={size}", "--format=png", f"--output={png}", svg],
                   check=True)
    image = QImage(png)
    if image.isNull() or image.width() != size or image.height() != size:
        raise SystemExit(f"FAIL: rsvg-convert made no {size} px image")
    return image.convertToFormat(QImage.Format_ARGB32_Premultiplied)


def channels(image):
    bits = image.constBits()
    bits.setsize(image.sizeInBytes())
    return bytes(bits)


def compare(a, b):
    """Mean channel difference, largest one, and the share of pixels differing by more than PIXEL_LIMIT."""
    pa, pb = channels(a), channels(b)
    diffs = [abs(x - y) for x, y in zip(pa, pb)]
    stray = sum(1 for i in range(0, len(diffs), 4) if max(diffs[i:i + 4]) > PIXEL_LIMIT)
    return sum(diffs) / len(diffs), max(diffs), stray / (len(diffs) // 4)


def luma(color):
    return 0.299 * color.red() + 0.587 * color.green() + 0.114 * color.blue()


def brightest_on_panel(image):
    """The icon laid on the dark panel: the luma of its brightest pixel in the upper half, where no light falls."""
    size = image.width()
    panel = QImage(size, size, QImage.Format_ARGB32_Premultiplied)
    panel.fill(DARK_PANEL)
    painter = QPainter(panel)
    painter.drawImage(0, 0, image)
    painter.end()
    return max(luma(panel.pixelColor(x, y)) for y in range(size // 2 - size // 8) for x in range(size))


def main():
    svg, rsvg = sys.argv[1], sys.argv[2]
    app = QGuiApplication([sys.argv[0]])  # noqa: F841 (Qt's painting needs one)
    failures = 0
    with tempfile.TemporaryDirectory() as directory:
        for size in SIZES:
            qt = qt_render(svg, size)
            gnome = rsvg_render(rsvg, svg, size, directory)
            mean, largest, stray = compare(qt, gnome)
            lit_qt, lit_rsvg = brightest_on_panel(qt), brightest_on_panel(gnome)
            print(f"{size:3d} px: mean difference {mean:.3f}, largest {largest}, {stray:.2%} of pixels off by more "
                  f"than {PIXEL_LIMIT}; brightest upper pixel on the dark panel {lit_qt:.0f} (Qt), "
                  f"{lit_rsvg:.0f} (librsvg), panel {luma(DARK_PANEL):.0f}")
            if mean > MEAN_LIMIT or stray > STRAY_SHARE:
                print(f"FAIL: at {size} px Qt and librsvg draw the icon differently")
                failures += 1
            if min(lit_qt, lit_rsvg) < luma(DARK_PANEL) + CONTRAST:
                print(f"FAIL: at {size} px the icon's upper half has nothing light on a dark panel")
                failures += 1
    if failures:
        raise SystemExit(f"{failures} check(s) failed")
    print("Qt and librsvg draw the icon alike, and it stays visible on a dark panel")


if __name__ == "__main__":
    main()
