#!/usr/bin/env python3
"""Draws the shipped skins: config/*.xml and every image they name.

The layout of the three dialogs lives here, so the skin descriptions and the
pictures can never disagree. Shapes are rasterised by this script (Python
standard library only); text is rasterised by ImageMagick's `convert` with
WenQuanYi Micro Hei, so the Chinese labels look the same on every system
locale. The output is byte-for-byte reproducible for the same ImageMagick and
font versions.

Every image is drawn three times: name.png for 96 DPI, name@1.5x.png for 144
and name@2x.png for 192, each from the same shapes and text at that scale (not
enlarged), at the size the program gives it there: each 96-DPI size scaled by
DPI/96 and rounded to the nearest pixel, halves up, as the program rounds. The
skin descriptions give the 96-DPI figures only, and a name for each control,
which screen readers announce.

    python3 config/art/draw_skins.py                  # rewrite config/
    python3 config/art/draw_skins.py --preview DIR    # also compose previews

All labels are drawn into the images and the skins leave "text" empty: push
buttons would draw their caption in black with the system GUI font, and a
CJK caption drawn by the program depends on the fonts of the machine. A check
box or radio frame is as large as the whole control (box and label), because
the image provider stretches one frame over the control's rectangle. The
previews only approximate the title and list rows, which the program draws.
"""

import argparse
import math
import os
import shutil
import struct
import subprocess
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
CONFIG = os.path.dirname(HERE)
FONT = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"

# ---- palette ---------------------------------------------------------------


def rgb(hexcode):
    hexcode = hexcode.lstrip("#")
    return tuple(int(hexcode[i:i + 2], 16) / 255.0 for i in (0, 2, 4))


ACCENT = rgb("#2B7FE9")
ACCENT_HOVER = rgb("#4A93EE")
ACCENT_PRESSED = rgb("#1E67CC")
ACCENT_TEXT = rgb("#1D5FC2")
HEADER_HINT = rgb("#D4E5FC")
WHITE = rgb("#FFFFFF")
TEXT = rgb("#1F2937")
TEXT_MUTED = rgb("#6B7785")
SURFACE = rgb("#FFFFFF")
FOOTER = rgb("#F4F6F9")
DIVIDER = rgb("#E1E6ED")
BORDER_INK = rgb("#0B1A2E")
CONTROL_EDGE = rgb("#9AA7B6")
ROW_HOVER = rgb("#EEF4FD")
ROW_PRESSED = rgb("#E1EBFA")
SECONDARY_EDGE = rgb("#C9D2DD")
SECONDARY_EDGE_HOVER = rgb("#9DBFEF")
CLOSE_HOVER = rgb("#E5484D")
CLOSE_PRESSED = rgb("#C63A3F")

# ---- canvas ----------------------------------------------------------------


def scaled(value, dpi):
    """A 96-DPI figure at dpi, rounded as the program rounds (MulDiv)."""
    return (value * dpi + 48) // 96


class Canvas:
    """Premultiplied RGBA floats; every drawing call composites 'over'. Sizes are
    pixels; a canvas drawn for another DPI (scale s = dpi / 96) takes the shapes
    and text of fill() and draw_text() in 96-DPI units, and uw, uh are its size
    in those units."""

    def __init__(self, width, height, fill=None, dpi=96):
        self.w, self.h = width, height
        self.dpi = dpi
        self.s = dpi / 96.0
        self.uw, self.uh = width / self.s, height / self.s
        if fill is None:
            self.px = [0.0] * (4 * width * height)
        else:
            self.px = [fill[0], fill[1], fill[2], 1.0] * (width * height)

    def blend(self, x, y, color, alpha):
        if alpha <= 0.0 or not (0 <= x < self.w and 0 <= y < self.h):
            return
        if alpha > 1.0:
            alpha = 1.0
        i = 4 * (y * self.w + x)
        p = self.px
        keep = 1.0 - alpha
        p[i] = color[0] * alpha + p[i] * keep
        p[i + 1] = color[1] * alpha + p[i + 1] * keep
        p[i + 2] = color[2] * alpha + p[i + 2] * keep
        p[i + 3] = alpha + p[i + 3] * keep

    def fill_rect(self, x0, y0, x1, y1, color, alpha=1.0):
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.blend(x, y, color, alpha)

    def shape(self, sdf, bbox, color, alpha=1.0):
        """Fills the area where the signed distance is negative, anti-aliased."""
        x0, y0, x1, y1 = bbox
        for y in range(max(0, int(math.floor(y0)) - 1), min(self.h, int(math.ceil(y1)) + 1)):
            for x in range(max(0, int(math.floor(x0)) - 1), min(self.w, int(math.ceil(x1)) + 1)):
                cover = 0.5 - sdf(x + 0.5, y + 0.5)
                if cover > 0.0:
                    self.blend(x, y, color, alpha * min(1.0, cover))

    def paste(self, other, ox, oy):
        for y in range(other.h):
            for x in range(other.w):
                i = 4 * (y * other.w + x)
                a = other.px[i + 3]
                if a <= 0.0:
                    continue
                tx, ty = ox + x, oy + y
                if 0 <= tx < self.w and 0 <= ty < self.h:
                    j = 4 * (ty * self.w + tx)
                    keep = 1.0 - a
                    for k in range(4):
                        self.px[j + k] = other.px[i + k] + self.px[j + k] * keep

    def crop(self, x0, y0, w, h):
        out = Canvas(w, h)
        for y in range(h):
            src = 4 * ((y0 + y) * self.w + x0)
            out.px[4 * y * w:4 * (y + 1) * w] = self.px[src:src + 4 * w]
        return out

    def get(self, x, y):
        i = 4 * (y * self.w + x)
        return self.px[i:i + 4]

    def put(self, x, y, value):
        i = 4 * (y * self.w + x)
        self.px[i:i + 4] = value


def strip(frames):
    """Joins equally sized frames into one horizontal strip."""
    fw, fh = frames[0].w, frames[0].h
    out = Canvas(fw * len(frames), fh, dpi=frames[0].dpi)
    for n, frame in enumerate(frames):
        assert (frame.w, frame.h) == (fw, fh)
        out.paste(frame, n * fw, 0)
    return out


# ---- signed distance functions ----------------------------------------------


def rounded_rect(x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0 - r, (y1 - y0) / 2.0 - r

    def sdf(px, py):
        qx, qy = abs(px - cx) - hx, abs(py - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - r

    return sdf, (x0, y0, x1, y1)


def circle(cx, cy, r):
    return (lambda px, py: math.hypot(px - cx, py - cy) - r), (cx - r, cy - r, cx + r, cy + r)


def polyline(points, width):
    """A stroke through the points with round caps and joins."""
    half = width / 2.0
    segs = list(zip(points, points[1:]))

    def sdf(px, py):
        best = 1e9
        for (ax, ay), (bx, by) in segs:
            dx, dy = bx - ax, by - ay
            t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
            t = max(0.0, min(1.0, t))
            best = min(best, math.hypot(px - ax - t * dx, py - ay - t * dy))
        return best - half

    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return sdf, (min(xs) - half, min(ys) - half, max(xs) + half, max(ys) + half)


def polygon(points):
    """Even-odd polygon with distance to its edges for anti-aliasing."""
    edges = list(zip(points, points[1:] + points[:1]))

    def sdf(px, py):
        inside = False
        best = 1e9
        for (ax, ay), (bx, by) in edges:
            if (ay > py) != (by > py) and px < ax + (py - ay) * (bx - ax) / (by - ay):
                inside = not inside
            dx, dy = bx - ax, by - ay
            t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
            best = min(best, math.hypot(px - ax - t * dx, py - ay - t * dy))
        return -best if inside else best

    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return sdf, (min(xs), min(ys), max(xs), max(ys))


def fill(canvas, shape, color, alpha=1.0):
    sdf, bbox = shape
    s = canvas.s
    if s != 1.0:
        unscaled = sdf
        sdf = lambda px, py: s * unscaled(px / s, py / s)
        bbox = tuple(v * s for v in bbox)
    canvas.shape(sdf, bbox, color, alpha)


# ---- text -------------------------------------------------------------------

_text_cache = {}


def text_mask(text, size, bold=False, scale=1.0):
    """Coverage of a one-line label: (width, height, rows of floats)."""
    key = (text, size, bold, scale)
    if key in _text_cache:
        return _text_cache[key]
    cmd = ["convert", "-density", "72", "-background", "black", "-fill", "white",
           "-font", FONT, "-pointsize", str(size if scale == 1.0 else size * scale)]
    if bold:
        cmd += ["-stroke", "white", "-strokewidth", "0.45" if scale == 1.0 else str(0.45 * scale)]
    # label: reads @file, %-escapes and backslash escapes; labels are literal.
    literal = text.replace("\\", "\\\\").replace("%", "%%")
    if literal.startswith("@"):
        literal = "\\" + literal
    cmd += ["label:" + literal, "-alpha", "off", "-colorspace", "Gray", "-depth", "8", "pgm:-"]
    data = subprocess.run(cmd, check=True, stdout=subprocess.PIPE).stdout
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    pos += 1
    assert fields[0] == b"P5" and fields[3] == b"255"
    w, h = int(fields[1]), int(fields[2])
    raw = data[pos:pos + w * h]
    rows = [[raw[y * w + x] / 255.0 for x in range(w)] for y in range(h)]
    _text_cache[key] = (w, h, rows)
    return _text_cache[key]


def ink_middle(size, bold=False, scale=1.0):
    """Vertical middle of CJK ink inside a label of this size, so that lines of
    different content sit on the same optical centre."""
    w, h, rows = text_mask("文字", size, bold, scale)
    lit = [y for y in range(h) if max(rows[y]) > 0.3]
    return (lit[0] + lit[-1] + 1) / 2.0


def text_width(text, size, bold=False):
    return text_mask(text, size, bold)[0]


def draw_text(canvas, text, x, middle_y, size, color, bold=False, align="left", width=0):
    """Draws text with its ink centred on middle_y; x is the left edge, or the
    left of a box of the given width when centred (96-DPI units)."""
    s = canvas.s
    if s != 1.0:
        x, middle_y, width = scaled(x, canvas.dpi), middle_y * s, scaled(width, canvas.dpi)
    w, h, rows = text_mask(text, size, bold, s)
    if align == "center":
        x = x + (width - w) // 2
    top = int(round(middle_y - ink_middle(size, bold, s)))
    for ty, row in enumerate(rows):
        for tx, cover in enumerate(row):
            if cover > 0.0:
                canvas.blend(x + tx, top + ty, color, cover)


# ---- PNG output -------------------------------------------------------------


def png_bytes(canvas):
    opaque = all(canvas.px[i] >= 0.999 for i in range(3, len(canvas.px), 4))
    channels = 3 if opaque else 4
    raw_rows = []
    for y in range(canvas.h):
        row = bytearray()
        for x in range(canvas.w):
            r, g, b, a = canvas.get(x, y)
            if a > 0.0:
                r, g, b = r / a, g / a, b / a
            vals = (r, g, b) if opaque else (r, g, b, a)
            row.extend(max(0, min(255, int(round(v * 255.0)))) for v in vals)
            if not opaque and row[-1] == 0:
                row[-4:-1] = b"\0\0\0"
        raw_rows.append(bytes(row))
    out = bytearray()
    prev = bytes(len(raw_rows[0]))
    bpp = channels
    for row in raw_rows:
        candidates = []
        for ftype in range(5):
            f = bytearray(len(row))
            for i, v in enumerate(row):
                left = row[i - bpp] if i >= bpp else 0
                up = prev[i]
                ul = prev[i - bpp] if i >= bpp else 0
                if ftype == 0:
                    pred = 0
                elif ftype == 1:
                    pred = left
                elif ftype == 2:
                    pred = up
                elif ftype == 3:
                    pred = (left + up) >> 1
                else:
                    p = left + up - ul
                    pa, pb, pc = abs(p - left), abs(p - up), abs(p - ul)
                    pred = left if pa <= pb and pa <= pc else (up if pb <= pc else ul)
                f[i] = (v - pred) & 0xFF
            cost = sum(v if v < 128 else 256 - v for v in f)
            candidates.append((cost, ftype, f))
        cost, ftype, f = min(candidates, key=lambda c: (c[0], c[1]))
        out.append(ftype)
        out.extend(f)
        prev = row

    def chunk(kind, payload):
        body = kind + payload
        return struct.pack(">I", len(payload)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", canvas.w, canvas.h, 8, 2 if opaque else 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(out), 9)) + chunk(b"IEND", b""))


def save(canvas, name):
    with open(os.path.join(CONFIG, name), "wb") as f:
        f.write(png_bytes(canvas))


SCALES = [(96, ""), (144, "@1.5x"), (192, "@2x")]


def variant_name(name, suffix):
    """btn.png with suffix @2x is btn@2x.png, as the program looks for it."""
    stem, ext = os.path.splitext(name)
    return stem + suffix + ext


# ---- window chrome ----------------------------------------------------------


def window_region(width, height, ellipse):
    """Rows of the visible span [left, right) of a window rounded with
    CreateRoundRectRgn(0, 0, width, height, ellipse, ellipse): GDI leaves out
    the last column and row, and rounds with a midpoint ellipse."""
    right, bottom = width - 1, height - 1
    spans = [(0, right)] * bottom
    ew = min(right, ellipse)
    eh = min(bottom, ellipse)
    if ew < 2 or eh < 2:
        return spans
    a, b = ew - 1, eh - 1
    asq, bsq = 8 * a * a, 8 * b * b
    dx = 4 * b * b * (1 - a)
    dy = 4 * a * a * (1 + (b % 2))
    err = dx + dy + a * a * (b % 2)
    x, y = 0, eh // 2
    inset = {y: 0}
    while x <= ew // 2:
        e2 = 2 * err
        if e2 >= dx:
            x += 1
            dx += bsq
            err += dx
        if e2 <= dy:
            y += 1
            dy += asq
            err += dy
            inset[y] = x
    for i in range(eh // 2):
        k = inset[b - i]
        spans[i] = (k, right - k)
    for i in range(eh // 2, eh):
        k = inset.get(i, 0)
        spans[bottom - eh + i] = (k, right - k)
    return spans


def frame_window(canvas, ellipse):
    """Darkens the outermost visible pixels into a one-pixel border that follows
    the rounded window region, whatever surface lies under it."""
    spans = window_region(canvas.w, canvas.h, ellipse)

    def visible(x, y):
        return 0 <= y < len(spans) and spans[y][0] <= x < spans[y][1]

    edge = []
    for y, (x0, x1) in enumerate(spans):
        for x in range(x0, x1):
            if not (visible(x - 1, y) and visible(x + 1, y) and visible(x, y - 1) and visible(x, y + 1)):
                edge.append((x, y))
    for x, y in edge:
        canvas.blend(x, y, BORDER_INK, 0.24)


# ---- controls ---------------------------------------------------------------


def push_button(label, width, height, primary, dpi):
    frames = []
    for state in range(3):
        c = Canvas(scaled(width, dpi), scaled(height, dpi), dpi=dpi)
        body = rounded_rect(0, 0, c.uw, c.uh, 4)
        if primary:
            fill(c, body, (ACCENT, ACCENT_HOVER, ACCENT_PRESSED)[state])
            ink = WHITE
        else:
            fill(c, body, (SECONDARY_EDGE, SECONDARY_EDGE_HOVER, ACCENT)[state])
            fill(c, rounded_rect(1, 1, c.uw - 1, c.uh - 1, 3), (SURFACE, ROW_HOVER, ROW_PRESSED)[state])
            ink = (TEXT, ACCENT_TEXT, ACCENT_TEXT)[state]
        draw_text(c, label, 0, c.uh / 2.0, 13, ink, align="center", width=width)
        frames.append(c)
    return strip(frames)


def close_button(dpi, width=28, height=22):
    frames = []
    for state in range(3):
        c = Canvas(scaled(width, dpi), scaled(height, dpi), dpi=dpi)
        if state:
            fill(c, rounded_rect(0, 0, c.uw, c.uh, 4), (None, CLOSE_HOVER, CLOSE_PRESSED)[state])
        cx, cy, arm = c.uw / 2.0, c.uh / 2.0, 4.5
        for pts in (((cx - arm, cy - arm), (cx + arm, cy + arm)), ((cx - arm, cy + arm), (cx + arm, cy - arm))):
            fill(c, polyline(list(pts), 1.4), WHITE, 0.95 if state == 0 else 1.0)
        frames.append(c)
    return strip(frames)


def title_icon(dpi):
    """A folder with a star: the favourites box, white on the header."""
    c = Canvas(scaled(16, dpi), scaled(16, dpi), dpi=dpi)
    fill(c, rounded_rect(1.0, 2.5, 7.5, 6.0, 1.2), WHITE)
    fill(c, rounded_rect(1.0, 4.0, 15.0, 14.0, 1.6), WHITE)
    cx, cy, outer, inner = 8.0, 9.3, 4.0, 1.7
    pts = []
    for k in range(10):
        radius = outer if k % 2 == 0 else inner
        angle = -math.pi / 2 + k * math.pi / 5
        pts.append((cx + radius * math.cos(angle), cy + radius * math.sin(angle)))
    fill(c, polygon(pts), ACCENT)
    return c


def row_backdrop(c, state):
    if state:
        fill(c, rounded_rect(0, 0, c.uw, c.uh, 5), (None, ROW_HOVER, ROW_PRESSED)[state])


def check_box(label, width, height, dpi):
    """Six frames: box and label per state, then the ticked box per state."""
    bx, by = 8, (height - 16) // 2
    frames = []
    for state in range(3):
        c = Canvas(scaled(width, dpi), scaled(height, dpi), dpi=dpi)
        row_backdrop(c, state)
        fill(c, rounded_rect(bx, by, bx + 16, by + 16, 3), CONTROL_EDGE if state == 0 else ACCENT)
        fill(c, rounded_rect(bx + 1, by + 1, bx + 15, by + 15, 2), ROW_PRESSED if state == 2 else SURFACE)
        draw_text(c, label, bx + 26, c.uh / 2.0, 13, TEXT)
        frames.append(c)
    for state in range(3):
        c = Canvas(scaled(width, dpi), scaled(height, dpi), dpi=dpi)
        fill(c, rounded_rect(bx - 0.3, by - 0.3, bx + 16.3, by + 16.3, 3.3),
             (ACCENT, ACCENT_HOVER, ACCENT_PRESSED)[state])
        fill(c, polyline([(bx + 4.0, by + 8.3), (bx + 7.0, by + 11.3), (bx + 12.2, by + 5.2)], 1.9), WHITE)
        frames.append(c)
    return strip(frames)


def radio_button(label, width, height, dpi):
    frames = []
    for state in range(3):
        c = Canvas(scaled(width, dpi), scaled(height, dpi), dpi=dpi)
        cx, cy = 16.0, c.uh / 2.0
        row_backdrop(c, state)
        fill(c, circle(cx, cy, 8.0), CONTROL_EDGE if state == 0 else ACCENT)
        fill(c, circle(cx, cy, 7.0), ROW_PRESSED if state == 2 else SURFACE)
        draw_text(c, label, 34, c.uh / 2.0, 13, TEXT)
        frames.append(c)
    for state in range(3):
        c = Canvas(scaled(width, dpi), scaled(height, dpi), dpi=dpi)
        fill(c, circle(cx, cy, 8.3), (ACCENT, ACCENT_HOVER, ACCENT_PRESSED)[state])
        fill(c, circle(cx, cy, 3.2), WHITE)
        frames.append(c)
    return strip(frames)


def switch_row(label, detail, width, height, dpi):
    """A settings row: label and explanation on the left, a switch on the right.
    The checked frames hold only the switch, drawn over the unchecked one."""
    tw, th = 38, 20
    frames = []
    for state in range(6):
        c = Canvas(scaled(width, dpi), scaled(height, dpi), dpi=dpi)
        tx, ty = c.uw - 14 - tw, (c.uh - th) / 2.0
        if state < 3:
            row_backdrop(c, state)
            fill(c, rounded_rect(tx, ty, tx + tw, ty + th, th / 2.0), CONTROL_EDGE if state == 0 else ACCENT)
            fill(c, rounded_rect(tx + 1, ty + 1, tx + tw - 1, ty + th - 1, th / 2.0 - 1),
                 ROW_PRESSED if state == 2 else SURFACE)
            fill(c, circle(tx + th / 2.0, ty + th / 2.0, 5.0), TEXT_MUTED if state == 0 else ACCENT)
            draw_text(c, label, 12, c.uh / 2.0 - 8, 13, TEXT, bold=True)
            draw_text(c, detail, 12, c.uh / 2.0 + 9, 12, TEXT_MUTED)
        else:
            fill(c, rounded_rect(tx - 0.3, ty - 0.3, tx + tw + 0.3, ty + th + 0.3, th / 2.0 + 0.3),
                 (ACCENT, ACCENT_HOVER, ACCENT_PRESSED)[state - 3])
            fill(c, circle(tx + tw - th / 2.0, ty + th / 2.0, 6.0), WHITE)
        frames.append(c)
    return strip(frames)


# ---- the three dialogs ------------------------------------------------------

ROUND = 10
MARGIN = 12
BUTTON_H = 30
ICON = "title_icon.png"
CLOSE = "sys_close.png"


def footer_button_slots(visible_width, widths):
    """x of right-aligned buttons, first given leftmost."""
    xs, x = [], visible_width - 1 - MARGIN
    for w in reversed(widths):
        x -= w
        xs.insert(0, x)
        x -= 8
    return xs


def button_width(label):
    w = max(72, text_width(label, 13) + 34)
    return w + (w % 2)


def dialog_background(width, height, header, footer_top, decorate, dpi):
    """Header band in the accent colour, white body, light footer under a
    divider, and the window border along the rounded region. The footer is
    placed from the bottom, as the program places the main window's list."""
    c = Canvas(scaled(width, dpi), scaled(height, dpi), SURFACE, dpi)
    footer = c.h - scaled(height - footer_top, dpi)
    line = scaled(1, dpi)
    c.fill_rect(0, 0, c.w, scaled(header, dpi), ACCENT)
    c.fill_rect(0, footer, c.w, footer + line, DIVIDER)
    c.fill_rect(0, footer + line, c.w, c.h, FOOTER)
    if decorate:
        decorate(c)
    frame_window(c, scaled(ROUND, dpi))
    return c


def xml_path(name):
    return "config\\" + name


def layout_main():
    W, H = 460, 560
    header, footer_top = 50, H - 51
    labels = {"add": "添加文件夹", "delete": "删除所选", "settings": "设置", "exit": "退出"}
    widths = {k: button_width(v) for k, v in labels.items()}
    y = footer_top + 1 + (H - 3 - footer_top - BUTTON_H) // 2
    right = footer_button_slots(W - 1, [widths["settings"], widths["exit"]])
    buttons = [
        (5000, MARGIN, "btn_add.png", labels["add"], True, "添加文件夹：在文件夹浏览器中选择一个文件夹收藏"),
        (5001, MARGIN + widths["add"] + 8, "btn_delete.png", labels["delete"], False, "删除所选：从列表删除选中的条目"),
        (5002, right[0], "btn_settings.png", labels["settings"], False, "设置：打开设置对话框"),
        (1, right[1], "btn_exit.png", labels["exit"], False, "退出：结束程序"),
    ]
    hint = "双击条目即可打开  ·  Alt+Shift 显示或隐藏窗口"

    def decorate(c):
        draw_text(c, hint, 25, 37, 12, HEADER_HINT)

    return {
        "name": "main", "width": W, "height": H, "title": "Velto文件收藏夹",
        "bk": lambda dpi: dialog_background(W, H, header, footer_top, decorate, dpi),
        "header": header,
        "buttons": [(msg, x, y, img, label, primary, note) for msg, x, img, label, primary, note in buttons],
        "checks": [], "radios": [],
        "comment": "主窗口：标题栏与提示在 0–49 行，列表占 50–508 行（左 1、右 2、下 51 像素由程序留出），按钮在底栏。",
    }


def layout_set():
    W = 360
    header = 32
    row_h, row_gap, first = 50, 2, header + 8
    rows = [
        (6000, "set_startup.png", "开机启动", "登录 Windows 时自动运行本程序"),
        (6001, "set_autohide.png", "自动隐藏", "切换到其他窗口或打开条目后隐藏主窗口"),
        (6002, "set_rightmenu.png", "右键菜单", "在资源管理器的右键菜单中加入收藏入口"),
        (6003, "set_jump.png", "就地跳转", "在刚才的文件对话框或资源管理器窗口中打开"),
    ]
    footer_top = first + len(rows) * (row_h + row_gap) - row_gap + 8
    H = footer_top + 51
    row_w = W - 18
    checks = [(msg, MARGIN - 4, first + n * (row_h + row_gap), row_w, row_h, img, (label, detail))
              for n, (msg, img, label, detail) in enumerate(rows)]
    ok_w, cancel_w = button_width("确定"), button_width("取消")
    y = footer_top + 1 + (H - 3 - footer_top - BUTTON_H) // 2
    xs = footer_button_slots(W - 1, [ok_w, cancel_w])
    return {
        "name": "set", "width": W, "height": H, "title": "设置", "header": header,
        "bk": lambda dpi: dialog_background(W, H, header, footer_top, None, dpi),
        "buttons": [(5001, xs[0], y, "btn_ok.png", "确定", True, "确定：保存更改并关闭"),
                    (5000, xs[1], y, "btn_cancel.png", "取消", False, "取消：不做更改")],
        "checks": checks, "radios": [],
        "comment": "设置对话框：四个开关（6000 开机启动、6001 自动隐藏、6002 右键菜单、6003 就地跳转），5001 确定，5000 取消。",
    }


def layout_close():
    W = 330
    header = 32
    question_mid = header + 20
    row_h = 32
    x = MARGIN - 4
    row_w = W - 18
    first = header + 36
    radios = [
        (7002, x, first, row_w, row_h, "close_hide.png", "隐藏到后台（Alt+Shift 可重新显示）", 1, 0),
        (7001, x, first + row_h + 2, row_w, row_h, "close_exit.png", "退出程序", 1, -1),
    ]
    check_y = first + 2 * (row_h + 2) + 8
    checks = [(6000, x, check_y, row_w, row_h, "close_remember.png", "记住我的选择，不再询问")]
    # What a screen reader announces: the labels without their explanations.
    names = {7002: "隐藏到后台", 7001: "退出程序", 6000: "记住我的选择"}
    footer_top = check_y + row_h + 8
    H = footer_top + 51
    ok_w, cancel_w = button_width("确定"), button_width("取消")
    y = footer_top + 1 + (H - 3 - footer_top - BUTTON_H) // 2
    xs = footer_button_slots(W - 1, [ok_w, cancel_w])

    def decorate(c):
        draw_text(c, "关闭主窗口时：", MARGIN + 8, question_mid, 13, TEXT, bold=True)

    return {
        "name": "close", "width": W, "height": H, "title": "关闭提示", "header": header,
        "bk": lambda dpi: dialog_background(W, H, header, footer_top, decorate, dpi),
        "buttons": [(5001, xs[0], y, "btn_ok.png", "确定", True, "确定：按所选方式关闭"),
                    (5000, xs[1], y, "btn_cancel.png", "取消", False, "取消：不关闭")],
        "checks": checks, "radios": radios, "names": names,
        "comment": "关闭提示：单选组 1（7002 隐藏到后台，默认；7001 退出程序），6000 记住选择，5001 确定，5000 取消。",
    }


# ---- skin descriptions -------------------------------------------------------


def esc(text):
    return (text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
            .replace('"', "&quot;"))


def write_xml(d, images):
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             "<!-- Generated by config/art/draw_skins.py; edit the script, not this file. -->",
             "<!-- " + d["comment"] + " -->",
             "<!-- 文字都画在图片里，所以 text 留空；name 是读屏软件念出的名字，不画出来。 -->",
             "<Dialog>",
             '  <main width="%d" height="%d" roundcorner="%d" titleicon="%s" titlecolor="rgb(255,255,255)" title="%s"/>'
             % (d["width"], d["height"], ROUND, esc(xml_path(ICON)), esc(d["title"])),
             '  <sysbutton sysClose="%s" name="关闭"/>' % esc(xml_path(CLOSE)),
             '  <bk bkimage="%s"/>' % esc(xml_path(d["name"] + "_bk.png")),
             "  <buttons>"]
    names = d.get("names", {})
    for msg, x, y, img, label, primary, note in d["buttons"]:
        w, h = images[img].w // 3, images[img].h
        lines.append("    <!-- %s -->" % esc(note))
        lines.append('    <button msg="%d" xpos="%d" ypos="%d" width="%d" height="%d" image="%s" imagecount="3" name="%s" text=""/>'
                     % (msg, x, y, w, h, esc(xml_path(img)), esc(names.get(msg, label))))
    lines.append("  </buttons>")
    if d["checks"]:
        lines.append("  <checks>")
        for msg, x, y, w, h, img, label in d["checks"]:
            text = label if isinstance(label, str) else "：".join(label)
            name = names.get(msg, label if isinstance(label, str) else label[0])
            lines.append("    <!-- %s -->" % esc(text))
            lines.append('    <check msg="%d" xpos="%d" ypos="%d" width="%d" height="%d" image="%s" imagecount="6" name="%s" text=""/>'
                         % (msg, x, y, w, h, esc(xml_path(img)), esc(name)))
        lines.append("  </checks>")
    if d["radios"]:
        lines.append("  <radios>")
        for msg, x, y, w, h, img, label, group, default in d["radios"]:
            lines.append("    <!-- %s -->" % esc(label))
            extra = ' default="%d"' % default if default >= 0 else ""
            lines.append('    <radio msg="%d" xpos="%d" ypos="%d" width="%d" height="%d" image="%s" imagecount="6" group="%d"%s name="%s" text=""/>'
                         % (msg, x, y, w, h, esc(xml_path(img)), group, extra, esc(names.get(msg, label))))
        lines.append("  </radios>")
    lines.append("</Dialog>")
    with open(os.path.join(CONFIG, d["name"] + ".xml"), "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


# ---- preview ------------------------------------------------------------------


def frame_of(image, count, index):
    fw = image.w // count
    return image.crop(fw * index, 0, fw, image.h)


def preview(d, images, states):
    """The dialog as the program would paint it: background, title, close
    button and controls in the given (look state, checked) per id."""
    W, H = d["width"], d["height"]
    c = Canvas(W, H)
    c.paste(d["bk"](96), 0, 0)
    c.paste(images[ICON], 5, 7)
    draw_text(c, d["title"], 25, 16, 12, WHITE, bold=True)
    close = images[CLOSE]
    c.paste(frame_of(close, 3, states.get(2, (0, 0))[0]), W - 5 - close.w // 3, 1)
    if d["name"] == "main":
        rows = ["C:\\Users\\lin\\Documents\\项目资料", "D:\\照片\\2024 旅行", "C:\\Work\\Reports & Notes",
                "E:\\音乐\\收藏夹", "C:\\Users\\lin\\Desktop\\报价单.xlsx"]
        grid, sel = rgb("#ECE9D8"), rgb("#3399FF")
        for n, path in enumerate(rows):
            top = 50 + n * 30
            c.fill_rect(1, top, W - 2, top + 29, sel if n == 1 else SURFACE)
            c.fill_rect(1, top + 29, W - 2, top + 30, grid)
            fill(c, rounded_rect(6, top + 7, 22, top + 23, 2), rgb("#F2C14E"))
            draw_text(c, path, 27, top + 15, 12, WHITE if n == 1 else rgb("#000000"))
        c.fill_rect(1, 50 + 5 * 30, W - 2, H - 51, SURFACE)
    for msg, x, y, img, label, primary, note in d["buttons"]:
        c.paste(frame_of(images[img], 3, states.get(msg, (0, 0))[0]), x, y)
    for msg, x, y, w, h, img, *rest in d["checks"] + d["radios"]:
        look, checked = states.get(msg, (0, 0))
        c.paste(frame_of(images[img], 6, look), x, y)
        if checked:
            c.paste(frame_of(images[img], 6, 3 + look), x, y)
    spans = window_region(W, H, ROUND)
    backdrop = rgb("#5B6B7F")
    out = Canvas(W + 40, H + 40, backdrop)
    for y in range(H):
        for x in range(W):
            if y < len(spans) and spans[y][0] <= x < spans[y][1]:
                out.put(x + 20, y + 20, c.get(x, y))
    return out


def draw_images(dialogs, dpi):
    """Every image of the three skins, drawn for dpi, by file name."""
    images = {ICON: title_icon(dpi), CLOSE: close_button(dpi)}
    for d in dialogs:
        for msg, x, y, img, label, primary, note in d["buttons"]:
            if img not in images:
                images[img] = push_button(label, button_width(label), BUTTON_H, primary, dpi)
        for msg, x, y, w, h, img, label in d["checks"]:
            if isinstance(label, tuple):
                images[img] = switch_row(label[0], label[1], w, h, dpi)
            else:
                images[img] = check_box(label, w, h, dpi)
        for msg, x, y, w, h, img, label, group, default in d["radios"]:
            images[img] = radio_button(label, w, h, dpi)
        images[d["name"] + "_bk.png"] = d["bk"](dpi)
    return images


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--preview", metavar="DIR", help="also write preview images into DIR")
    args = parser.parse_args()
    if not shutil.which("convert") or not os.path.exists(FONT):
        sys.exit("needs ImageMagick's convert and %s (fonts-wqy-microhei)" % FONT)

    dialogs = [layout_main(), layout_set(), layout_close()]
    for dpi, suffix in SCALES:
        drawn = draw_images(dialogs, dpi)
        for name in sorted(drawn):
            save(drawn[name], variant_name(name, suffix))
        if dpi == 96:
            images = drawn
    for d in dialogs:
        write_xml(d, images)

    if args.preview:
        os.makedirs(args.preview, exist_ok=True)
        looks = {
            "main": [{}, {5000: (1, 0), 2: (1, 0)}, {5001: (2, 0), 1: (1, 0)}],
            "set": [{6000: (0, 1), 6001: (1, 1), 6002: (0, 0), 6003: (0, 1)}, {6000: (1, 0), 6001: (2, 1), 6002: (2, 0), 6003: (1, 1), 5001: (1, 0)}],
            "close": [{7002: (0, 1), 6000: (0, 0)}, {7001: (1, 1), 6000: (1, 1), 5000: (1, 0), 2: (2, 0)}],
        }
        for d in dialogs:
            shots = [preview(d, images, s) for s in looks[d["name"]]]
            sheet = Canvas(sum(s.w for s in shots), shots[0].h)
            x = 0
            for s in shots:
                sheet.paste(s, x, 0)
                x += s.w
            with open(os.path.join(args.preview, d["name"] + "_preview.png"), "wb") as f:
                f.write(png_bytes(sheet))


if __name__ == "__main__":
    main()
