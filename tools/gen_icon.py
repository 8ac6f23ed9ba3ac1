#!/usr/bin/env python3
"""Draws the program's icon: resources/lectra.svg and the pictures resources/lectra-48.png and
resources/lectra-128.png made from the same shapes.

An open book seen from above on a blue rounded square: two cream pages with grey lines of text,
a brown spine, and a red ribbon hanging from the top of the right page. The shapes are given once
in a 128-unit square; the SVG writes them as they are, and the PNGs are rasterised from them here
with 4 x 4 samples a pixel and written with zlib. Nothing is read.

usage: python3 tools/gen_icon.py [FOLDER]   (default: the project's resources/)
"""
import os
import struct
import sys
import zlib

# (kind, colour, geometry) in a 128 x 128 box. Kinds: "round" (x, y, w, h, radius), "rect"
# (x, y, w, h), "poly" (points).
BACK = (44, 92, 160)
PAGE = (246, 238, 214)
SPINE = (120, 64, 24)
LINE = (150, 150, 150)
RIBBON = (206, 36, 36)

SHAPES = [("round", BACK, (4, 4, 120, 120, 22))]
SHAPES += [("poly", PAGE, [(16, 30), (62, 26), (62, 102), (16, 106)])]
SHAPES += [("poly", PAGE, [(66, 26), (112, 30), (112, 106), (66, 102)])]
SHAPES += [("rect", SPINE, (62, 24, 4, 80))]
for i in range(7):
    y = 38 + i * 9
    SHAPES += [("rect", LINE, (22, y, 34, 3))]
    SHAPES += [("rect", LINE, (72, y, 34 if i < 6 else 20, 3))]
SHAPES += [("poly", RIBBON, [(96, 28), (104, 28), (104, 116), (100, 110), (96, 116)])]


def inside(kind, geometry, x, y):
    if kind == "rect":
        gx, gy, w, h = geometry
        return gx <= x < gx + w and gy <= y < gy + h
    if kind == "round":
        gx, gy, w, h, r = geometry
        if not (gx <= x < gx + w and gy <= y < gy + h):
            return False
        cx = min(max(x, gx + r), gx + w - r)
        cy = min(max(y, gy + r), gy + h - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    # Even-odd rule over the polygon's edges.
    hit = False
    pts = geometry
    for i in range(len(pts)):
        (x1, y1), (x2, y2) = pts[i], pts[(i + 1) % len(pts)]
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            hit = not hit
    return hit


def raster(size):
    scale = 128.0 / size
    rows = []
    for py in range(size):
        row = bytearray()
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(4):
                for sx in range(4):
                    x = (px + (sx + 0.5) / 4) * scale
                    y = (py + (sy + 0.5) / 4) * scale
                    colour = None
                    for kind, c, g in SHAPES:
                        if inside(kind, g, x, y):
                            colour = c
                    if colour:
                        acc[0] += colour[0]
                        acc[1] += colour[1]
                        acc[2] += colour[2]
                        acc[3] += 1
            n = acc[3]
            if n:
                row += bytes([round(acc[0] / n), round(acc[1] / n), round(acc[2] / n),
                              round(255 * n / 16)])
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return rows


def png(rows, size):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    raw = b"".join(b"\0" + r for r in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def svg():
    out = ['<svg xmlns="http://www.w3.org/2000/svg" width="128" height="128" viewBox="0 0 128 128">']
    for kind, c, g in SHAPES:
        fill = "#%02x%02x%02x" % c
        if kind == "round":
            out.append('  <rect x="%d" y="%d" width="%d" height="%d" rx="%d" fill="%s"/>' % (*g, fill))
        elif kind == "rect":
            out.append('  <rect x="%d" y="%d" width="%d" height="%d" fill="%s"/>' % (*g, fill))
        else:
            points = " ".join("%d,%d" % p for p in g)
            out.append('  <polygon points="%s" fill="%s"/>' % (points, fill))
    out.append("</svg>")
    return "\n".join(out) + "\n"


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "resources")
    with open(os.path.join(folder, "lectra.svg"), "w") as f:
        f.write(svg())
    for size in (48, 128):
        with open(os.path.join(folder, "lectra-%d.png" % size), "wb") as f:
            f.write(png(raster(size), size))


if __name__ == "__main__":
    main()
