#!/usr/bin/python3
"""Generates Quorlin's artwork into resources/.

Every picture is drawn from code with fixed seeds, so running the script again
gives the same bytes: PNGs are written without time, text or density chunks,
and the progress strip GIF is assembled here byte by byte (own LZW encoder),
because its exact frame layout matters to the animation box.

Needs Python 3 with PIL (Debian: python3-pil) and the WenQuanYi Micro Hei font
(Debian: fonts-wqy-microhei).

    tools/make_artwork.py [--out DIR] [--preview FILE]

--preview also writes a composition of the intro, applying and done looks with
the radios, buttons and close glyph at their places (for looking, not shipping).
"""

import argparse
import math
import os
import random
import struct
import sys
import zlib

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

FONT_PATH = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"

# The overlay window keys out this exact colour; no picture may contain it.
KEY_COLOUR = (120, 120, 120)

WIDTH, HEIGHT = 800, 540
STRIP_BOTTOM = 54      # title strip: rows 0..53
BAND_BOTTOM = 345      # photograph band: rows 54..344, panel: rows 345..539

# Palette shared by every picture.
INK_DARK = (24, 30, 39)
STRIP_TOP = (22, 27, 35)
STRIP_BOT = (30, 36, 46)
PANEL_TOP = (36, 43, 53)
PANEL_BOT = (27, 32, 40)
CARD_FILL = (42, 50, 61)
CARD_EDGE = (55, 64, 77)
TEXT_LIGHT = (231, 235, 240)
TEXT_MUTED = (142, 153, 167)
TEXT_DIM = (112, 124, 139)
AMBER = (224, 155, 65)
AMBER_DEEP = (196, 118, 34)
RED_TOP, RED_BOT = (236, 84, 70), (200, 46, 38)
GREEN_TOP, GREEN_BOT = (64, 186, 106), (34, 146, 76)
CHECK_GREEN = (46, 170, 92)

# Level captions and the boxes (inclusive pixel bounds) their ink must stay inside.
CAPTIONS = [
    ("正常-100% (默认)", (76, 417, 202, 432)),
    ("中等-125%", (257, 416, 336, 431)),
    ("较大-150%", (404, 417, 484, 431)),
    ("特大-200%", (76, 467, 155, 481)),
    ("超大-250%", (256, 467, 336, 481)),
]
RADIO_SPOTS = [(51, 413), (232, 413), (378, 413), (51, 463), (232, 463)]
APPLY_SPOT = (552, 437)
CLOSE_SPOT = (757, 18)
VERSION_RECT = (701, 493, 89, 32)
NOTICE_RECT = (504, 392, 264, 32)
STRIP_ROWS = (349, 355)
# Where the program puts a level's badge: just below the start of its caption.
BADGE_SPOTS = [(76, 434), (257, 434), (404, 434), (76, 484), (256, 484)]


# ----------------------------------------------------------------------------
# Small drawing helpers


def font(size):
    return ImageFont.truetype(FONT_PATH, size, index=0)


def lerp(a, b, t):
    return a + (b - a) * t


def mix(c1, c2, t):
    return tuple(int(round(lerp(a, b, t))) for a, b in zip(c1, c2))


def shade(c, f):
    """f > 0 lightens towards white, f < 0 darkens towards black."""
    return mix(c, (255, 255, 255), f) if f >= 0 else mix(c, (0, 0, 0), -f)


def vgradient(size, top, bottom):
    w, h = size
    ramp = Image.linear_gradient("L").resize((w, h), Image.BILINEAR)
    return Image.composite(Image.new("RGB", size, bottom), Image.new("RGB", size, top), ramp)


def hgradient(size, left, right):
    w, h = size
    ramp = Image.linear_gradient("L").rotate(90, expand=True).transpose(Image.FLIP_LEFT_RIGHT)
    ramp = ramp.resize((w, h), Image.BILINEAR)
    return Image.composite(Image.new("RGB", size, right), Image.new("RGB", size, left), ramp)


def radial_mask(size, box, strength=255, falloff=1.0):
    """A soft elliptic spot filling `box` (x0, y0, x1, y1): strong in the middle, 0 at the rim."""
    w, h = size
    x0, y0, x1, y1 = box
    bw, bh = max(1, int(x1 - x0)), max(1, int(y1 - y0))
    spot = Image.radial_gradient("L").resize((bw, bh), Image.BILINEAR)
    # radial_gradient is 0 in the centre and 255 at the edge: invert, clip, shape.
    lut = []
    for v in range(256):
        d = min(1.0, v / 181.0)  # 181 ~ edge of the inscribed circle in the 256 image
        lut.append(int(strength * max(0.0, 1.0 - d) ** falloff))
    spot = spot.point(lut)
    mask = Image.new("L", size, 0)
    mask.paste(spot, (int(x0), int(y0)))
    return mask


def paint(base, colour, mask, opacity=1.0):
    """Lays `colour` over `base` through the L mask (times opacity)."""
    if opacity < 1.0:
        mask = mask.point(lambda v: int(v * opacity))
    layer = Image.new(base.mode, base.size, colour if base.mode == "RGB" else colour + (255,))
    if base.mode == "RGBA":
        base.alpha_composite(Image.merge("RGBA", layer.split()[:3] + (mask,)))
        return base
    return Image.composite(layer, base, mask)


class ScaledDraw:
    """ImageDraw stand-in that multiplies coordinates, widths and radii by k."""

    def __init__(self, draw, k):
        self.d, self.k = draw, k

    def _xy(self, xy):
        k = self.k
        if xy and isinstance(xy[0], (tuple, list)):
            return [(x * k, y * k) for x, y in xy]
        return [v * k for v in xy]

    def _kw(self, kw):
        kw = dict(kw)
        for key in ("width", "radius"):
            if key in kw:
                kw[key] = int(round(kw[key] * self.k))
        return kw

    def __getattr__(self, name):
        fn = getattr(self.d, name)
        return lambda xy, *a, **kw: fn(self._xy(xy), *a, **self._kw(kw))


def shape_mask(size, draw_fn, blur=0, k=1):
    """An L mask drawn by draw_fn; k > 1 draws it k times larger and scales down (anti-aliasing)."""
    m = Image.new("L", (size[0] * k, size[1] * k), 0)
    draw = ImageDraw.Draw(m)
    draw_fn(ScaledDraw(draw, k) if k > 1 else draw)
    if k > 1:
        m = m.resize(size, Image.BOX)
    if blur:
        m = m.filter(ImageFilter.GaussianBlur(blur))
    return m


def aa_mask(size, draw_fn, blur=0):
    return shape_mask(size, draw_fn, blur, k=4)


def text_mask(size, xy, text, fnt, anchor="la", weight=0.0):
    """Text coverage; weight > 0 thickens the strokes by that many pixels (drawn 4x, scaled down)."""
    if weight <= 0:
        m = Image.new("L", size, 0)
        ImageDraw.Draw(m).text(xy, text, fill=255, font=fnt, anchor=anchor)
        return m
    k = 4
    big = ImageFont.truetype(FONT_PATH, fnt.size * k, index=0)
    m = Image.new("L", (size[0] * k, size[1] * k), 0)
    ImageDraw.Draw(m).text((xy[0] * k, xy[1] * k), text, fill=255, font=big, anchor=anchor,
                           stroke_width=int(round(weight * k / 2)), stroke_fill=255)
    return m.resize(size, Image.BOX)


def draw_text(img, xy, text, fnt, colour, anchor="la", shadow=None, weight=0.0):
    """Anti-aliased text; `shadow` = (dx, dy, colour, opacity, blur)."""
    if shadow:
        dx, dy, scol, sop, sblur = shadow
        sm = text_mask(img.size, (xy[0] + dx, xy[1] + dy), text, fnt, anchor, weight)
        if sblur:
            sm = sm.filter(ImageFilter.GaussianBlur(sblur))
        img = paint(img, scol, sm, sop)
    return paint(img, colour, text_mask(img.size, xy, text, fnt, anchor, weight))


def rounded(draw, box, radius, **kw):
    draw.rounded_rectangle(box, radius=radius, **kw)


def avoid_key_colour(img):
    """Moves every pixel of the overlay's key colour one step off it."""
    if img.mode == "RGB":
        r, g, b = img.split()
    else:
        r, g, b, a = img.split()
    hit = ImageChops.multiply(
        ImageChops.multiply(r.point(lambda v: 255 if v == KEY_COLOUR[0] else 0),
                            g.point(lambda v: 255 if v == KEY_COLOUR[1] else 0)),
        b.point(lambda v: 255 if v == KEY_COLOUR[2] else 0))
    if hit.getbbox() is None:
        return img
    r = Image.composite(Image.new("L", img.size, KEY_COLOUR[0] + 1), r, hit)
    return Image.merge(img.mode, (r, g, b) if img.mode == "RGB" else (r, g, b, a))


# ----------------------------------------------------------------------------
# The photograph band: a bright desk scene, drawn at 2x and scaled down.

SS = 2


def scene_band():
    w, h = WIDTH * SS, (BAND_BOTTOM - STRIP_BOTTOM) * SS
    S = lambda v: int(round(v * SS))
    rng = random.Random(20240611)

    # Back wall: cool light grey-blue, brighter on the left where the window light falls.
    img = vgradient((w, h), (236, 241, 247), (214, 222, 232))
    img = paint(img, (255, 255, 255), radial_mask((w, h), (S(-260), S(-220), S(560), S(330))), 0.85)
    img = paint(img, (255, 241, 222), radial_mask((w, h), (S(380), S(-160), S(900), S(240))), 0.35)

    # A window far behind, out of focus: light panes with soft mullions.
    win = shape_mask((w, h), lambda d: [
        rounded(d, (S(600), S(-20), S(800), S(150)), S(4), fill=255)], blur=S(10))
    img = paint(img, (252, 253, 255), win, 0.75)
    mull = shape_mask((w, h), lambda d: [
        d.rectangle((S(694), S(-20), S(702), S(150)), fill=255),
        d.rectangle((S(600), S(64), S(800), S(70)), fill=255)], blur=S(6))
    img = paint(img, (198, 208, 220), mull, 0.45)

    # Bokeh: soft discs of light, mostly towards the right.
    for _ in range(18):
        cx = rng.uniform(300, 820)
        cy = rng.uniform(-10, 200)
        r = rng.uniform(10, 34)
        col = rng.choice([(255, 255, 255), (255, 236, 205), (214, 230, 250), (255, 224, 190)])
        disc = shape_mask((w, h), lambda d: d.ellipse((S(cx - r), S(cy - r), S(cx + r), S(cy + r)),
                                                      fill=255), blur=S(r * 0.35))
        img = paint(img, col, disc, rng.uniform(0.18, 0.42))

    # A plant at the far right, slightly out of focus: a pot with long pointed leaves.
    def leaf(d, bx, by, ang, ln, wd):
        pts_l, pts_r = [], []
        for i in range(17):
            t = i / 16
            cx, cy = bx + math.cos(ang) * ln * t, by + math.sin(ang) * ln * t
            hw = wd / 2 * math.sin(math.pi * min(1.0, t * 1.08)) ** 0.7
            nx, ny = -math.sin(ang), math.cos(ang)
            pts_l.append((S(cx + nx * hw), S(cy + ny * hw)))
            pts_r.append((S(cx - nx * hw), S(cy - ny * hw)))
        d.polygon(pts_l + pts_r[::-1], fill=255)

    for tone, count, blur in (((58, 112, 70), 9, 1.8), ((86, 150, 92), 8, 1.3), ((124, 182, 112), 5, 1.0)):
        m = Image.new("L", (w, h), 0)
        ld = ImageDraw.Draw(m)
        for _ in range(count):
            ang = rng.uniform(-2.75, -0.95)
            leaf(ld, 776 + rng.uniform(-6, 6), 214, ang, rng.uniform(48, 96), rng.uniform(12, 20))
        img = paint(img, tone, m.filter(ImageFilter.GaussianBlur(S(blur))), 0.95)
    pot_shape = lambda d: d.polygon([(S(746), S(210)), (S(800), S(210)), (S(800), S(262)),
                                     (S(754), S(262))], fill=255)
    img = paint(img, (90, 80, 72), shape_mask((w, h), lambda d: d.ellipse(
        (S(740), S(256), S(800), S(268)), fill=255), blur=S(4)), 0.35)
    img = Image.composite(hgradient((w, h), (214, 120, 86), (238, 162, 120)), img,
                          shape_mask((w, h), pot_shape, blur=S(0.8)))
    img = paint(img, (196, 104, 72), shape_mask((w, h), lambda d: d.rectangle(
        (S(744), S(208), S(800), S(217)), fill=255), blur=S(0.8)))
    img = paint(img, (255, 220, 190), shape_mask((w, h), lambda d: d.rectangle(
        (S(744), S(208), S(800), S(209.5)), fill=255), blur=S(0.6)), 0.6)

    # Desk: light oak with a soft contact shadow against the wall.
    desk_top = 252
    desk = vgradient((w, h - S(desk_top)), (222, 200, 172), (186, 152, 118))
    grain = Image.new("L", desk.size, 0)
    gd = ImageDraw.Draw(grain)
    for i in range(70):
        y = rng.uniform(0, h / SS - desk_top)
        amp = rng.uniform(0.5, 2.5)
        ph = rng.uniform(0, 6.3)
        pts = [(S(x), S(y + amp * math.sin(x / rng.uniform(40, 90) + ph))) for x in range(0, 801, 8)]
        gd.line(pts, fill=rng.randint(60, 150), width=1)
    grain = grain.filter(ImageFilter.GaussianBlur(0.8))
    desk = paint(desk, (150, 112, 78), grain, 0.25)
    img.paste(desk, (0, S(desk_top)))
    img = paint(img, (255, 246, 232), shape_mask((w, h), lambda d: d.rectangle(
        (0, S(desk_top), w, S(desk_top + 1.5)), fill=255), blur=S(0.6)), 0.7)
    img = paint(img, (120, 116, 112), shape_mask((w, h), lambda d: d.rectangle(
        (0, S(desk_top - 6), w, S(desk_top)), fill=255), blur=S(4)), 0.18)
    # Window light spilling over the desk.
    img = paint(img, (255, 250, 240), radial_mask((w, h), (S(-100), S(200), S(500), S(330))), 0.35)

    # Monitor: stand first, then the screen on top.
    sx0, sy0, sx1, sy1 = 484, 34, 742, 198        # outer bezel
    neck = shape_mask((w, h), lambda d: d.polygon(
        [(S(600), S(196)), (S(626), S(196)), (S(632), S(258)), (S(594), S(258))], fill=255))
    neck_col = hgradient((w, h), (170, 176, 184), (222, 226, 232))
    img = Image.composite(neck_col, img, neck)
    img = paint(img, (60, 56, 52), shape_mask((w, h), lambda d: d.ellipse(
        (S(556), S(254), S(672), S(270)), fill=255), blur=S(4)), 0.35)
    base = shape_mask((w, h), lambda d: rounded(d, (S(566), S(252), S(660), S(262)), S(5), fill=255))
    img = Image.composite(vgradient((w, h), (232, 234, 238), (178, 182, 190)), img, base)
    img = paint(img, (50, 46, 44), shape_mask((w, h), lambda d: rounded(
        d, (S(sx0 + 6), S(sy1 - 6), S(sx1 - 6), S(sy1 + 14)), S(8), fill=255), blur=S(7)), 0.25)

    bezel = shape_mask((w, h), lambda d: rounded(d, (S(sx0), S(sy0), S(sx1), S(sy1)), S(7), fill=255))
    img = Image.composite(vgradient((w, h), (40, 44, 52), (22, 25, 30)), img, bezel)
    img = paint(img, (120, 128, 140), shape_mask((w, h), lambda d: rounded(
        d, (S(sx0), S(sy0), S(sx1), S(sy1)), S(7), outline=255, width=S(0.8))), 0.6)

    # Screen content: a wallpaper with a large, legible window, i.e. a scaled-up desktop.
    px0, py0, px1, py1 = sx0 + 7, sy0 + 7, sx1 - 7, sy1 - 16
    pw, ph = px1 - px0, py1 - py0
    scr = vgradient((S(pw), S(ph)), (36, 92, 156), (22, 150, 170))
    scr = paint(scr, (255, 190, 120), radial_mask(scr.size, (S(pw * 0.45), S(ph * 0.35),
                                                          S(pw * 1.3), S(ph * 1.5))), 0.55)
    wave = shape_mask(scr.size, lambda d: d.ellipse((S(-40), S(ph * 0.62), S(pw * 1.2), S(ph * 1.9)),
                                                    fill=255), blur=S(6))
    scr = paint(scr, (18, 60, 110), wave, 0.55)
    # Taskbar.
    scr = paint(scr, (16, 22, 32), shape_mask(scr.size, lambda d: d.rectangle(
        (0, S(ph - 11), S(pw), S(ph)), fill=255)), 0.85)
    for i, col in enumerate([(90, 170, 240), (236, 180, 60), (120, 200, 120), (230, 90, 80)]):
        scr = paint(scr, col, shape_mask(scr.size, lambda d: rounded(
            d, (S(8 + i * 14), S(ph - 8.5), S(16 + i * 14), S(ph - 2.5)), S(1.5), fill=255)), 0.95)
    # A settings window with a scaling slider.
    wx0, wy0, wx1, wy1 = 20, 14, 196, 112
    scr = paint(scr, (0, 0, 0), shape_mask(scr.size, lambda d: rounded(
        d, (S(wx0 + 2), S(wy0 + 4), S(wx1 + 2), S(wy1 + 5)), S(4), fill=255), blur=S(4)), 0.35)
    scr = paint(scr, (247, 248, 250), shape_mask(scr.size, lambda d: rounded(
        d, (S(wx0), S(wy0), S(wx1), S(wy1)), S(4), fill=255)))
    scr = paint(scr, (226, 230, 236), shape_mask(scr.size, lambda d: rounded(
        d, (S(wx0), S(wy0), S(wx1), S(wy0 + 13)), S(4), fill=255)))
    scr = paint(scr, (226, 230, 236), shape_mask(scr.size, lambda d: d.rectangle(
        (S(wx0), S(wy0 + 8), S(wx1), S(wy0 + 13)), fill=255)))
    for i, col in enumerate([(236, 96, 86), (240, 190, 70), (90, 190, 110)]):
        scr = paint(scr, col, shape_mask(scr.size, lambda d: d.ellipse(
            (S(wx0 + 6 + i * 8), S(wy0 + 4), S(wx0 + 11 + i * 8), S(wy0 + 9)), fill=255)))
    # "Aa" sample in three growing sizes.
    for i, sz in enumerate((9, 13, 18)):
        scr = paint(scr, (40, 48, 60), text_mask(scr.size, (S(wx0 + 10 + [0, 16, 38][i]), S(wy0 + 44)),
                                                 "Aa", font(S(sz)), anchor="ls"))
    # Text lines.
    for j, ln in enumerate((120, 96, 132)):
        scr = paint(scr, (196, 202, 212), shape_mask(scr.size, lambda d: rounded(
            d, (S(wx0 + 10), S(wy0 + 52 + j * 7), S(wx0 + 10 + ln), S(wy0 + 55 + j * 7)), S(1.5),
            fill=255)))
    # Slider with five stops; the knob sits on the third.
    ty = wy0 + 86
    scr = paint(scr, (206, 212, 222), shape_mask(scr.size, lambda d: rounded(
        d, (S(wx0 + 12), S(ty - 1.5), S(wx1 - 12), S(ty + 1.5)), S(1.5), fill=255)))
    stops = [wx0 + 12 + k * (wx1 - wx0 - 24) / 4 for k in range(5)]
    scr = paint(scr, AMBER, shape_mask(scr.size, lambda d: rounded(
        d, (S(wx0 + 12), S(ty - 1.5), S(stops[2]), S(ty + 1.5)), S(1.5), fill=255)))
    for k, sxk in enumerate(stops):
        scr = paint(scr, (150, 160, 174) if k > 2 else AMBER_DEEP, shape_mask(scr.size, lambda d: d.ellipse(
            (S(sxk - 1.8), S(ty + 5), S(sxk + 1.8), S(ty + 8.6)), fill=255)))
    scr = paint(scr, (0, 0, 0), shape_mask(scr.size, lambda d: d.ellipse(
        (S(stops[2] - 5), S(ty - 4), S(stops[2] + 5), S(ty + 6)), fill=255), blur=S(1.2)), 0.3)
    scr = paint(scr, (255, 255, 255), shape_mask(scr.size, lambda d: d.ellipse(
        (S(stops[2] - 5), S(ty - 5), S(stops[2] + 5), S(ty + 5)), fill=255)))
    scr = paint(scr, AMBER, shape_mask(scr.size, lambda d: d.ellipse(
        (S(stops[2] - 2.5), S(ty - 2.5), S(stops[2] + 2.5), S(ty + 2.5)), fill=255)))
    # Desktop icons on the right of the screen.
    for k in range(3):
        scr = paint(scr, (236, 242, 250), shape_mask(scr.size, lambda d: rounded(
            d, (S(pw - 30), S(14 + k * 26), S(pw - 14), S(30 + k * 26)), S(3), fill=255)), 0.85)
    # Glass reflection across the screen.
    refl = Image.new("L", scr.size, 0)
    ImageDraw.Draw(refl).polygon([(S(pw * 0.52), 0), (S(pw * 0.78), 0), (S(pw * 0.42), S(ph)),
                                  (S(pw * 0.16), S(ph))], fill=255)
    refl = refl.filter(ImageFilter.GaussianBlur(S(10)))
    scr = paint(scr, (255, 255, 255), refl, 0.10)
    img.paste(scr, (S(px0), S(py0)))
    # Chin logo dot.
    img = paint(img, (150, 158, 170), shape_mask((w, h), lambda d: d.ellipse(
        (S(611), S(sy1 - 10), S(615), S(sy1 - 6)), fill=255)), 0.8)

    # Keyboard and mouse in front of the screen.
    kb = (452, 266, 666, 286)
    img = paint(img, (70, 56, 44), shape_mask((w, h), lambda d: rounded(
        d, (S(kb[0] + 2), S(kb[1] + 3), S(kb[2] + 2), S(kb[3] + 5)), S(4), fill=255), blur=S(3)), 0.35)
    img = Image.composite(vgradient((w, h), (244, 245, 247), (214, 217, 222)), img,
                          shape_mask((w, h), lambda d: rounded(d, (S(kb[0]), S(kb[1]), S(kb[2]), S(kb[3])),
                                                               S(4), fill=255)))
    keys = Image.new("L", (w, h), 0)
    kd = ImageDraw.Draw(keys)
    for row in range(3):
        y0 = kb[1] + 3 + row * 5.6
        x = kb[0] + 5 + row * 2.5
        while x < kb[2] - 7:
            kd.rounded_rectangle((S(x), S(y0), S(x + 9.6), S(y0 + 4.2)), radius=S(1), fill=255)
            x += 11.4
    img = paint(img, (196, 200, 208), keys, 0.9)
    img = paint(img, (70, 56, 44), shape_mask((w, h), lambda d: d.ellipse(
        (S(688), S(270), S(708), S(290)), fill=255), blur=S(2.5)), 0.35)
    img = Image.composite(vgradient((w, h), (246, 247, 249), (210, 213, 218)), img,
                          shape_mask((w, h), lambda d: d.ellipse((S(686), S(266), S(704), S(287)), fill=255)))
    # A mug on the left of the keyboard.
    img = paint(img, (70, 56, 44), shape_mask((w, h), lambda d: d.ellipse(
        (S(392), S(262), S(438), S(274)), fill=255), blur=S(3)), 0.35)
    mug = shape_mask((w, h), lambda d: rounded(d, (S(398), S(226), S(428), S(268)), S(5), fill=255))
    img = Image.composite(hgradient((w, h), (206, 84, 62), (238, 132, 96)), img, mug)
    handle = shape_mask((w, h), lambda d: d.arc((S(414), S(234), S(438), S(258)), -75, 75, fill=255,
                                                width=S(4)))
    img = paint(img, (214, 96, 72), handle)
    img = paint(img, (255, 255, 255), shape_mask((w, h), lambda d: rounded(
        d, (S(402), S(230), S(406), S(262)), S(2), fill=255), blur=S(1)), 0.35)
    img = paint(img, (92, 52, 32), shape_mask((w, h), lambda d: d.ellipse(
        (S(399), S(224), S(427), S(230)), fill=255)), 0.9)

    band = img.resize((WIDTH, BAND_BOTTOM - STRIP_BOTTOM), Image.LANCZOS)

    # Depth at the band's edges: a soft shade under the title strip and above the panel.
    bw, bh = band.size
    band = paint(band, (20, 26, 34), shape_mask((bw, bh), lambda d: d.rectangle((0, 0, bw, 3), fill=255),
                                                blur=3), 0.22)
    band = paint(band, (20, 26, 34), shape_mask((bw, bh), lambda d: d.rectangle((0, bh - 4, bw, bh), fill=255),
                                                blur=4), 0.25)
    return band


def band_intro_text(band):
    ox, oy = 44, 58  # band-local
    # Small tag above the title.
    tag = "Windows 8 显示设置"
    f_tag = font(12)
    tw = int(f_tag.getlength(tag))
    tag_box = (ox, oy, ox + tw + 20, oy + 21)
    band = paint(band, (253, 236, 212), aa_mask(band.size, lambda d: rounded(d, tag_box, 10, fill=255)))
    band = paint(band, (214, 150, 70), aa_mask(band.size, lambda d: rounded(d, tag_box, 10, outline=255,
                                                                               width=1)), 0.6)
    band = draw_text(band, (ox + 10, oy + 11), tag, f_tag, (170, 98, 24), anchor="lm")

    # Title and subtitle.
    band = draw_text(band, (ox - 2, oy + 64), "Quorlin 显示缩放调整工具", font(33), INK_DARK, anchor="ls",
                     shadow=(0, 1, (255, 255, 255), 0.8, 0), weight=0.4)
    band = paint(band, AMBER, aa_mask(band.size, lambda d: rounded(
        d, (ox, oy + 78, ox + 44, oy + 81), 1, fill=255)))
    band = draw_text(band, (ox, oy + 108), "一键调整 Windows 界面字体与显示缩放", font(18), (60, 72, 88),
                     anchor="ls")

    # Three feature points.
    feats = ["五档缩放可选", "仅改当前用户", "注销后生效"]
    x = ox
    f_feat = font(13)
    for text in feats:
        band = paint(band, AMBER, aa_mask(band.size, lambda d: d.ellipse(
            (x, oy + 136, x + 14, oy + 150), fill=255)))
        band = paint(band, (255, 255, 255), aa_mask(band.size, lambda d: d.line(
            [(x + 3.5, oy + 143), (x + 6, oy + 146), (x + 10.5, oy + 139.5)], fill=255, width=2)))
        band = draw_text(band, (x + 20, oy + 143), text, f_feat, (82, 94, 110), anchor="lm")
        x += 20 + int(f_feat.getlength(text)) + 24
    return band


def check_badge(size, box):
    """Green disc with a white tick, as an RGBA layer of `size`, supersampled."""
    k = 4
    x0, y0, x1, y1 = box
    d = (x1 - x0) * k
    layer = Image.new("RGBA", (d + 8 * k, d + 8 * k), (0, 0, 0, 0))
    m = Image.new("L", layer.size, 0)
    ImageDraw.Draw(m).ellipse((4 * k, 6 * k, 4 * k + d, 6 * k + d), fill=255)
    m = m.filter(ImageFilter.GaussianBlur(3 * k))
    layer = paint(layer, (20, 80, 44), m, 0.35)
    disc = Image.new("L", layer.size, 0)
    ImageDraw.Draw(disc).ellipse((4 * k, 4 * k, 4 * k + d, 4 * k + d), fill=255)
    fill = vgradient(layer.size, shade(CHECK_GREEN, 0.18), shade(CHECK_GREEN, -0.12)).convert("RGBA")
    fill.putalpha(disc)
    layer.alpha_composite(fill)
    c = 4 * k + d / 2
    r = d / 2
    tick = Image.new("L", layer.size, 0)
    ImageDraw.Draw(tick).line([(c - r * 0.45, c + r * 0.02), (c - r * 0.12, c + r * 0.34),
                               (c + r * 0.48, c - r * 0.30)], fill=255, width=int(r * 0.2), joint="curve")
    for px, py in [(c - r * 0.45, c + r * 0.02), (c + r * 0.48, c - r * 0.30)]:
        rr = r * 0.1
        ImageDraw.Draw(tick).ellipse((px - rr, py - rr, px + rr, py + rr), fill=255)
    layer = paint(layer, (255, 255, 255), tick)
    small = layer.resize((layer.width // k, layer.height // k), Image.LANCZOS)
    out = Image.new("RGBA", size, (0, 0, 0, 0))
    out.alpha_composite(small, (x0 - 4, y0 - 4))
    return out


def band_done_text(band):
    ox, oy = 44, 90
    badge = check_badge(band.size, (ox, oy, ox + 76, oy + 76))
    base = band.convert("RGBA")
    base.alpha_composite(badge)
    band = base.convert("RGB")
    tx = ox + 100
    band = draw_text(band, (tx - 2, oy + 36), "修复完成", font(40), INK_DARK, anchor="ls",
                     shadow=(0, 1, (255, 255, 255), 0.8, 0), weight=0.5)
    band = paint(band, CHECK_GREEN, aa_mask(band.size, lambda d: rounded(
        d, (tx, oy + 48, tx + 44, oy + 51), 1, fill=255)))
    band = draw_text(band, (tx, oy + 78), "请测试效果！", font(20), (60, 72, 88), anchor="ls")
    return band


# ----------------------------------------------------------------------------
# Title strip and lower panel


def logo_mark(size=26):
    k = 4
    s = size * k
    m = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    sq = Image.new("L", (s, s), 0)
    ImageDraw.Draw(sq).rounded_rectangle((0, 0, s - 1, s - 1), radius=7 * k, fill=255)
    g = vgradient((s, s), (240, 176, 84), (214, 92, 52)).convert("RGBA")
    g.putalpha(sq)
    m.alpha_composite(g)
    glyph = Image.new("L", (s, s), 0)
    gd = ImageDraw.Draw(glyph)
    gd.rounded_rectangle((5 * k, 6 * k, 21 * k, 17 * k), radius=2 * k, outline=255, width=int(2.2 * k))
    gd.rectangle((12 * k, 17 * k, 14 * k, 20 * k), fill=255)
    gd.rounded_rectangle((8.5 * k, 19.6 * k, 17.5 * k, 21.6 * k), radius=k, fill=255)
    gd.line([(9 * k, 12.5 * k), (13 * k, 12.5 * k)], fill=255, width=int(1.6 * k))
    gd.line([(9 * k, 10 * k), (17 * k, 10 * k)], fill=255, width=int(1.6 * k))
    m = paint(m, (255, 255, 255), glyph)
    return m.resize((size, size), Image.LANCZOS)


def title_strip():
    img = vgradient((WIDTH, STRIP_BOTTOM), STRIP_TOP, STRIP_BOT)
    img = paint(img, (70, 86, 110), radial_mask(img.size, (-120, -90, 420, 120)), 0.25)
    base = img.convert("RGBA")
    base.alpha_composite(logo_mark(26), (20, 14))
    img = base.convert("RGB")
    img = draw_text(img, (56, 27), "Quorlin", font(20), (246, 248, 250), anchor="lm", weight=0.4)
    f_cap = font(12)
    img = paint(img, (70, 80, 94), aa_mask(img.size, lambda d: d.rectangle((138, 20, 138, 34), fill=255)))
    img = draw_text(img, (150, 28), "显示缩放助手  ·  Display Scaling Utility", f_cap, TEXT_MUTED, anchor="lm")
    # Hairline at the bottom edge.
    img = paint(img, (48, 56, 68), aa_mask(img.size, lambda d: d.line([(0, STRIP_BOTTOM - 1),
                                                                          (WIDTH, STRIP_BOTTOM - 1)], fill=255)))
    return img


def fit_caption_size():
    """Largest font size (up to 16) at which every caption's ink fits its box."""
    for size in range(16, 9, -1):
        f = font(size)
        ok = True
        for text, (x0, y0, x1, y1) in CAPTIONS:
            bb = text_mask((400, 60), (10, 10), text, f).getbbox()
            if bb[2] - bb[0] > x1 - x0 + 1 or bb[3] - bb[1] > y1 - y0 + 1:
                ok = False
        if ok:
            return size
    raise SystemExit("captions do not fit their boxes")


def lower_panel():
    ph = HEIGHT - BAND_BOTTOM
    img = vgradient((WIDTH, ph), PANEL_TOP, PANEL_BOT)
    img = paint(img, (255, 255, 255), aa_mask(img.size, lambda d: d.line([(0, 0), (WIDTH, 0)], fill=255)), 0.08)
    return img


def panel_content(img):
    """Draws heading, option card and captions onto the full 800x540 picture."""
    # Heading.
    img = paint(img, AMBER, aa_mask(img.size, lambda d: rounded(d, (40, 373, 43, 387), 1, fill=255)))
    img = draw_text(img, (52, 380), "选择显示缩放比例", font(15), (214, 220, 228), anchor="lm")
    # Card holding the five options.
    card = (36, 400, 496, 506)
    img = paint(img, (10, 12, 16), aa_mask(img.size, lambda d: rounded(
        d, (card[0], card[1] + 2, card[2], card[3] + 3), 8, fill=255), blur=3), 0.35)
    img = paint(img, CARD_FILL, aa_mask(img.size, lambda d: rounded(d, card, 8, fill=255)))
    img = paint(img, CARD_EDGE, aa_mask(img.size, lambda d: rounded(d, card, 8, outline=255, width=1)))
    img = paint(img, (255, 255, 255), aa_mask(img.size, lambda d: d.line(
        [(card[0] + 8, card[1] + 1), (card[2] - 8, card[1] + 1)], fill=255)), 0.04)
    # Divider between the two rows of options.
    img = paint(img, (255, 255, 255), aa_mask(img.size, lambda d: d.line(
        [(card[0] + 14, 450), (card[2] - 14, 450)], fill=255)), 0.05)

    size = fit_caption_size()
    f = font(size)
    for text, (x0, y0, x1, y1) in CAPTIONS:
        m = text_mask((400, 60), (10, 10), text, f)
        bx0, by0, bx1, by1 = m.getbbox()
        ink_h = by1 - by0
        top = y0 + ((y1 - y0 + 1) - ink_h) // 2
        place = (x0 - bx0 + 10, top - by0 + 10)
        img = draw_text(img, place, text, f, TEXT_LIGHT)
        # Guard: the ink must sit inside its box.
        full = text_mask(img.size, place, text, f).getbbox()
        assert x0 <= full[0] and full[2] - 1 <= x1 and y0 <= full[1] and full[3] - 1 <= y1, (text, full)

    # Footnote.
    fi = font(12)
    img = paint(img, TEXT_DIM, aa_mask(img.size, lambda d: (
        d.ellipse((40, 515.5, 53, 528.5), outline=255, width=1.2),
        d.ellipse((45.6, 518, 47.4, 519.8), fill=255),
        d.rounded_rectangle((45.7, 521, 47.3, 526), radius=0.6, fill=255))))
    img = draw_text(img, (60, 522), "新的缩放比例将在注销并重新登录后生效", fi, TEXT_DIM, anchor="lm")
    return img


def background(done):
    img = Image.new("RGB", (WIDTH, HEIGHT), PANEL_BOT)
    img.paste(title_strip(), (0, 0))
    band = scene_band()
    band = band_done_text(band) if done else band_intro_text(band)
    img.paste(band, (0, STRIP_BOTTOM))
    img.paste(lower_panel(), (0, BAND_BOTTOM))
    img = panel_content(img)
    return avoid_key_colour(img)


# ----------------------------------------------------------------------------
# Radios, buttons and close glyph (RGBA, supersampled by K)

K = 8


def downsample(img, size):
    return img.resize(size, Image.LANCZOS)


def radio(on):
    s = 22 * K
    img = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    c = s / 2
    ring_r = 9.6 * K
    if on:
        disc = shape_mask((s, s), lambda d: d.ellipse((c - ring_r, c - ring_r, c + ring_r, c + ring_r), fill=255))
        fill = vgradient((s, s), (246, 190, 108), (222, 142, 52)).convert("RGBA")
        fill.putalpha(disc)
        img.alpha_composite(fill)
        img = paint(img, (255, 236, 200), shape_mask((s, s), lambda d: d.ellipse(
            (c - ring_r, c - ring_r, c + ring_r, c + ring_r), outline=255, width=int(1.2 * K))), 0.55)
        dot_r = 4.2 * K
        img = paint(img, (28, 32, 40), shape_mask((s, s), lambda d: d.ellipse(
            (c - dot_r, c - dot_r, c + dot_r, c + dot_r), fill=255)))
    else:
        img = paint(img, (255, 255, 255), shape_mask((s, s), lambda d: d.ellipse(
            (c - ring_r, c - ring_r, c + ring_r, c + ring_r), fill=255)), 0.06)
        img = paint(img, (168, 178, 190), shape_mask((s, s), lambda d: d.ellipse(
            (c - ring_r, c - ring_r, c + ring_r, c + ring_r), outline=255, width=int(1.7 * K))))
    return downsample(img, (22, 22))


# The level badges: (text, width); all are BADGE_H high. The program places them by these sizes.
BADGE_H = 14
BADGES = {"current": ("当前", 30), "waiting": ("待生效", 40)}


def level_badge(kind):
    """A small pill below a level's caption: amber filled for the level in effect, amber outlined
    for the level waiting for the next sign-in."""
    text, w = BADGES[kind]
    h = BADGE_H
    img = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    pill = (0.5, 0.5, w - 0.5, h - 0.5)
    body = aa_mask((w, h), lambda d: rounded(d, pill, (h - 1) / 2, fill=255))
    if kind == "current":
        fill = vgradient((w, h), (246, 190, 108), (222, 142, 52)).convert("RGBA")
        fill.putalpha(body)
        img.alpha_composite(fill)
        ink = INK_DARK
    else:
        img = paint(img, CARD_FILL, body, 0.9)
        img = paint(img, AMBER, aa_mask((w, h), lambda d: rounded(d, pill, (h - 1) / 2, outline=255, width=1)))
        ink = (246, 190, 108)
    f = font(10)
    ink_box = text_mask((w, h), (w / 2, h / 2), text, f, anchor="mm").getbbox()
    assert ink_box[0] >= 3 and ink_box[2] <= w - 3 and ink_box[1] >= 1 and ink_box[3] <= h - 1, (kind, ink_box)
    return paint(img, ink, text_mask((w, h), (w / 2, h / 2), text, f, anchor="mm"))


def big_button(top, bottom, caption, state):
    w, h = 160, 52
    s = K // 2
    W, H = w * s, h * s
    if state == "over":
        top, bottom = shade(top, 0.14), shade(bottom, 0.12)
    elif state == "pressed":
        top, bottom = shade(bottom, -0.18), shade(top, -0.16)
    img = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    body = (2 * s, 1 * s, (w - 2) * s, (h - 4) * s)
    if state == "pressed":
        body = (2 * s, 2 * s, (w - 2) * s, (h - 3) * s)
    # Drop shadow (smaller when pressed).
    sh = shape_mask((W, H), lambda d: rounded(d, (body[0], body[1] + 2 * s, body[2], body[3] + 2 * s), 8 * s,
                                             fill=255), blur=1.6 * s)
    img = paint(img, (0, 0, 0), sh, 0.28 if state == "pressed" else 0.45)
    fillm = shape_mask((W, H), lambda d: rounded(d, body, 8 * s, fill=255))
    fill = vgradient((W, H), top, bottom).convert("RGBA")
    fill.putalpha(fillm)
    img.alpha_composite(fill)
    if state != "pressed":
        # Glossy upper half and a top highlight line.
        gloss = shape_mask((W, H), lambda d: rounded(d, (body[0], body[1], body[2], (body[1] + body[3]) // 2),
                                                      8 * s, fill=255))
        gloss = ImageChops.multiply(gloss.filter(ImageFilter.GaussianBlur(2 * s)), fillm)
        img = paint(img, (255, 255, 255), gloss, 0.10)
        hl = shape_mask((W, H), lambda d: rounded(d, (body[0] + s, body[1] + s, body[2] - s, body[3]), 7 * s,
                                                   outline=255, width=s))
        hl = ImageChops.multiply(hl, shape_mask((W, H), lambda d: d.rectangle((0, 0, W, body[1] + 6 * s),
                                                                             fill=255), blur=3 * s))
        img = paint(img, (255, 255, 255), hl, 0.45)
    else:
        inner = shape_mask((W, H), lambda d: d.rectangle((0, 0, W, body[1] + 4 * s), fill=255), blur=3 * s)
        img = paint(img, (0, 0, 0), ImageChops.multiply(inner, fillm), 0.25)
    edge = shape_mask((W, H), lambda d: rounded(d, body, 8 * s, outline=255, width=s))
    img = paint(img, shade(bottom, -0.35), edge, 0.6)
    img = downsample(img, (w, h))
    # Caption drawn at 1x for crisp hinted glyphs.
    cy = (h - 4) // 2 + (1 if state == "pressed" else 0)
    f = font(20)
    img = draw_text(img, (w // 2, cy + 1), caption, f, (255, 255, 255), anchor="mm",
                    shadow=(0, 1, shade(bottom, -0.5), 0.45, 0.6), weight=0.5)
    return img


def close_glyph(state):
    s = 18 * K
    img = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    a, b = 4.5 * K, 13.5 * K
    cross = lambda d, wd, fill: [d.line([(a, a), (b, b)], fill=fill, width=int(wd)),
                                 d.line([(a, b), (b, a)], fill=fill, width=int(wd))]
    caps = lambda d, r, fill: [d.ellipse((x - r, y - r, x + r, y + r), fill=fill)
                               for x, y in [(a, a), (b, b), (a, b), (b, a)]]
    if state == "normal":
        m = shape_mask((s, s), lambda d: (cross(d, 1.6 * K, 255), caps(d, 0.8 * K, 255)))
        img = paint(img, (160, 170, 182), m)
    elif state == "over":
        img = paint(img, (255, 255, 255), shape_mask((s, s), lambda d: d.ellipse((0, 0, s - 1, s - 1), fill=255)),
                    0.12)
        m = shape_mask((s, s), lambda d: (cross(d, 2.8 * K, 255), caps(d, 1.4 * K, 255)))
        img = paint(img, (255, 255, 255), m)
    else:
        outer = shape_mask((s, s), lambda d: (cross(d, 3.6 * K, 255), caps(d, 1.8 * K, 255)))
        inner = shape_mask((s, s), lambda d: (cross(d, 1.6 * K, 255), caps(d, 0.8 * K, 255)))
        ring = ImageChops.subtract(outer, inner)
        img = paint(img, (200, 206, 214), ring, 0.6)
    return downsample(img, (18, 18))


# ----------------------------------------------------------------------------
# Progress strip: 800 x 6 GIF89a, four images, written by hand.

STRIP_W = 800
SHEEN_PERIOD = 40
TRANSPARENT_INDEX = 255


def strip_rows(phase):
    """Colours of the six strip rows for one sheen phase (pixels 0..799)."""
    line = (26, 20, 14)
    rows = [[line] * STRIP_W]
    band_rows = [shade(AMBER, 0.16), AMBER, shade(AMBER, -0.06), shade(AMBER, -0.16)]
    for r, base in enumerate(band_rows):
        row = []
        for x in range(STRIP_W):
            # Diagonal stripes of sheen that lean to the right, soft-edged.
            u = ((x + r * 2 - phase) % SHEEN_PERIOD) / SHEEN_PERIOD
            v = 0.5 - 0.5 * math.cos(2 * math.pi * u)
            v = v ** 3
            level = round(v * 8) / 8  # limit the palette
            row.append(shade(base, 0.42 * level))
        rows.append(row)
    rows.append([line] * STRIP_W)
    return rows


def lzw_encode(indices, min_code_size=8):
    clear, eoi = 1 << min_code_size, (1 << min_code_size) + 1
    out = bytearray()
    bitbuf, bitcnt = 0, 0

    def emit(code, width):
        nonlocal bitbuf, bitcnt
        bitbuf |= code << bitcnt
        bitcnt += width
        while bitcnt >= 8:
            out.append(bitbuf & 0xFF)
            bitbuf >>= 8
            bitcnt -= 8

    def reset():
        return {bytes([i]): i for i in range(clear)}, eoi + 1, min_code_size + 1

    table, next_code, width = reset()
    emit(clear, width)
    cur = b""
    for idx in indices:
        nxt = cur + bytes([idx])
        if nxt in table:
            cur = nxt
            continue
        emit(table[cur], width)
        if next_code < 4096:
            table[nxt] = next_code
            next_code += 1
            if next_code > (1 << width) and width < 12:
                width += 1
        else:
            emit(clear, width)
            table, next_code, width = reset()
        cur = bytes([idx])
    if cur:
        emit(table[cur], width)
    emit(eoi, width)
    if bitcnt:
        out.append(bitbuf & 0xFF)
    return bytes(out)


def sub_blocks(data):
    out = bytearray()
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    return bytes(out)


def progress_strip_gif():
    phases = [0, SHEEN_PERIOD // 4, SHEEN_PERIOD // 2, 3 * SHEEN_PERIOD // 4]
    frames = [strip_rows(p) for p in phases]
    rects = [(0, 0, STRIP_W, 6), (0, 0, STRIP_W, 6), (0, 1, STRIP_W, 4), (0, 1, STRIP_W, 4)]

    colours = sorted({c for f in frames for row in f for c in row})
    assert len(colours) < TRANSPARENT_INDEX, len(colours)
    assert KEY_COLOUR not in colours
    palette = colours + [(0, 0, 0)] * (TRANSPARENT_INDEX - len(colours)) + [(246, 246, 246)]
    index = {c: i for i, c in enumerate(colours)}

    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", STRIP_W, 6, 0xF7, 0, 0)  # global table of 256 entries, 8 bits
    for c in palette:
        out += bytes(c)
    # NETSCAPE2.0 looping extension: loop for ever.
    out += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"
    for rows, (left, top, w, h) in zip(frames, rects):
        # Graphic control: disposal 1 (leave in place), transparency on, delay 10 cs.
        out += b"\x21\xF9\x04" + bytes([(1 << 2) | 1]) + struct.pack("<H", 10) + bytes([TRANSPARENT_INDEX, 0])
        out += b"\x2C" + struct.pack("<HHHHB", left, top, w, h, 0)
        pixels = [index[c] for row in rows[top:top + h] for c in row[left:left + w]]
        out += bytes([8]) + sub_blocks(lzw_encode(pixels, 8))
    out += b"\x3B"
    return bytes(out)


# ----------------------------------------------------------------------------
# PNG output without any metadata chunk


def png_bytes(img):
    """Encodes losslessly with IHDR, IDAT and IEND only (no pHYs, no text, no time)."""
    assert img.mode in ("RGB", "RGBA")
    colour_type = 2 if img.mode == "RGB" else 6
    w, h = img.size
    bpp = 3 if colour_type == 2 else 4
    raw = img.tobytes()
    stride = w * bpp
    rows = bytearray()
    prev = bytes(stride)
    for y in range(h):
        line = raw[y * stride:(y + 1) * stride]
        # Paeth filter on every row: good for gradients, cheap to choose.
        filt = bytearray(stride)
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            p = a + b - c
            pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
            pred = a if (pa <= pb and pa <= pc) else (b if pb <= pc else c)
            filt[i] = (line[i] - pred) & 0xFF
        rows.append(4)
        rows += filt
        prev = line

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)

    ihdr = struct.pack(">IIBBBBB", w, h, 8, colour_type, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(bytes(rows), 9))
            + chunk(b"IEND", b""))


def check_no_key_colour(name, img):
    rgb = img.convert("RGB")
    data = rgb.tobytes()
    key = bytes(KEY_COLOUR)
    for i in range(0, len(data), 3):
        if data[i:i + 3] == key:
            raise SystemExit(f"{name}: contains the overlay key colour at pixel {i // 3}")


# ----------------------------------------------------------------------------
# Preview (not shipped)


def project_version():
    """The program's version, kept in the file VERSION at the top of the tree."""
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "..", "VERSION"), encoding="utf-8") as version:
        return version.readline().strip()


def preview(pictures, path):
    def compose(bg, button_prefix, notice, strip_frame, badges=()):
        img = bg.copy().convert("RGBA")
        for i, spot in enumerate(RADIO_SPOTS):
            img.alpha_composite(pictures["radio_on" if i == 0 else "radio_off"], spot)
        for kind, level in badges:
            img.alpha_composite(pictures["badge_" + kind], BADGE_SPOTS[level])
        img.alpha_composite(pictures[button_prefix + "_normal"], APPLY_SPOT)
        img.alpha_composite(pictures["close_normal"], CLOSE_SPOT)
        img = img.convert("RGB")
        vx, vy, vw, vh = VERSION_RECT
        img = draw_text(img, (vx, vy + vh // 2), "版本号：V" + project_version(), font(10), (192, 192, 192), anchor="lm")
        if notice:
            nx, ny, nw, nh = NOTICE_RECT
            clip = Image.new("RGB", (nw, nh))
            clip.paste(img.crop((nx, ny, nx + nw, ny + nh)))
            clip = draw_text(clip, (0, nh // 2), "注销前，请注意保存所有打开的文件！", font(16), (255, 255, 255),
                             anchor="lm")
            img.paste(clip, (nx, ny))
        if strip_frame is not None:
            img.paste(strip_frame, (0, STRIP_ROWS[0]))
        return img

    frames = gif_canvases(pictures["progress_strip"])
    shots = [
        compose(pictures["intro_background"], "apply", False, None, [("current", 0), ("waiting", 2)]),
        compose(pictures["intro_background"], "apply", False, frames[1], [("current", 1), ("waiting", 4)]),
        compose(pictures["done_background"], "logoff", True, None, [("current", 2), ("waiting", 3)]),
    ]
    # Hover and pressed looks of the buttons, the close glyph and radios (3x), under the shots.
    sheet = Image.new("RGB", (WIDTH, 140), PANEL_TOP)

    def tile(name, scale=1):
        pic = pictures[name]
        t = Image.new("RGBA", pic.size, PANEL_TOP + (255,))
        t.alpha_composite(pic)
        t = t.convert("RGB")
        return t.resize((pic.width * scale, pic.height * scale), Image.NEAREST) if scale > 1 else t

    for i, state in enumerate(("normal", "over", "pressed")):
        sheet.paste(tile("apply_" + state), (20 + i * 180, 10))
        sheet.paste(tile("logoff_" + state), (20 + i * 180, 74))
    for i, name in enumerate(["close_normal", "close_over", "close_pressed", "radio_on", "radio_off"]):
        sheet.paste(tile(name, 3), (560 + (i % 3) * 76, 10 + (i // 3) * 72))
    out = Image.new("RGB", (WIDTH, HEIGHT * 3 + 140 + 30), (255, 255, 255))
    for i, shot in enumerate(shots):
        out.paste(shot, (0, i * (HEIGHT + 10)))
    out.paste(sheet, (0, 3 * (HEIGHT + 10)))
    os.makedirs(os.path.dirname(path) or ".", exist_ok=True)
    out.save(path)


def gif_canvases(gif_bytes):
    """Full-canvas frames of the strip as RGB images (via PIL), for looking at."""
    import io
    im = Image.open(io.BytesIO(gif_bytes))
    canvas = Image.new("RGB", im.size, (246, 246, 246))
    out = []
    for n in range(im.n_frames):
        im.seek(n)
        frame = im.convert("RGBA")
        canvas.paste(frame, (0, 0), frame)
        out.append(canvas.copy())
    return out


# ----------------------------------------------------------------------------


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--out", default=os.path.join(here, "..", "resources"))
    ap.add_argument("--preview", help="also write a preview composition to this PNG")
    args = ap.parse_args()

    pictures = {
        "intro_background": background(done=False),
        "done_background": background(done=True),
        "radio_on": radio(True),
        "radio_off": radio(False),
        "badge_current": level_badge("current"),
        "badge_waiting": level_badge("waiting"),
    }
    for state in ("normal", "over", "pressed"):
        pictures["apply_" + state] = big_button(RED_TOP, RED_BOT, "应 用", state)
        pictures["logoff_" + state] = big_button(GREEN_TOP, GREEN_BOT, "注 销", state)
        pictures["close_" + state] = close_glyph(state)

    os.makedirs(args.out, exist_ok=True)
    for name, img in sorted(pictures.items()):
        img = avoid_key_colour(img)
        pictures[name] = img
        check_no_key_colour(name, img)
        with open(os.path.join(args.out, name + ".png"), "wb") as f:
            f.write(png_bytes(img))
    gif = progress_strip_gif()
    with open(os.path.join(args.out, "progress_strip.gif"), "wb") as f:
        f.write(gif)
    pictures["progress_strip"] = gif

    if args.preview:
        preview(pictures, args.preview)
    return 0


if __name__ == "__main__":
    sys.exit(main())
