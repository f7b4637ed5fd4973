#!/usr/bin/env python3
"""Draws app/stashly.ico: a rounded blue tile with a white bookmark ribbon.

Standard library only. Each size is rasterised with 4x4 supersampling and
stored as a 32-bit BGRA DIB with an AND mask, which every Windows version
reads.

    python3 app/art/draw_icon.py        # rewrite app/stashly.ico
"""

import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(os.path.dirname(HERE), "stashly.ico")
SIZES = (16, 24, 32, 48)
TILE = (0x2B, 0x7F, 0xE9)
RIBBON = (0xFF, 0xFF, 0xFF)
SS = 4


def inside_tile(x, y, n):
    r = n * 0.22
    m = n * 0.04
    lo, hi = m, n - m
    cx = min(max(x, lo + r), hi - r)
    cy = min(max(y, lo + r), hi - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r and lo <= x <= hi and lo <= y <= hi


def inside_ribbon(x, y, n):
    left, right = n * 0.32, n * 0.68
    top, bottom = n * 0.22, n * 0.80
    if not (left <= x <= right and top <= y <= bottom):
        return False
    # The notch: a V cut into the bottom edge.
    notch = n * 0.16
    mid = (left + right) / 2
    depth = notch * (1 - abs(x - mid) / ((right - left) / 2))
    return y <= bottom - depth


def pixel(x, y, n):
    tile = ribbon = 0
    for sy in range(SS):
        for sx in range(SS):
            px = x + (sx + 0.5) / SS
            py = y + (sy + 0.5) / SS
            if inside_tile(px, py, n):
                tile += 1
                if inside_ribbon(px, py, n):
                    ribbon += 1
    total = SS * SS
    a = tile / total
    if tile == 0:
        return (0, 0, 0, 0)
    t = ribbon / tile
    color = tuple(round(TILE[i] * (1 - t) + RIBBON[i] * t) for i in range(3))
    return color + (round(a * 255),)


def dib(n):
    rows = []
    for y in reversed(range(n)):  # bottom-up
        row = b"".join(struct.pack("BBBB", b, g, r, a) for (r, g, b, a) in
                       (pixel(x, y, n) for x in range(n)))
        rows.append(row)
    mask_stride = ((n + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, n, n * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + b"".join(rows) + bytes(mask_stride * n)


def main():
    images = [dib(n) for n in SIZES]
    out = struct.pack("<HHH", 0, 1, len(SIZES))
    offset = 6 + 16 * len(SIZES)
    for n, data in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", n, n, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(OUT, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
