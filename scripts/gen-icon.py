#!/usr/bin/env python3
"""Draws the program's icon: a dark rounded square with three lyric lines, the current one lit yellow, and a
note. Writes the scalable icon (cantrel.svg) and PNG pictures of it (cantrel-<size>.png; the 256-pixel one is
also the window icon) from the same shapes, so they match.

Usage: gen-icon.py OUTPUT-FOLDER
"""
import os
import struct
import sys
import zlib

UNITS = 256  # the drawing's own size; every picture is this scaled
SIZES = (16, 24, 32, 48, 64, 128, 256)

BACK = (30, 34, 48)
RIM = (74, 82, 104)
GREY = (118, 126, 146)
YELLOW = (255, 214, 74)

# (kind, colour, geometry); later shapes lie over earlier ones.
SHAPES = [
    ("roundrect", RIM, (12, 12, 244, 244, 44)),
    ("roundrect", BACK, (20, 20, 236, 236, 37)),
    ("capsule", GREY, (56, 76, 168, 76, 9)),
    ("capsule", YELLOW, (56, 120, 200, 120, 11)),
    ("capsule", GREY, (56, 164, 132, 164, 9)),
    ("circle", YELLOW, (176, 196, 20)),
    ("rect", YELLOW, (188, 140, 198, 196)),
    ("rect", YELLOW, (188, 140, 214, 150)),
]


def inside(kind, g, x, y):
    if kind == "rect":
        return g[0] <= x <= g[2] and g[1] <= y <= g[3]
    if kind == "circle":
        return (x - g[0]) ** 2 + (y - g[1]) ** 2 <= g[2] ** 2
    if kind == "capsule":
        x0, y0, x1, _, r = g
        cx = min(max(x, x0), x1)
        return (x - cx) ** 2 + (y - y0) ** 2 <= r * r
    if kind == "roundrect":
        x0, y0, x1, y1, r = g
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    raise ValueError(kind)


def render(size, samples=4):
    rows = []
    scale = UNITS / size
    for py in range(size):
        row = bytearray()
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) * scale
                    y = (py + (sy + 0.5) / samples) * scale
                    colour = None
                    for kind, c, g in SHAPES:
                        if inside(kind, g, x, y):
                            colour = c
                    if colour:
                        acc[0] += colour[0]
                        acc[1] += colour[1]
                        acc[2] += colour[2]
                        acc[3] += 1
            n = samples * samples
            if acc[3]:
                # Colour averaged over the covered samples, coverage as alpha (straight alpha).
                row += bytes((round(acc[0] / acc[3]), round(acc[1] / acc[3]), round(acc[2] / acc[3]),
                              round(255 * acc[3] / n)))
            else:
                row += b"\0\0\0\0"
        rows.append(bytes(row))
    return rows


def write_png(path, size, rows):
    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)

    raw = b"".join(b"\0" + r for r in rows)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def hex_colour(c):
    return "#%02x%02x%02x" % c


def svg():
    parts = ['<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">'
             % (UNITS, UNITS, UNITS, UNITS)]
    for kind, c, g in SHAPES:
        fill = hex_colour(c)
        if kind == "rect":
            parts.append('<rect x="%g" y="%g" width="%g" height="%g" fill="%s"/>'
                         % (g[0], g[1], g[2] - g[0], g[3] - g[1], fill))
        elif kind == "circle":
            parts.append('<circle cx="%g" cy="%g" r="%g" fill="%s"/>' % (g[0], g[1], g[2], fill))
        elif kind == "capsule":
            x0, y0, x1, _, r = g
            parts.append('<rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="%s"/>'
                         % (x0 - r, y0 - r, x1 - x0 + 2 * r, 2 * r, r, fill))
        elif kind == "roundrect":
            x0, y0, x1, y1, r = g
            parts.append('<rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="%s"/>'
                         % (x0, y0, x1 - x0, y1 - y0, r, fill))
    parts.append("</svg>")
    return "\n".join(parts) + "\n"


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    with open(os.path.join(out, "cantrel.svg"), "w") as f:
        f.write(svg())
    for size in SIZES:
        rows = render(size)
        write_png(os.path.join(out, "cantrel-%d.png" % size), size, rows)


if __name__ == "__main__":
    main()
