#!/usr/bin/env python3
"""Draws Palimp's pictures and writes them as Windows resources into src/win/resources/:
the application icon, the toolbar strips, the about box's banner and logo, and the error
report's logo.

Standard library only. The drawings are vector shapes filled by a small anti-aliasing
rasteriser; the 16-pixel sizes are laid out on the pixel grid by hand so that they stay crisp.
Run it again after changing a drawing and commit its output:

    scripts/gen_pictures.py [--out DIR] [--preview DIR]

--preview also writes enlarged PNG previews of every picture (for looking at them).
"""

import argparse
import math
import os
import struct
import zlib

# ---------------------------------------------------------------------------------------------
# Colours (straight RGBA, 0..255). The indigo is the about box's program-name colour.

INDIGO = (0x3E, 0x3E, 0x86, 255)
AMBER = (0xF2, 0x9A, 0x1E, 255)
AMBER_DARK = (0xC8, 0x6E, 0x08, 255)
AMBER_LIGHT = (0xFF, 0xC2, 0x4A, 255)
WHITE = (255, 255, 255, 255)
PAPER = (0xFB, 0xFB, 0xFE, 255)
PAPER_SHADE = (0xE4, 0xE6, 0xF2, 255)
INK_OLD = (0xA9, 0xAD, 0xC6, 255)
OUTLINE = (0x5A, 0x5E, 0x94, 255)
SHADOW = (0x10, 0x10, 0x30, 255)


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(4))


# ---------------------------------------------------------------------------------------------
# Rasteriser: polygons (lists of contours) filled with the non-zero rule. Coverage is exact
# along x and sampled on SUB lines per pixel along y.

SUB = 16


def signed_area(contour):
    area = 0.0
    for i, (x0, y0) in enumerate(contour):
        x1, y1 = contour[(i + 1) % len(contour)]
        area += x0 * y1 - x1 * y0
    return area / 2


def oriented(contour, clockwise=False):
    """The contour turned one way, so that overlapping contours unite (or, turned the other
    way, cut holes) under the non-zero rule."""
    if (signed_area(contour) < 0) != clockwise:
        return list(reversed(contour))
    return list(contour)


def coverage(contours, width, height):
    """Per-pixel coverage (0..1) of the filled contours: {row: [coverage per column]}."""
    edges = []
    for contour in contours:
        for i, (x0, y0) in enumerate(contour):
            x1, y1 = contour[(i + 1) % len(contour)]
            if y0 != y1:
                edges.append((x0, y0, x1, y1))
    if not edges:
        return {}
    top = max(0, int(math.floor(min(min(e[1], e[3]) for e in edges))))
    bottom = min(height, int(math.ceil(max(max(e[1], e[3]) for e in edges))))
    rows = {}
    for y in range(top, bottom):
        part = [0.0] * (width + 2)   # partial pixels at span ends
        full = [0.0] * (width + 2)   # difference array of fully covered runs
        touched = False
        for k in range(SUB):
            sy = y + (k + 0.5) / SUB
            crossings = []
            for x0, y0, x1, y1 in edges:
                if (y0 <= sy < y1) or (y1 <= sy < y0):
                    crossings.append((x0 + (sy - y0) * (x1 - x0) / (y1 - y0), 1 if y1 > y0 else -1))
            if not crossings:
                continue
            crossings.sort()
            winding = 0
            for i, (x, direction) in enumerate(crossings):
                before = winding
                winding += direction
                if before == 0 and winding != 0:
                    start = x
                elif before != 0 and winding == 0:
                    add_span(part, full, max(0.0, start), min(float(width), x))
                    touched = True
        if touched:
            row = []
            run = 0.0
            for x in range(width):
                run += full[x]
                row.append(min(1.0, (part[x] + run) / SUB))
            rows[y] = row
    return rows


def add_span(part, full, xa, xb):
    if xb <= xa:
        return
    ia, ib = int(xa), int(xb)
    if ia == ib:
        part[ia] += xb - xa
        return
    part[ia] += ia + 1 - xa
    full[ia + 1] += 1
    full[ib] -= 1
    part[ib] += xb - ib


class Canvas:
    """Premultiplied RGBA in floats 0..1."""

    def __init__(self, width, height, background=None):
        self.width, self.height = width, height
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(width * height)]
        if background:
            self.fill([rect(0, 0, width, height)], background)

    def fill(self, contours, paint, opacity=1.0, clip=None):
        """paint: an RGBA tuple, or a function (x, y) -> RGBA evaluated at pixel centres.
        clip: an optional coverage map (from coverage()) that limits the fill."""
        rows = coverage(contours, self.width, self.height)
        for y, row in rows.items():
            clip_row = clip.get(y) if clip is not None else None
            if clip is not None and clip_row is None:
                continue
            for x, c in enumerate(row):
                if clip_row is not None:
                    c *= clip_row[x]
                if c <= 0:
                    continue
                colour = paint(x + 0.5, y + 0.5) if callable(paint) else paint
                self.blend(x, y, colour, c * opacity)

    def blend(self, x, y, colour, amount=1.0):
        a = colour[3] / 255 * amount
        if a <= 0:
            return
        p = self.px[y * self.width + x]
        for i in range(3):
            p[i] = colour[i] / 255 * a + p[i] * (1 - a)
        p[3] = a + p[3] * (1 - a)

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.blend(x, y, colour)

    def draw(self, other, dx=0, dy=0, opacity=1.0):
        for y in range(other.height):
            for x in range(other.width):
                tx, ty = x + dx, y + dy
                if not (0 <= tx < self.width and 0 <= ty < self.height):
                    continue
                s = other.px[y * other.width + x]
                a = s[3] * opacity
                if a <= 0:
                    continue
                d = self.px[ty * self.width + tx]
                for i in range(3):
                    d[i] = s[i] * opacity + d[i] * (1 - a)
                d[3] = a + d[3] * (1 - a)

    def shadow(self, contours, dx, dy, radius, colour, opacity):
        """A soft shadow of the contours, blurred by radius pixels, offset by (dx, dy)."""
        layer = Canvas(self.width, self.height)
        layer.fill([[(x + dx, y + dy) for x, y in c] for c in contours], colour)
        layer.blur(radius)
        self.draw(layer, opacity=opacity)

    def blur(self, radius):
        """Three box-blur passes along each axis: close to a Gaussian."""
        if radius <= 0:
            return
        for _ in range(3):
            for horizontal in (True, False):
                self.box_pass(radius, horizontal)

    def box_pass(self, radius, horizontal):
        w, h = self.width, self.height
        lines, length = (h, w) if horizontal else (w, h)
        for line in range(lines):
            index = [(line * w + i) if horizontal else (i * w + line) for i in range(length)]
            src = [self.px[j][:] for j in index]
            for i in range(length):
                total = [0.0, 0.0, 0.0, 0.0]
                count = 0
                for k in range(i - radius, i + radius + 1):
                    if 0 <= k < length:
                        for c in range(4):
                            total[c] += src[k][c]
                    count += 1
                self.px[index[i]] = [t / count for t in total]

    def straight_rgba(self):
        """Rows top to bottom of (r, g, b, a) bytes with straight (not premultiplied) colour."""
        out = []
        for y in range(self.height):
            row = []
            for x in range(self.width):
                r, g, b, a = self.px[y * self.width + x]
                if a <= 1e-6:
                    row.append((0, 0, 0, 0))
                    continue
                row.append(tuple(min(255, int(round(v / a * 255))) for v in (r, g, b)) +
                           (min(255, int(round(a * 255))),))
            out.append(row)
        return out


# ---------------------------------------------------------------------------------------------
# Shapes

def rect(x0, y0, x1, y1):
    return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]


def ellipse(cx, cy, rx, ry=None, steps=None):
    ry = rx if ry is None else ry
    steps = steps or max(24, int(max(rx, ry) * 6))
    return [(cx + rx * math.cos(2 * math.pi * i / steps), cy + ry * math.sin(2 * math.pi * i / steps))
            for i in range(steps)]


def rounded_rect(x0, y0, x1, y1, r):
    if r <= 0:
        return rect(x0, y0, x1, y1)
    points = []
    for cx, cy, start in ((x1 - r, y0 + r, -90), (x1 - r, y1 - r, 0), (x0 + r, y1 - r, 90), (x0 + r, y0 + r, 180)):
        for i in range(9):
            a = math.radians(start + 90 * i / 8)
            points.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return points


def thick_line(x0, y0, x1, y1, width):
    dx, dy = x1 - x0, y1 - y0
    length = math.hypot(dx, dy) or 1
    nx, ny = -dy / length * width / 2, dx / length * width / 2
    return [(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)]


def vertical_gradient(y0, y1, top, bottom):
    def paint(_x, y):
        t = min(1.0, max(0.0, (y - y0) / (y1 - y0))) if y1 != y0 else 0
        return mix(top, bottom, t)
    return paint


def pixel_art(canvas, rows, palette, dx=0, dy=0):
    """Sets pixels from rows of palette letters ('.' or ' ' leaves a pixel alone)."""
    for y, line in enumerate(rows):
        for x, ch in enumerate(line):
            if ch in palette:
                canvas.put(x + dx, y + dy, palette[ch])


# ---------------------------------------------------------------------------------------------
# The application icon: a written page with a bold amber "replace" badge (two opposed arrows)
# over its lower right corner.

def icon_vector(size):
    """The icon at 24 px and above: drawn on a 48-unit design grid, every edge that runs along
    an axis snapped to whole pixels."""
    c = Canvas(size, size)
    u = size / 48.0

    def s(v):  # design units to whole pixels
        return int(math.floor(v * u + 0.5))

    draw_page(c, s(5), s(3), s(34), s(45), s(10), max(1, s(1)), [
        (s(15), s(17), INK_OLD), (s(21), s(24), INDIGO), (s(27), s(14), INK_OLD), (s(33), s(20), INDIGO),
        (s(39), s(12), INK_OLD)], max(1, s(2.5)), rounded=size >= 64)
    r = s(12)
    draw_badge(c, s(33), s(33), r, max(1, s(1.5)))
    draw_swap_arrows(c, s(33), s(33), half=round(r * 0.6), width=max(2, round(r / 4)), gap=round(r * 0.32),
                     head=max(3, round(r * 0.3)), colour=WHITE)
    return c


def draw_page(c, x0, y0, x1, y1, fold, outline, rows, bar_h, rounded):
    """A sheet with a folded top right corner and rows (y, length, colour) of writing."""
    page = [(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)]
    c.shadow([page], 0, outline, max(1, outline + outline // 2), SHADOW, 0.28)
    c.fill([page], OUTLINE)
    o = outline
    diag = o * (math.sqrt(2) - 1)  # keeps the slanted edge as thick as the straight ones
    inner = [(x0 + o, y0 + o), (x1 - fold - diag, y0 + o), (x1 - o, y0 + fold + diag), (x1 - o, y1 - o), (x0 + o, y1 - o)]
    c.fill([inner], vertical_gradient(y0, y1, PAPER, PAPER_SHADE))
    c.fill([[(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)]], OUTLINE)
    c.fill([[(x1 - fold + o, y0 + o + diag * 2 + o), (x1 - fold + o, y0 + fold - o), (x1 - o - diag * 2 - o, y0 + fold - o)]],
           mix(PAPER_SHADE, OUTLINE, 0.2))
    left = x0 + o + max(2, (x1 - x0) // 6)
    for y, length, colour in rows:
        limit = x1 - fold - o * 2 if y < y0 + fold + o else x1 - o - max(2, (x1 - x0) // 6)
        right = min(left + length, limit)
        c.fill([rounded_rect(left, y, right, y + bar_h, bar_h / 2 if rounded else 0)], colour)


def draw_badge(c, cx, cy, r, rim):
    """The amber disc behind the arrows, with a white rim that lifts it off what lies beneath."""
    c.shadow([ellipse(cx, cy, r + rim)], 0, max(1, rim), max(1, rim), SHADOW, 0.35)
    c.fill([ellipse(cx, cy, r + rim)], WHITE)
    c.fill([ellipse(cx, cy, r)], vertical_gradient(cy - r, cy + r, AMBER_LIGHT, AMBER_DARK))


def draw_swap_arrows(c, cx, cy, half, width, gap, head, colour):
    """Two horizontal arrows, the upper one pointing right, the lower one left. Shafts of whole
    pixel widths lie on the pixel grid."""
    for direction, y in ((1, cy - gap), (-1, cy + gap)):
        if width % 2:
            y = math.floor(y) + 0.5
        tip = cx + direction * half
        tail = cx - direction * half
        neck = tip - direction * head * 1.1
        c.fill([rect(min(tail, neck + direction), y - width / 2, max(tail, neck + direction), y + width / 2)], colour)
        c.fill([oriented([(tip, y), (neck, y - head), (neck, y + head)])], colour)


# The 16 px icon: the page and its writing laid out by hand on the pixel grid; the disc drawn
# (it needs its soft edge), the arrows set pixel by pixel.
ICON_16_PAGE = [
    ".oooooooo.......",
    ".owwwwwwoo......",
    ".owwwwwwofo.....",
    ".owggggwoffo....",
    ".owwwwwwooooo...",
    ".owiiiiiiiiwo...",
    ".owwwwwwwwwwo...",
    ".owggggggwwwo...",
    ".owwwwwwwwwwo...",
    ".owiiiiwwwwwo...",
    ".owwwwwwwwwwo...",
    ".owggggwwwwwo...",
    ".owwwwwwwwwwo...",
    ".owwwwwwwwwwo...",
    ".oooooooooooo...",
    "................",
]

ICON_16_ARROWS = [
    "................",
    "................",
    "................",
    "................",
    "................",
    "................",
    "................",
    "...........X....",
    "........XXXXX...",
    "...........X....",
    "................",
    ".........X......",
    "........XXXXX...",
    ".........X......",
    "................",
    "................",
]


def icon_16():
    c = Canvas(16, 16)
    pixel_art(c, ICON_16_PAGE, {"o": OUTLINE, "w": PAPER, "f": PAPER_SHADE, "g": INK_OLD, "i": INDIGO})
    c.fill([ellipse(10.5, 10.5, 5.5)], WHITE)
    c.fill([ellipse(10.5, 10.5, 4.5)], vertical_gradient(6, 15, AMBER_LIGHT, AMBER_DARK))
    pixel_art(c, ICON_16_ARROWS, {"X": WHITE})
    return c


# ---------------------------------------------------------------------------------------------
# Toolbar pictures: "Open" (an opening folder) and "Save As" (a diskette with a pen).

FOLDER_BACK = (0xD9, 0x8F, 0x1A, 255)
FOLDER_BACK_DARK = (0xA8, 0x68, 0x0C, 255)
FOLDER_FRONT = (0xFF, 0xC9, 0x4D, 255)
FOLDER_FRONT_LIGHT = (0xFF, 0xE0, 0x8A, 255)
DISK = (0x3E, 0x50, 0xA8, 255)
DISK_DARK = (0x24, 0x30, 0x70, 255)
METAL = (0xD6, 0xDA, 0xE6, 255)
METAL_DARK = (0x8A, 0x90, 0xA8, 255)
PEN = (0xF2, 0x9A, 0x1E, 255)
PEN_DARK = (0xA8, 0x5A, 0x00, 255)
PEN_TIP = (0x3A, 0x2A, 0x20, 255)
WOOD = (0xF6, 0xD9, 0xA8, 255)


def open_picture(size):
    c = Canvas(size, size)
    u = size / 24.0

    def s(v):
        return round(v * u)

    # The back panel with its tab: a dark outline around a lighter face.
    left, top, tab, shoulder, right, bottom = s(1.5), s(4), s(8), s(6.5), s(19.5), s(20)
    c.fill([[(left, top), (tab, top), (tab + s(2), shoulder), (right, shoulder), (right, bottom), (left, bottom)]],
           FOLDER_BACK_DARK)
    c.fill([[(left + 1, top + 1), (tab - 0.4, top + 1), (tab + s(2) - 0.4, shoulder + 1), (right - 1, shoulder + 1),
             (right - 1, bottom), (left + 1, bottom)]], FOLDER_BACK)
    # A sheet of paper inside.
    c.fill([rect(s(4), s(8.5), s(17), s(18))], WHITE)
    c.fill([rect(s(6), s(11), s(15), s(11) + max(1, s(1)))], INK_OLD)
    # The front flap, tilted open.
    front = [(s(5.5), s(11)), (s(23), s(11)), (s(19.5), s(20.5)), (s(1.5), s(20.5))]
    c.fill([front], FOLDER_BACK_DARK)
    inner = [(s(5.5) + 1, s(11) + 1), (s(23) - 1.4, s(11) + 1), (s(19.5) - 0.6, s(20.5) - 1), (s(1.5) + 1.4, s(20.5) - 1)]
    c.fill([inner], vertical_gradient(s(11), s(20.5), FOLDER_FRONT_LIGHT, FOLDER_FRONT))
    return c


OPEN_16 = [
    "................",
    "................",
    ".bbbbb..........",
    ".bBBBBb.........",
    ".bBBBBBbbbbbbb..",
    ".bBBwwwwwwwwBb..",
    ".bBBwggggggwBb..",
    ".bBBwwwwwwwwBb..",
    ".bBbbbbbbbbbbbbb",
    ".bBbLLLLLLLLLLLb",
    ".bbLLLLLLLLLLLb.",
    ".bbFFFFFFFFFFFb.",
    ".bbFFFFFFFFFFb..",
    ".bFFFFFFFFFFFb..",
    ".bbbbbbbbbbbb...",
    "................",
]


def open_16():
    c = Canvas(16, 16)
    pixel_art(c, OPEN_16, {"b": FOLDER_BACK_DARK, "B": FOLDER_BACK, "w": WHITE, "g": INK_OLD,
                           "L": FOLDER_FRONT_LIGHT, "F": FOLDER_FRONT})
    return c


def save_as_picture(size):
    c = Canvas(size, size)
    u = size / 24.0

    def s(v):
        return round(v * u)

    x0, y0, x1, y1, cut = s(1.5), s(1.5), s(19.5), s(19.5), s(3)
    body = [(x0, y0), (x1 - cut, y0), (x1, y0 + cut), (x1, y1), (x0, y1)]
    c.fill([body], DISK_DARK)
    c.fill([[(x0 + 1, y0 + 1), (x1 - cut - 0.4, y0 + 1), (x1 - 1, y0 + cut + 0.4), (x1 - 1, y1 - 1), (x0 + 1, y1 - 1)]],
           vertical_gradient(y0, y1, (0x55, 0x68, 0xC4, 255), DISK))
    # Shutter at the top, label at the bottom.
    c.fill([rect(s(5.5), y0 + 1, s(15), s(7.5))], METAL)
    c.fill([rect(s(11.5), s(2.5), s(13.5), s(6.5))], METAL_DARK)
    c.fill([rect(s(4), s(11), s(17), y1 - 1)], WHITE)
    c.fill([rect(s(6), s(13.5), s(15), s(13.5) + max(1, s(1)))], INK_OLD)
    # The pen, lying from the lower right towards the middle.
    draw_pen(c, (s(23), s(9)), (s(12.5), s(19.5)), max(3.0, 4.6 * u))
    return c


def draw_pen(c, back, tip, width):
    bx, by = back
    tx, ty = tip
    length = math.hypot(tx - bx, ty - by)
    ux, uy = (tx - bx) / length, (ty - by) / length
    nx, ny = -uy, ux
    hw = width / 2
    cone = width * 1.2
    sx, sy = tx - ux * cone, ty - uy * cone  # where the body meets the cone
    outline = [(bx + nx * hw, by + ny * hw), (sx + nx * hw, sy + ny * hw), (tx, ty), (sx - nx * hw, sy - ny * hw),
               (bx - nx * hw, by - ny * hw)]
    c.fill([oriented(thick_line(bx, by, sx, sy, width + 1.6))], WHITE)  # a light rim over the disk
    c.fill([oriented(outline)], PEN_DARK)
    body = [(bx + nx * (hw - 0.8) + ux * 0.8, by + ny * (hw - 0.8) + uy * 0.8), (sx + nx * (hw - 0.8), sy + ny * (hw - 0.8)),
            (sx - nx * (hw - 0.8), sy - ny * (hw - 0.8)), (bx - nx * (hw - 0.8) + ux * 0.8, by - ny * (hw - 0.8) + uy * 0.8)]
    c.fill([oriented(body)], PEN)
    wood = [(sx + nx * (hw - 0.6), sy + ny * (hw - 0.6)), (tx - ux * 0.3, ty - uy * 0.3), (sx - nx * (hw - 0.6), sy - ny * (hw - 0.6))]
    c.fill([oriented(wood)], WOOD)
    lead = cone * 0.38
    c.fill([oriented([(tx, ty), (tx - ux * lead + nx * hw * 0.4, ty - uy * lead + ny * hw * 0.4),
                      (tx - ux * lead - nx * hw * 0.4, ty - uy * lead - ny * hw * 0.4)])], PEN_TIP)


SAVE_AS_16 = [
    "ddddddddddddd...",
    "dDmmmmmkkDDDd...",
    "dDmmmmmkkDDDDd..",
    "dDmmmmmkkDDDDd..",
    "dDmmmmmmmDDDDd..",
    "dDDDDDDDDDDDDd..",
    "dDDDDDDDDDDDDdWW",
    "dDwwwwwwwwwDWpPW",
    "dDwggggggwwWpPPW",
    "dDwwwwwwwwWpPPWW",
    "dDwwwwwwwWpPPW..",
    "dDwwwwwwWrPPW...",
    "ddddddddWrrW....",
    "........WtW.....",
    "........WW......",
    "................",
]


def save_as_16():
    c = Canvas(16, 16)
    pixel_art(c, SAVE_AS_16, {"d": DISK_DARK, "D": DISK, "m": METAL, "k": METAL_DARK, "w": WHITE,
                              "g": INK_OLD, "W": (255, 255, 255, 200), "p": PEN, "P": PEN_DARK,
                              "r": WOOD, "t": PEN_TIP})
    return c


def strip(pictures):
    size = pictures[0].height
    c = Canvas(size * len(pictures), size)
    for i, p in enumerate(pictures):
        c.draw(p, dx=i * size)
    return c


# ---------------------------------------------------------------------------------------------
# The about box: a banner across the top and a 40 px logo beside the program's name.

def ring(cx, cy, outer, inner):
    """An annulus: the outer circle with the inner one cut out."""
    return [oriented(ellipse(cx, cy, outer)), oriented(ellipse(cx, cy, inner), clockwise=True)]


def wordmark(text, x, baseline, x_height, ascender, descender, stroke):
    """Contours of text set in a plain geometric sans drawn from circles and straight stems.
    Knows the letters of the product name: P, a, l, i, m, p."""
    X, A, D, w = x_height, ascender, descender, stroke
    contours = []

    def box(x0, y0, x1, y1):
        contours.append(oriented(rect(x0, baseline + y0, x1, baseline + y1)))

    for ch in text:
        if ch == "P":
            box(x, -A, x + w, 0)
            bowl = A * 0.56
            r = bowl / 2
            bx = x + A * 0.58 - r
            cy = baseline - A + r
            outer = [(x, baseline - A)] + [(bx + r * math.cos(math.radians(a)), cy + r * math.sin(math.radians(a)))
                                          for a in range(-90, 91, 6)] + [(x, baseline - A + bowl)]
            ri = r - w
            inner = [(x + w, cy - ri)] + [(bx + ri * math.cos(math.radians(a)), cy + ri * math.sin(math.radians(a)))
                                          for a in range(-90, 91, 6)] + [(x + w, cy + ri)]
            contours += [oriented(outer), oriented(inner, clockwise=True)]
            x += A * 0.58 + w * 1.1
        elif ch == "a":
            contours += ring(x + X / 2, baseline - X / 2, X / 2, X / 2 - w)
            box(x + X - w, -X, x + X, 0)
            x += X + w * 1.2
        elif ch == "l":
            box(x, -A, x + w, 0)
            x += w + w * 1.2
        elif ch == "i":
            box(x, -X, x + w, 0)
            contours.append(oriented(ellipse(x + w / 2, baseline - X - w * 1.45, w * 0.62)))
            x += w + w * 1.2
        elif ch == "m":
            arch = X * 0.64
            box(x, -X, x + w, 0)
            for k in range(2):
                ax = x + k * (arch - w)
                cy = baseline - X + arch / 2
                outer = [(ax + arch / 2 + arch / 2 * math.cos(math.radians(a)), cy + arch / 2 * math.sin(math.radians(a)))
                         for a in range(180, 361, 6)]
                inner = [(ax + arch / 2 + (arch / 2 - w) * math.cos(math.radians(a)),
                          cy + (arch / 2 - w) * math.sin(math.radians(a))) for a in range(360, 179, -6)]
                contours.append(oriented(outer + inner))
                box(ax + arch - w, cy - baseline, ax + arch, 0)
            x += 2 * arch - w + w * 1.2
        elif ch == "p":
            box(x, -X, x + w, D)
            contours += ring(x + X / 2, baseline - X / 2, X / 2, X / 2 - w)
            x += X + w * 1.2
        else:
            raise ValueError(f"no drawing for {ch!r}")
    return contours, x


def about_banner(width=416, height=91):
    c = Canvas(width, height)

    def sky(x, y):
        base = mix((0x26, 0x26, 0x62, 255), (0x48, 0x4A, 0xA0, 255), x / width)
        return mix(base, (0x1A, 0x1A, 0x48, 255), max(0.0, y / height - 0.5) * 0.7)

    c.fill([rect(0, 0, width, height)], sky)
    # A manuscript of word bars on the right: faint old writing, a few phrases rewritten in amber.
    line_y = [16, 30, 44, 58, 72]
    words = [
        [(262, 30), (298, 22), (326, 46), (378, 30)],
        [(250, 26), (282, 40), (328, 22), (356, 52)],
        [(268, 44), (318, 28), (352, 36), (394, 22)],
        [(256, 30), (292, 24), (322, 50), (378, 28)],
        [(244, 38), (288, 26), (320, 40), (366, 34)],
    ]
    rewritten = {(0, 2), (1, 1), (2, 3), (3, 2), (4, 0)}
    for row, y in enumerate(line_y):
        for i, (x, w) in enumerate(words[row]):
            fade = min(1.0, max(0.0, (x - 236) / 90))  # the writing fades in towards the right
            if (row, i) in rewritten:
                c.fill([rounded_rect(x - 2, y - 6, x + w + 2, y + 6, 5)], AMBER, opacity=0.12 + 0.1 * fade)
                c.fill([rounded_rect(x + 1, y - 2, x + w - 1, y + 2, 2)], AMBER_LIGHT, opacity=0.55 + 0.4 * fade)
            else:
                c.fill([rounded_rect(x, y - 2, x + w, y + 2, 2)], WHITE, opacity=0.06 + 0.14 * fade)
    # A soft light behind the mark and the name.
    glow = Canvas(width, height)
    glow.fill([ellipse(110, 40, 130, 58)], (0x9C, 0xA0, 0xFF, 255))
    glow.blur(16)
    c.draw(glow, opacity=0.20)
    # The mark: the icon's badge, large.
    cx, cy, r = 50, 44, 25
    draw_badge(c, cx, cy, r, 3)
    draw_swap_arrows(c, cx, cy, half=15, width=5, gap=8, head=7, colour=WHITE)
    # The name, with a faint shadow.
    name, _end = wordmark("Palimp", 92, 58, x_height=24, ascender=34, descender=10, stroke=5)
    c.shadow(name, 0, 2, 2, SHADOW, 0.45)
    c.fill(name, WHITE)
    # An amber rule along the bottom edge.
    c.fill([rect(0, height - 3, width, height)], lambda x, _y: mix(AMBER_DARK, AMBER_LIGHT, x / width))
    return c


def about_logo(size=40):
    return icon_vector(size)


def report_logo(width=119, height=42):
    """The error report's logo: the badge and the name in the indigo of the about box."""
    c = Canvas(width, height)
    cx, cy, r = 20, 21, 17
    draw_badge(c, cx, cy, r, 2)
    draw_swap_arrows(c, cx, cy, half=10, width=3.5, gap=5.5, head=5, colour=WHITE)
    name, _end = wordmark("Palimp", 43, 27, x_height=12, ascender=17, descender=5, stroke=2.6)
    c.fill(name, INDIGO)
    return c


# ---------------------------------------------------------------------------------------------
# File formats

def bmp_32(canvas):
    """A 32-bit BMP (BITMAPINFOHEADER, BI_RGB, bottom-up) with straight alpha in the 4th byte,
    as LoadImage and 32-bit image lists take it."""
    pixels = canvas.straight_rgba()
    data = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            data += bytes((b, g, r, a))
    header = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, 32, 0, len(data), 2835, 2835, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(data), 0, 0, 14 + len(header))
    return file_header + header + bytes(data)


def png(canvas):
    pixels = canvas.straight_rgba()
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for px in row:
            raw += bytes(px)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    ihdr = struct.pack(">IIBBBBB", canvas.width, canvas.height, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")


def ico(canvases):
    """An icon file: 32-bit images with alpha (and an AND mask) up to 48 px, PNG at 256 px."""
    images = []
    for canvas in canvases:
        if canvas.width >= 256:
            images.append(png(canvas))
            continue
        pixels = canvas.straight_rgba()
        xor = bytearray()
        for row in reversed(pixels):
            for r, g, b, a in row:
                xor += bytes((b, g, r, a))
        mask_stride = ((canvas.width + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(pixels):
            bits = bytearray(mask_stride)
            for x, (_r, _g, _b, a) in enumerate(row):
                if a == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        header = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        images.append(header + bytes(xor) + bytes(mask))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for canvas, image in zip(canvases, images):
        dim = canvas.width if canvas.width < 256 else 0
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


# ---------------------------------------------------------------------------------------------

def enlarged_preview(canvas, scale, checker=True):
    """The picture scaled up with square pixels over a light checkerboard, as a PNG canvas."""
    out = Canvas(canvas.width * scale, canvas.height * scale)
    for y in range(out.height):
        for x in range(out.width):
            if checker:
                light = ((x // 8) + (y // 8)) % 2 == 0
                v = 0.94 if light else 0.84
                out.px[y * out.width + x] = [v, v, v, 1.0]
            s = canvas.px[(y // scale) * canvas.width + (x // scale)]
            d = out.px[y * out.width + x]
            for i in range(3):
                d[i] = s[i] + d[i] * (1 - s[3])
            d[3] = 1.0
    return out


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(root, "src", "win", "resources"))
    parser.add_argument("--preview", help="folder for enlarged PNG previews")
    args = parser.parse_args()

    icons = [icon_16(), icon_vector(24), icon_vector(32), icon_vector(48), icon_vector(256)]
    toolbar_16 = strip([open_16(), save_as_16()])
    toolbar_24 = strip([open_picture(24), save_as_picture(24)])
    banner = about_banner()
    logo = about_logo()
    report = report_logo()

    outputs = {
        "palimp.ico": ico(icons),
        "toolbar16.bmp": bmp_32(toolbar_16),
        "toolbar24.bmp": bmp_32(toolbar_24),
        "about_banner.bmp": bmp_32(banner),
        "about_logo.bmp": bmp_32(logo),
        "report_logo.bmp": bmp_32(report),
    }
    os.makedirs(args.out, exist_ok=True)
    for name, data in outputs.items():
        with open(os.path.join(args.out, name), "wb") as f:
            f.write(data)
        print(f"wrote {os.path.join(args.out, name)} ({len(data)} bytes)")

    if args.preview:
        os.makedirs(args.preview, exist_ok=True)
        previews = {
            "icon16.png": enlarged_preview(icons[0], 24), "icon24.png": enlarged_preview(icons[1], 10),
            "icon32.png": enlarged_preview(icons[2], 8), "icon48.png": enlarged_preview(icons[3], 6),
            "icon256.png": enlarged_preview(icons[4], 1), "toolbar16.png": enlarged_preview(toolbar_16, 12),
            "toolbar24.png": enlarged_preview(toolbar_24, 8), "banner.png": enlarged_preview(banner, 2, checker=False),
            "logo40.png": enlarged_preview(logo, 8), "report_logo.png": enlarged_preview(report, 4),
        }
        for name, canvas in previews.items():
            with open(os.path.join(args.preview, name), "wb") as f:
                f.write(png(canvas))


if __name__ == "__main__":
    main()
