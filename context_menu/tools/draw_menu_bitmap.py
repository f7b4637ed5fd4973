#!/usr/bin/env python3
"""Draws the 16 x 16, 24-bit menu bitmap of Clickwell.dll: a gold star over a wooden box,
the favourites box. Writes clickwell_menu.bmp beside this folder:

    python3 context_menu/tools/draw_menu_bitmap.py
"""
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


def bitmap_bytes():
    width = height = 16
    rows = []
    for line in reversed(PIXELS):  # bottom-up
        assert len(line) == width
        row = b"".join(bytes((b, g, r)) for r, g, b in (COLOURS[c] for c in line))
        rows.append(row + b"\0" * (-len(row) % 4))
    image = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    offset = 14 + len(info)
    header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    return header + info + image


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "..", "clickwell_menu.bmp"), "wb") as out:
        out.write(bitmap_bytes())
