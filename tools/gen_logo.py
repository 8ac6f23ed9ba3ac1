#!/usr/bin/env python3
"""Draws the program's logo, shown on the page when no book is open: resources/logo.png.

150 x 32 pixels, RGBA, every pixel either fully transparent or fully opaque so that it sits on
any page colour and reads the same on a 16-bit surface. On the left an open book (two cream pages
with brown edges, grey lines of text and a red ribbon); beside it the word "Lectra" in blue,
drawn from 5 x 7 pixel glyphs of our own, each pixel a 3 x 3 block, with a one-pixel dark shadow.
Nothing is read: the picture is made by the code below and written with zlib.

usage: python3 tools/gen_logo.py [OUT.png]   (default: the project's resources/logo.png)
"""
import os
import struct
import sys
import zlib

WIDTH, HEIGHT = 150, 32

CLEAR = (0, 0, 0, 0)
PAGE = (240, 232, 208, 255)
EDGE = (128, 64, 16, 255)
LINES = (150, 150, 150, 255)
RIBBON = (208, 32, 32, 255)
INK = (40, 96, 176, 255)
SHADOW = (16, 32, 72, 255)

GLYPHS = {
    "L": ["X....", "X....", "X....", "X....", "X....", "X....", "XXXXX"],
    "e": [".....", ".....", ".XXX.", "X...X", "XXXXX", "X....", ".XXXX"],
    "c": [".....", ".....", ".XXX.", "X...X", "X....", "X...X", ".XXX."],
    "t": [".X...", ".X...", "XXXX.", ".X...", ".X...", ".X..X", "..XX."],
    "r": [".....", ".....", "X.XX.", "XX..X", "X....", "X....", "X...."],
    "a": [".....", ".....", ".XXX.", "....X", ".XXXX", "X...X", ".XXXX"],
}


def make():
    img = [[CLEAR] * WIDTH for _ in range(HEIGHT)]

    def put(x, y, colour):
        if 0 <= x < WIDTH and 0 <= y < HEIGHT:
            img[y][x] = colour

    # The open book: each page a slanted quadrilateral, its outer edge lower than the spine.
    spine, half, top, height = 17, 14, 5, 20
    for side in (-1, 1):
        for i in range(half + 1):
            x = spine + side * i
            drop = i // 4  # the page curls down towards its outer edge
            y0, y1 = top + drop, top + height + drop
            for y in range(y0, y1 + 1):
                edge = i == half or y in (y0, y1)
                put(x, y, EDGE if edge else PAGE)
            # Lines of text, short of the margins, every third row.
            if 2 <= i <= half - 2:
                for y in range(y0 + 3, y1 - 2, 3):
                    put(x, y, LINES)
    for y in range(top, top + height + 2):
        put(spine, y, EDGE)
    # The ribbon: from the top of the right page down past its bottom edge, with a notched end.
    for y in range(top - 2, top + height + 6):
        for x in (spine + 9, spine + 10):
            put(x, y, RIBBON)
    put(spine + 9, top + height + 6, RIBBON)
    put(spine + 10, top + height + 6, CLEAR)

    # The word, 3 pixels for each glyph pixel, 3 pixels between glyphs.
    scale, x = 3, 41
    y = (HEIGHT - 7 * scale) // 2
    for letter in "Lectra":
        rows = GLYPHS[letter]
        for colour, shift in ((SHADOW, 1), (INK, 0)):
            for gy, row in enumerate(rows):
                for gx, bit in enumerate(row):
                    if bit != "X":
                        continue
                    for dy in range(scale):
                        for dx in range(scale):
                            put(x + gx * scale + dx + shift, y + gy * scale + dy + shift, colour)
        x += 5 * scale + 3
    return img


def png(img):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in img)
    header = struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources", "logo.png")
    with open(out, "wb") as f:
        f.write(png(make()))


if __name__ == "__main__":
    main()
