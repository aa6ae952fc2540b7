#!/usr/bin/python3
"""Generate Rallyo's bitmaps and icon.

Run from the repository root:

    tools/gen_assets.py

Writes gfx/Font.bmp, gfx/background.bmp, gfx/p1.bmp, gfx/p2.bmp,
gfx/pileczka.bmp, gfx/start.bmp, gfx/qor.bmp, data/rallyo.ico,
data/rallyo.png and the web page's icons data/rallyo-192.png and
data/rallyo-512.png.  The output is deterministic (the only noise comes from a
seeded generator) and is committed, so building the game never needs this.

Everything is drawn here from geometry; the only outside input is the DejaVu
font family shipped by Debian (fonts-dejavu-core), used for the bitmap font
and the logo lettering.

Notes on how the game uses these pictures:

* All BMPs are 24-bit, uncompressed, bottom-up, power-of-two sides.
* Colour key: outside Font.bmp a pixel with red == 255 and blue == 255 turns
  transparent when the picture is blended (that includes pure white).  None
  of the pictures below uses a keyed colour: every channel is kept at 250 or
  below in all of them (Font.bmp excepted, which is drawn additively).
* Font.bmp: 16 x 16 cells, glyph n in column n % 16, row n // 16 from the
  top.  Set 0 holds codes 32..127 in rows 0..5, set 1 (bolder) the same in
  rows 8..13.  A glyph quad is 16 units wide but the pen advances 10, so the
  glyph ink stays in the left 10/16 of its cell.
* The paddles and the ball are drawn without blending during play, so they
  are solid tiles: the ball's corners carry the court colour.
* p2.bmp's and qor.bmp's corner pixels are read back by the game (fade
  opacity, intro fade colour): p2's are opaque, qor's are opaque black.
"""

import math
import os
import random
import struct
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

FONT_DIR = "/usr/share/fonts/truetype/dejavu"
MONO_BOLD = os.path.join(FONT_DIR, "DejaVuSansMono-Bold.ttf")
SANS_BOLD = os.path.join(FONT_DIR, "DejaVuSans-Bold.ttf")

# Court surface colour.  The ball tile's corners use it too, so the ball
# reads as round while it rolls over the court.
COURT = (22, 82, 68)
COURT_LINE = (232, 236, 226)

# Player colours: player 1 plays on the right (blue), player 2 on the left.
P1_BLUE = (46, 112, 232)
P2_RED = (222, 52, 40)

BALL_LIGHT = (250, 246, 200)
BALL_MID = (246, 204, 40)
BALL_DARK = (176, 92, 8)

MAX_LEVEL = 250  # no channel above this in the colour-keyed pictures


# --------------------------------------------------------------------------
# small helpers

def clamp8(v):
    return 0 if v < 0 else 255 if v > 255 else int(round(v))


def mix(a, b, t):
    """Linear blend of two RGB tuples, t = 0 gives a, t = 1 gives b."""
    return tuple(clamp8(x + (y - x) * t) for x, y in zip(a, b))


def scale_rgb(c, k):
    return tuple(clamp8(x * k) for x in c)


def smoothstep(e0, e1, x):
    if e1 == e0:
        return 0.0 if x < e0 else 1.0
    t = (x - e0) / (e1 - e0)
    t = 0.0 if t < 0 else 1.0 if t > 1 else t
    return t * t * (3 - 2 * t)


def limit_levels(img, top=MAX_LEVEL):
    """Cap every channel so no pixel can hit the colour key."""
    return img.point(lambda v: v if v <= top else top)


def keyed_pixels(img):
    """Number of pixels the game would treat as transparent."""
    r, _, b = img.convert("RGB").split()
    rk = r.point(lambda v: 255 if v == 255 else 0)
    bk = b.point(lambda v: 255 if v == 255 else 0)
    both = ImageChops.multiply(rk, bk)
    return both.histogram()[255]


def check_pow2(img, name):
    w, h = img.size
    for side in (w, h):
        if side & (side - 1):
            sys.exit("%s: side %d is not a power of two" % (name, side))
    if w % 4:
        sys.exit("%s: width %d is not a multiple of 4" % (name, w))


def save_bmp(img, path, keyed_ok=False):
    img = img.convert("RGB")
    check_pow2(img, path)
    if not keyed_ok:
        n = keyed_pixels(img)
        if n:
            sys.exit("%s: %d pixels would be colour-keyed" % (path, n))
    img.save(path, "BMP")
    print("wrote %-20s %dx%d" % (path, img.size[0], img.size[1]))


def noise_layer(size, seed, amplitude):
    """Grey image around 128 with seeded uniform noise of +-amplitude."""
    rng = random.Random(seed)
    w, h = size
    data = bytes(128 + rng.randint(-amplitude, amplitude) for _ in range(w * h))
    return Image.frombytes("L", size, data)


def add_grain(img, seed, amplitude):
    """Add monochrome grain to an RGB image (deterministic)."""
    n = noise_layer(img.size, seed, amplitude).convert("RGB")
    # ImageChops clips at 0..255, so add the positive and subtract the
    # negative part of (n - 128) separately.
    mid = Image.new("RGB", img.size, (128, 128, 128))
    pos = ImageChops.subtract(n, mid)
    neg = ImageChops.subtract(mid, n)
    return ImageChops.subtract(ImageChops.add(img, pos), neg)


def radial_mask(size, cx, cy, rx, ry, inner=0.0, outer=1.0):
    """L mask: 255 inside the (inner) ellipse, fading to 0 at the outer one.

    cx, cy, rx, ry are in pixels; inner/outer are fractions of the radii.
    Built from a small grid and scaled up, which is plenty for soft masks.
    """
    w, h = size
    gw, gh = max(2, w // 4), max(2, h // 4)
    m = Image.new("L", (gw, gh))
    px = m.load()
    sx, sy = w / gw, h / gh
    for j in range(gh):
        y = (j + 0.5) * sy
        for i in range(gw):
            x = (i + 0.5) * sx
            d = math.hypot((x - cx) / rx, (y - cy) / ry)
            px[i, j] = clamp8(255 * (1.0 - smoothstep(inner, outer, d)))
    return m.resize(size, Image.BILINEAR)


def linear_mask(size, x0, x1, horizontal=True):
    """L mask ramping from 0 at x0 to 255 at x1 (smoothly)."""
    w, h = size
    n = w if horizontal else h
    row = bytes(clamp8(255 * smoothstep(x0, x1, i + 0.5)) for i in range(n))
    if horizontal:
        return Image.frombytes("L", (w, 1), row).resize(size, Image.NEAREST)
    return Image.frombytes("L", (1, h), row).resize(size, Image.NEAREST)


def glow(img_size, draw_fn, radius, colour):
    """Return an RGB layer with a blurred shape drawn by draw_fn in colour."""
    mask = Image.new("L", img_size, 0)
    draw_fn(ImageDraw.Draw(mask))
    mask = mask.filter(ImageFilter.GaussianBlur(radius))
    layer = Image.new("RGB", img_size, colour)
    black = Image.new("RGB", img_size, (0, 0, 0))
    return Image.composite(layer, black, mask)


def shaded_sphere_rgba(d, light=(-0.45, -0.55, 0.70), rim_dark=0.25):
    """RGBA sphere of diameter d pixels: orange ball with a highlight."""
    ss = 4
    big = d * ss
    img = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    px = img.load()
    lx, ly, lz = light
    ll = math.sqrt(lx * lx + ly * ly + lz * lz)
    lx, ly, lz = lx / ll, ly / ll, lz / ll
    r = big / 2.0
    for j in range(big):
        y = (j + 0.5 - r) / r
        for i in range(big):
            x = (i + 0.5 - r) / r
            q = x * x + y * y
            if q > 1.0:
                continue
            z = math.sqrt(1.0 - q)
            lam = max(0.0, x * lx + y * ly + z * lz)
            c = mix(BALL_DARK, BALL_MID, min(1.0, 0.15 + 1.0 * lam))
            # glossy highlight
            hx, hy, hz = lx, ly, lz + 1.0
            hl = math.sqrt(hx * hx + hy * hy + hz * hz)
            gloss = max(0.0, (x * hx + y * hy + z * hz) / hl) ** 40
            c = mix(c, BALL_LIGHT, min(1.0, gloss * 1.1))
            # darker rim so the ball stands out from the bright court lines
            c = mix(c, scale_rgb(BALL_DARK, 0.6), rim_dark * smoothstep(0.80, 1.0, math.sqrt(q)))
            px[i, j] = c + (255,)
    return img.resize((d, d), Image.BOX)


# --------------------------------------------------------------------------
# Font.bmp

def build_font():
    cell = 32
    ss = 8                      # supersampling for anti-aliased glyphs
    glyph_x0, glyph_x1 = 1, 20  # ink stays in columns 1..19 (pen advance)
    glyph_y0, glyph_y1 = 1, 31  # and rows 1..30
    img = Image.new("L", (16 * cell, 16 * cell), 0)

    box_w = (glyph_x1 - glyph_x0) * ss
    box_h = (glyph_y1 - glyph_y0) * ss
    codes = range(32, 128)

    def fit(stroke_px):
        """Font size (at ss scale) whose printable ASCII ink fits the box."""
        ref = 200
        f = ImageFont.truetype(MONO_BOLD, ref)
        sw = int(round(stroke_px * ss * ref / (30.0 * ss)))
        boxes = [f.getbbox(chr(c), anchor="ls", stroke_width=sw) for c in range(33, 127)]
        w = max(b[2] for b in boxes) - min(b[0] for b in boxes)
        h = max(b[3] for b in boxes) - min(b[1] for b in boxes)
        k = min(box_w / float(w), box_h / float(h))
        size = int(ref * k)
        while True:
            f = ImageFont.truetype(MONO_BOLD, size)
            sw = int(round(stroke_px * ss))
            boxes = [f.getbbox(chr(c), anchor="ls", stroke_width=sw) for c in range(33, 127)]
            left = min(b[0] for b in boxes)
            right = max(b[2] for b in boxes)
            top = min(b[1] for b in boxes)
            bottom = max(b[3] for b in boxes)
            if right - left <= box_w and bottom - top <= box_h:
                return f, sw, left, right, top, bottom
            size -= 1

    # set 0: DejaVu Sans Mono Bold; set 1: the same, thickened by a stroke
    for set_index, stroke_px in ((0, 0.0), (1, 0.75)):
        f, sw, left, right, top, bottom = fit(stroke_px)
        # centre the common ink box inside the glyph box
        ox = (box_w - (right - left)) // 2 - left
        oy = (box_h - (bottom - top)) // 2 - top
        for c in codes:
            n = c - 32 + 128 * set_index
            col, row = n % 16, n // 16
            if c in (32, 127):
                continue
            tile = Image.new("L", (cell * ss, cell * ss), 0)
            d = ImageDraw.Draw(tile)
            d.text((glyph_x0 * ss + ox, glyph_y0 * ss + oy), chr(c), font=f,
                   fill=255, anchor="ls", stroke_width=sw, stroke_fill=255)
            small = tile.resize((cell, cell), Image.BOX)
            # keep the 1-pixel cell border and the overlapped part black
            clean = Image.new("L", (cell, cell), 0)
            clean.paste(small.crop((glyph_x0, glyph_y0, glyph_x1, glyph_y1)),
                        (glyph_x0, glyph_y0))
            img.paste(clean, (col * cell, row * cell))

    # gentle lift of the anti-aliased edge so thin strokes survive the
    # downscale to ~20 px on screen
    img = img.point(lambda v: clamp8(255 * (v / 255.0) ** 0.85))
    save_bmp(img.convert("RGB"), "gfx/Font.bmp", keyed_ok=True)


# --------------------------------------------------------------------------
# background.bmp: the court

def build_background():
    # Drawn in screen proportions (the quad is about 870 x 560) and then
    # squeezed into 512 x 512, so circles come out round in the game.
    sw, sh = 870, 560
    ss = 3
    W, H = sw * ss, sh * ss
    img = Image.new("RGB", (W, H), COURT)
    d = ImageDraw.Draw(img)

    def X(fx):
        return fx * W

    def Y(fy):
        return fy * H

    # paddle lanes along the left and right ends, tinted with the colour of
    # the player who guards them
    lane = 0.062
    lane_l = mix(COURT, P2_RED, 0.10)
    lane_r = mix(COURT, P1_BLUE, 0.12)
    d.rectangle([0, 0, X(lane), H], fill=scale_rgb(lane_l, 0.86))
    d.rectangle([X(1 - lane), 0, W, H], fill=scale_rgb(lane_r, 0.86))

    # soft light pool in the middle, darker corners
    light = Image.new("RGB", (W, H), mix(COURT, (60, 140, 120), 0.10))
    img = Image.composite(light, img, radial_mask((W, H), W / 2, H / 2, W * 0.55, H * 0.60, 0.0, 1.0))
    dark = scale_rgb(COURT, 0.55)
    shade = Image.new("RGB", (W, H), dark)
    vig = radial_mask((W, H), W / 2, H / 2, W * 0.80, H * 0.85, 0.55, 1.25)
    img = Image.composite(img, shade, vig)
    d = ImageDraw.Draw(img)

    lw = 4 * ss        # main line width in screen pixels * ss
    thin = 2 * ss
    inset = 9 * ss
    line = COURT_LINE
    dim_line = mix(COURT, COURT_LINE, 0.45)

    # The quad runs from court y 5.0 down to -6.5, and the ball bounces at
    # 4.9 and -6.1 and is served from 0: the border lies on those walls and
    # the centre spot on the serve.
    def court_y(y):
        return (5.0 - y) / 11.5 * H

    top, bottom = court_y(4.9) - lw / 2, court_y(-6.1) + lw / 2
    d.rectangle([inset, top, W - inset - 1, bottom], outline=line, width=lw)
    # lane lines (dashed) in front of the paddles
    dash, gap = 14 * ss, 10 * ss
    for fx in (lane, 1 - lane):
        x = X(fx)
        y = top + lw
        while y < bottom - lw:
            y2 = min(y + dash, bottom - lw)
            d.rectangle([x - thin / 2, y, x + thin / 2, y2], fill=dim_line)
            y += dash + gap
    # centre line: a double "net" line
    cx, cy = W / 2.0, court_y(0.0)
    d.rectangle([cx - lw * 0.5, top, cx + lw * 0.5, bottom], fill=line)
    for off in (-lw * 2.2, lw * 2.2):
        d.rectangle([cx + off - thin / 2, top, cx + off + thin / 2, bottom], fill=dim_line)
    # centre circle and spot
    r = 72 * ss
    d.ellipse([cx - r, cy - r, cx + r, cy + r], outline=line, width=int(thin * 1.5))
    r2 = 7 * ss
    d.ellipse([cx - r2, cy - r2, cx + r2, cy + r2], fill=line)
    # half-court lines, from the lanes to the circle
    for x0, x1 in ((X(lane) + thin, cx - r), (cx + r, X(1 - lane) - thin)):
        d.rectangle([x0, cy - thin / 2, x1, cy + thin / 2], fill=dim_line)
    # short ticks on the border at the quarter marks
    for fx in (0.25, 0.75):
        x = X(fx)
        for y0, y1 in ((top, top + 16 * ss), (bottom - 16 * ss, bottom)):
            d.rectangle([x - thin / 2, y0, x + thin / 2, y1], fill=line)

    out = img.resize((512, 512), Image.LANCZOS)
    out = add_grain(out, 1001, 3)
    out = limit_levels(out)
    save_bmp(out, "gfx/background.bmp")


# --------------------------------------------------------------------------
# p1.bmp / p2.bmp: the paddles

def build_paddle(base, path):
    w, h = 32, 128
    img = Image.new("RGB", (w, h))
    px = img.load()
    hi = mix(base, (250, 250, 250), 0.55)
    lo = scale_rgb(base, 0.42)
    cap = 10  # rows of bevel at each end
    for j in range(h):
        # distance to the nearest end, 0 at the very end row
        e = min(j + 0.5, h - j - 0.5)
        end_t = smoothstep(0, cap, e)
        for i in range(w):
            # horizontal position -1..1 across the bar: a rounded profile
            x = (i + 0.5) / w * 2 - 1
            prof = math.sqrt(max(0.0, 1 - x * x))
            c = mix(lo, base, min(1.0, 0.25 + prof))
            # glossy band along the middle
            band = math.exp(-((x / 0.28) ** 2)) * 0.65
            c = mix(c, hi, band)
            # rim line on each long side
            if i in (0, w - 1):
                c = scale_rgb(lo, 0.7)
            # rounded-looking ends: darken and lift the very tip a little
            c = mix(scale_rgb(lo, 0.65), c, 0.35 + 0.65 * end_t)
            if j in (0, h - 1):
                c = scale_rgb(lo, 0.6)
            px[i, j] = c
    img = limit_levels(img)
    # the game reads the corner pixels as opacity: they must not be keyed
    for p in ((0, 0), (w - 1, 0), (0, h - 1), (w - 1, h - 1)):
        r, _, b = img.getpixel(p)
        assert not (r == 255 and b == 255)
    save_bmp(img, path)


# --------------------------------------------------------------------------
# pileczka.bmp: the ball

def build_ball():
    size = 32
    # the ball nearly fills the tile so little of the court-coloured
    # corners shows when it crosses a line
    ball = shaded_sphere_rgba(size)
    img = Image.new("RGB", (size, size), COURT)
    img.paste(ball, (0, 0), ball)
    img = limit_levels(img)
    save_bmp(img, "gfx/pileczka.bmp")


# --------------------------------------------------------------------------
# start.bmp: the menu background

class Camera(object):
    """Pin-hole camera over the ground plane (y up, z into the screen)."""

    def __init__(self, cx, hy, f, height, x_shift):
        self.cx, self.hy, self.f, self.h, self.xs = cx, hy, f, height, x_shift

    def project(self, x, z, y=0.0):
        return (self.cx + self.f * (x + self.xs) / z,
                self.hy + self.f * (self.h - y) / z)

    def quad(self, pts, y=0.0):
        return [self.project(x, z, y) for x, z in pts]


def build_start():
    sw, sh = 800, 600
    ss = 2
    W, H = sw * ss, sh * ss

    # night sky: deep blue at the horizon, black at the top
    img = Image.new("RGB", (W, H), (0, 0, 0))
    top, horizon = (3, 4, 10), (16, 24, 52)
    hy = 0.40 * H
    grad = Image.new("RGB", (1, H))
    for j in range(H):
        t = smoothstep(0, hy, j) if j < hy else 1.0 - 0.6 * smoothstep(hy, H, j)
        grad.putpixel((0, j), mix(top, horizon, t))
    img = grad.resize((W, H), Image.NEAREST)

    # a few faint stars, seeded
    rng = random.Random(77)
    d = ImageDraw.Draw(img)
    for _ in range(140):
        x = rng.uniform(0, W)
        y = rng.uniform(0, hy * 0.95)
        b = rng.randint(30, 110)
        r = rng.choice((1, 1, 1, 2)) * ss * 0.6
        d.ellipse([x - r, y - r, x + r, y + r], fill=(b, b, min(250, b + 30)))

    # horizon glow
    img = ImageChops.add(img, glow((W, H), lambda g: g.ellipse(
        [W * 0.30, hy - 40 * ss, W * 1.10, hy + 40 * ss], fill=255), 40 * ss, (30, 50, 90)))

    # the court in perspective, a little to the right
    cam = Camera(cx=W * 0.66, hy=hy, f=520.0 * ss, height=1.35, x_shift=0.0)
    half_w, z0, z1 = 1.0, 2.0, 5.1          # court spans x -1..1, z 2.0..5.1
    zm = (z0 + z1) / 2.0
    d = ImageDraw.Draw(img)
    apron = 0.25
    d.polygon(cam.quad([(-half_w - apron, z0 - 0.6), (half_w + apron, z0 - 0.6),
                        (half_w + apron, z1 + apron), (-half_w - apron, z1 + apron)]),
              fill=scale_rgb(COURT, 0.45))
    d.polygon(cam.quad([(-half_w, z0), (half_w, z0), (half_w, z1), (-half_w, z1)]), fill=COURT)

    # fade the court into the distance
    fog = Image.new("RGB", (W, H), horizon)
    fog_mask = linear_mask((W, H), hy + 150 * ss, hy + 10 * ss, horizontal=False)
    img = Image.composite(fog, img, fog_mask.point(lambda v: v * 0.55))
    d = ImageDraw.Draw(img)

    def ground_line(xa, za, xb, zb, width, colour):
        # a line on the ground as a thin world-space quad
        dx, dz = xb - xa, zb - za
        ln = math.hypot(dx, dz)
        nx, nz = -dz / ln * width / 2, dx / ln * width / 2
        d.polygon(cam.quad([(xa + nx, za + nz), (xb + nx, zb + nz),
                            (xb - nx, zb - nz), (xa - nx, za - nz)]), fill=colour)

    lw = 0.045
    line = mix(COURT_LINE, horizon, 0.1)
    ground_line(-half_w, z0, half_w, z0, lw, line)
    ground_line(-half_w, z1, half_w, z1, lw, line)
    ground_line(-half_w, z0, -half_w, z1, lw, line)
    ground_line(half_w, z0, half_w, z1, lw, line)
    ground_line(-half_w, zm, half_w, zm, lw * 1.1, line)
    ground_line(0, z0, 0, z1, lw * 0.5, mix(COURT, line, 0.5))
    # centre circle
    pts = []
    for k in range(73):
        a = k / 72.0 * 2 * math.pi
        pts.append((0.42 * math.cos(a), zm + 0.42 * math.sin(a)))
    for (xa, za), (xb, zb) in zip(pts, pts[1:]):
        ground_line(xa, za, xb, zb, lw * 0.8, line)

    # the paddles: low boxes standing on the end lines
    def paddle_box(xc, zc, colour, length=0.55, depth=0.07, height=0.10):
        x0, x1 = xc - length / 2, xc + length / 2
        za, zb = zc - depth / 2, zc + depth / 2
        side = scale_rgb(colour, 0.55)
        topc = mix(colour, (250, 250, 250), 0.35)
        d.polygon(cam.quad([(x0, za), (x1, za)], 0) + cam.quad([(x1, za), (x0, za)], height),
                  fill=colour)
        d.polygon(cam.quad([(x0, za), (x0, zb)], 0) + cam.quad([(x0, zb), (x0, za)], height),
                  fill=side)
        d.polygon(cam.quad([(x0, za), (x1, za), (x1, zb), (x0, zb)], height), fill=topc)

    far_paddle = (0.35, z1 - 0.12)
    near_paddle = (-0.30, z0 + 0.12)

    # glows under the paddles
    for (px_, pz), col in ((far_paddle, P1_BLUE), (near_paddle, P2_RED)):
        sx, sy = cam.project(px_, pz)
        rx = 0.45 * cam.f / pz
        ry = rx * 0.35
        img = ImageChops.add(img, glow((W, H), lambda g: g.ellipse(
            [sx - rx, sy - ry, sx + rx, sy + ry], fill=170), 14 * ss, scale_rgb(col, 0.6)))
    d = ImageDraw.Draw(img)
    paddle_box(far_paddle[0], far_paddle[1], P1_BLUE)

    # the ball's flight: from the near paddle towards the far one
    def flight(t):
        x = near_paddle[0] + (0.15 - near_paddle[0]) * t
        z = near_paddle[1] + 0.1 + (3.4 - near_paddle[1]) * t
        y = 0.10 + 0.55 * math.sin(math.pi * min(1.0, t * 0.95))
        return x, z, y

    ball_t = 0.78
    bx, bz, by = flight(ball_t)
    # shadow on the court
    sx, sy = cam.project(bx, bz)
    rr = 0.09 * cam.f / bz
    shadow = Image.new("L", (W, H), 0)
    ImageDraw.Draw(shadow).ellipse([sx - rr, sy - rr * 0.4, sx + rr, sy + rr * 0.4], fill=150)
    shadow = shadow.filter(ImageFilter.GaussianBlur(4 * ss))
    img = Image.composite(Image.new("RGB", (W, H), (4, 16, 14)), img, shadow)

    # trail: fading glowing dots
    trail = Image.new("RGB", (W, H), (0, 0, 0))
    td = ImageDraw.Draw(trail)
    steps = 26
    for k in range(steps):
        t = ball_t * k / float(steps)
        x, z, y = flight(t)
        qx, qy = cam.project(x, z, y)
        a = (k + 1) / float(steps)
        r = 0.07 * cam.f / z * (0.35 + 0.65 * a)
        c = scale_rgb((250, 190, 60), 0.15 + 0.55 * a * a)
        td.ellipse([qx - r, qy - r, qx + r, qy + r], fill=c)
    trail = trail.filter(ImageFilter.GaussianBlur(3 * ss))
    img = ImageChops.add(img, trail)

    # the ball with a halo
    qx, qy = cam.project(bx, bz, by)
    r = 0.09 * cam.f / bz
    img = ImageChops.add(img, glow((W, H), lambda g: g.ellipse(
        [qx - r * 2.2, qy - r * 2.2, qx + r * 2.2, qy + r * 2.2], fill=255), 12 * ss, (90, 60, 10)))
    ball = shaded_sphere_rgba(int(2 * r), rim_dark=0.1)
    img.paste(ball, (int(qx - r), int(qy - r)), ball)

    d = ImageDraw.Draw(img)
    paddle_box(near_paddle[0], near_paddle[1], P2_RED, length=0.5)

    # keep the left side dark: the title and the menu lines are added there
    # (additive yellow and red text needs a near-black ground)
    dark = Image.new("RGB", (W, H), (0, 0, 0))
    left = linear_mask((W, H), 290 * ss, 420 * ss)
    # a floor of 14% so the stars still twinkle faintly behind the menu
    left = left.point(lambda v: 36 + v * (255 - 36) // 255)
    img = Image.composite(img, dark, left)

    out = img.resize((512, 512), Image.LANCZOS)
    out = limit_levels(out)
    save_bmp(out, "gfx/start.bmp")


# --------------------------------------------------------------------------
# qor.bmp: the intro logo

def build_logo():
    # Shown on a ~386 x 241 rectangle; drawn in those proportions and
    # squeezed into 512 x 256.
    sw, sh = 386, 241
    ss = 4
    W, H = sw * ss, sh * ss
    img = Image.new("RGB", (W, H), (0, 0, 0))

    font = ImageFont.truetype(SANS_BOLD, 100 * ss)
    text = "Rallyo"
    tb = font.getbbox(text, anchor="ls")
    tw = tb[2] - tb[0]
    tx = (W - tw) / 2.0 - tb[0]
    base_y = 130 * ss

    mask = Image.new("L", (W, H), 0)
    ImageDraw.Draw(mask).text((tx, base_y), text, font=font, fill=255, anchor="ls")

    # warm glow behind the letters
    halo = mask.filter(ImageFilter.MaxFilter(2 * ss + 1)).filter(ImageFilter.GaussianBlur(9 * ss))
    img = Image.composite(Image.new("RGB", (W, H), (150, 60, 10)), img, halo.point(lambda v: v * 0.8))

    # dark outline
    outline = mask.filter(ImageFilter.MaxFilter(2 * ss + 1))
    img = Image.composite(Image.new("RGB", (W, H), (40, 14, 2)), img, outline)

    # letters: vertical gradient, pale yellow to deep orange, with a shine
    y_top, y_bot = base_y + tb[1], base_y + tb[3]
    grad = Image.new("RGB", (1, H))
    for j in range(H):
        t = smoothstep(y_top, y_bot, j)
        c = mix((250, 240, 150), (246, 196, 40), smoothstep(0.0, 0.5, t))
        c = mix(c, (220, 90, 10), smoothstep(0.5, 1.0, t))
        grad.putpixel((0, j), c)
    grad = grad.resize((W, H), Image.NEAREST)
    img = Image.composite(grad, img, mask)
    # a thin bright line across the upper third of the letters
    shine = Image.new("L", (W, H), 0)
    sy = y_top + (y_bot - y_top) * 0.30
    ImageDraw.Draw(shine).rectangle([0, sy, W, sy + 2 * ss], fill=110)
    shine = ImageChops.multiply(shine, mask.filter(ImageFilter.MinFilter(2 * ss + 1)))
    img = Image.composite(Image.new("RGB", (W, H), (250, 250, 230)), img, shine)

    # motif below the word: two paddles and the ball bouncing between them
    d = ImageDraw.Draw(img)
    my = 186 * ss
    pw, ph = 9 * ss, 42 * ss
    lx, rx = 56 * ss, W - 56 * ss
    def bar(x, colour):
        d.rounded_rectangle([x - pw / 2, my - ph / 2, x + pw / 2, my + ph / 2],
                            radius=2 * ss, fill=colour)
        d.rectangle([x - pw * 0.15, my - ph / 2 + 3 * ss, x + pw * 0.15, my + ph / 2 - 3 * ss],
                    fill=mix(colour, (250, 250, 250), 0.45))
    bar(lx, P2_RED)
    bar(rx, P1_BLUE)

    # dotted path of the ball: a shallow zig-zag from the left paddle
    bx, by = W * 0.70, my - 10 * ss
    path = [(lx + pw, my + 8 * ss), (W * 0.40, my + 18 * ss), (bx, by)]
    dots = []
    for (xa, ya), (xb, yb) in zip(path, path[1:]):
        n = int(math.hypot(xb - xa, yb - ya) / (7 * ss))
        for k in range(n):
            t = k / float(n)
            dots.append((xa + (xb - xa) * t, ya + (yb - ya) * t))
    for k, (x, y) in enumerate(dots):
        a = (k + 1) / float(len(dots))
        r = (0.8 + 1.2 * a) * ss
        c = scale_rgb((246, 204, 90), 0.25 + 0.75 * a)
        d.ellipse([x - r, y - r, x + r, y + r], fill=c)

    br = 11 * ss
    img = ImageChops.add(img, glow((W, H), lambda g: g.ellipse(
        [bx - br * 1.8, by - br * 1.8, bx + br * 1.8, by + br * 1.8], fill=255), 6 * ss, (110, 70, 10)))
    ball = shaded_sphere_rgba(2 * br, rim_dark=0.1)
    img.paste(ball, (int(bx - br), int(by - br)), ball)

    out = img.resize((512, 256), Image.LANCZOS)
    out = limit_levels(out)
    # the intro fades from and to the corner colour: pure black
    for p in ((0, 0), (511, 0), (0, 255), (511, 255)):
        out.putpixel(p, (0, 0, 0))
    save_bmp(out, "gfx/qor.bmp")


# --------------------------------------------------------------------------
# rallyo.ico / rallyo.png: 32 x 32, 16 colours

ICON_PALETTE = [
    (0, 0, 0),        # 0  transparent area / black
    (10, 34, 30),     # 1  court border
    (22, 82, 68),     # 2  court
    (40, 40, 40),     # 3  (unused)
    (226, 232, 222),  # 4  lines
    (120, 18, 16),    # 5  red paddle, dark
    (222, 52, 40),    # 6  red paddle
    (250, 150, 130),  # 7  red paddle, shine
    (20, 48, 130),    # 8  blue paddle, dark
    (46, 112, 232),   # 9  blue paddle
    (150, 190, 250),  # 10 blue paddle, shine
    (176, 92, 8),     # 11 ball, shadow side
    (246, 204, 40),   # 12 ball
    (252, 248, 206),  # 13 ball, highlight
    (90, 130, 118),   # 14 dim line
    (14, 56, 46),     # 15 ball shadow on the court
]


def icon_pixels():
    """Return (indices, opaque) lists of 32*32 entries, rows top to bottom."""
    n = 32
    idx = [[2] * n for _ in range(n)]
    opaque = [[True] * n for _ in range(n)]
    rad = 5.0
    for j in range(n):
        for i in range(n):
            # rounded tile: outside the corner arcs is transparent
            cx = min(max(i + 0.5, rad), n - rad)
            cy = min(max(j + 0.5, rad), n - rad)
            dist = math.hypot(i + 0.5 - cx, j + 0.5 - cy)
            if dist > rad:
                opaque[j][i] = False
                idx[j][i] = 0
                continue
            if dist > rad - 1.2 or i in (0, n - 1) or j in (0, n - 1):
                idx[j][i] = 1
                continue
    # border line and dashed centre line
    for k in range(2, n - 2):
        for (i, j) in ((k, 2), (k, n - 3)):
            idx[j][i] = 4
    for k in range(3, n - 3):
        idx[k][2] = idx[k][n - 3] = 14
    for j in range(3, n - 3):
        if (j // 2) % 2 == 0:
            idx[j][15] = idx[j][16] = 4
    # paddles: left red (player 2), right blue (player 1)
    def paddle(x0, y0, y1, dark, mid, shine):
        for j in range(y0, y1 + 1):
            idx[j][x0] = dark
            idx[j][x0 + 1] = shine
            idx[j][x0 + 2] = mid
            idx[j][x0 + 3] = dark
        for x in range(x0, x0 + 4):
            idx[y0][x] = dark
            idx[y1][x] = dark
    paddle(4, 5, 17, 5, 6, 7)
    paddle(24, 14, 26, 8, 9, 10)
    # the ball in flight, its shadow on the court below it
    bx, by, br = 18.5, 10.5, 4.3
    for j in range(n):
        for i in range(n):
            if math.hypot((i + 0.5 - (bx + 1.0)) / 3.9, (j + 0.5 - (by + 7.0)) / 1.5) < 1.0 \
                    and idx[j][i] in (2, 4):
                idx[j][i] = 15
    for j in range(n):
        for i in range(n):
            x, y = i + 0.5 - bx, j + 0.5 - by
            q = math.hypot(x, y) / br
            if q > 1.0:
                continue
            if math.hypot(x + 1.4, y + 1.4) < 1.3:
                idx[j][i] = 13
            elif q > 0.62 and (x + y) > 0.8:
                idx[j][i] = 11
            else:
                idx[j][i] = 12
    return idx, opaque


def build_icon():
    idx, opaque = icon_pixels()
    n = 32
    assert len(ICON_PALETTE) == 16

    # .ico: ICONDIR, one ICONDIRENTRY, BITMAPINFOHEADER (height doubled for
    # the XOR + AND masks), 16-colour palette, 4-bpp XOR bitmap bottom-up,
    # 1-bpp AND mask bottom-up, rows padded to 4 bytes.
    xor_row = (n * 4 + 31) // 32 * 4
    and_row = (n + 31) // 32 * 4
    xor = bytearray()
    andm = bytearray()
    for j in reversed(range(n)):
        row = bytearray()
        for i in range(0, n, 2):
            row.append((idx[j][i] << 4) | idx[j][i + 1])
        row += b"\0" * (xor_row - len(row))
        xor += row
        bits = bytearray(and_row)
        for i in range(n):
            if not opaque[j][i]:
                bits[i // 8] |= 0x80 >> (i % 8)
        andm += bits
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in ICON_PALETTE)
    image_size = len(xor) + len(andm)
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 4, 0, image_size, 0, 0, 16, 0)
    body = header + palette + bytes(xor) + bytes(andm)
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", n, n, 16, 0, 1, 4, len(body), 6 + 16)
    with open("data/rallyo.ico", "wb") as f:
        f.write(icondir + entry + body)
    print("wrote %-20s %d bytes" % ("data/rallyo.ico", 6 + 16 + len(body)))

    png = Image.new("RGBA", (n, n))
    for j in range(n):
        for i in range(n):
            r, g, b = ICON_PALETTE[idx[j][i]]
            png.putpixel((i, j), (r, g, b, 255 if opaque[j][i] else 0))
    png.save("data/rallyo.png", "PNG", optimize=True)
    print("wrote %-20s %dx%d" % ("data/rallyo.png", n, n))

    # The web page's home-screen icons: the same picture, each of its pixels
    # a square block, so it stays as crisp as the small one.
    for size in (192, 512):
        path = "data/rallyo-%d.png" % size
        png.resize((size, size), Image.NEAREST).save(path, "PNG", optimize=True)
        print("wrote %-20s %dx%d" % (path, size, size))


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    os.chdir(root)
    for sub in ("gfx", "data"):
        if not os.path.isdir(sub):
            os.makedirs(sub)
    build_font()
    build_background()
    build_paddle(P1_BLUE, "gfx/p1.bmp")
    build_paddle(P2_RED, "gfx/p2.bmp")
    build_ball()
    build_start()
    build_logo()
    build_icon()


if __name__ == "__main__":
    main()
