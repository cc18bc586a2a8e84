#!/usr/bin/env python3
"""Draw the viewer's icons as PNG files into resources/icons.

    resources/make_icons.py

Python 3, standard library only. The pictures are simple shapes drawn on a pixel grid, so
the files are the same on every run; run it again after changing a picture and commit the
PNG files with the script.

Each picture is drawn twice: NAME.png at its size, and NAME@2x.png at twice the size for
screens scaled by two, where Qt picks it instead of blowing the small one up. Coordinates are
those of the small picture; at twice the size lines are two pixels wide and the round and
slanted shapes are sampled at the finer grid, so the large picture is sharp, not enlarged.

The application icon is also written as SVG (the same rectangles, scalable) and, for the
desktop's icon theme, as PNG files of 16 to 256 pixels in resources/icons/hicolor, rendered
from the SVG by rsvg-convert (Debian's librsvg2-bin) when it is installed.
"""

import os
import shutil
import struct
import subprocess
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "icons")

TRANSPARENT = (0, 0, 0, 0)


# The scale the pictures are drawn at, set by main() before each round of drawing.
SCALE = 1


class Canvas:
    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.scale = SCALE
        self.pixels = [[TRANSPARENT] * (width * SCALE) for _ in range(height * SCALE)]

    def put(self, x, y, colour):
        """Paints the pixel at (x, y) of the small picture: a block of scale x scale pixels."""
        if 0 <= x < self.width and 0 <= y < self.height:
            for py in range(y * self.scale, (y + 1) * self.scale):
                for px in range(x * self.scale, (x + 1) * self.scale):
                    self.put_fine(px, py, colour)

    def put_fine(self, px, py, colour):
        """Paints one pixel of the picture as drawn."""
        self.pixels[py][px] = colour if len(colour) == 4 else colour + (255,)

    def fine_centres(self, count):
        """(index, centre in the small picture's coordinates) of each pixel along an axis."""
        return [(i, (i + 0.5) / self.scale) for i in range(count * self.scale)]

    def fill(self, left, top, right, bottom, colour):
        """Fills the rectangle; right and bottom are inclusive."""
        for y in range(top, bottom + 1):
            for x in range(left, right + 1):
                self.put(x, y, colour)

    def frame(self, left, top, right, bottom, colour):
        for x in range(left, right + 1):
            self.put(x, top, colour)
            self.put(x, bottom, colour)
        for y in range(top, bottom + 1):
            self.put(left, y, colour)
            self.put(right, y, colour)

    def line(self, x0, y0, x1, y1, colour):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.put(x0, y0, colour)
            if x0 == x1 and y0 == y1:
                break
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def polygon(self, points, colour):
        """Fills a polygon by the even-odd rule, sampling pixel centres."""
        for py, cy in self.fine_centres(self.height):
            crossings = []
            for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]):
                if (y0 <= cy < y1) or (y1 <= cy < y0):
                    crossings.append(x0 + (cy - y0) * (x1 - x0) / (y1 - y0))
            crossings.sort()
            for a, b in zip(crossings[::2], crossings[1::2]):
                for px, cx in self.fine_centres(self.width):
                    if a <= cx < b:
                        self.put_fine(px, py, colour)

    def disc(self, cx, cy, radius, colour, inner=0.0):
        for py, y in self.fine_centres(self.height):
            for px, x in self.fine_centres(self.width):
                d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
                if inner <= d <= radius:
                    self.put_fine(px, py, colour)

    def png(self):
        raw = b"".join(b"\x00" + b"".join(struct.pack("4B", *p) for p in row)
                       for row in self.pixels)

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

        header = struct.pack(">IIBBBBB", self.width * self.scale, self.height * self.scale, 8, 6,
                             0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


class SvgCanvas:
    """Records the rectangles of a picture drawn with fill and frame only, as SVG."""

    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.shapes = []

    @staticmethod
    def _rgb(colour):
        return "#%02x%02x%02x" % colour[:3]

    def fill(self, left, top, right, bottom, colour):
        self.shapes.append('<rect x="%d" y="%d" width="%d" height="%d" fill="%s"/>' % (
            left, top, right - left + 1, bottom - top + 1, self._rgb(colour)))

    def frame(self, left, top, right, bottom, colour):
        # A one-unit line inside the rectangle's edge, as the pixel frame draws it.
        self.shapes.append(
            '<rect x="%g" y="%g" width="%d" height="%d" fill="none" stroke="%s" '
            'stroke-width="1"/>' % (left + 0.5, top + 0.5, right - left, bottom - top,
                                    self._rgb(colour)))

    def svg(self):
        return ('<?xml version="1.0" encoding="UTF-8"?>\n'
                '<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" '
                'viewBox="0 0 %d %d">\n' % (self.width, self.height, self.width, self.height)
                + "".join("  %s\n" % shape for shape in self.shapes) + "</svg>\n")


# Colours of the box view: the band blue and the olive of the box frames.
BAND = (56, 111, 139)
OLIVE = (146, 143, 73)
OLIVE_LIGHT = (182, 178, 91)
OLIVE_DARK = (92, 88, 40)
CREAM = (232, 230, 185)
WHITE = (255, 255, 255)
INK = (0, 6, 31)
GREY = (120, 120, 120)
GREEN = (46, 139, 87)
DARK_GREEN = (20, 90, 50)


def container_closed():
    c = Canvas(16, 16)
    c.fill(1, 3, 6, 4, OLIVE_LIGHT)           # tab
    c.fill(1, 5, 14, 13, OLIVE_LIGHT)
    c.frame(1, 5, 14, 13, OLIVE_DARK)
    c.line(1, 3, 6, 3, OLIVE_DARK)
    c.line(1, 3, 1, 5, OLIVE_DARK)
    c.line(6, 3, 7, 5, OLIVE_DARK)
    c.fill(2, 6, 13, 6, CREAM)
    return c


def container_open():
    c = Canvas(16, 16)
    c.fill(1, 3, 6, 4, OLIVE)
    c.fill(1, 5, 13, 13, OLIVE)
    c.frame(1, 5, 13, 13, OLIVE_DARK)
    c.line(1, 3, 6, 3, OLIVE_DARK)
    c.line(1, 3, 1, 5, OLIVE_DARK)
    c.line(6, 3, 7, 5, OLIVE_DARK)
    c.fill(3, 6, 11, 8, WHITE)                # a sheet inside
    c.polygon([(3, 8.5), (15.5, 8.5), (13, 14), (0.5, 14)], OLIVE_LIGHT)  # front flap
    c.line(3, 8, 15, 8, OLIVE_DARK)
    c.line(15, 8, 13, 13, OLIVE_DARK)
    c.line(0, 13, 13, 13, OLIVE_DARK)
    c.line(0, 13, 3, 8, OLIVE_DARK)
    return c


def button(expanded):
    c = Canvas(16, 16)
    c.fill(2, 2, 13, 13, WHITE)
    c.frame(2, 2, 13, 13, BAND)
    c.fill(5, 7, 10, 8, INK)                  # minus
    if not expanded:
        c.fill(7, 5, 8, 10, INK)              # plus
    return c


def document_new():
    c = Canvas(16, 16)
    c.polygon([(2.5, 1.5), (10.5, 1.5), (13.5, 4.5), (13.5, 14.5), (2.5, 14.5)], WHITE)
    c.line(2, 1, 10, 1, GREY)
    c.line(10, 1, 13, 4, GREY)
    c.line(13, 4, 13, 14, GREY)
    c.line(2, 14, 13, 14, GREY)
    c.line(2, 1, 2, 14, GREY)
    c.line(10, 1, 10, 4, GREY)
    c.line(10, 4, 13, 4, GREY)
    c.disc(11.5, 11.5, 3.2, (240, 200, 40))   # a spark: something new
    return c


def document_open():
    c = container_open()
    c.polygon([(9.5, 0.5), (15.5, 0.5), (15.5, 6.5)], BAND)  # an arrow out of the folder
    c.line(9, 6, 14, 1, BAND)
    c.line(10, 6, 15, 1, BAND)
    return c


def start_parsing():
    c = Canvas(16, 16)
    c.polygon([(3.5, 1.5), (14.5, 8), (3.5, 14.5)], GREEN)
    c.line(3, 1, 14, 7, DARK_GREEN)
    c.line(14, 8, 3, 14, DARK_GREEN)
    c.line(3, 1, 3, 14, DARK_GREEN)
    return c


def find():
    c = Canvas(16, 16)
    c.disc(6.5, 6.5, 5.0, (215, 232, 240))
    c.disc(6.5, 6.5, 5.2, BAND, inner=4.0)
    for i in range(5):
        c.fill(10 + i, 10 + i, 11 + i, 11 + i, INK)
    return c


def options():
    c = Canvas(16, 16)
    for x, knob in ((3, 10), (8, 4), (13, 8)):
        c.fill(x, 1, x, 14, GREY)
        c.fill(x - 2, knob - 1, x + 2, knob + 1, BAND)
        c.frame(x - 2, knob - 1, x + 2, knob + 1, INK)
    return c


def application(c=None):
    """Three stacked framed layers, like a node of the tree, beside the offset band."""
    c = c or Canvas(32, 32)
    c.fill(0, 0, 7, 31, BAND)
    layers = ((9, 3, 30, 10, OLIVE, CREAM), (9, 10, 30, 17, OLIVE_LIGHT, INK),
              (9, 17, 30, 29, (0, 54, 81), WHITE))
    for left, top, right, bottom, back, text in layers:
        c.fill(left, top, right, bottom, back)
        c.frame(left, top, right, bottom, INK)
        mid = (top + bottom) // 2
        c.fill(left + 4, mid, right - 6, mid, text)
    c.fill(13, 24, 26, 24, WHITE)
    c.fill(1, 4, 6, 4, WHITE)
    c.fill(1, 19, 6, 19, WHITE)
    return c


ICONS = {
    "container-closed": container_closed,
    "container-open": container_open,
    "button-expanded": lambda: button(True),
    "button-collapsed": lambda: button(False),
    "new": document_new,
    "open": document_open,
    "parse": start_parsing,
    "find": find,
    "options": options,
    "orvex": application,
}


THEME_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)


def main():
    global SCALE
    os.makedirs(OUT, exist_ok=True)
    for scale, suffix in ((1, ""), (2, "@2x")):
        SCALE = scale
        for name, draw in ICONS.items():
            with open(os.path.join(OUT, name + suffix + ".png"), "wb") as out:
                out.write(draw().png())
    svg_path = os.path.join(OUT, "orvex.svg")
    with open(svg_path, "w", encoding="utf-8") as out:
        out.write(application(SvgCanvas(32, 32)).svg())
    rsvg = shutil.which("rsvg-convert")
    if not rsvg:
        print("make_icons: rsvg-convert is missing (librsvg2-bin): theme PNGs not remade")
        return
    for size in THEME_SIZES:
        folder = os.path.join(OUT, "hicolor", "%dx%d" % (size, size))
        os.makedirs(folder, exist_ok=True)
        subprocess.run([rsvg, "-w", str(size), "-h", str(size), "-o",
                        os.path.join(folder, "orvex.png"), svg_path], check=True)


if __name__ == "__main__":
    main()
