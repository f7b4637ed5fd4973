#!/usr/bin/env python3
"""Draws the 24-bit menu bitmaps of Clickwell.dll: a gold star over a wooden box,
the favourites box. The 16 x 16 one (96 DPI) is pixel art; the 24 x 24 (144 DPI)
and 32 x 32 (192 DPI) ones are drawn from the same shapes at their size,
anti-aliased, not enlarged. Writes clickwell_menu.bmp, clickwell_menu_24.bmp and
clickwell_menu_32.bmp beside this folder:

    python3 context_menu/tools/draw_menu_bitmap.py
"""
import math
import os
import struct

PIXELS = [
    "................",
    ".......YY.......",
    "......YYYY......",
    "...yYYYYYYYYy...",
    "....yYYYYYYy....",
    ".....YYYYYY.....",
    "....yYY..YYy....",
    ".BBBBBBBBBBBBBB.",
    ".BLLLLLLLLLLLLB.",
    ".BLLLLLLLLLLLLB.",
    ".BLLLLLKKLLLLLB.",
    ".BLLLLLKKLLLLLB.",
    ".BLLLLLLLLLLLLB.",
    ".BDDDDDDDDDDDDB.",
    ".BBBBBBBBBBBBBB.",
    "................",
]

COLOURS = {  # (red, green, blue)
    ".": (255, 255, 255),  # menu background
    "Y": (255, 200, 30),  # star
    "y": (225, 150, 0),  # star tips
    "B": (110, 62, 24),  # box frame
    "L": (210, 146, 74),  # box front
    "D": (170, 110, 50),  # shaded bottom board
    "K": (250, 214, 80),  # clasp
}


def star(cx, cy, rx, ry, inner):
    """A five-pointed star, squat like the pixel art's: radii rx across, ry down."""
    points = []
    for k in range(10):
        scale = 1.0 if k % 2 == 0 else inner
        angle = -math.pi / 2 + k * math.pi / 5
        points.append((cx + scale * rx * math.cos(angle), cy + scale * ry * math.sin(angle)))
    return points


def inside_polygon(points, x, y):
    inside = False
    for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
        if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
            inside = not inside
    return inside


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def shapes(size):
    """The pixel art's shapes at `size` pixels, painted in this order: the box on
    whole pixels (a line is as many pixels as the scale rounds one to), the star
    anti-aliased."""
    line = max(1, int(size / 16.0 + 0.5))
    top = int(7 * size / 16.0 + 0.5)
    left, right, bottom = line, size - line, size - line
    middle = (top + line + bottom - 2 * line) // 2
    unit = size / 16.0
    return [
        (rect(left, top, right, bottom), "B"),
        (rect(left + line, top + line, right - line, bottom - 2 * line), "L"),
        (rect(left + line, bottom - 2 * line, right - line, bottom - line), "D"),
        (rect(size // 2 - line, middle - line, size // 2 + line, middle + line), "K"),
        (lambda x, y, p=star(8 * unit, 4.3 * unit, 5.4 * unit, 3.7 * unit, 0.45): inside_polygon(p, x, y), "y"),
        (lambda x, y, p=star(8 * unit, 4.3 * unit, 4.6 * unit, 3.1 * unit, 0.45): inside_polygon(p, x, y), "Y"),
    ]


def drawn(size, samples=8):
    """Each pixel the average of samples x samples points of the shapes."""
    painted = shapes(size)
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            total = [0, 0, 0]
            for sy in range(samples):
                for sx in range(samples):
                    x, y = px + (sx + 0.5) / samples, py + (sy + 0.5) / samples
                    colour = COLOURS["."]
                    for shape, key in painted:
                        if shape(x, y):
                            colour = COLOURS[key]
                    for c in range(3):
                        total[c] += colour[c]
            row.append(tuple(int(round(t / samples / samples)) for t in total))
        rows.append(row)
    return rows


def pixel_art():
    return [[COLOURS[c] for c in line] for line in PIXELS]


def bitmap_bytes(pixels):
    width = height = len(pixels)
    rows = []
    for line in reversed(pixels):  # bottom-up
        assert len(line) == width
        row = b"".join(bytes((b, g, r)) for r, g, b in line)
        rows.append(row + b"\0" * (-len(row) % 4))
    image = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    offset = 14 + len(info)
    header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    return header + info + image


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    for name, pixels in (("clickwell_menu.bmp", pixel_art()),
                         ("clickwell_menu_24.bmp", drawn(24)),
                         ("clickwell_menu_32.bmp", drawn(32))):
        with open(os.path.join(here, "..", name), "wb") as out:
            out.write(bitmap_bytes(pixels))
