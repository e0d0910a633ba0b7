#!/usr/bin/env python3
"""Draws the Lumevarin program icon and writes it as Lumevarin.ico.

The picture: a window (white body, blue title bar, dark blue frame) and, over
its lower right corner, a smaller translucent teal copy of it with a faint
mirror glint. Each size is drawn on its own pixel grid with 8 x 8 samples per
pixel and stored as a 32-bit BMP entry with alpha and an AND mask.

Standard library only. Usage: make_icon.py [output.ico]
"""

import os
import struct
import sys

SIZES = (16, 24, 32, 48)
SUB = 8  # samples per pixel along each axis

# Geometry in a 32 x 32 design grid; scaled and rounded to whole pixels per size.
BACK = (1, 2, 25, 22)     # left, top, right, bottom of the real window
FRONT = (12, 13, 31, 29)  # the copy
BACK_TITLE = 5            # title bar heights in the design grid
FRONT_TITLE = 4

# Colours (r, g, b, a), straight alpha, 0..1.
def rgb(hexstr, a=1.0):
    v = int(hexstr, 16)
    return ((v >> 16 & 255) / 255.0, (v >> 8 & 255) / 255.0, (v & 255) / 255.0, a)

BACK_BODY = rgb("f4f8fc")
BACK_BAR = rgb("3a7bd5")
BACK_EDGE = rgb("1d4b8f")
FRONT_BODY = rgb("1fb5a6", 0.70)
FRONT_BAR = rgb("0d7a70", 0.95)
FRONT_EDGE = rgb("0b5f58")
GLINT = rgb("ffffff", 0.45)


def snap(v, size):
    return int(v * size / 32.0 + 0.5)


def in_rrect(x, y, l, t, r, b, rad):
    """True when (x, y) lies inside the rounded rectangle [l, r) x [t, b)."""
    if x < l or x >= r or y < t or y >= b:
        return False
    cx = min(max(x, l + rad), r - rad)
    cy = min(max(y, t + rad), b - rad)
    dx, dy = x - cx, y - cy
    return dx * dx + dy * dy <= rad * rad


class Window:
    """One window shape: body, title bar and frame, snapped to the pixel grid."""

    def __init__(self, rect, title, size, body, bar, edge):
        self.l, self.t, self.r, self.b = (snap(v, size) for v in rect)
        self.line = 1 if size < 32 else (2 if size < 48 else 3)
        self.rad = max(1.5, size / 10.0)
        self.bar_bottom = self.t + max(self.line + 2, snap(title, size))
        self.body, self.bar, self.edge = body, bar, edge

    def inside(self, x, y):
        return in_rrect(x, y, self.l, self.t, self.r, self.b, self.rad)

    def inside_inner(self, x, y):
        w = self.line
        return in_rrect(x, y, self.l + w, self.t + w, self.r - w, self.b - w,
                        max(0.5, self.rad - w))

    def layers(self, x, y):
        """Colours this window paints at (x, y), bottom first."""
        if not self.inside(x, y):
            return ()
        if not self.inside_inner(x, y):
            return (self.edge,)
        if y < self.bar_bottom:
            return (self.bar,)
        return (self.body,)


def glint(front, size, x, y):
    """A thin diagonal highlight across the copy's body (not at 16 px)."""
    if size < 24:
        return None
    if y < front.bar_bottom or not front.inside_inner(x, y):
        return None
    # distance along the anti-diagonal from the body's top-left corner
    d = (x - front.l) + (y - front.bar_bottom)
    w = front.r - front.l
    lo, hi = w * 0.42, w * 0.42 + max(1.0, size / 16.0)
    return GLINT if lo <= d < hi else None


def over(dst, src):
    """Straight-alpha src over premultiplied dst; returns premultiplied."""
    r, g, b, a = src
    k = 1.0 - a
    return (r * a + dst[0] * k, g * a + dst[1] * k, b * a + dst[2] * k, a + dst[3] * k)


def render(size):
    back = Window(BACK, BACK_TITLE, size, BACK_BODY, BACK_BAR, BACK_EDGE)
    front = Window(FRONT, FRONT_TITLE, size, FRONT_BODY, FRONT_BAR, FRONT_EDGE)
    pixels = []  # rows top to bottom of (r, g, b, a) bytes, straight alpha
    n = SUB * SUB
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SUB):
                y = py + (sy + 0.5) / SUB
                for sx in range(SUB):
                    x = px + (sx + 0.5) / SUB
                    c = (0.0, 0.0, 0.0, 0.0)
                    for col in back.layers(x, y):
                        c = over(c, col)
                    for col in front.layers(x, y):
                        c = over(c, col)
                    gl = glint(front, size, x, y)
                    if gl:
                        c = over(c, gl)
                    for i in range(4):
                        acc[i] += c[i]
            a = acc[3] / n
            if a <= 0.0:
                row.append((0, 0, 0, 0))
                continue
            r, g, b = (min(255, int(acc[i] / n / a * 255 + 0.5)) for i in range(3))
            row.append((r, g, b, min(255, int(a * 255 + 0.5))))
        pixels.append(row)
    return pixels


def bmp_entry(size, pixels):
    """Icon image in BMP form: header, 32-bit BGRA rows bottom-up, AND mask."""
    mask_stride = ((size + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)


def write_ico(path, images):
    count = len(images)
    out = bytearray(struct.pack("<HHH", 0, 1, count))
    offset = 6 + 16 * count
    for size, data in images:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "Lumevarin.ico")
    write_ico(path, [(s, bmp_entry(s, render(s))) for s in SIZES])
    print("wrote", path)


if __name__ == "__main__":
    main()
