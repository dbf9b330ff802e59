#!/usr/bin/env python3
"""Builds Vantel's built-in artwork and sound into resources/art/, and,
through make_skins.py beside it, the sample skins into resources/skins/.

Run without arguments to (re)generate every file.  The output is fully
deterministic: the same script always writes the same bytes.

    make_assets.py                  write all assets into resources/art/ and
                                    the sample skins into resources/skins/
    make_assets.py --check [DIR]    verify the files already in resources/art/
                                    and resources/skins/ (or only the
                                    artwork in DIR)
    make_assets.py --preview DIR    also write enlarged PNG previews into DIR

Only the Python standard library is used.  Every picture is drawn from
signed-distance shapes, which gives exact edge coverage (anti-aliasing)
without supersampling; the 8-bit bitmaps are then reduced to a palette.

Look of the family: a dark graphite body with a soft top gloss, a deep
green-black LCD panel, mint display elements (the same mint as the
message program's default text colour) and a warm amber accent.
"""

import math
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ART_DIR = os.path.normpath(os.path.join(HERE, '..', 'art'))

# ---------------------------------------------------------------------------
# Palette of the family (RGB).  Other code that wants to match the built-in
# skin can use these values.
# ---------------------------------------------------------------------------
MAGENTA = (255, 0, 255)        # transparent colour of the clock skin
PANEL = (16, 28, 24)           # LCD panel under the digits and message text
MINT = (187, 255, 170)         # lit digits; = message FontColor AAFFBB
MINT_DEEP = (128, 222, 140)    # lower end of the lit-segment gradient
GHOST = (23, 39, 33)           # unlit segments on the panel
AMBER = (255, 176, 64)         # warm accent
AMBER_DEEP = (206, 120, 30)
RIM = (9, 10, 12)              # outermost outline of the bodies
GRAPHITE_TOP = (74, 78, 86)
GRAPHITE_BOT = (30, 32, 37)

# Clock face layout (pixels).
CLOCK_W, CLOCK_H = 216, 71
DIGIT_W, DIGIT_H = 25, 30
DIGIT_LEFTS = (20, 45, 80, 105, 140, 165)
DIGIT_TOP = 15
MSG_W, MSG_H = 440, 160
MSG_TEXT_AREA = (15, 12, 410, 132)

ASSET_NAMES = (
    'clock_background.bmp', 'clock_digits.bmp', 'message_background.bmp',
    'clock.ico', 'message.ico', 'slot_on.ico', 'slot_off.ico',
    'arrow_up.ico', 'arrow_down.ico', 'arrow_left.ico', 'arrow_right.ico',
    'move.cur', 'message.wav',
)

WAVE_RATE = 44100
WAVE_SAMPLES = 3084            # 6,168 bytes of 16-bit mono sample data


# ---------------------------------------------------------------------------
# Small maths helpers
# ---------------------------------------------------------------------------
def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def lerp(a, b, t):
    return a + (b - a) * t


def mix(c1, c2, t):
    return tuple(lerp(a, b, t) for a, b in zip(c1, c2))


def smoothstep(e0, e1, x):
    t = clamp((x - e0) / (e1 - e0))
    return t * t * (3 - 2 * t)


# Signed distance functions: negative inside, positive outside, in the
# units of the coordinates passed in.
def sd_circle(px, py, cx, cy, r):
    return math.hypot(px - cx, py - cy) - r


def sd_round_box(px, py, cx, cy, hw, hh, r):
    qx = abs(px - cx) - hw + r
    qy = abs(py - cy) - hh + r
    ox, oy = max(qx, 0.0), max(qy, 0.0)
    return math.hypot(ox, oy) + min(max(qx, qy), 0.0) - r


def sd_capsule(px, py, ax, ay, bx, by, r):
    pax, pay = px - ax, py - ay
    bax, bay = bx - ax, by - ay
    h = clamp((pax * bax + pay * bay) / (bax * bax + bay * bay))
    return math.hypot(pax - bax * h, pay - bay * h) - r


def sd_polygon(px, py, pts):
    """Exact signed distance to a simple polygon given as a list of points."""
    n = len(pts)
    d = float('inf')
    s = 1.0
    j = n - 1
    for i in range(n):
        vix, viy = pts[i]
        vjx, vjy = pts[j]
        ex, ey = vjx - vix, vjy - viy
        wx, wy = px - vix, py - viy
        h = clamp((wx * ex + wy * ey) / (ex * ex + ey * ey))
        bx, by = wx - ex * h, wy - ey * h
        dd = bx * bx + by * by
        if dd < d:
            d = dd
        c1 = py >= viy
        c2 = py < vjy
        c3 = ex * wy > ey * wx
        if (c1 and c2 and c3) or (not c1 and not c2 and not c3):
            s = -s
        j = i
    return s * math.sqrt(d)


# ---------------------------------------------------------------------------
# Canvas: premultiplied RGBA in floats (0..1 for alpha, 0..255 for colour)
# ---------------------------------------------------------------------------
class Canvas:
    def __init__(self, w, h, fill=None):
        self.w, self.h = w, h
        n = w * h
        if fill is None:
            self.r = [0.0] * n
            self.g = [0.0] * n
            self.b = [0.0] * n
            self.a = [0.0] * n
        else:
            self.r = [float(fill[0])] * n
            self.g = [float(fill[1])] * n
            self.b = [float(fill[2])] * n
            self.a = [1.0] * n

    def _bbox(self, bbox, pad=2):
        if bbox is None:
            return 0, 0, self.w, self.h
        x0, y0, x1, y1 = bbox
        return (max(0, int(math.floor(x0)) - pad), max(0, int(math.floor(y0)) - pad),
                min(self.w, int(math.ceil(x1)) + pad), min(self.h, int(math.ceil(y1)) + pad))

    def blend(self, i, col, a):
        if a <= 0.0:
            return
        if a > 1.0:
            a = 1.0
        k = 1.0 - a
        self.r[i] = col[0] * a + self.r[i] * k
        self.g[i] = col[1] * a + self.g[i] * k
        self.b[i] = col[2] * a + self.b[i] * k
        self.a[i] = a + self.a[i] * k

    def fill(self, sdf, paint, bbox=None, opacity=1.0, soft=1.0, mask=None):
        """Cover the shape sdf(x, y) <= 0 with paint (a colour or a function
        of x, y returning a colour or (colour, alpha)).  Edge coverage comes
        from the distance, ramped over `soft` pixels."""
        x0, y0, x1, y1 = self._bbox(bbox)
        for y in range(y0, y1):
            cy = y + 0.5
            row = y * self.w
            for x in range(x0, x1):
                cx = x + 0.5
                d = sdf(cx, cy)
                cov = clamp(0.5 - d / soft)
                if cov <= 0.0:
                    continue
                if mask is not None:
                    cov *= mask(cx, cy)
                    if cov <= 0.0:
                        continue
                if callable(paint):
                    p = paint(cx, cy)
                    if len(p) == 2:
                        col, pa = p
                    else:
                        col, pa = p, 1.0
                else:
                    col, pa = paint, 1.0
                self.blend(row + x, col, cov * opacity * pa)

    def glow(self, sdf, col, radius, strength, bbox=None, pad=None):
        """Soft light outside (and on) a shape, fading with distance."""
        x0, y0, x1, y1 = self._bbox(bbox, pad=int(radius * 4) + 2 if pad is None else pad)
        for y in range(y0, y1):
            row = y * self.w
            for x in range(x0, x1):
                d = sdf(x + 0.5, y + 0.5)
                a = strength * math.exp(-max(d, 0.0) / radius)
                if a > 0.002:
                    self.blend(row + x, col, a)

    def pixel(self, x, y):
        """Straight (non-premultiplied) RGBA of a pixel, colour 0..255."""
        i = y * self.w + x
        a = self.a[i]
        if a <= 0.0:
            return (0.0, 0.0, 0.0, 0.0)
        return (self.r[i] / a, self.g[i] / a, self.b[i] / a, a)

    def rgba_bytes(self):
        """Top-down straight RGBA bytes; fully transparent pixels are 0."""
        out = bytearray()
        for y in range(self.h):
            for x in range(self.w):
                r, g, b, a = self.pixel(x, y)
                ai = int(round(a * 255))
                if ai <= 0:
                    out += b'\0\0\0\0'
                else:
                    out += bytes((int(round(clamp(r, 0, 255))), int(round(clamp(g, 0, 255))),
                                  int(round(clamp(b, 0, 255))), ai))
        return bytes(out)


# ---------------------------------------------------------------------------
# File writers
# ---------------------------------------------------------------------------
def quantize(pixels, fixed, total=256, key=MAGENTA):
    """Reduce RGB pixels (list of int tuples) to a palette.  `fixed` colours
    keep their exact values and come first.  Returns (palette, indices).
    Only pixels that are exactly the key colour get the key's entry:
    nothing else can turn into the key colour on the way."""
    fixed = list(dict.fromkeys(fixed))
    counts = {}
    for p in pixels:
        counts[p] = counts.get(p, 0) + 1
    rest = sorted(c for c in counts if c not in fixed)
    room = total - len(fixed)
    if len(rest) <= room:
        palette = fixed + rest
    else:
        palette = fixed + median_cut(rest, counts, room, key)
    exact = {c: i for i, c in enumerate(palette)}
    free = [(i, c) for i, c in enumerate(palette) if c != key]
    cache = {}
    idx = []
    for p in pixels:
        j = exact.get(p)
        if j is None:
            j = cache.get(p)
            if j is None:
                best, bd = 0, None
                for i, c in free:
                    d = (c[0] - p[0]) ** 2 * 3 + (c[1] - p[1]) ** 2 * 4 + (c[2] - p[2]) ** 2 * 2
                    if bd is None or d < bd:
                        best, bd = i, d
                cache[p] = j = best
        idx.append(j)
    while len(palette) < total:
        palette.append((0, 0, 0))
    return palette, idx


def median_cut(colours, counts, n, key=MAGENTA):
    boxes = [colours]
    while len(boxes) < n:
        best, score = None, -1
        for bi, box in enumerate(boxes):
            if len(box) < 2:
                continue
            rng = max(max(c[k] for c in box) - min(c[k] for c in box) for k in range(3))
            weight = sum(counts[c] for c in box)
            s = rng * math.sqrt(weight)
            if s > score:
                best, score = bi, s
        if best is None:
            break
        box = boxes.pop(best)
        ch = max(range(3), key=lambda k: (max(c[k] for c in box) - min(c[k] for c in box), -k))
        box.sort(key=lambda c: (c[ch], c))
        half = sum(counts[c] for c in box) / 2.0
        acc, cut = 0, 1
        for i, c in enumerate(box):
            acc += counts[c]
            if acc >= half:
                cut = max(1, min(len(box) - 1, i + 1))
                break
        boxes.insert(best, box[cut:])
        boxes.insert(best, box[:cut])
    pal = []
    for box in boxes:
        wsum = sum(counts[c] for c in box)
        pal.append(tuple(int(round(sum(c[k] * counts[c] for c in box) / wsum)) for k in range(3)))
    out = []
    for c in pal:
        if c not in out and c != key:
            out.append(c)
    return out


def bmp8(width, height, rgb_rows, fixed, key=MAGENTA):
    """8-bit palettized BMP, BI_RGB, bottom-up.  rgb_rows: top-down rows of
    (r, g, b) int tuples; only pixels of exactly `key` keep that colour."""
    flat = [p for row in rgb_rows for p in row]
    palette, idx = quantize(flat, fixed, key=key)
    stride = (width + 3) & ~3
    pixels = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytes(idx[y * width:(y + 1) * width])
        pixels += row + b'\0' * (stride - width)
    pal = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in palette)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 8, 0, len(pixels),
                       2835, 2835, 256, 0)
    offset = 14 + len(info) + len(pal)
    head = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
    return head + info + pal + bytes(pixels)


def png(width, height, rgba):
    def chunk(tag, data):
        return (struct.pack('>I', len(data)) + tag + data +
                struct.pack('>I', zlib.crc32(tag + data) & 0xFFFFFFFF))
    raw = bytearray()
    stride = width * 4
    for y in range(height):
        raw.append(0)
        raw += rgba[y * stride:(y + 1) * stride]
    ihdr = struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) +
            chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b''))


def dib32(size, rgba):
    """Icon/cursor image: BITMAPINFOHEADER (double height), bottom-up BGRA
    colour data with straight alpha, then the 1-bit AND mask."""
    info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for y in range(size - 1, -1, -1):
        for x in range(size):
            i = (y * size + x) * 4
            r, g, b, a = rgba[i:i + 4]
            xor += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        row = bytearray(mask_stride)
        for x in range(size):
            if rgba[(y * size + x) * 4 + 3] == 0:
                row[x >> 3] |= 0x80 >> (x & 7)
        mask += row
    return info + bytes(xor) + bytes(mask)


def ico(images, cursor_hotspot=None):
    """images: list of (size, rgba).  Sizes of 256 are stored as PNG.
    With cursor_hotspot=(x, y) a .cur file is written (hotspot per size is
    scaled from the 32-pixel one)."""
    kind = 2 if cursor_hotspot else 1
    blobs = []
    for size, rgba in images:
        blobs.append(png(size, size, rgba) if size >= 256 else dib32(size, rgba))
    head = struct.pack('<HHH', 0, kind, len(images))
    offset = 6 + 16 * len(images)
    entries = b''
    for (size, _), blob in zip(images, blobs):
        if cursor_hotspot:
            f1 = cursor_hotspot[0] * size // 32
            f2 = cursor_hotspot[1] * size // 32
        else:
            f1, f2 = 1, 32
        entries += struct.pack('<BBBBHHII', size & 0xFF, size & 0xFF, 0, 0, f1, f2,
                               len(blob), offset)
        offset += len(blob)
    return head + entries + b''.join(blobs)


def wave_file(samples):
    data = b''.join(struct.pack('<h', s) for s in samples)
    fmt = struct.pack('<HHIIHH', 1, 1, WAVE_RATE, WAVE_RATE * 2, 2, 16)
    body = (b'WAVE' + b'fmt ' + struct.pack('<I', len(fmt)) + fmt +
            b'data' + struct.pack('<I', len(data)) + data)
    return b'RIFF' + struct.pack('<I', len(body)) + body


# ---------------------------------------------------------------------------
# Seven-segment geometry, shared by the digit strip and the slot icons
# ---------------------------------------------------------------------------
SEGMENTS = {
    0: 'abcdef', 1: 'bc', 2: 'abdeg', 3: 'abcdg', 4: 'bcfg',
    5: 'acdfg', 6: 'acdefg', 7: 'abc', 8: 'abcdefg', 9: 'abcdfg',
}


def segment_polygons(x0, y0, x1, y1, t, gap, slant):
    """Hexagonal segments a..g of a digit whose outer box is (x0,y0)-(x1,y1),
    segment thickness t, gap between segment ends, and italic slant (x shift
    per unit of height above the middle)."""
    h2 = t / 2.0
    L, R = x0 + h2, x1 - h2
    T, B = y0 + h2, y1 - h2
    M = (T + B) / 2.0
    cy = (y0 + y1) / 2.0

    def shear(pts):
        return [(x + (cy - y) * slant, y) for x, y in pts]

    def hseg(xa, xb, y):
        xa += gap
        xb -= gap
        return shear([(xa, y), (xa + h2, y - h2), (xb - h2, y - h2),
                      (xb, y), (xb - h2, y + h2), (xa + h2, y + h2)])

    def vseg(x, ya, yb):
        ya += gap
        yb -= gap
        return shear([(x, ya), (x + h2, ya + h2), (x + h2, yb - h2),
                      (x, yb), (x - h2, yb - h2), (x - h2, ya + h2)])

    return {
        'a': hseg(L, R, T), 'b': vseg(R, T, M), 'c': vseg(R, M, B),
        'd': hseg(L, R, B), 'e': vseg(L, M, B), 'f': vseg(L, T, M),
        'g': hseg(L, R, M),
    }


def poly_bbox(pts):
    xs = [p[0] for p in pts]
    ys = [p[1] for p in pts]
    return min(xs), min(ys), max(xs), max(ys)


def union_sdf(polys):
    def f(x, y):
        return min(sd_polygon(x, y, p) for p in polys)
    return f


# ---------------------------------------------------------------------------
# Clock digits (bitmap 109)
# ---------------------------------------------------------------------------
DIGIT_BOX = (3.4, 2.0, 21.6, 28.0)     # outer box of a digit inside its cell
DIGIT_THICK = 3.8
DIGIT_GAP = 0.7
DIGIT_SLANT = 0.075


class DigitStyle:
    """How the seven-segment digits of a strip look: cell size, the digit's
    outer box inside its cell, segment thickness, gap and slant, and the
    colours of lit and unlit segments and of the panel they sit on.  The
    defaults are the built-in strip (bitmap 109)."""

    def __init__(self, cell=(DIGIT_W, DIGIT_H), box=DIGIT_BOX, thick=DIGIT_THICK,
                 gap=DIGIT_GAP, slant=DIGIT_SLANT, lit=(MINT, MINT_DEEP), ghost=GHOST,
                 panel=PANEL, glow=(1.3, 0.16)):
        self.cell_w, self.cell_h = cell
        self.box = box
        self.thick, self.gap, self.slant = thick, gap, slant
        self.lit_top, self.lit_bottom = lit
        self.ghost = ghost
        self.panel = panel
        self.glow_radius, self.glow_strength = glow


FAMILY_DIGITS = DigitStyle()


def lit_paint(top, bottom, col_top=MINT, col_bottom=MINT_DEEP):
    def paint(x, y):
        t = clamp((y - top) / (bottom - top))
        return mix(col_top, col_bottom, t * t)
    return paint


def draw_digit(c, ox, oy, digit, style=FAMILY_DIGITS):
    x0, y0, x1, y1 = style.box
    segs = segment_polygons(ox + x0, oy + y0, ox + x1, oy + y1,
                            style.thick, style.gap, style.slant)
    lit = [segs[s] for s in SEGMENTS[digit]]
    dark = [segs[s] for s in 'abcdefg' if s not in SEGMENTS[digit]]
    box = (ox, oy, ox + style.cell_w, oy + style.cell_h)
    for p in dark:
        c.fill(lambda x, y, p=p: sd_polygon(x, y, p), style.ghost, poly_bbox(p))
    lit_sdf = union_sdf(lit)
    c.glow(lit_sdf, style.lit_top, style.glow_radius, style.glow_strength, box)
    paint = lit_paint(oy + y0, oy + y1, style.lit_top, style.lit_bottom)
    for p in lit:
        c.fill(lambda x, y, p=p: sd_polygon(x, y, p), paint, poly_bbox(p))


def make_digits(style=FAMILY_DIGITS, key=MAGENTA):
    """The strip is drawn over the panel colour, then every pixel that the
    digit does not touch is set to the exact key colour.  Edge pixels
    therefore blend towards the panel, never towards the key colour."""
    cw, ch = style.cell_w, style.cell_h
    c = Canvas(cw * 10, ch)
    for k in range(10):
        draw_digit(c, k * cw, 0, k, style)
    rows = []
    for y in range(ch):
        row = []
        for x in range(cw * 10):
            cx = x % cw
            r, g, b, a = c.pixel(x, y)
            if a < 0.035 or cx == 0 or cx == cw - 1 or y == 0 or y == ch - 1:
                row.append(key)
            else:
                col = mix(style.panel, (r, g, b), a)
                row.append(tuple(int(round(v)) for v in col))
        rows.append(row)
    return rows


# ---------------------------------------------------------------------------
# Clock background (bitmap 108)
# ---------------------------------------------------------------------------
LABEL_FONT = {
    'V': ['X...X', 'X...X', 'X...X', '.X.X.', '..X..'],
    'A': ['.XXX.', 'X...X', 'XXXXX', 'X...X', 'X...X'],
    'N': ['X...X', 'XX..X', 'X.X.X', 'X..XX', 'X...X'],
    'T': ['XXXXX', '..X..', '..X..', '..X..', '..X..'],
    'E': ['XXXXX', 'X....', 'XXXX.', 'X....', 'XXXXX'],
    'L': ['X....', 'X....', 'X....', 'X....', 'XXXXX'],
}


def label_width(text, spacing=3):
    return len(text) * 5 + (len(text) - 1) * spacing


def draw_label(c, text, cx, top, col, shadow, spacing=3, font=LABEL_FONT):
    width = label_width(text, spacing)
    x = int(round(cx - width / 2.0))
    for ch in text:
        glyph = font[ch]
        for gy, line in enumerate(glyph):
            for gx, bit in enumerate(line):
                if bit == 'X':
                    c.blend((top + gy + 1) * c.w + x + gx, shadow, 0.55)
        for gy, line in enumerate(glyph):
            for gx, bit in enumerate(line):
                if bit == 'X':
                    c.blend((top + gy) * c.w + x + gx, col, 1.0)
        x += 5 + spacing
    return width


def body_paint(top, bottom, col_top=GRAPHITE_TOP, col_bottom=GRAPHITE_BOT):
    def paint(x, y):
        t = clamp((y - top) / (bottom - top))
        return mix(col_top, col_bottom, t ** 0.8)
    return paint


def draw_bezel(c, w, h, radius, gloss_depth, shape=None, body=(GRAPHITE_TOP, GRAPHITE_BOT),
               lights=((190, 196, 206), (120, 126, 136))):
    """Graphite body with a dark rim, a lit top edge and a soft gloss.
    shape(x, y, inset) is the signed distance to the outline moved `inset`
    pixels inwards; by default a rounded box of the canvas size."""
    cx, cy = w / 2.0, h / 2.0
    if shape is None:
        def shape(x, y, inset):
            return sd_round_box(x, y, cx, cy, w / 2.0 - inset, h / 2.0 - inset, radius - inset)
    c.fill(lambda x, y: shape(x, y, 1), body_paint(1, h - 1, body[0], body[1]))
    # bright hairline along the upper edge, fading towards the sides' middle
    def top_line(x, y):
        d = shape(x, y, 1.5)
        return abs(d) - 0.5

    c.fill(top_line, lights[0],
           mask=lambda x, y: 0.55 * (1 - smoothstep(2, h * 0.45, y)))
    # lower edge: a faint reflected light
    c.fill(top_line, lights[1],
           mask=lambda x, y: 0.35 * smoothstep(h * 0.6, h - 2, y))
    # gloss: a wide soft highlight over the upper part
    c.fill(lambda x, y: shape(x, y, 3),
           (255, 255, 255),
           mask=lambda x, y: 0.085 * (1 - smoothstep(3, gloss_depth, y)))


def draw_recess(c, x0, y0, x1, y1, radius, panel=PANEL):
    """A flat panel sunk into the body: dark shadow above, lit edge below."""
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hw, hh = (x1 - x0) / 2.0, (y1 - y0) / 2.0
    # lit lower lip of the opening
    c.fill(lambda x, y: sd_round_box(x, y, cx, cy + 0.8, hw + 1.2, hh + 1.2, radius + 1.2),
           (104, 110, 120), opacity=0.7)
    # dark surround
    c.fill(lambda x, y: sd_round_box(x, y, cx, cy - 0.3, hw + 1.2, hh + 1.0, radius + 1.2),
           (6, 7, 8))
    # the panel itself
    c.fill(lambda x, y: sd_round_box(x, y, cx, cy, hw, hh, radius), panel)
    # inner shadow at the top of the glass (stays clear of the content)
    c.fill(lambda x, y: sd_round_box(x, y, cx, cy, hw, hh, radius), (0, 0, 0),
           mask=lambda x, y: 0.45 * (1 - smoothstep(y0, y0 + 3.0, y)))


def make_clock_background():
    w, h = CLOCK_W, CLOCK_H
    radius = 22.0
    cx, cy = w / 2.0, h / 2.0

    def outline(x, y):
        return sd_round_box(x, y, cx, cy, w / 2.0, h / 2.0, radius)

    c = Canvas(w, h, fill=RIM)
    draw_bezel(c, w, h, radius, 34)

    # LCD panel around the six digits
    px0, py0, px1, py1 = 9, 8, 204, 52
    draw_recess(c, px0, py0, px1, py1, 9.0)

    # colons between the pairs: 3x3 dots on the pixel grid, the lower one a
    # pixel further left to follow the slant of the digits
    for colon_x in (75.0, 135.0):
        for dy in (-5.5, 5.5):
            yy = DIGIT_TOP + DIGIT_H / 2.0 + dy
            xx = colon_x + (0.5 if dy < 0 else -0.5)
            f = (lambda x, y, xx=xx, yy=yy: sd_round_box(x, y, xx, yy, 1.5, 1.5, 0.6))
            # the light stays in the gap between the digit cells
            c.glow(f, MINT, 1.0, 0.12, (xx - 1.5, yy - 2.5, xx + 2, yy + 2.5), pad=0)
            c.fill(f, mix(MINT, MINT_DEEP, 0.35), (xx - 3, yy - 3, xx + 3, yy + 3))

    # label and accents below the panel
    lw = draw_label(c, 'VANTEL', cx, 57, AMBER, (0, 0, 0))
    for side in (-1, 1):
        xa = cx + side * (lw / 2.0 + 6)
        xb = cx + side * (lw / 2.0 + 30)
        f = (lambda x, y, xa=xa, xb=xb: sd_capsule(x, y, xa, 59.5, xb, 59.5, 0.5))
        c.fill(f, (96, 100, 110), opacity=0.9,
               mask=lambda x, y, xa=xa, xb=xb: 1 - smoothstep(0, abs(xb - xa), abs(x - xa)) * 0.9)
    # two indicator lamps at the ends of the label line: the right one lit
    for lx, lit in ((cx - lw / 2.0 - 38, False), (cx + lw / 2.0 + 38, True)):
        f = lambda x, y, lx=lx: sd_circle(x, y, lx, 59.5, 1.6)
        c.fill(lambda x, y, lx=lx: sd_circle(x, y, lx, 59.9, 2.4), (8, 9, 10), opacity=0.8)
        if lit:
            c.glow(f, AMBER, 1.2, 0.25, (lx - 4, 55, lx + 4, 64))
            c.fill(f, AMBER)
        else:
            c.fill(f, (52, 44, 36))

    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            if outline(x + 0.5, y + 0.5) > 0:
                row.append(MAGENTA)
            else:
                r, g, b, a = c.pixel(x, y)
                row.append((int(round(r)), int(round(g)), int(round(b))))
        rows.append(row)
    return rows


# ---------------------------------------------------------------------------
# Message background (bitmap 103)
# ---------------------------------------------------------------------------
def make_message_background():
    """Rectangular (the message program ships with UseTransparency off), so
    no pixel uses the key colour.  The text area 15,12-410,132 lies on a
    flat panel for the mint default text."""
    w, h = MSG_W, MSG_H
    c = Canvas(w, h, fill=RIM)
    draw_bezel(c, w, h, 7.0, 60)
    px0, py0, px1, py1 = 7, 6, 433, 139
    draw_recess(c, px0, py0, px1, py1, 5.0)

    # a faint diagonal reflection on the glass, right of the text start
    def sheen(x, y):
        u = (x - 250.0) + (y - 6.0) * 0.9
        return (255, 255, 255), 0.035 * smoothstep(0, 40, u) * (1 - smoothstep(90, 150, u))
    c.fill(lambda x, y: sd_round_box(x, y, (px0 + px1) / 2.0, (py0 + py1) / 2.0,
                                     (px1 - px0) / 2.0 - 1, (py1 - py0) / 2.0 - 1, 4.0),
           sheen, (px0, py0, px1, py1))

    # footer: label on the right, bell and accent line on the left
    lw = label_width('VANTEL')
    label_cx = w - 16 - lw / 2.0
    draw_label(c, 'VANTEL', label_cx, 146, AMBER, (0, 0, 0))
    xa, xb = label_cx - lw / 2.0 - 8, 40.0
    c.fill(lambda x, y: sd_capsule(x, y, xa, 148.5, xb, 148.5, 0.5), (96, 100, 110),
           mask=lambda x, y: 0.8 * (1 - smoothstep(0, xa - xb, xa - x)) + 0.1)
    draw_bell(c, 24.0, 148.5, 5.2)
    return [[tuple(int(round(v)) for v in c.pixel(x, y)[:3]) for x in range(w)]
            for y in range(h)]


def draw_bell(c, cx, cy, s):
    """Small amber bell of height about 2 s, centred on (cx, cy)."""
    def bell(x, y):
        # bell body: a rounded trapezoid widening downwards
        u = (y - (cy - s * 0.75)) / (s * 1.45)
        half = s * (0.38 + 0.42 * clamp(u) ** 1.6)
        body = max(abs(x - cx) - half, (cy - s * 0.8) - y, y - (cy + s * 0.7))
        top = sd_circle(x, y, cx, cy - s * 0.45, s * 0.42)
        rim = sd_capsule(x, y, cx - s * 0.85, cy + s * 0.62, cx + s * 0.85, cy + s * 0.62, s * 0.14)
        return min(body, top, rim)

    bb = (cx - s * 1.3, cy - s * 1.3, cx + s * 1.3, cy + s * 1.4)
    c.glow(bell, AMBER, 1.2, 0.12, bb)
    c.fill(bell, lambda x, y: mix(AMBER, AMBER_DEEP, clamp((y - cy + s) / (2 * s))), bb)
    c.fill(lambda x, y: sd_circle(x, y, cx, cy + s * 0.95, s * 0.22), AMBER_DEEP, bb)


# ---------------------------------------------------------------------------
# Icons
# ---------------------------------------------------------------------------
def icon_canvas(size):
    return Canvas(size, size)


def soft_shadow(c, sdf, strength=0.35, spread=1.0):
    """Blurred dark copy of a shape (drop shadow)."""
    for y in range(c.h):
        for x in range(c.w):
            d = sdf(x + 0.5, y + 0.5)
            a = strength * (1 - smoothstep(-spread, spread * 1.8, d))
            if a > 0.003:
                c.blend(y * c.w + x, (0, 0, 0), a)


def make_clock_icon_16():
    """Hand-fitted 16-pixel version: two-pixel hands on the pixel grid."""
    c = icon_canvas(16)
    bx, by, br = 8.0, 9.0, 6.9
    for side in (-1, 1):
        c.fill(lambda x, y, side=side: sd_circle(x, y, bx + side * 5.0, 3.3, 2.9), RIM)
        c.fill(lambda x, y, side=side: sd_circle(x, y, bx + side * 5.0, 3.3, 2.0),
               lambda x, y: mix(AMBER, AMBER_DEEP, clamp((y - 1.5) / 3.5)))
    c.fill(lambda x, y: sd_circle(x, y, bx, by, br), RIM)
    c.fill(lambda x, y: sd_circle(x, y, bx, by, br - 1.0), body_paint(2, 16))
    c.fill(lambda x, y: sd_circle(x, y, bx, by, br - 1.9), PANEL)
    c.fill(lambda x, y: sd_round_box(x, y, 8.0, 6.75, 1.0, 2.75, 0.3), MINT)   # minute hand
    c.fill(lambda x, y: sd_round_box(x, y, 9.5, 9.0, 2.5, 1.0, 0.3), MINT)     # hour hand
    c.fill(lambda x, y: sd_round_box(x, y, 8.0, 9.0, 1.0, 1.0, 0.2), AMBER)
    return c.rgba_bytes()


def make_clock_icon(size):
    """Alarm clock: graphite body, LCD-dark face with mint hands at ten past
    ten, amber bells."""
    if size <= 16:
        return make_clock_icon_16()
    s = float(size)
    c = icon_canvas(size)
    u = s / 32.0
    bx, by, br = s * 0.5, s * 0.55, s * 0.395
    face_r = br - max(1.6, s * 0.085)

    # alarm bells and legs sit behind the body
    bell_r = s * 0.15
    for side in (-1, 1):
        ang = math.radians(-90 + side * 42)
        bcx = bx + math.cos(ang) * br * 0.98
        bcy = by + math.sin(ang) * br * 0.98
        c.fill(lambda x, y, bcx=bcx, bcy=bcy: sd_circle(x, y, bcx, bcy, bell_r), RIM)
        c.fill(lambda x, y, bcx=bcx, bcy=bcy: sd_circle(x, y, bcx, bcy, bell_r - max(0.8, u * 0.9)),
               lambda x, y, bcy=bcy: mix(AMBER, AMBER_DEEP, clamp((y - bcy + bell_r) / (2 * bell_r))))
        c.fill(lambda x, y, bcx=bcx, bcy=bcy: sd_circle(x, y, bcx - bell_r * 0.3, bcy - bell_r * 0.35,
                                                      bell_r * 0.28),
               (255, 236, 190), opacity=0.55)
        lx0 = bx + side * br * 0.55
        c.fill(lambda x, y, lx0=lx0, side=side: sd_capsule(x, y, lx0, by + br * 0.8,
                                                         lx0 + side * s * 0.08, s * 0.91, s * 0.045 + 0.4),
               (24, 26, 30))

    c.fill(lambda x, y: sd_circle(x, y, bx, by, br), RIM)
    c.fill(lambda x, y: sd_circle(x, y, bx, by, br - max(0.8, u * 0.9)), body_paint(by - br, by + br))
    c.fill(lambda x, y: abs(sd_circle(x, y, bx, by, br - u * 1.6)) - 0.45 * u, (200, 206, 216),
           mask=lambda x, y: 0.6 * (1 - smoothstep(by - br, by, y)))
    c.fill(lambda x, y: sd_circle(x, y, bx, by, face_r + max(0.6, u * 0.5)), (6, 7, 8))
    c.fill(lambda x, y: sd_circle(x, y, bx, by, face_r), PANEL)
    # hour marks: the four quarters, and the others from 48 pixels up
    nt = 4 if size <= 32 else 12
    for i in range(nt):
        a = 2 * math.pi * i / nt
        major = (i * 12 // nt) % 3 == 0
        r0 = face_r * (0.72 if major else 0.80)
        r1 = face_r * 0.88
        tx0, ty0 = bx + math.sin(a) * r0, by - math.cos(a) * r0
        tx1, ty1 = bx + math.sin(a) * r1, by - math.cos(a) * r1
        c.fill(lambda x, y, a0=(tx0, ty0), a1=(tx1, ty1): sd_capsule(x, y, a0[0], a0[1], a1[0], a1[1],
                                                                     max(0.45, u * 0.55)),
               MINT if major else mix(PANEL, MINT, 0.55))
    # hands at ten past ten
    hw = max(0.75, u * 0.95)
    hands = [(math.radians(-60), face_r * 0.55), (math.radians(60), face_r * 0.82)]
    hs = []
    for ang, ln in hands:
        ex, ey = bx + math.sin(ang) * ln, by - math.cos(ang) * ln
        hs.append(lambda x, y, ex=ex, ey=ey: sd_capsule(x, y, bx, by, ex, ey, hw))
    hand_sdf = lambda x, y: min(h(x, y) for h in hs)
    c.glow(hand_sdf, MINT, max(0.8, u), 0.22)
    c.fill(hand_sdf, MINT)
    c.fill(lambda x, y: sd_circle(x, y, bx, by, max(1.1, u * 1.6)), AMBER)
    # glass highlight
    c.fill(lambda x, y: max(sd_circle(x, y, bx, by, face_r - u * 0.6),
                            -sd_circle(x, y, bx + face_r * 0.35, by + face_r * 0.45, face_r * 1.05)),
           (255, 255, 255), opacity=0.09)
    return c.rgba_bytes()


def make_message_icon(size):
    s = float(size)
    u = s / 32.0
    small = size <= 16
    c = icon_canvas(size)
    x0, y0, x1, y1 = s * 0.06, s * 0.12, s * 0.94, s * 0.74
    if small:
        x0, y0, x1, y1 = 0.5, 1.5, 15.5, 11.5
    bcx, bcy = (x0 + x1) / 2, (y0 + y1) / 2
    hw, hh = (x1 - x0) / 2, (y1 - y0) / 2
    rad = s * 0.16
    tail = [(s * 0.22, y1 - s * 0.05), (s * 0.44, y1 - s * 0.05), (s * 0.16, s * 0.95)]
    if small:
        tail = [(3.5, 10.5), (8.0, 10.5), (2.5, 15.5)]

    def bubble(x, y, grow=0.0):
        return min(sd_round_box(x, y, bcx, bcy, hw + grow, hh + grow, rad + grow),
                   sd_polygon(x, y, tail) - grow)
    bw = max(0.8, u * 0.9)
    c.fill(lambda x, y: bubble(x, y), RIM)
    c.fill(lambda x, y: bubble(x, y, -bw), body_paint(y0, s * 0.95))
    if not small:
        c.fill(lambda x, y: abs(sd_round_box(x, y, bcx, bcy, hw - u * 1.6, hh - u * 1.6, rad - u * 1.6)) - 0.45 * u,
               (200, 206, 216), mask=lambda x, y: 0.55 * (1 - smoothstep(y0, bcy, y)))
    inset = max(2.0, s * 0.12)
    pr = max(1.0, rad - inset * 0.7)
    c.fill(lambda x, y: sd_round_box(x, y, bcx, bcy, hw - inset + max(0.6, u * 0.5),
                                     hh - inset + max(0.6, u * 0.5), pr), (6, 7, 8))
    c.fill(lambda x, y: sd_round_box(x, y, bcx, bcy, hw - inset, hh - inset, pr), PANEL)
    # typed lines and the amber cursor block
    if small:
        lines = [(4.0, 5.0, 12.0), (4.0, 8.0, 8.0)]
        lw = 0.75
    else:
        n = 3 if size >= 48 else 2
        top = y0 + inset + s * 0.075
        step = (hh * 2 - inset * 2 - s * 0.15) / max(1, n - 1)
        lines = []
        for i in range(n):
            ly = top + i * step
            lx1 = x1 - inset - s * 0.09 if i < n - 1 else bcx + s * 0.02
            lines.append((x0 + inset + s * 0.08, ly, lx1))
        lw = max(0.8, u * 0.95)
    for lx0, ly, lx1 in lines:
        f = lambda x, y, lx0=lx0, ly=ly, lx1=lx1: sd_capsule(x, y, lx0, ly, lx1, ly, lw)
        if not small:
            c.glow(f, MINT, max(0.8, u), 0.18)
        c.fill(f, MINT)
    lx0, ly, lx1 = lines[-1]
    cw = max(1.0, s * 0.05)
    ch = max(1.5, lw * 2.2)
    curx = lx1 + lw + max(1.5, s * 0.05) + cw
    f = lambda x, y: sd_round_box(x, y, curx, ly, cw, ch, min(cw, ch) * 0.3)
    c.glow(f, AMBER, max(0.8, u), 0.2)
    c.fill(f, AMBER)
    return c.rgba_bytes()


def make_slot_icon(size, active):
    s = float(size)
    u = s / 32.0
    c = icon_canvas(size)
    if size <= 16:
        x0, y0, x1, y1 = 2.0, 1.0, 14.0, 15.0
    else:
        x0, y0, x1, y1 = 4.5, 1.5, 27.5, 30.5
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hw, hh = (x1 - x0) / 2, (y1 - y0) / 2
    rad = max(2.0, 4.0 * u)
    bw = max(1.0, u * 1.5)
    if active:
        panel = PANEL
        frame_top, frame_bot = GRAPHITE_TOP, GRAPHITE_BOT
    else:
        # greyed: a switched-off cell, its segments only faintly visible
        panel = (58, 60, 63)
        frame_top, frame_bot = (150, 152, 156), (112, 114, 118)
    outline = RIM if active else (84, 86, 90)
    c.fill(lambda x, y: sd_round_box(x, y, cx, cy, hw, hh, rad), outline)
    c.fill(lambda x, y: sd_round_box(x, y, cx, cy, hw - 1, hh - 1, rad - 1),
           lambda x, y: mix(frame_top, frame_bot, clamp((y - y0) / (y1 - y0))))
    c.fill(lambda x, y: sd_round_box(x, y, cx, cy, hw - bw - 0.5, hh - bw - 0.5, max(0.8, rad - bw - 0.5)),
           (6, 7, 8) if active else (40, 42, 44))
    c.fill(lambda x, y: sd_round_box(x, y, cx, cy, hw - bw - 1, hh - bw - 1, max(0.6, rad - bw - 1)), panel)
    # the digit 8: every segment, lit (active) or dim grey (inactive)
    if size <= 16:
        box = (x0 + 3.0, y0 + 2.6, x1 - 3.0, y1 - 2.6)
        t, gap = 1.6, 0.15
    else:
        box = (x0 + 5.5, y0 + 5.0, x1 - 5.5, y1 - 5.0)
        t, gap = 2.6, 0.35
    segs = segment_polygons(box[0], box[1], box[2], box[3], t, gap, 0.06)
    polys = list(segs.values())
    sdf = union_sdf(polys)
    if active:
        c.glow(sdf, MINT, max(0.8, u), 0.2, (x0, y0, x1, y1))
        paint = lit_paint(box[1], box[3])
    else:
        paint = (120, 123, 128)
    for p in polys:
        c.fill(lambda x, y, p=p: sd_polygon(x, y, p), paint, poly_bbox(p))
    # glass sheen
    c.fill(lambda x, y: max(sd_round_box(x, y, cx, cy, hw - bw - 1, hh - bw - 1, max(0.6, rad - bw - 1)),
                            y - (y0 + hh * 0.8)),
           (255, 255, 255), opacity=0.07 if active else 0.05)
    return c.rgba_bytes()


ARROW_SHAPE = [(0.50, 0.10), (0.90, 0.52), (0.66, 0.52), (0.66, 0.90),
               (0.34, 0.90), (0.34, 0.52), (0.10, 0.52)]


def make_arrow_icon(size, direction):
    """direction: 'up', 'down', 'left' or 'right'."""
    s = float(size)
    u = s / 32.0
    c = icon_canvas(size)
    if size <= 16:
        shape = [(8.0, 1.0), (15.0, 8.0), (11.0, 8.0), (11.0, 15.0),
                 (5.0, 15.0), (5.0, 8.0), (1.0, 8.0)]
    else:
        shape = [(16.0, 2.0), (30.0, 16.0), (21.0, 16.0), (21.0, 30.0),
                 (11.0, 30.0), (11.0, 16.0), (2.0, 16.0)]

    def to_up(x, y):
        # rotate the sample point so the arrow pointing up can be reused
        if direction == 'up':
            return x, y
        if direction == 'down':
            return x, s - y
        if direction == 'left':
            return y, x
        return y, s - x

    rnd = max(0.6, u * 0.9)

    def arrow(x, y, grow=0.0):
        ux, uy = to_up(x, y)
        return sd_polygon(ux, uy, shape) - grow

    def paint(x, y):
        ux, uy = to_up(x, y)
        return mix((255, 200, 110), AMBER_DEEP, clamp(uy / s))

    bw = max(1.0, u * 1.2)
    c.fill(lambda x, y: arrow(x, y, rnd * 0.3), (84, 46, 8))
    c.fill(lambda x, y: arrow(x, y, rnd * 0.3 - bw), paint)
    if size > 16:
        # highlight along the upper faces of the head
        c.fill(lambda x, y: abs(arrow(x, y, rnd * 0.3 - bw - 0.7)) - 0.4, (255, 240, 200),
               mask=lambda x, y: 0.7 * (1 - smoothstep(0.2 * s, 0.55 * s, to_up(x, y)[1])))
    return c.rgba_bytes()


def make_move_cursor():
    """32x32 four-way move pointer, white with a black outline and a soft
    shadow; hotspot at its centre pixel (15, 15)."""
    size = 32
    c = icon_canvas(size)
    m = 15.5
    arm, head_len, head_w, shaft = 14.0, 5.0, 4.5, 1.5

    def cross(x, y):
        dx, dy = abs(x - m), abs(y - m)
        if dy > dx:
            dx, dy = dy, dx          # fold onto the horizontal arm
        # shaft along x
        shaft_d = max(dy - shaft, dx - (arm - head_len + 0.5))
        # triangular head from dx = arm - head_len to the tip at dx = arm
        tri = sd_polygon(dx, dy, [(arm - head_len, -head_w), (arm, 0.0), (arm - head_len, head_w)])
        return min(shaft_d, tri)

    soft_shadow(c, lambda x, y: cross(x - 1.3, y - 1.6) - 1.0, strength=0.30, spread=1.0)
    c.fill(lambda x, y: cross(x, y) - 1.0, (0, 0, 0))
    c.fill(cross, (255, 255, 255))
    return c.rgba_bytes(), (15, 15)


# ---------------------------------------------------------------------------
# Message sound (WAVE 108)
# ---------------------------------------------------------------------------
def make_tick():
    """A short soft glassy tick, looped while text is typed.  It starts from
    silence, rings for about 35 ms and is exactly zero for the rest of the
    loop, so the loop joins without a click."""
    n = WAVE_SAMPLES
    partials = [(1760.0, 1.00, 0.0065), (2640.0, 0.45, 0.0042),
                (3520.0, 0.18, 0.0028), (880.0, 0.30, 0.0110)]
    attack = 0.0007
    ring_end = 0.040
    peak = 7800.0
    # deterministic noise for the first "touch"
    seed = 0x1234567
    noise = []
    for _ in range(96):
        seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
        noise.append((seed / float(0x7FFFFFFF)) * 2.0 - 1.0)
    raw = []
    for i in range(n):
        t = i / float(WAVE_RATE)
        v = 0.0
        for f, a, tau in partials:
            v += a * math.sin(2 * math.pi * f * t) * math.exp(-t / tau)
        if i < len(noise):
            # low-passed click component, fading within 2 ms
            v += 0.25 * noise[i] * (1 - i / float(len(noise))) ** 2
        env = 1.0
        if t < attack:
            env = 0.5 - 0.5 * math.cos(math.pi * t / attack)
        if t > ring_end * 0.6:
            env *= 0.5 + 0.5 * math.cos(math.pi * clamp((t - ring_end * 0.6) / (ring_end * 0.4)))
        raw.append(v * env)
    top = max(abs(v) for v in raw)
    out = []
    for v in raw:
        s = int(round(v / top * peak))
        out.append(max(-32768, min(32767, s)))
    out[0] = 0
    return out


# ---------------------------------------------------------------------------
# Building, checking, previewing
# ---------------------------------------------------------------------------
def build_all():
    files = {}
    bg = make_clock_background()
    files['clock_background.bmp'] = bmp8(CLOCK_W, CLOCK_H, bg, [MAGENTA, PANEL, RIM, AMBER])
    dg = make_digits()
    files['clock_digits.bmp'] = bmp8(DIGIT_W * 10, DIGIT_H, dg, [MAGENTA, PANEL, MINT, GHOST])
    files['message_background.bmp'] = bmp8(MSG_W, MSG_H, make_message_background(),
                                           [PANEL, RIM, AMBER])
    files['clock.ico'] = ico([(n, make_clock_icon(n)) for n in (16, 32, 48, 256)])
    files['message.ico'] = ico([(n, make_message_icon(n)) for n in (16, 32, 48, 256)])
    files['slot_on.ico'] = ico([(n, make_slot_icon(n, True)) for n in (16, 32)])
    files['slot_off.ico'] = ico([(n, make_slot_icon(n, False)) for n in (16, 32)])
    for name in ('up', 'down', 'left', 'right'):
        files['arrow_%s.ico' % name] = ico([(n, make_arrow_icon(n, name)) for n in (16, 32)])
    cur, hot = make_move_cursor()
    files['move.cur'] = ico([(32, cur)], cursor_hotspot=hot)
    files['message.wav'] = wave_file(make_tick())
    assert sorted(files) == sorted(ASSET_NAMES)
    return files


def read_bmp8(data):
    """Returns (width, height, palette, rows top-down of palette indices)."""
    if data[:2] != b'BM':
        raise ValueError('not a BMP')
    size, _, _, off = struct.unpack_from('<IHHI', data, 2)
    if size != len(data):
        raise ValueError('file size field %d, file has %d bytes' % (size, len(data)))
    (hsize, w, h, planes, bpp, comp, isize, _, _, used, _) = struct.unpack_from('<IiiHHIIiiII', data, 14)
    if hsize != 40 or planes != 1 or bpp != 8 or comp != 0 or h <= 0:
        raise ValueError('not an 8-bit bottom-up BI_RGB bitmap')
    n = used or 256
    pal = [tuple(data[54 + 4 * i + k] for k in (2, 1, 0)) for i in range(n)]
    stride = (w + 3) & ~3
    if off + stride * h != len(data) or isize != stride * h:
        raise ValueError('pixel data size mismatch')
    rows = []
    for y in range(h):
        src = off + (h - 1 - y) * stride
        rows.append(list(data[src:src + w]))
    return w, h, pal, rows


def read_icon(data, kind):
    res, typ, count = struct.unpack_from('<HHH', data, 0)
    if res != 0 or typ != kind or count < 1:
        raise ValueError('bad icon directory')
    out = []
    for i in range(count):
        bw, bh, cc, r, f1, f2, ln, off = struct.unpack_from('<BBBBHHII', data, 6 + 16 * i)
        size = bw or 256
        blob = data[off:off + ln]
        if len(blob) != ln:
            raise ValueError('image %d truncated' % i)
        if blob[:8] == b'\x89PNG\r\n\x1a\n':
            if size != 256:
                raise ValueError('PNG image below 256 pixels')
        else:
            hs, w, h, planes, bpp = struct.unpack_from('<IiiHH', blob, 0)
            mask_stride = ((w + 31) // 32) * 4
            if hs != 40 or w != size or h != 2 * size or bpp != 32:
                raise ValueError('image %d: bad header' % i)
            if ln != 40 + w * w * 4 + mask_stride * w:
                raise ValueError('image %d: bad length' % i)
        out.append((size, f1, f2))
    return out


def check(art_dir):
    """Returns (number of checks passed, list of failures)."""
    problems = []
    passed = [0]

    def need(cond, msg):
        if cond:
            passed[0] += 1
        else:
            problems.append(msg)

    def load(name):
        with open(os.path.join(art_dir, name), 'rb') as f:
            return f.read()

    missing = [n for n in ASSET_NAMES if not os.path.isfile(os.path.join(art_dir, n))]
    if missing:
        return 0, ['missing in %s: %s' % (art_dir, ', '.join(missing))]

    def key_collides(rgb):
        # 5-6-5 and 5-5-5 displays: no colour but the key may map onto it
        r, g, b = rgb
        return ((r >> 3, g >> 2, b >> 3) == (31, 0, 31)) or ((r >> 3, g >> 3, b >> 3) == (31, 0, 31))

    # clock background
    w, h, pal, rows = read_bmp8(load('clock_background.bmp'))
    need((w, h) == (CLOCK_W, CLOCK_H), 'clock_background.bmp is %dx%d' % (w, h))
    col = lambda x, y: pal[rows[y][x]]
    for (x, y) in ((0, 0), (w - 1, 0), (0, h - 1), (w - 1, h - 1)):
        need(col(x, y) == MAGENTA, 'clock background corner %d,%d is not magenta' % (x, y))
    # the default layout, and the one the Digits dialog's Center gives
    for lefts, top in ((DIGIT_LEFTS, DIGIT_TOP), ((21, 46, 83, 108, 145, 170), 20)):
        for left in lefts:
            off = [(x, y) for y in range(top, top + DIGIT_H)
                   for x in range(left, left + DIGIT_W) if col(x, y) != PANEL]
            need(not off, 'clock background under the digit at %d,%d is not all panel colour, '
                 'e.g. at %r' % (left, top, off[:1]))
    need(col(w // 2, h // 2) != MAGENTA, 'clock background centre is transparent')
    inside = [col(x, y) for y in range(h) for x in range(w) if col(x, y) != MAGENTA]
    need(all(not key_collides(c) for c in inside), 'clock background has colours that turn into the key at 16 bpp')
    holes = []
    for y in range(h):
        xs = [x for x in range(w) if col(x, y) != MAGENTA]
        if xs and xs != list(range(xs[0], xs[-1] + 1)):
            holes.append(y)
    need(not holes, 'clock background rows %r have holes' % holes)

    # digits
    w, h, pal, rows = read_bmp8(load('clock_digits.bmp'))
    need((w, h) == (DIGIT_W * 10, DIGIT_H), 'clock_digits.bmp is %dx%d' % (w, h))
    for k in range(10):
        cell = [pal[rows[y][x]] for y in range(h) for x in range(k * DIGIT_W, (k + 1) * DIGIT_W)]
        need(sum(1 for c in cell if c[1] > 200) > 30, 'digit %d has too few lit pixels' % k)
        need(not any(key_collides(c) for c in cell if c != MAGENTA), 'digit %d has near-key colours' % k)
        edge = [pal[rows[y][x]] for y in range(h) for x in (k * DIGIT_W, (k + 1) * DIGIT_W - 1)]
        edge += [pal[rows[y][x]] for y in (0, h - 1) for x in range(k * DIGIT_W, (k + 1) * DIGIT_W)]
        need(all(c == MAGENTA for c in edge), 'digit %d cell border not transparent' % k)
        # no pink fringe: opaque pixels must lie between the panel and the
        # segment colours, never towards magenta
        pink = [c for c in cell if c != MAGENTA and (c[1] < c[0] - 2 or c[1] < c[2] - 2)]
        need(not pink, 'digit %d has pinkish pixels, e.g. %r' % (k, pink[:1]))

    # message background
    w, h, pal, rows = read_bmp8(load('message_background.bmp'))
    need((w, h) == (MSG_W, MSG_H), 'message_background.bmp is %dx%d' % (w, h))
    allc = set(pal[i] for row in rows for i in row)
    need(MAGENTA not in allc and not any(key_collides(c) for c in allc),
         'message background uses the key colour')
    x0, y0, x1, y1 = MSG_TEXT_AREA
    area = set(pal[rows[y][x]] for y in range(y0, y1) for x in range(x0, x1))
    lum = lambda c: 0.2126 * c[0] + 0.7152 * c[1] + 0.0722 * c[2]
    need(max(lum(c) for c in area) < 40, 'message text area is too light for the mint text')

    # icons and cursor
    for name, sizes in (('clock.ico', {16, 32, 48}), ('message.ico', {16, 32, 48}),
                        ('slot_on.ico', {16, 32}), ('slot_off.ico', {16, 32}),
                        ('arrow_up.ico', {16, 32}), ('arrow_down.ico', {16, 32}),
                        ('arrow_left.ico', {16, 32}), ('arrow_right.ico', {16, 32})):
        try:
            got = {s for s, _, _ in read_icon(load(name), 1)}
            need(sizes <= got, '%s lacks sizes %s' % (name, sorted(sizes - got)))
        except ValueError as e:
            problems.append('%s: %s' % (name, e))
    try:
        cur = read_icon(load('move.cur'), 2)
        need([s for s, _, _ in cur] == [32], 'move.cur must hold one 32x32 image')
        need(all(0 <= fx < 32 and 0 <= fy < 32 for _, fx, fy in cur), 'move.cur hotspot outside')
    except ValueError as e:
        problems.append('move.cur: %s' % e)

    # sound
    wav = load('message.wav')
    need(wav[:4] == b'RIFF' and wav[8:12] == b'WAVE', 'message.wav is not RIFF WAVE')
    need(struct.unpack_from('<I', wav, 4)[0] == len(wav) - 8, 'message.wav RIFF length')
    need(wav[12:16] == b'fmt ' and struct.unpack_from('<I', wav, 16)[0] == 16, 'message.wav fmt chunk')
    tag, ch, rate, bps, align, bits = struct.unpack_from('<HHIIHH', wav, 20)
    need((tag, ch, rate, bps, align, bits) == (1, 1, 44100, 88200, 2, 16), 'message.wav format')
    need(wav[36:40] == b'data', 'message.wav data chunk')
    dlen = struct.unpack_from('<I', wav, 40)[0]
    need(dlen == 6168 and len(wav) == 44 + 6168, 'message.wav data is %d bytes' % dlen)
    samples = struct.unpack_from('<%dh' % (dlen // 2), wav, 44)
    need(samples[0] == 0 and samples[-1] == 0, 'message.wav does not start and end at silence')
    need(abs(samples[1]) < 200 and abs(samples[-2]) < 200, 'message.wav ends are not soft')
    need(0 < max(abs(s) for s in samples) < 16384, 'message.wav level out of range')
    return passed[0], problems


def decode_bmp8(data):
    """(width, height, rows of RGB tuples) of an 8-bit BMP the generator wrote."""
    w, h, pal, rows = read_bmp8(data)
    return w, h, [[pal[i] for i in row] for row in rows]


def save_png(out_dir, name, w, h, rows, scale):
    """Writes rows of RGB tuples as a PNG enlarged `scale` times."""
    buf = bytearray()
    for row in rows:
        line = bytearray()
        for p in row:
            line += bytes((p[0], p[1], p[2], 255)) * scale
        buf += bytes(line) * scale
    with open(os.path.join(out_dir, name), 'wb') as f:
        f.write(png(w * scale, h * scale, bytes(buf)))


def write_preview(files, out_dir):
    """Enlarged PNG previews: the clock face showing 12:34:56, the message
    window, and every icon on a light and a dark backdrop."""
    os.makedirs(out_dir, exist_ok=True)

    def decode(name):
        return decode_bmp8(files[name])

    def save(name, w, h, rows, scale):
        save_png(out_dir, name, w, h, rows, scale)

    desk = (58, 110, 165)
    bw, bh, bg = decode('clock_background.bmp')
    _, _, dg = decode('clock_digits.bmp')
    face = [[desk if p == MAGENTA else p for p in row] for row in bg]
    for left, d in zip(DIGIT_LEFTS, (1, 2, 3, 4, 5, 6)):
        for y in range(DIGIT_H):
            for x in range(DIGIT_W):
                p = dg[y][d * DIGIT_W + x]
                if p != MAGENTA:
                    face[DIGIT_TOP + y][left + x] = p
    save('clock_face.png', bw, bh, face, 3)
    save('clock_digits.png', 250, 30, dg, 3)
    mw, mh, mg = decode('message_background.bmp')
    save('message_background.png', mw, mh, mg, 2)

    for name in sorted(files):
        if not (name.endswith('.ico') or name.endswith('.cur')):
            continue
        data = files[name]
        kind = 2 if name.endswith('.cur') else 1
        for size, _, _ in read_icon(data, kind):
            if size == 256:
                continue
            rgba = icon_pixels(data, size)
            for bname, back in (('light', (240, 240, 240)), ('dark', (40, 44, 52))):
                rows = []
                for y in range(size):
                    row = []
                    for x in range(size):
                        r, g, b, a = rgba[y][x]
                        t = a / 255.0
                        row.append(tuple(int(round(back[k] * (1 - t) + (r, g, b)[k] * t)) for k in range(3)))
                    rows.append(row)
                save('%s_%d_%s.png' % (name.replace('.', '_'), size, bname), size, size, rows,
                     max(1, 128 // size))


def icon_pixels(data, size):
    count = struct.unpack_from('<H', data, 4)[0]
    for i in range(count):
        bw, _, _, _, _, _, ln, off = struct.unpack_from('<BBBBHHII', data, 6 + 16 * i)
        if (bw or 256) == size:
            blob = data[off + 40:off + 40 + size * size * 4]
            rows = []
            for y in range(size - 1, -1, -1):
                row = []
                for x in range(size):
                    b, g, r, a = blob[(y * size + x) * 4:(y * size + x) * 4 + 4]
                    row.append((r, g, b, a))
                rows.append(row)
            return rows
    raise ValueError('no %d image' % size)


def skins_module():
    # make_skins imports this module by name; run as a script, this module
    # is __main__, so hand it over instead of loading a second copy
    sys.modules.setdefault('make_assets', sys.modules[__name__])
    import make_skins
    return make_skins


def main(argv):
    if '--check' in argv:
        i = argv.index('--check')
        art_dir = argv[i + 1] if i + 1 < len(argv) else ART_DIR
        passed, problems = check(art_dir)
        if i + 1 >= len(argv):
            sp, sprob = skins_module().check_skins()
            passed += sp
            problems += sprob
        for p in problems:
            print('FAIL:', p)
        print('%d passed, %d failed' % (passed, len(problems)))
        return 1 if problems else 0
    files = build_all()
    os.makedirs(ART_DIR, exist_ok=True)
    for name in sorted(files):
        with open(os.path.join(ART_DIR, name), 'wb') as f:
            f.write(files[name])
        print('wrote %s (%d bytes)' % (name, len(files[name])))
    skins = skins_module()
    skin_files = skins.build_skins()
    skins.write_skins(skin_files)
    passed, problems = check(ART_DIR)
    sp, sprob = skins.check_skins()
    passed += sp
    problems += sprob
    for p in problems:
        print('FAIL:', p)
    print('check: %d passed, %d failed' % (passed, len(problems)))
    if '--preview' in argv:
        i = argv.index('--preview')
        out = argv[i + 1] if i + 1 < len(argv) else '/tmp/assets-preview'
        write_preview(files, out)
        skins.write_skin_previews(skin_files, out)
        print('previews in', out)
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
