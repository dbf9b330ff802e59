#!/usr/bin/env python3
"""Writes the 8-bit probe bitmap that the Windows-side tests build into their
resources.  Usage: make_probe_bitmap.py OUTPUT.bmp

The picture must stay in step with ProbePicture() in SurfaceTest.cpp:
24 x 16 pixels, a magenta frame (3 columns left and right, 2 rows top and
bottom) and a 2 x 2 magenta hole at (11, 7), the rest in three colours chosen
by ((x / 3) + (y / 4)) % 3.
"""

import struct
import sys

WIDTH, HEIGHT = 24, 16
PALETTE = [(255, 0, 255), (16, 28, 24), (187, 255, 170), (255, 176, 64)]  # (r, g, b)


def index_at(x, y):
    if x < 3 or x >= WIDTH - 3 or y < 2 or y >= HEIGHT - 2:
        return 0
    if 11 <= x <= 12 and 7 <= y <= 8:
        return 0
    return 1 + ((x // 3) + (y // 4)) % 3


def main():
    stride = (WIDTH + 3) & ~3
    rows = []
    for y in reversed(range(HEIGHT)):  # bottom-up
        row = bytes(index_at(x, y) for x in range(WIDTH))
        rows.append(row + b"\0" * (stride - WIDTH))
    pixels = b"".join(rows)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    palette += b"\0" * (4 * (256 - len(PALETTE)))
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 8, 0, len(pixels), 2835, 2835, 256, 0)
    with open(sys.argv[1], "wb") as f:
        f.write(header + info + palette + pixels)


if __name__ == "__main__":
    main()
