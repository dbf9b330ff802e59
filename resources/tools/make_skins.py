#!/usr/bin/env python3
"""Builds the sample skins that ship in the skins folder beside the clock
into resources/skins/.  make_assets.py runs this too; on its own:

    make_skins.py                   write the skins into resources/skins/
    make_skins.py --check [DIR]     verify the skins in resources/skins/ (or DIR)
    make_skins.py --preview DIR     also write enlarged PNG previews into DIR

A skin is <stem>.ini with <stem>_b.bmp (background, which also shapes the
clock window), <stem>_d.bmp (the ten digit cells side by side) and, for a
skin that carries the message window's look, <stem>_m.bmp.  The pictures
reuse the family's drawing (graphite bodies, dark LCD panels, lit
seven-segment digits, amber accents), each skin in its own colourway and
outline.  Output is deterministic, like the built-in artwork.
"""

import math
import os
import sys

if __name__ == '__main__':
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_assets as art
from make_assets import (AMBER, AMBER_DEEP, MAGENTA, MINT, MINT_DEEP, RIM, Canvas, DigitStyle,
                         bmp8, clamp, draw_bell, draw_bezel, draw_label, draw_recess, label_width,
                         make_digits, mix, png, read_bmp8, sd_capsule, sd_circle, sd_polygon,
                         sd_round_box, smoothstep)

SKINS_DIR = os.path.normpath(os.path.join(art.HERE, '..', 'skins'))

RED = (255, 0, 0)      # colour key of the Porthole skin: COLORREF 0000FF

# Extra capitals for the small engraved labels (same 5x5 grid as VANTEL).
LABELS = dict(art.LABEL_FONT)
LABELS.update({
    'C': ['.XXXX', 'X....', 'X....', 'X....', '.XXXX'],
    'H': ['X...X', 'X...X', 'XXXXX', 'X...X', 'X...X'],
    'R': ['XXXX.', 'X...X', 'XXXX.', 'X..X.', 'X...X'],
    'O': ['.XXX.', 'X...X', 'X...X', 'X...X', '.XXX.'],
})

# The characters a skin name cannot carry into its file stem.
STEM_BAD = '\\/:*?"<>|'


def file_stem(name):
    return ''.join('_' if ch in STEM_BAD else ch for ch in name)


def colorref(rgb):
    """"%06X" of the COLORREF of an RGB colour: red in the low byte."""
    r, g, b = rgb
    return '%06X' % (r | (g << 8) | (b << 16))


def smin(a, b, k):
    """Smooth minimum of two distances: a fillet of about k pixels."""
    h = clamp(0.5 + 0.5 * (b - a) / k)
    return b + (a - b) * h - k * h * (1 - h)


def flatten(c, outline, key, holes=None):
    """Top-down RGB rows of a canvas.  Pixels whose centre lies outside the
    outline, or inside one of the holes, become the exact key colour;
    everything else keeps the canvas colour, so the cut edge shows the dark
    rim, never a blend towards the key."""
    rows = []
    for y in range(c.h):
        row = []
        for x in range(c.w):
            px, py = x + 0.5, y + 0.5
            if outline(px, py) > 0 or (holes is not None and holes(px, py) < 0):
                row.append(key)
            else:
                r, g, b, a = c.pixel(x, y)
                row.append((int(round(r)), int(round(g)), int(round(b))))
        rows.append(row)
    return rows


def draw_dot(c, xx, yy, col, glow_col, half=1.5):
    """A square colon dot (3x3 pixels when centred on a pixel) with a faint
    glow that stays within a pixel of it."""
    f = lambda x, y: sd_round_box(x, y, xx, yy, half, half, 0.6)
    c.glow(f, glow_col, 1.0, 0.12, (xx - half - 1, yy - half - 1, xx + half + 1, yy + half + 1), pad=0)
    c.fill(f, col, (xx - 3, yy - 3, xx + 3, yy + 3))


def draw_lamp(c, lx, ly, lit, col=AMBER):
    f = lambda x, y: sd_circle(x, y, lx, ly, 1.6)
    c.fill(lambda x, y: sd_circle(x, y, lx, ly + 0.4, 2.4), (8, 9, 10), opacity=0.8)
    if lit:
        c.glow(f, col, 1.2, 0.25, (lx - 4, ly - 4.5, lx + 4, ly + 4.5))
        c.fill(f, col)
    else:
        c.fill(f, (52, 44, 36))


def draw_rule(c, xa, xb, y, col=(96, 100, 110), strength=0.9):
    """Engraved hairline from xa fading out towards xb."""
    f = lambda x, yy: sd_capsule(x, yy, xa, y, xb, y, 0.5)
    c.fill(f, col, opacity=strength,
           mask=lambda x, yy: 1 - smoothstep(0, abs(xb - xa), abs(x - xa)) * 0.9)


class Skin:
    """One sample skin: its name, digits, layout and pictures."""

    def __init__(self, name, key, digits, first, last, slots, background, holes,
                 message=None):
        self.name = name
        self.stem = file_stem(name)
        self.key = key
        self.digits = digits            # DigitStyle of the strip
        self.first, self.last = first, last
        self.slots = slots              # slot number -> (left, top); others are 0,0
        self.background = background    # function -> (width, height, rows)
        self.holes = holes              # number of holes the window outline has
        self.message = message          # MessageLook or None

    def ini(self):
        lines = ['[VANTEL]',
                 'SkinName=%s' % self.name,
                 'BackgroundBMP=\\skins\\%s_b.bmp' % self.stem,
                 'DigitsBMP=\\skins\\%s_d.bmp' % self.stem,
                 'TransparentColor=%s' % colorref(self.key),
                 'FirstDigit=%d' % self.first,
                 'LastDigit=%d' % self.last]
        for n in range(12):
            lines.append('Digit%d=%d,%d' % ((n + 1,) + self.slots.get(n, (0, 0))))
        lines += ['', '[VANTEL_MSG]']
        m = self.message
        if m is None:
            lines.append('UseSkinData=0')
        else:
            lines += ['UseSkinData=1',
                      'BackgroundBMP=\\skins\\%s_m.bmp' % self.stem,
                      'UseTransparency=%d' % (1 if m.key is not None else 0),
                      'TransparentColor=%s' % colorref(m.key or MAGENTA),
                      'TextArea=%d,%d,%d,%d' % m.text_area,
                      'FontFaceName=%s' % m.face,
                      'FontHeight=%d' % m.height,
                      'FontColor=%s' % colorref(m.colour),
                      'FontWeight=%d' % m.weight,
                      'FontItalic=%d' % m.italic,
                      'FontCharSet=0']
        return ('\r\n'.join(lines) + '\r\n').encode('ascii')


class MessageLook:
    """The message window's look carried by a skin.  key None: a
    rectangular window (UseTransparency 0)."""

    def __init__(self, background, key, text_area, face, height, colour, weight, italic=0):
        self.background = background    # function -> (width, height, rows)
        self.key = key
        self.text_area = text_area      # left, top, right, bottom
        self.face, self.height, self.colour = face, height, colour
        self.weight, self.italic = weight, italic


# ---------------------------------------------------------------------------
# Graphite Chrono: a stopwatch bar showing hh:mm:ss.th in the family's mint
# ---------------------------------------------------------------------------
CHRONO_W, CHRONO_H = 240, 74
CHRONO_DIGITS = DigitStyle(cell=(20, 28), box=(2.9, 2.2, 17.1, 25.8), thick=3.1, gap=0.55,
                           slant=0.06, glow=(1.2, 0.15))
CHRONO_LEFTS = (24, 44, 74, 94, 124, 144, 176, 196)
CHRONO_TOP = 24
STEEL_TOP, STEEL_BOT = (176, 182, 192), (88, 92, 102)


def chrono_parts():
    """The body and the parts on its top edge: the crown in the middle and a
    pusher either side, each a cap on a narrower collar."""
    w = CHRONO_W
    body = lambda x, y, i=0.0: sd_round_box(x, y, w / 2.0, 42.0, w / 2.0 - i, 32.0 - i, 18.0 - i)
    caps = [lambda x, y, i=0.0: sd_round_box(x, y, w / 2.0, 3.5, 12.0 - i, 3.5 - i, 2.0 - i)]
    collars = [lambda x, y, i=0.0: sd_round_box(x, y, w / 2.0, 9.0, 7.0 - i, 3.0 - i, 0.8)]
    for px in (54.0, w - 54.0):
        caps.append(lambda x, y, i=0.0, px=px: sd_round_box(x, y, px, 5.0, 8.0 - i, 3.0 - i, 1.8 - i))
        collars.append(lambda x, y, i=0.0, px=px: sd_round_box(x, y, px, 9.5, 5.0 - i, 2.5 - i, 0.8))
    return body, caps, collars


def chrono_background():
    w, h = CHRONO_W, CHRONO_H
    body, caps, collars = chrono_parts()

    def outline(x, y):
        d = body(x, y)
        for p in caps + collars:
            d = smin(d, p(x, y), 1.0)
        return d

    c = Canvas(w, h, fill=RIM)
    # top parts first: the body's rim overlaps their feet
    steel = lambda top, bot: (lambda x, y: mix(STEEL_TOP, STEEL_BOT, clamp((y - top) / (bot - top))))
    for p in collars:
        c.fill(lambda x, y, p=p: p(x, y, 1.0),
               lambda x, y: mix((112, 118, 128), (46, 49, 56), clamp((y - 6) / 5.0)))
    for i, p in enumerate(caps):
        # the crown and the reset pusher are steel, the start pusher amber
        paint = ((lambda x, y: mix((255, 196, 100), AMBER_DEEP, clamp((y - 2) / 6.0))) if i == 1
                 else steel(0, 8))
        c.fill(lambda x, y, p=p: p(x, y, 1.0), paint)
        c.fill(lambda x, y, p=p: abs(p(x, y, 1.6)) - 0.45, (255, 255, 255), opacity=0.45,
               mask=lambda x, y: 1 - smoothstep(1.5, 4.5, y))
    # knurling on the crown
    for k in range(-5, 5):
        kx = w / 2.0 + k * 2.0 + 0.5
        c.fill(lambda x, y, kx=kx: sd_capsule(x, y, kx, 2.0, kx, 5.5, 0.5), (52, 56, 64), opacity=0.7)

    draw_bezel(c, w, h, 18.0, 40, shape=lambda x, y, i: body(x, y, i))
    # the body's own rim over the feet of the top parts
    c.fill(lambda x, y: abs(body(x, y, 0.5)) - 0.5, RIM,
           mask=lambda x, y: 1.0 if y < 14 else 0.0)

    px0, py0, px1, py1 = 12, 18, 228, 58
    draw_recess(c, px0, py0, px1, py1, 8.0)

    # colons and the decimal point, mint like the digits
    dot = mix(MINT, MINT_DEEP, 0.35)
    for colon_x in (69.0, 119.0):
        for dy in (-5.5, 5.5):
            yy = CHRONO_TOP + 14.0 + dy
            draw_dot(c, colon_x + (0.5 if dy < 0 else -0.5), yy, dot, MINT)
    draw_dot(c, 169.5, CHRONO_TOP + 24.5, dot, MINT)

    # engraved labels below the panel: maker left, model right
    cx = w / 2.0
    lw = draw_label(c, 'VANTEL', 52, 63, AMBER, (0, 0, 0), spacing=2, font=LABELS)
    mw = label_width('CHRONO', 2)
    draw_label(c, 'CHRONO', w - 52, 63, (150, 156, 168), (0, 0, 0), spacing=2, font=LABELS)
    draw_rule(c, 52 + lw / 2.0 + 6, cx - 8, 65.5)
    draw_rule(c, w - 52 - mw / 2.0 - 6, cx + 8, 65.5)
    draw_lamp(c, cx, 65.5, True)
    return w, h, flatten(c, outline, MAGENTA)


GRAPHITE_CHRONO = Skin(
    'Graphite Chrono', MAGENTA, CHRONO_DIGITS, 4, 11,
    {4 + i: (left, CHRONO_TOP) for i, left in enumerate(CHRONO_LEFTS)},
    chrono_background, holes=0)


# ---------------------------------------------------------------------------
# Porthole: a round brass-bolted ring around a glass disc held by four lugs,
# the gaps between them open; ice-blue digits, hours above minutes
# ---------------------------------------------------------------------------
PORT_SIZE = 140
PORT_C = PORT_SIZE / 2.0
PORT_R_OUT = 70.0          # outline
PORT_R_RING = 55.5         # inner edge of the ring = outer edge of the gap
PORT_R_DISC = 50.5         # outer edge of the disc's bezel = inner edge of the gap
PORT_R_GLASS = 45.0
PORT_PANEL = (9, 18, 28)
ICE, ICE_DEEP = (196, 234, 255), (112, 178, 236)
PORT_DIGITS = DigitStyle(cell=(24, 32), box=(3.2, 2.2, 20.8, 29.8), thick=4.0, gap=0.7, slant=0.0,
                         lit=(ICE, ICE_DEEP), ghost=(17, 31, 44), panel=PORT_PANEL, glow=(1.4, 0.18))
PORT_LEFT, PORT_TOPS = 46, (36, 72)
GUN_LIGHT, GUN_DARK = (128, 134, 146), (34, 37, 43)
BRASS, BRASS_DEEP = (236, 178, 92), (150, 92, 30)


def port_lug_distance(x, y):
    """Distance to the four diagonal lugs that hold the disc in the ring."""
    dx, dy = abs(x - PORT_C), abs(y - PORT_C)
    # fold onto the diagonal x = y
    u = (dx + dy) / math.sqrt(2.0)       # along the diagonal
    v = abs(dx - dy) / math.sqrt(2.0)    # across it
    return max(v - 6.0, abs(u - 53.0) - 7.0)


def port_holes(x, y):
    r = math.hypot(x - PORT_C, y - PORT_C)
    gap = max(r - PORT_R_RING, PORT_R_DISC - r)
    return max(gap, -port_lug_distance(x, y))


def port_background():
    s = PORT_SIZE
    cx = cy = PORT_C
    rad = lambda x, y: math.hypot(x - cx, y - cy)
    c = Canvas(s, s, fill=RIM)

    def metal(x, y):
        # light from the upper left, with the broad sheen of turned metal
        dx, dy = x - cx, y - cy
        r = math.hypot(dx, dy) or 1.0
        k = (-dx * 0.6 - dy * 0.8) / r
        a = math.atan2(dy, dx)
        t = 0.48 + 0.30 * k + 0.10 * math.cos(4 * a + 0.6)
        return mix(GUN_DARK, GUN_LIGHT, clamp(t))

    # the ring
    ring = lambda x, y: max(rad(x, y) - (PORT_R_OUT - 1.0), (PORT_R_RING + 1.0) - rad(x, y))
    c.fill(ring, metal)
    # bevels: the outer edge catches the light at the top left, the inner
    # edge (facing the other way) at the bottom right
    def lit_side(sign, strength):
        def m(x, y):
            dx, dy = x - cx, y - cy
            r = math.hypot(dx, dy) or 1.0
            return strength * clamp(sign * (-dx * 0.6 - dy * 0.8) / r)
        return m
    c.fill(lambda x, y: abs(rad(x, y) - (PORT_R_OUT - 1.8)) - 0.55, (226, 232, 240),
           mask=lit_side(1, 0.75))
    c.fill(lambda x, y: abs(rad(x, y) - (PORT_R_OUT - 1.8)) - 0.55, (0, 0, 0),
           mask=lit_side(-1, 0.45))
    c.fill(lambda x, y: abs(rad(x, y) - (PORT_R_RING + 1.8)) - 0.55, (226, 232, 240),
           mask=lit_side(-1, 0.6))
    c.fill(lambda x, y: abs(rad(x, y) - (PORT_R_RING + 1.8)) - 0.55, (0, 0, 0),
           mask=lit_side(1, 0.4))

    # the lugs across the gap
    lug = port_lug_distance
    c.fill(lambda x, y: max(lug(x, y) + 1.0, rad(x, y) - PORT_R_RING - 2.0), metal)
    c.fill(lambda x, y: max(abs(lug(x, y) + 1.6) - 0.45, rad(x, y) - PORT_R_RING - 1.0,
                            PORT_R_DISC - 1.0 - rad(x, y)),
           (210, 216, 226), mask=lambda x, y: 0.5 * clamp(1.2 - y / PORT_SIZE * 1.6))

    # the disc: a graphite bezel round the glass
    disc = lambda x, y: rad(x, y) - (PORT_R_DISC - 1.0)
    c.fill(disc, art.body_paint(cy - PORT_R_DISC, cy + PORT_R_DISC))
    c.fill(lambda x, y: abs(rad(x, y) - (PORT_R_DISC - 2.2)) - 0.5, (190, 196, 206),
           mask=lambda x, y: 0.55 * (1 - smoothstep(cy - PORT_R_DISC, cy, y)))
    c.fill(lambda x, y: rad(x, y) - (PORT_R_GLASS + 1.2), (6, 7, 8))
    c.fill(lambda x, y: rad(x, y) - PORT_R_GLASS, PORT_PANEL)
    # shadow of the bezel on the glass, kept to the rim so the digits sit on
    # flat panel colour
    c.fill(lambda x, y: rad(x, y) - PORT_R_GLASS, (0, 0, 0),
           mask=lambda x, y: 0.5 * smoothstep(PORT_R_GLASS - 2.5, PORT_R_GLASS, rad(x, y)))

    # glint along the upper left of the glass, outside the digits' cells
    # (their corners lie 41.2 pixels from the centre)
    def glint(x, y):
        return max(rad(x, y) - (PORT_R_GLASS - 1.0), (PORT_R_GLASS - 3.5) - rad(x, y))
    c.fill(glint, (255, 255, 255),
           mask=lambda x, y: 0.3 * smoothstep(0.2, 0.9, (-(x - cx) * 0.6 - (y - cy) * 0.8)
                                                 / (rad(x, y) or 1.0)))

    # the colon between the hours and the minutes rows: two 2x2 dots in the
    # four-pixel gap
    for xx in (cx - 5.0, cx + 5.0):
        draw_dot(c, xx, cy, mix(ICE, ICE_DEEP, 0.35), ICE, half=1.0)

    # bolts on the ring: at the lugs, the top and the sides (the bottom
    # carries the name)
    for deg in (-135, -90, -45, 0, 45, 135, 180):
        a = math.radians(deg)
        bx = cx + math.cos(a) * 62.75
        by = cy + math.sin(a) * 62.75
        c.fill(lambda x, y, bx=bx, by=by: sd_circle(x, y, bx + 0.5, by + 0.7, 3.3), (0, 0, 0),
               opacity=0.55)
        c.fill(lambda x, y, bx=bx, by=by: sd_circle(x, y, bx, by, 3.0), (58, 36, 14))
        c.fill(lambda x, y, bx=bx, by=by: sd_circle(x, y, bx, by, 2.3),
               lambda x, y, bx=bx, by=by: mix(BRASS, BRASS_DEEP,
                                              clamp(0.5 + ((x - bx) * 0.6 + (y - by) * 0.8) / 3.0)))
        sa = a + math.radians(50)
        ux, uy = math.cos(sa) * 1.9, math.sin(sa) * 1.9
        c.fill(lambda x, y, bx=bx, by=by, ux=ux, uy=uy: sd_capsule(x, y, bx - ux, by - uy,
                                                                    bx + ux, by + uy, 0.45),
               (70, 42, 14), opacity=0.9)

    draw_label(c, 'VANTEL', cx, 127, BRASS, (0, 0, 0), spacing=2, font=LABELS)
    outline = lambda x, y: rad(x, y) - PORT_R_OUT
    return s, s, flatten(c, outline, RED, port_holes)


PORTHOLE = Skin(
    'Porthole', RED, PORT_DIGITS, 4, 7,
    {4: (PORT_LEFT, PORT_TOPS[0]), 5: (PORT_LEFT + 24, PORT_TOPS[0]),
     6: (PORT_LEFT, PORT_TOPS[1]), 7: (PORT_LEFT + 24, PORT_TOPS[1])},
    port_background, holes=4)


# ---------------------------------------------------------------------------
# Amber Note: a memo tag with a folded corner and an eyelet, amber digits,
# and a message window in the same look
# ---------------------------------------------------------------------------
NOTE_W, NOTE_H = 212, 88
NOTE_PANEL = (24, 16, 9)
NOTE_LIT, NOTE_DEEP = (255, 206, 120), (244, 150, 48)
NOTE_DIGITS = DigitStyle(cell=(24, 34), box=(3.4, 2.2, 20.6, 31.8), thick=4.4, gap=0.8,
                         slant=0.085, lit=(NOTE_LIT, NOTE_DEEP), ghost=(41, 28, 15),
                         panel=NOTE_PANEL, glow=(1.5, 0.2))
NOTE_LEFTS = (20, 44, 82, 106, 144, 168)
NOTE_TOP = 33
NOTE_BODY = ((88, 82, 76), (34, 31, 29))     # graphite with a warm cast
NOTE_LIGHTS = ((206, 196, 184), (130, 122, 114))
MSG_FONT_COLOUR = AMBER                      # FontColor 40B0FF


def note_outline(w, h, radius, ear):
    """Rounded tag with its top right corner folded away along a 45 degree
    line `ear` pixels from the corner."""
    def shape(x, y, inset=0.0):
        box = sd_round_box(x, y, w / 2.0, h / 2.0, w / 2.0 - inset, h / 2.0 - inset, radius - inset)
        cut = ((x - (w - ear)) - y) / math.sqrt(2.0) + inset
        return max(box, cut)
    return shape


def draw_fold(c, w, ear):
    """The folded-over corner: the back of the tag, lighter, with its shadow."""
    a, b, k = (w - ear, 0.0), (w, float(ear)), (w - ear, float(ear))
    flap = [(a[0] + 0.5, a[1] + 1.2), (b[0] - 1.2, b[1] - 0.5), (k[0] + 0.5, k[1] - 0.5)]
    shadow = [(p[0] - 1.2, p[1] + 1.6) for p in flap]
    c.fill(lambda x, y: sd_polygon(x, y, shadow) - 0.8, (0, 0, 0), opacity=0.45)
    c.fill(lambda x, y: sd_polygon(x, y, flap), lambda x, y: mix((150, 140, 128), (94, 87, 80),
                                                               clamp((x - k[0]) / ear)))
    c.fill(lambda x, y: abs(sd_polygon(x, y, flap)) - 0.5, RIM, opacity=0.8)


def draw_eyelet(c, ex, ey, r_hole):
    """Brass eyelet round a punched hole."""
    c.fill(lambda x, y: sd_circle(x, y, ex + 0.4, ey + 0.6, r_hole + 3.2), (0, 0, 0), opacity=0.5)
    c.fill(lambda x, y: sd_circle(x, y, ex, ey, r_hole + 2.8),
           lambda x, y: mix(BRASS, BRASS_DEEP, clamp(0.5 + ((x - ex) * 0.6 + (y - ey) * 0.8) / 6.0)))
    c.fill(lambda x, y: abs(sd_circle(x, y, ex, ey, r_hole + 0.6)) - 0.6, (58, 36, 14))


def note_background():
    w, h = NOTE_W, NOTE_H
    ear = 22
    shape = note_outline(w, h, 12.0, ear)
    eye = (17.0, 14.0, 3.5)
    c = Canvas(w, h, fill=RIM)
    draw_bezel(c, w, h, 12.0, 40, shape=shape, body=NOTE_BODY, lights=NOTE_LIGHTS)
    draw_fold(c, w, ear)
    draw_eyelet(c, *eye)

    px0, py0, px1, py1 = 10, 27, 202, 73
    draw_recess(c, px0, py0, px1, py1, 7.0, panel=NOTE_PANEL)
    dot = mix(NOTE_LIT, NOTE_DEEP, 0.35)
    for colon_x in (75.0, 137.0):
        for dy in (-6.0, 6.0):
            yy = NOTE_TOP + 17.0 + dy
            draw_dot(c, colon_x + (0.5 if dy < 0 else -0.5), yy, dot, NOTE_LIT)

    # name on the strip above the panel, and the bell that says this tag
    # also dresses the message window
    lw = draw_label(c, 'VANTEL', 54, 12, AMBER, (0, 0, 0), spacing=2, font=LABELS)
    draw_rule(c, 54 + lw / 2.0 + 6, 150, 14.5, strength=0.8)
    draw_bell(c, 184.0, 80.5, 3.4)
    draw_rule(c, 176.0, 110.0, 80.5, strength=0.8)
    draw_lamp(c, 24.0, 80.5, True)
    draw_rule(c, 32.0, 98.0, 80.5, strength=0.8)

    holes = lambda x, y: sd_circle(x, y, eye[0], eye[1], eye[2])
    return w, h, flatten(c, shape, MAGENTA, holes)


NOTE_MSG_W, NOTE_MSG_H = 420, 172
NOTE_MSG_PANEL = (12, 30, 408, 152)
NOTE_TEXT_AREA = (22, 38, 398, 144)


def note_message_background():
    """Shaped like the clock's tag; the text area lies on flat warm panel
    colour, where the amber text is drawn without anti-aliasing."""
    w, h = NOTE_MSG_W, NOTE_MSG_H
    ear = 26
    shape = note_outline(w, h, 10.0, ear)
    eye = (18.0, 15.0, 4.0)
    c = Canvas(w, h, fill=RIM)
    draw_bezel(c, w, h, 10.0, 60, shape=shape, body=NOTE_BODY, lights=NOTE_LIGHTS)
    draw_fold(c, w, ear)
    draw_eyelet(c, *eye)
    px0, py0, px1, py1 = NOTE_MSG_PANEL
    draw_recess(c, px0, py0, px1, py1, 6.0, panel=NOTE_PANEL)

    # a faint warm reflection on the glass, right of where the text starts
    def sheen(x, y):
        u = (x - 250.0) + (y - py0) * 0.9
        return (255, 220, 170), 0.03 * smoothstep(0, 40, u) * (1 - smoothstep(90, 150, u))
    c.fill(lambda x, y: sd_round_box(x, y, (px0 + px1) / 2.0, (py0 + py1) / 2.0,
                                     (px1 - px0) / 2.0 - 1, (py1 - py0) / 2.0 - 1, 5.0),
           sheen, (px0, py0, px1, py1))

    lw = draw_label(c, 'VANTEL', 58, 13, AMBER, (0, 0, 0), spacing=2, font=LABELS)
    draw_rule(c, 58 + lw / 2.0 + 6, 330, 15.5, strength=0.8)
    draw_bell(c, 24.0, 161.5, 4.2)
    draw_rule(c, 36.0, 380.0, 161.5, strength=0.8)
    draw_lamp(c, w - 22.0, 161.5, True)
    holes = lambda x, y: sd_circle(x, y, eye[0], eye[1], eye[2])
    return w, h, flatten(c, shape, MAGENTA, holes)


AMBER_NOTE = Skin(
    'Amber Note', MAGENTA, NOTE_DIGITS, 4, 9,
    {4 + i: (left, NOTE_TOP) for i, left in enumerate(NOTE_LEFTS)},
    note_background, holes=1,
    message=MessageLook(note_message_background, MAGENTA, NOTE_TEXT_AREA, 'Arial', -19,
                        MSG_FONT_COLOUR, 700))


SKINS = (GRAPHITE_CHRONO, PORTHOLE, AMBER_NOTE)


# ---------------------------------------------------------------------------
# Building, checking, previewing
# ---------------------------------------------------------------------------
def skin_file_names(skin):
    names = [skin.stem + '.ini', skin.stem + '_b.bmp', skin.stem + '_d.bmp']
    if skin.message is not None:
        names.append(skin.stem + '_m.bmp')
    return names


def build_skins():
    files = {}
    for skin in SKINS:
        files[skin.stem + '.ini'] = skin.ini()
        w, h, rows = skin.background()
        files[skin.stem + '_b.bmp'] = bmp8(w, h, rows, [skin.key, skin.digits.panel, RIM],
                                           key=skin.key)
        d = skin.digits
        files[skin.stem + '_d.bmp'] = bmp8(d.cell_w * 10, d.cell_h, make_digits(d, skin.key),
                                           [skin.key, d.panel, d.lit_top, d.ghost], key=skin.key)
        if skin.message is not None:
            m = skin.message
            w, h, rows = m.background()
            files[skin.stem + '_m.bmp'] = bmp8(w, h, rows, [m.key or MAGENTA, d.panel, RIM],
                                               key=m.key or MAGENTA)
    return files


def key_collides(rgb, key):
    """True when a colour turns into the key colour on a 5-6-5 or 5-5-5
    display (the clock draws at 16 bits per pixel or more)."""
    r, g, b = rgb
    kr, kg, kb = key
    return ((r >> 3, g >> 2, b >> 3) == (kr >> 3, kg >> 2, kb >> 3) or
            (r >> 3, g >> 3, b >> 3) == (kr >> 3, kg >> 3, kb >> 3))


def parse_ini(text):
    """Sections as lists of (key, value) in file order."""
    sections = {}
    order = []
    current = None
    for line in text.split('\r\n'):
        if not line:
            continue
        if line.startswith('[') and line.endswith(']'):
            current = line[1:-1]
            order.append(current)
            sections[current] = []
        elif current is not None and '=' in line:
            k, v = line.split('=', 1)
            sections[current].append((k, v))
        else:
            raise ValueError('stray line %r' % line)
    return order, sections


def blend_error(c, panel, inks):
    """How far a colour lies from the nearest blend of the panel with one of
    the inks (RGB distance)."""
    best = None
    for ink in inks:
        d = [i - p for i, p in zip(ink, panel)]
        v = [a - p for a, p in zip(c, panel)]
        dd = sum(x * x for x in d)
        t = clamp(sum(a * b for a, b in zip(v, d)) / dd) if dd else 0.0
        err = math.sqrt(sum((a - t * b) ** 2 for a, b in zip(v, d)))
        best = err if best is None else min(best, err)
    return best


def parse_colorref(text):
    v = int(text, 16)
    return (v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF)


def luminance(c):
    def lin(v):
        v /= 255.0
        return v / 12.92 if v <= 0.04045 else ((v + 0.055) / 1.055) ** 2.4
    return 0.2126 * lin(c[0]) + 0.7152 * lin(c[1]) + 0.0722 * lin(c[2])


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)))
    return (lb + 0.05) / (la + 0.05)


def components(w, h, inside):
    """Connected areas (4-neighbours) of the pixels where inside(x, y):
    returns (areas that touch the border, areas that do not)."""
    seen = [[False] * w for _ in range(h)]
    outer = inner = 0
    for y0 in range(h):
        for x0 in range(w):
            if seen[y0][x0] or not inside(x0, y0):
                continue
            stack = [(x0, y0)]
            seen[y0][x0] = True
            border = False
            while stack:
                x, y = stack.pop()
                if x in (0, w - 1) or y in (0, h - 1):
                    border = True
                for nx, ny in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
                    if 0 <= nx < w and 0 <= ny < h and not seen[ny][nx] and inside(nx, ny):
                        seen[ny][nx] = True
                        stack.append((nx, ny))
            if border:
                outer += 1
            else:
                inner += 1
    return outer, inner


def body_pieces(w, h, is_key):
    """Number of separate pieces the window would fall into."""
    return sum(components(w, h, lambda x, y: not is_key(x, y)))


def check_skins(skins_dir=SKINS_DIR):
    """Returns (number of checks passed, list of failures)."""
    problems = []
    passed = [0]

    def need(cond, msg):
        if cond:
            passed[0] += 1
        else:
            problems.append(msg)
        return cond

    if not os.path.isdir(skins_dir):
        return 0, ['no skins folder %s' % skins_dir]
    expected = [n for skin in SKINS for n in skin_file_names(skin)]
    present = sorted(os.listdir(skins_dir))
    missing = [n for n in expected if n not in present]
    if missing:
        return 0, ['missing in %s: %s' % (skins_dir, ', '.join(missing))]
    extra = [n for n in present if n not in expected]
    need(not extra, 'files in %s that are no skin of ours: %s' % (skins_dir, ', '.join(extra)))

    def load(name):
        with open(os.path.join(skins_dir, name), 'rb') as f:
            return f.read()

    for skin in SKINS:
        tag = skin.name
        raw = load(skin.stem + '.ini')
        need(b'\n' not in raw.replace(b'\r\n', b''), '%s: ini has line ends other than CRLF' % tag)
        try:
            order, sec = parse_ini(raw.decode('ascii'))
        except (UnicodeDecodeError, ValueError) as e:
            problems.append('%s: ini unreadable: %s' % (tag, e))
            continue
        need(order == ['VANTEL', 'VANTEL_MSG'], '%s: sections are %r' % (tag, order))
        v = dict(sec.get('VANTEL', []))
        keys = [k for k, _ in sec.get('VANTEL', [])]
        need(keys == ['SkinName', 'BackgroundBMP', 'DigitsBMP', 'TransparentColor', 'FirstDigit',
                      'LastDigit'] + ['Digit%d' % n for n in range(1, 13)],
             '%s: [VANTEL] keys out of order: %r' % (tag, keys))
        name = v.get('SkinName', '')
        need(name and file_stem(name) == skin.stem, '%s: SkinName %r does not give the stem %r'
             % (tag, name, skin.stem))
        need(v.get('BackgroundBMP') == '\\skins\\%s_b.bmp' % skin.stem, '%s: BackgroundBMP' % tag)
        need(v.get('DigitsBMP') == '\\skins\\%s_d.bmp' % skin.stem, '%s: DigitsBMP' % tag)
        tc = v.get('TransparentColor', '')
        if not need(len(tc) == 6 and all(ch in '0123456789ABCDEF' for ch in tc),
                    '%s: TransparentColor %r is not %%06X' % (tag, tc)):
            continue
        key = parse_colorref(tc)
        first, last = int(v.get('FirstDigit', '0')), int(v.get('LastDigit', '0'))
        if not need(0 <= first <= last <= 11, '%s: FirstDigit %d LastDigit %d' % (tag, first, last)):
            continue
        slots = []
        for n in range(1, 13):
            a, b = v.get('Digit%d' % n, '').split(',')
            slots.append((int(a), int(b)))

        bw, bh, bpal, brows = read_bmp8(load(skin.stem + '_b.bmp'))
        dw, dh, dpal, drows = read_bmp8(load(skin.stem + '_d.bmp'))
        bg = lambda x, y: bpal[brows[y][x]]
        dg = lambda x, y: dpal[drows[y][x]]
        need(dw % 10 == 0 and dw > 0, '%s: digits strip width %d is not ten cells' % (tag, dw))
        cw = dw // 10
        under = set()
        for n in range(first, last + 1):
            left, top = slots[n]
            if not need(0 <= left and left + cw <= bw and 0 <= top and top + dh <= bh,
                        '%s: slot %d at %d,%d leaves the %dx%d background'
                        % (tag, n, left, top, bw, bh)):
                continue
            under |= {bg(x, y) for y in range(top, top + dh) for x in range(left, left + cw)}
        # the digit cells blend their edges into one panel colour, which is
        # what must lie under every shown digit
        need(len(under) == 1 and key not in under,
             '%s: background under the digits is not one panel colour: %r' % (tag, sorted(under)[:4]))
        for a in range(first, last + 1):
            for b in range(a + 1, last + 1):
                (la, ta), (lb, tb) = slots[a], slots[b]
                need(la + cw <= lb or lb + cw <= la or ta + dh <= tb or tb + dh <= ta,
                     '%s: slots %d and %d overlap' % (tag, a, b))

        # outline
        is_key = lambda x, y: bg(x, y) == key
        for (x, y) in ((0, 0), (bw - 1, 0), (0, bh - 1), (bw - 1, bh - 1)):
            need(is_key(x, y), '%s: background corner %d,%d is not transparent' % (tag, x, y))
        need(not is_key(bw // 2, bh // 2) or skin.holes, '%s: background centre is transparent' % tag)
        body = {bg(x, y) for y in range(bh) for x in range(bw) if not is_key(x, y)}
        near = [c for c in body if key_collides(c, key)]
        need(not near, '%s: background colours that turn into the key at 16 bpp: %r' % (tag, near[:3]))
        _, holes = components(bw, bh, is_key)
        need(holes == skin.holes, '%s: outline has %d holes, wants %d' % (tag, holes, skin.holes))
        need(body_pieces(bw, bh, is_key) == 1, '%s: window falls into several pieces' % tag)

        # digits
        panel = next(iter(under)) if len(under) == 1 else None
        d = skin.digits
        inks = [mix(d.lit_top, d.lit_bottom, i / 8.0) for i in range(9)] + [d.ghost]
        for k in range(10):
            cell = [dg(x, y) for y in range(dh) for x in range(k * cw, (k + 1) * cw)]
            lit = sum(1 for c in cell if c != key and luminance(c) > 0.3)
            need(lit > dh, '%s: digit %d has too few lit pixels (%d)' % (tag, k, lit))
            edge = [dg(x, y) for y in range(dh) for x in (k * cw, (k + 1) * cw - 1)]
            edge += [dg(x, y) for y in (0, dh - 1) for x in range(k * cw, (k + 1) * cw)]
            need(all(c == key for c in edge), '%s: digit %d cell border not transparent' % (tag, k))
            opaque = [c for c in cell if c != key]
            need(not any(key_collides(c, key) for c in opaque),
                 '%s: digit %d has colours that turn into the key at 16 bpp' % (tag, k))
            # no fringe towards the key: every pixel is the panel blended
            # with one of the digit's own colours
            if panel is not None:
                fringe = [c for c in opaque if blend_error(c, panel, inks) > 12.0]
                need(not fringe, '%s: digit %d has pixels that are no blend of the panel and '
                     'the digit colours, e.g. %r' % (tag, k, fringe[:1]))

        # message data
        m = dict(sec.get('VANTEL_MSG', []))
        use = m.get('UseSkinData')
        need(use == ('1' if skin.message else '0'), '%s: UseSkinData %r' % (tag, use))
        if use != '1':
            need(list(m) == ['UseSkinData'], '%s: [VANTEL_MSG] has keys beyond UseSkinData' % tag)
            continue
        mkeys = [k for k, _ in sec['VANTEL_MSG']]
        need(mkeys == ['UseSkinData', 'BackgroundBMP', 'UseTransparency', 'TransparentColor',
                       'TextArea', 'FontFaceName', 'FontHeight', 'FontColor', 'FontWeight',
                       'FontItalic', 'FontCharSet'], '%s: [VANTEL_MSG] keys %r' % (tag, mkeys))
        need(m.get('BackgroundBMP') == '\\skins\\%s_m.bmp' % skin.stem, '%s: message BackgroundBMP' % tag)
        mw, mh, mpal, mrows = read_bmp8(load(skin.stem + '_m.bmp'))
        mg = lambda x, y: mpal[mrows[y][x]]
        mkey = parse_colorref(m.get('TransparentColor', 'FF00FF'))
        shaped = m.get('UseTransparency') == '1'
        allc = {mg(x, y) for y in range(mh) for x in range(mw)}
        if shaped:
            need(mkey in allc, '%s: message window shaped but has no key pixel' % tag)
            need(mg(0, 0) == mkey, '%s: message background corner not transparent' % tag)
            need(body_pieces(mw, mh, lambda x, y: mg(x, y) == mkey) == 1,
                 '%s: message window falls into several pieces' % tag)
        need(not any(key_collides(c, mkey) for c in allc if c != mkey or not shaped),
             '%s: message background has colours that turn into its key' % tag)
        try:
            l, t, r, b = (int(p) for p in m.get('TextArea', '').split(','))
        except ValueError:
            problems.append('%s: TextArea %r' % (tag, m.get('TextArea')))
            continue
        if need(0 <= l < r <= mw and 0 <= t < b <= mh,
                '%s: TextArea %d,%d,%d,%d outside the %dx%d message background'
                % (tag, l, t, r, b, mw, mh)):
            area = {mg(x, y) for y in range(t, b) for x in range(l, r)}
            need(not shaped or mkey not in area, '%s: text area has transparent pixels' % tag)
            fc = parse_colorref(m.get('FontColor', '000000'))
            worst = min(contrast(fc, c) for c in area)
            need(worst >= 4.5, '%s: text colour %s has contrast %.1f on the text area'
                 % (tag, m.get('FontColor'), worst))
        need(m.get('FontFaceName') and len(m['FontFaceName']) < 32, '%s: FontFaceName' % tag)
        need(-72 <= int(m.get('FontHeight', '0')) < 0, '%s: FontHeight %r' % (tag, m.get('FontHeight')))
        need(m.get('FontWeight') in ('400', '700'), '%s: FontWeight' % tag)
        need(m.get('FontItalic') in ('0', '1') and m.get('FontCharSet') == '0',
             '%s: FontItalic or FontCharSet' % tag)
    return passed[0], problems


def write_skins(files, skins_dir=SKINS_DIR):
    os.makedirs(skins_dir, exist_ok=True)
    for name in sorted(files):
        with open(os.path.join(skins_dir, name), 'wb') as f:
            f.write(files[name])
        print('wrote skins/%s (%d bytes)' % (name, len(files[name])))


def write_skin_previews(files, out_dir):
    """Enlarged PNGs of every skin's clock face (showing a time on a desktop
    colour, so the outline and holes show) and message background, whose
    text area is outlined in dots."""
    os.makedirs(out_dir, exist_ok=True)
    desk = (58, 110, 165)

    def decode(name):
        return art.decode_bmp8(files[name])

    def save(name, w, h, rows, scale):
        art.save_png(out_dir, name, w, h, rows, scale)

    sample = (1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 4, 7)
    for skin in SKINS:
        bw, bh, bg = decode(skin.stem + '_b.bmp')
        dw, dh, dg = decode(skin.stem + '_d.bmp')
        cw = dw // 10
        face = [[desk if p == skin.key else p for p in row] for row in bg]
        for n in range(skin.first, skin.last + 1):
            left, top = skin.slots[n]
            d = sample[n]
            for y in range(dh):
                for x in range(cw):
                    p = dg[y][d * cw + x]
                    if p != skin.key:
                        face[top + y][left + x] = p
        base = skin.stem.replace(' ', '_').lower()
        save(base + '_face.png', bw, bh, face, 3)
        save(base + '_face_1x.png', bw, bh, face, 1)
        save(base + '_digits.png', dw, dh, [[desk if p == skin.key else p for p in row] for row in dg], 3)
        if skin.message is not None:
            m = skin.message
            mw, mh, mg = decode(skin.stem + '_m.bmp')
            key = m.key or MAGENTA
            look = [[desk if (p == key and m.key is not None) else p for p in row] for row in mg]
            l, t, r, b = m.text_area
            for x in range(l, r, 3):
                look[t][x] = look[b - 1][x] = (120, 120, 120)
            for y in range(t, b, 3):
                look[y][l] = look[y][r - 1] = (120, 120, 120)
            save(base + '_message.png', mw, mh, look, 2)


def main(argv):
    if '--check' in argv:
        i = argv.index('--check')
        d = argv[i + 1] if i + 1 < len(argv) and not argv[i + 1].startswith('--') else SKINS_DIR
        passed, problems = check_skins(d)
        for p in problems:
            print('FAIL:', p)
        print('%d passed, %d failed' % (passed, len(problems)))
        return 1 if problems else 0
    files = build_skins()
    write_skins(files)
    passed, problems = check_skins(SKINS_DIR)
    for p in problems:
        print('FAIL:', p)
    print('skins check: %d passed, %d failed' % (passed, len(problems)))
    if '--preview' in argv:
        i = argv.index('--preview')
        out = argv[i + 1] if i + 1 < len(argv) else '/tmp/skins-preview'
        write_skin_previews(files, out)
        print('previews in', out)
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
