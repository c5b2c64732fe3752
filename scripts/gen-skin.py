#!/usr/bin/env python3
"""Draws the window frame's skin sheet: a 132 x 75, 24-bit PNG whose regions hold the frame's pieces.

    x 0-45,  y 0-13    button, normal (left cap 0-3, middle 4-41, right cap 42-45)
    x 0-45,  y 15-28   button, pressed
    x 0-13,  y 31-44   scroll up, normal        x 14-27  scroll down, normal
    x 28-41, y 31-44   scroll up, pressed       x 42-55  scroll down, pressed
    x 56-69, y 31-58   scroll thumb, normal     x 70-83  scroll thumb, pressed
                       (top cap 31-33, body 34-39, grip 39-48, body 50-54, bottom cap 56-58)
    pixel (52, 0) face colour, (54, 0) edge colour, (74, 0) and (76, 0) the scroll track's two colours

Usage: gen-skin.py OUTPUT.png
"""
import struct
import sys
import zlib

W, H = 132, 75

FACE = (38, 42, 50)
EDGE = (12, 14, 18)
TRACK = (26, 29, 35)
TRACK_CHECK = (46, 50, 60)
BUTTON_BORDER = (78, 84, 96)
ARROW = (28, 30, 36)
GRIP = (92, 98, 112)


def blend(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    img = [[FACE for _ in range(W)] for _ in range(H)]

    def put(x, y, c):
        img[y][x] = c

    def box(x0, y0, w, h, top, bottom, border):
        """A rectangle with a vertical gradient, a one-pixel border and clipped corners."""
        for y in range(h):
            fill = blend(top, bottom, y / max(1, h - 1))
            for x in range(w):
                edge = x in (0, w - 1) or y in (0, h - 1)
                corner = x in (0, w - 1) and y in (0, h - 1)
                put(x0 + x, y0 + y, FACE if corner else (border if edge else fill))

    # Buttons: light face for black text; pixel (3, 3) is a light colour for text on the dark strip.
    box(0, 0, 46, 14, (214, 220, 228), (150, 158, 170), BUTTON_BORDER)
    box(0, 15, 46, 14, (140, 148, 160), (196, 202, 212), BUTTON_BORDER)

    # Scroll buttons with their arrows.
    def arrow(x0, y0, up):
        for row in range(4):
            half = row if up else 3 - row
            for x in range(7 - half, 7 + half + 1):
                put(x0 + x, y0 + 5 + row, ARROW)

    for x0, up, pressed in ((0, True, False), (14, False, False), (28, True, True), (42, False, True)):
        top, bottom = ((214, 220, 228), (150, 158, 170)) if not pressed else ((140, 148, 160), (196, 202, 212))
        box(x0, 31, 14, 14, top, bottom, BUTTON_BORDER)
        arrow(x0 - 1, 31 + (1 if pressed else 0), up)

    # Scroll thumbs: 14 x 28, grip lines in the middle rows.
    for x0, pressed in ((56, False), (70, True)):
        left, right = ((150, 158, 172), (110, 118, 132)) if not pressed else ((184, 192, 206), (140, 148, 162))
        for y in range(31, 59):
            for x in range(14):
                fill = blend(left, right, x / 13)
                edge = x in (0, 13) or y in (31, 58)
                corner = x in (0, 13) and y in (31, 58)
                put(x0 + x, y, FACE if corner else (BUTTON_BORDER if edge else fill))
        for y in range(41, 48, 2):
            for x in range(3, 11):
                put(x0 + x, y, GRIP)

    # The colour pixels of row 0.
    put(52, 0, FACE)
    put(54, 0, EDGE)
    put(74, 0, TRACK)
    put(76, 0, TRACK_CHECK)

    raw = b"".join(b"\x00" + bytes(v for px in row for v in px) for row in img)
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", W, H, 8, 2, 0, 0, 0)) +
           chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
    with open(sys.argv[1], "wb") as out:
        out.write(png)


if __name__ == "__main__":
    main()
