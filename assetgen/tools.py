#!/usr/bin/python3
"""Draws the six 256x256 tool pictures: hammer raised (40) and striking (41),
lighter upright (50) and tilted (51), rifle (60) and rifle firing (61).

A tool picture is drawn with its top-left corner at the mouse, so each tool's
working point sits near (0, 0):
  - striking hammer: striking face centred near (20, 25), where the crack lands;
  - upright lighter: chimney under the flame frame drawn at (125, 12), wick near
    (170, 72); tilted lighter: wick near (130, 30), where poured fires start;
  - rifle: bore axis and red beam run from the muzzle to (0, 0); bullets land at
    (0, 17); the firing picture adds a muzzle flash only where the plain rifle
    is transparent, since the plain rifle is drawn over it.

Also holds the small rendering helpers shared by effects.py and panel.py.
Run without arguments; writes assets/images/{40,41,50,51,60,61}.png.
"""
import math
from pathlib import Path

import cairo
import numpy as np
from PIL import Image

ROOT = Path(__file__).resolve().parent.parent
IMAGES = ROOT / "assets" / "images"
SIZE = 256

# ---------------------------------------------------------------------------
# Rendering helpers (premultiplied float RGBA layers, H x W x 4, values 0..1)


def render(w, h, draw):
    """Runs draw(ctx) on a transparent w x h cairo surface; returns a layer."""
    surf = cairo.ImageSurface(cairo.FORMAT_ARGB32, w, h)
    ctx = cairo.Context(surf)
    draw(ctx)
    surf.flush()
    stride = surf.get_stride()
    buf = np.frombuffer(surf.get_data(), np.uint8).reshape(h, stride)
    buf = buf[:, : w * 4].reshape(h, w, 4).astype(np.float64) / 255.0
    # cairo stores premultiplied B, G, R, A bytes on little-endian machines.
    return np.stack([buf[..., 2], buf[..., 1], buf[..., 0], buf[..., 3]], axis=-1)


def over(top, bottom):
    """Porter-Duff 'over' of two premultiplied layers."""
    return top + bottom * (1.0 - top[..., 3:4])


def blur(a, radius):
    """Approximate Gaussian blur of a 2-D array: three box passes each way."""
    r = max(1, int(round(radius)))
    out = a.astype(np.float64)
    for axis in (0, 1):
        for _ in range(3):
            pad = [(0, 0), (0, 0)]
            pad[axis] = (r, r)
            p = np.pad(out, pad)
            c = np.cumsum(p, axis=axis)
            c = np.concatenate([np.zeros_like(np.take(c, [0], axis=axis)), c], axis=axis)
            n = out.shape[axis]
            hi = np.take(c, np.arange(2 * r + 1, 2 * r + 1 + n), axis=axis)
            lo = np.take(c, np.arange(0, n), axis=axis)
            out = (hi - lo) / (2 * r + 1)
    return out


def shadow(layer, dx, dy, radius, opacity, colour=(0.0, 0.0, 0.0)):
    """A soft drop shadow of a layer, offset by (dx, dy)."""
    a = layer[..., 3]
    shifted = np.zeros_like(a)
    h, w = a.shape
    shifted[max(0, dy):h + min(0, dy), max(0, dx):w + min(0, dx)] = \
        a[max(0, -dy):h - max(0, dy), max(0, -dx):w - max(0, dx)]
    s = np.clip(blur(shifted, radius) * opacity, 0.0, 1.0)
    return np.stack([s * colour[0], s * colour[1], s * colour[2], s], axis=-1)


def to_rgba8(layer, min_alpha=2):
    """Premultiplied float layer -> straight 8-bit RGBA; near-invisible pixels
    become exactly transparent (0, 0, 0, 0)."""
    a = np.clip(layer[..., 3], 0.0, 1.0)
    a8 = np.round(a * 255.0).astype(np.int64)
    out = np.zeros(layer.shape[:2] + (4,), np.uint8)
    safe = np.where(a > 0, a, 1.0)
    for i in range(3):
        out[..., i] = np.clip(np.round(layer[..., i] / safe * 255.0), 0, 255)
    a8[a8 < min_alpha] = 0
    out[..., 3] = a8
    out[a8 == 0] = 0
    return out


def save_png(rgba, path):
    """8-bit RGBA (colour type 6), non-interlaced, no metadata."""
    path = Path(path)
    path.parent.mkdir(parents=True, exist_ok=True)
    Image.fromarray(np.ascontiguousarray(rgba, np.uint8), "RGBA").save(path, format="PNG")


def hexrgb(s, a=1.0):
    s = s.lstrip("#")
    return (int(s[0:2], 16) / 255.0, int(s[2:4], 16) / 255.0, int(s[4:6], 16) / 255.0, a)


def lin(x0, y0, x1, y1, stops):
    g = cairo.LinearGradient(x0, y0, x1, y1)
    for off, col in stops:
        g.add_color_stop_rgba(off, *(hexrgb(col) if isinstance(col, str) else col))
    return g


def rad(x0, y0, r0, x1, y1, r1, stops):
    g = cairo.RadialGradient(x0, y0, r0, x1, y1, r1)
    for off, col in stops:
        g.add_color_stop_rgba(off, *(hexrgb(col) if isinstance(col, str) else col))
    return g


def round_rect(ctx, x, y, w, h, r_tl, r_tr=None, r_br=None, r_bl=None):
    r_tr = r_tl if r_tr is None else r_tr
    r_br = r_tl if r_br is None else r_br
    r_bl = r_tl if r_bl is None else r_bl
    ctx.new_sub_path()
    ctx.arc(x + w - r_tr, y + r_tr, r_tr, -math.pi / 2, 0) if r_tr else ctx.move_to(x + w, y)
    ctx.arc(x + w - r_br, y + h - r_br, r_br, 0, math.pi / 2) if r_br else ctx.line_to(x + w, y + h)
    ctx.arc(x + r_bl, y + h - r_bl, r_bl, math.pi / 2, math.pi) if r_bl else ctx.line_to(x, y + h)
    ctx.arc(x + r_tl, y + r_tl, r_tl, math.pi, 1.5 * math.pi) if r_tl else ctx.line_to(x, y)
    ctx.close_path()


def fill_stroke(ctx, fill, stroke=(0, 0, 0, 0.55), width=1.0):
    ctx.set_source(fill) if isinstance(fill, cairo.Pattern) else ctx.set_source_rgba(*fill)
    ctx.fill_preserve()
    if stroke is not None:
        ctx.set_source_rgba(*stroke)
        ctx.set_line_width(width)
        ctx.stroke()
    else:
        ctx.new_path()


# ---------------------------------------------------------------------------
# Hammer. Local frame: centre of the striking face at (0, 0), head along +x,
# handle hanging down (+y) from the eye at x = HANDLE_X.

HANDLE_X = 57.0
HANDLE_END = 212.0


def _hammer_head_path(ctx):
    ctx.move_to(0.0, -12.5)
    ctx.line_to(3.0, -15.5)                 # chamfer round the face
    ctx.line_to(11.0, -16.0)
    ctx.curve_to(19.0, -16.0, 24.0, -11.0, 31.0, -11.0)   # bell into the neck
    ctx.curve_to(35.0, -11.0, 36.0, -17.0, 41.0, -17.0)   # neck up to the eye block
    ctx.line_to(73.0, -17.0)
    ctx.curve_to(96.0, -17.0, 116.0, -6.0, 127.0, 29.0)    # back of the claw
    ctx.curve_to(127.5, 30.5, 125.5, 31.0, 124.5, 30.0)    # claw tip
    ctx.curve_to(113.0, 15.0, 98.0, 11.0, 80.0, 15.5)      # inside of the claw
    ctx.line_to(76.0, 16.0)
    ctx.line_to(41.0, 16.0)
    ctx.curve_to(36.0, 16.0, 35.0, 11.0, 31.0, 11.0)
    ctx.curve_to(24.0, 11.0, 19.0, 16.0, 11.0, 16.0)
    ctx.line_to(3.0, 15.5)
    ctx.line_to(0.0, 12.5)
    ctx.curve_to(-1.0, 5.0, -1.0, -5.0, 0.0, -12.5)        # slightly domed face
    ctx.close_path()


def _handle_path(ctx):
    # Half-widths down the handle: a swell under the head, a slim waist and a
    # flared grip end.
    prof = [(8.0, 11.5), (30.0, 10.2), (70.0, 9.0), (120.0, 8.8), (160.0, 10.5),
            (190.0, 12.0), (204.0, 12.3)]
    xs = HANDLE_X
    ctx.move_to(xs - prof[0][1], prof[0][0])
    for y, hw in prof[1:]:
        ctx.line_to(xs - hw, y)
    ctx.curve_to(xs - 12.3, HANDLE_END, xs - 6.0, HANDLE_END + 1.0, xs, HANDLE_END + 1.0)
    ctx.curve_to(xs + 6.0, HANDLE_END + 1.0, xs + 12.3, HANDLE_END, xs + 12.3, 204.0)
    for y, hw in reversed(prof[:-1]):
        ctx.line_to(xs + hw, y)
    ctx.close_path()


def draw_hammer(ctx, seed=7):
    rng = np.random.default_rng(seed)
    # Handle: hickory, shaded as a cylinder lit from the upper left.
    _handle_path(ctx)
    wood = lin(HANDLE_X - 12.5, 0, HANDLE_X + 12.5, 0, [
        (0.0, "#7a4a1c"), (0.18, "#c98d4a"), (0.38, "#f1c988"), (0.55, "#dca766"),
        (0.82, "#a5692e"), (1.0, "#5e3612")])
    fill_stroke(ctx, wood, (0.22, 0.12, 0.04, 0.85), 1.1)
    ctx.save()
    _handle_path(ctx)
    ctx.clip()
    # Grain: long wavy lines along the handle.
    for i in range(14):
        x = HANDLE_X - 10.0 + 20.0 * (i + rng.uniform(-0.3, 0.3)) / 13.0
        ctx.move_to(x, 8)
        y = 8.0
        while y < HANDLE_END:
            y2 = y + rng.uniform(14, 30)
            ctx.curve_to(x + rng.uniform(-1.2, 1.2), y + 6, x + rng.uniform(-1.2, 1.2), y2 - 6,
                         x + rng.uniform(-0.6, 0.6), y2)
            y = y2
        ctx.set_source_rgba(0.35, 0.18, 0.05, rng.uniform(0.12, 0.3))
        ctx.set_line_width(rng.uniform(0.5, 1.1))
        ctx.stroke()
    # A few darker flecks.
    for _ in range(10):
        x = HANDLE_X + rng.uniform(-8, 8)
        y = rng.uniform(30, 200)
        ctx.save()
        ctx.translate(x, y)
        ctx.scale(0.6, 3.0)
        ctx.arc(0, 0, 1.0, 0, 2 * math.pi)
        ctx.restore()
        ctx.set_source_rgba(0.3, 0.15, 0.04, 0.35)
        ctx.fill()
    # Varnish sheen.
    ctx.rectangle(HANDLE_X - 5.5, 10, 3.0, HANDLE_END - 14)
    ctx.set_source(lin(0, 10, 0, HANDLE_END, [(0, (1, 1, 1, 0.0)), (0.15, (1, 1, 1, 0.45)),
                                               (0.6, (1, 1, 1, 0.25)), (1, (1, 1, 1, 0.0))]))
    ctx.fill()
    # Shadow cast by the head onto the handle.
    ctx.rectangle(HANDLE_X - 14, 14, 28, 10)
    ctx.set_source(lin(0, 15, 0, 24, [(0, (0, 0, 0, 0.55)), (1, (0, 0, 0, 0.0))]))
    ctx.fill()
    ctx.restore()

    # Head: forged steel, lit from above.
    _hammer_head_path(ctx)
    steel = lin(0, -17, 0, 16, [
        (0.0, "#8d969f"), (0.1, "#eef2f5"), (0.24, "#b4bcc4"), (0.5, "#5f6870"),
        (0.78, "#3a4148"), (1.0, "#1d2227")])
    fill_stroke(ctx, steel, (0.05, 0.06, 0.08, 0.9), 1.2)
    ctx.save()
    _hammer_head_path(ctx)
    ctx.clip()
    # Claw: a darker bevel line along its inside edge, the slot seen edge-on.
    ctx.move_to(82.0, 10.5)
    ctx.curve_to(100.0, 7.0, 114.0, 12.0, 124.0, 27.0)
    ctx.set_source_rgba(0.05, 0.06, 0.07, 0.75)
    ctx.set_line_width(1.6)
    ctx.stroke()
    ctx.move_to(76.0, -15.0)
    ctx.curve_to(96.0, -14.0, 113.0, -4.0, 124.0, 26.0)
    ctx.set_source_rgba(1, 1, 1, 0.55)
    ctx.set_line_width(1.3)
    ctx.stroke()
    # Polished, slightly domed striking face.
    ctx.rectangle(-2, -17, 6.5, 34)
    ctx.set_source(lin(0, -16, 0, 16, [(0, "#c9d1d8"), (0.3, "#ffffff"), (0.55, "#c3cbd3"),
                                         (1, "#6d767f")]))
    ctx.fill()
    ctx.move_to(5.5, -15.5)
    ctx.line_to(5.5, 15.5)
    ctx.set_source_rgba(0.1, 0.12, 0.14, 0.55)
    ctx.set_line_width(1.0)
    ctx.stroke()
    # Long specular streak along the top.
    ctx.move_to(6.0, -12.5)
    ctx.curve_to(18.0, -12.5, 24.0, -8.5, 31.0, -8.5)
    ctx.curve_to(36.0, -8.5, 37.0, -13.5, 43.0, -13.5)
    ctx.line_to(72.0, -13.5)
    ctx.set_source_rgba(1, 1, 1, 0.8)
    ctx.set_line_width(1.6)
    ctx.stroke()
    # Eye block edges: the forging's flats.
    for x in (41.0, 73.0):
        ctx.move_to(x, -16.5)
        ctx.line_to(x, 15.5)
        ctx.set_source_rgba(0.0, 0.0, 0.0, 0.35)
        ctx.set_line_width(1.0)
        ctx.stroke()
        ctx.move_to(x + 1.0, -16.0)
        ctx.line_to(x + 1.0, 15.0)
        ctx.set_source_rgba(1, 1, 1, 0.25)
        ctx.stroke()
    ctx.restore()


def hammer_picture(angle_deg, face_at, speed_lines=False):
    """The hammer turned clockwise by angle_deg about its face, face placed at face_at."""
    def draw(ctx):
        ctx.translate(*face_at)
        ctx.rotate(math.radians(angle_deg))
        draw_hammer(ctx)
    layer = render(SIZE, SIZE, draw)
    if speed_lines:
        def lines(ctx):
            # Swish arcs trailing the head: it has just swung over from the right,
            # pivoting at the end of the handle.
            ctx.translate(*face_at)
            ctx.set_line_cap(cairo.LINE_CAP_ROUND)
            for r, a0, a1, alpha, width in ((226.0, -68.0, -56.0, 0.45, 2.0),
                                            (206.0, -66.0, -50.0, 0.6, 2.4),
                                            (186.0, -63.0, -51.0, 0.4, 1.8)):
                ctx.new_path()
                ctx.arc(HANDLE_X, HANDLE_END, r, math.radians(a0), math.radians(a1))
                ctx.set_source_rgba(0.5, 0.54, 0.6, alpha + 0.15)
                ctx.set_line_width(width)
                ctx.stroke()
        layer = over(render(SIZE, SIZE, lines), layer)
    sh = shadow(layer, 5, 7, 3.0, 0.35) if not speed_lines else shadow(layer, 3, 4, 2.0, 0.4)
    return over(layer, sh)


# ---------------------------------------------------------------------------
# Lighter: a brushed-chrome flip-top, lid hinged at the top left and flipped up
# beside the chimney, flint wheel on the right. Coordinates are those of the
# upright picture; WICK is where the flame's base sits.

WICK = (170.0, 72.0)
CASE = (138.0, 104.0, 84.0, 80.0)        # x, y, w, h of the lower case
CHIMNEY = (143.0, 67.0, 54.0, 38.0)      # x, y, w, h
HOLES = [(149.5 + 12.0 * c, 79.0 + 12.0 * r) for r in range(2) for c in range(4)]
HOLE_R = 3.6
LID_H = 44.0
LID_OPEN_DEG = 97.0                       # turned anticlockwise about the hinge
HINGE = (137.0, 104.0)

CHROME = [(0.0, "#7c8187"), (0.06, "#c9ced3"), (0.16, "#f7f9fa"), (0.3, "#b3b9bf"),
          (0.5, "#6f757c"), (0.66, "#9aa0a6"), (0.82, "#eceff1"), (0.93, "#c1c6cb"),
          (1.0, "#6a6f75")]


def _brush(ctx, x, y, w, h, rng, vertical=True, n=70):
    """Fine brushing marks over a chrome surface (call with a clip set)."""
    for _ in range(n):
        if vertical:
            px = x + rng.uniform(0, w)
            ctx.move_to(px, y)
            ctx.line_to(px + rng.uniform(-0.4, 0.4), y + h)
        else:
            py = y + rng.uniform(0, h)
            ctx.move_to(x, py)
            ctx.line_to(x + w, py + rng.uniform(-0.4, 0.4))
        c = 1.0 if rng.random() < 0.5 else 0.0
        ctx.set_source_rgba(c, c, c, rng.uniform(0.04, 0.12))
        ctx.set_line_width(rng.uniform(0.4, 0.9))
        ctx.stroke()


def _lid_path(ctx, w, h):
    # Lid closed: sits on the hinge line y = 0, spanning x 0..w, rounded on top.
    round_rect(ctx, 0, -h, w, h, 9.0, 9.0, 0.0, 0.0)


def draw_lighter(ctx, seed=11):
    rng = np.random.default_rng(seed)
    cx, cy, cw, chh = CASE
    # --- Lid, flipped open about the hinge.
    ctx.save()
    ctx.translate(*HINGE)
    ctx.rotate(-math.radians(LID_OPEN_DEG))
    ctx.translate(1.0, 0.0)
    _lid_path(ctx, cw, LID_H)
    fill_stroke(ctx, lin(0, -LID_H, 0, 0, [(0, "#6c7177"), (0.12, "#e3e7ea"), (0.3, "#fbfcfd"),
                                            (0.5, "#a9afb5"), (0.75, "#737980"), (0.92, "#c7ccd0"),
                                            (1, "#8a9096")]),
                (0.1, 0.11, 0.13, 0.85), 1.1)
    ctx.save()
    _lid_path(ctx, cw, LID_H)
    ctx.clip()
    _brush(ctx, 0, -LID_H, cw, LID_H, rng, vertical=False, n=45)
    # The open rim: a glimpse of the lid's dark inside along its lower edge.
    ctx.rectangle(1.5, -3.5, cw - 3, 3.5)
    ctx.set_source_rgba(0.12, 0.13, 0.15, 0.85)
    ctx.fill()
    ctx.rectangle(1.5, -5.0, cw - 3, 1.4)
    ctx.set_source_rgba(1, 1, 1, 0.55)
    ctx.fill()
    ctx.restore()
    # Cam lug near the hinge.
    round_rect(ctx, 2.0, -2.0, 9.0, 7.0, 2.0)
    fill_stroke(ctx, hexrgb("#8b9197"), (0.1, 0.1, 0.12, 0.8), 0.8)
    ctx.restore()

    # --- Insert top and chimney.
    x0, y0, w0, h0 = CHIMNEY
    # Flint wheel bracket on the right of the chimney.
    ctx.move_to(x0 + w0 - 1, y0 + 10)
    ctx.line_to(x0 + w0 + 19, y0 + 4)
    ctx.line_to(x0 + w0 + 22, y0 + 17)
    ctx.line_to(x0 + w0 + 21, y0 + h0)
    ctx.line_to(x0 + w0 - 1, y0 + h0)
    ctx.close_path()
    fill_stroke(ctx, lin(x0 + w0, 0, x0 + w0 + 22, 0, [(0, "#8e949a"), (0.5, "#e2e6e9"), (1, "#80868c")]),
                (0.1, 0.11, 0.13, 0.85), 1.0)
    # The chimney box with its two rows of holes cut out (the flame shows through).
    ctx.save()
    ctx.rectangle(x0, y0, w0, h0)
    for hx, hy in HOLES:
        ctx.new_sub_path()
        ctx.arc_negative(hx, hy, HOLE_R, 2 * math.pi, 0)
    ctx.set_fill_rule(cairo.FILL_RULE_EVEN_ODD)
    fill_stroke(ctx, lin(x0, 0, x0 + w0, 0, CHROME), (0.1, 0.11, 0.13, 0.85), 1.0)
    ctx.rectangle(x0, y0, w0, h0)
    for hx, hy in HOLES:
        ctx.new_sub_path()
        ctx.arc_negative(hx, hy, HOLE_R, 2 * math.pi, 0)
    ctx.clip()
    _brush(ctx, x0, y0, w0, h0, rng, vertical=True, n=40)
    # Top rim of the chimney.
    ctx.rectangle(x0, y0, w0, 2.2)
    ctx.set_source_rgba(1, 1, 1, 0.6)
    ctx.fill()
    ctx.restore()
    # Hole edges: a dark lower lip and a bright upper lip give them depth.
    for hx, hy in HOLES:
        ctx.new_path()
        ctx.arc(hx, hy, HOLE_R + 0.4, 0.1 * math.pi, 0.9 * math.pi)
        ctx.set_source_rgba(1, 1, 1, 0.7)
        ctx.set_line_width(1.0)
        ctx.stroke()
        ctx.arc(hx, hy, HOLE_R + 0.4, 1.1 * math.pi, 1.9 * math.pi)
        ctx.set_source_rgba(0.08, 0.08, 0.1, 0.8)
        ctx.stroke()
        # A faint dark tint inside so the holes read even over a flat desktop.
        ctx.arc(hx, hy, HOLE_R, 0, 2 * math.pi)
        ctx.set_source_rgba(0.05, 0.04, 0.03, 0.22)
        ctx.fill()

    # Flint wheel: knurled steel disc with a rivet.
    wx, wy, wr = x0 + w0 + 11.0, y0 + 11.0, 10.0
    ctx.arc(wx, wy, wr, 0, 2 * math.pi)
    fill_stroke(ctx, rad(wx - 3, wy - 3, 1, wx, wy, wr, [(0, "#d9dde0"), (0.6, "#8a9096"), (1, "#3b4045")]),
                (0.06, 0.06, 0.08, 0.9), 1.0)
    for i in range(24):
        a = 2 * math.pi * i / 24
        ctx.move_to(wx + (wr - 2.6) * math.cos(a), wy + (wr - 2.6) * math.sin(a))
        ctx.line_to(wx + wr * math.cos(a), wy + wr * math.sin(a))
    ctx.set_source_rgba(0.1, 0.1, 0.12, 0.8)
    ctx.set_line_width(1.0)
    ctx.stroke()
    ctx.arc(wx, wy, 3.0, 0, 2 * math.pi)
    fill_stroke(ctx, rad(wx - 1, wy - 1, 0.5, wx, wy, 3, [(0, "#ffffff"), (1, "#7d848a")]),
                (0.1, 0.1, 0.12, 0.9), 0.8)

    # Insert top plate, seen just above the case rim.
    ctx.rectangle(cx + 2, cy - 4, cw - 4, 5)
    fill_stroke(ctx, lin(cx, 0, cx + cw, 0, CHROME), (0.1, 0.11, 0.13, 0.8), 0.9)

    # --- Lower case.
    round_rect(ctx, cx, cy, cw, chh, 2.5, 2.5, 11.0, 11.0)
    fill_stroke(ctx, lin(cx, 0, cx + cw, 0, CHROME), (0.1, 0.11, 0.13, 0.9), 1.2)
    ctx.save()
    round_rect(ctx, cx, cy, cw, chh, 2.5, 2.5, 11.0, 11.0)
    ctx.clip()
    _brush(ctx, cx, cy, cw, chh, rng, vertical=True, n=110)
    # Rim of the case mouth and the soft bottom bevel.
    ctx.rectangle(cx, cy, cw, 3.0)
    ctx.set_source(lin(0, cy, 0, cy + 3, [(0, (1, 1, 1, 0.8)), (1, (0.2, 0.2, 0.22, 0.5))]))
    ctx.fill()
    ctx.rectangle(cx, cy + chh - 9, cw, 9)
    ctx.set_source(lin(0, cy + chh - 9, 0, cy + chh, [(0, (0, 0, 0, 0.0)), (1, (0, 0, 0, 0.35))]))
    ctx.fill()
    # A reflected window of light across the case.
    ctx.move_to(cx + 16, cy)
    ctx.line_to(cx + 30, cy)
    ctx.line_to(cx + 22, cy + chh)
    ctx.line_to(cx + 8, cy + chh)
    ctx.close_path()
    ctx.set_source_rgba(1, 1, 1, 0.22)
    ctx.fill()
    ctx.restore()
    # Engraved emblem: a small flame in an oval.
    ex, ey = cx + cw * 0.55, cy + chh * 0.55
    ctx.save()
    ctx.translate(ex, ey)
    ctx.scale(1.0, 1.25)
    ctx.arc(0, 0, 15, 0, 2 * math.pi)
    ctx.restore()
    ctx.set_source_rgba(0.15, 0.16, 0.18, 0.5)
    ctx.set_line_width(1.2)
    ctx.stroke()
    ctx.move_to(ex, ey - 13)
    ctx.curve_to(ex + 9, ey - 3, ex + 9, ey + 11, ex, ey + 12)
    ctx.curve_to(ex - 9, ey + 11, ex - 9, ey + 1, ex - 3, ey - 5)
    ctx.curve_to(ex - 2, ey - 1, ex, ey, ex + 1, ey - 3)
    ctx.curve_to(ex + 2, ey - 6, ex + 1, ey - 9, ex, ey - 13)
    ctx.close_path()
    ctx.set_source_rgba(0.15, 0.16, 0.18, 0.45)
    ctx.fill_preserve()
    ctx.set_source_rgba(1, 1, 1, 0.35)
    ctx.set_line_width(0.7)
    ctx.stroke()

    # --- Hinge barrel at the case's top left corner.
    hx, hy = HINGE
    round_rect(ctx, hx - 4.5, hy - 9, 9, 18, 4.0)
    fill_stroke(ctx, lin(hx - 4.5, 0, hx + 4.5, 0, [(0, "#5f656b"), (0.4, "#f2f4f6"), (1, "#6a7076")]),
                (0.08, 0.08, 0.1, 0.9), 0.9)
    for dy in (-3.0, 3.0):
        ctx.move_to(hx - 4.5, hy + dy)
        ctx.line_to(hx + 4.5, hy + dy)
    ctx.set_source_rgba(0.1, 0.1, 0.12, 0.7)
    ctx.set_line_width(0.8)
    ctx.stroke()


def lighter_picture(tilt_deg=0.0, wick_at=WICK):
    """The lighter turned anticlockwise by tilt_deg about its wick, wick placed at wick_at."""
    def draw(ctx):
        ctx.translate(*wick_at)
        ctx.rotate(-math.radians(tilt_deg))
        ctx.translate(-WICK[0], -WICK[1])
        draw_lighter(ctx)
    layer = render(SIZE, SIZE, draw)
    sh = shadow(layer, 5, 7, 3.0, 0.33)
    # No shadow inside the chimney: the flame behind must show through its holes.
    def chimney(ctx):
        ctx.translate(*wick_at)
        ctx.rotate(-math.radians(tilt_deg))
        ctx.translate(-WICK[0], -WICK[1])
        ctx.rectangle(CHIMNEY[0] - 2, CHIMNEY[1] - 2, CHIMNEY[2] + 4, CHIMNEY[3] + 2)
        ctx.fill()
    mask = render(SIZE, SIZE, chimney)[..., 3:4]
    sh = sh * (1.0 - mask)
    return over(layer, sh)


# ---------------------------------------------------------------------------
# Rifle: a carbine seen from its left side. Local frame: muzzle at (0, 0),
# bore along +u towards the stock, +v below the bore. K pixels per centimetre.

K = 2.7
RIFLE_ANGLE = math.radians(34.0)   # bore slope: the rifle points up and to the left
MUZZLE_DIST = 50.0                 # pixels from the mouse point to the muzzle
LENS = (6.9, 2.1)                  # laser lens, local centimetres

BLACK = [(0.0, "#5b6066"), (0.2, "#3a3e43"), (0.55, "#222529"), (1.0, "#101214")]


def _k(*pts):
    return [(u * K, v * K) for u, v in pts]


def _p(u, v):
    return (u * K, v * K)


def _poly(ctx, pts):
    ctx.move_to(*pts[0])
    for p in pts[1:]:
        ctx.line_to(*p)
    ctx.close_path()


def _part(ctx, pts, top, bottom, stops=BLACK, edge=(0.0, 0.0, 0.0, 0.9), width=0.9):
    _poly(ctx, _k(*pts))
    fill_stroke(ctx, lin(0, top * K, 0, bottom * K, stops), edge, width)


def _rim_light(ctx, pts, alpha=0.35, width=1.0):
    pts = _k(*pts)
    ctx.move_to(*pts[0])
    for p in pts[1:]:
        ctx.line_to(*p)
    ctx.set_source_rgba(0.85, 0.9, 0.95, alpha)
    ctx.set_line_width(width)
    ctx.stroke()


def draw_rifle(ctx, seed=5):
    rng = np.random.default_rng(seed)
    ctx.set_line_join(cairo.LINE_JOIN_ROUND)
    # Stock (collapsible) and buffer tube.
    _part(ctx, [(70.5, -1.3), (79.0, -1.3), (79.0, 1.5), (70.5, 1.5)], -1.3, 1.5)
    _part(ctx, [(73.0, -1.9), (86.0, -2.4), (86.6, -1.6), (87.0, 8.8), (85.5, 9.6), (80.0, 5.8),
                (76.0, 4.2), (73.0, 4.0)], -2.4, 9.6)
    _part(ctx, [(86.0, -2.6), (88.2, -2.6), (88.6, 9.2), (86.2, 9.9)], -2.6, 9.9,
          stops=[(0, "#4a4f55"), (1, "#17191c")])
    _rim_light(ctx, [(73.5, -1.6), (86.0, -2.1)], 0.4)
    # Sling slot in the stock.
    _poly(ctx, _k((80.0, 0.6), (84.0, 0.4), (84.3, 2.0), (81.0, 2.3)))
    ctx.set_source_rgba(0, 0, 0, 0.9)
    ctx.fill()

    # Magazine: curved box, leaning forward.
    _part(ctx, [(47.0, 3.4), (55.4, 3.4), (55.0, 10.0), (53.4, 19.5), (52.8, 20.4), (44.2, 18.6),
                (44.3, 17.6), (46.0, 10.0)], 3.4, 20.4,
          stops=[(0, "#474b50"), (0.5, "#2b2e32"), (1, "#141619")])
    for t in (0.35, 0.65):   # stiffening ribs
        ctx.move_to(*_p(46.8 - 2.2 * t, 8.5 + t * 9))
        ctx.line_to(*_p(54.8 - 1.7 * t, 8.5 + t * 9))
    ctx.set_source_rgba(1, 1, 1, 0.12)
    ctx.set_line_width(1.0)
    ctx.stroke()
    _rim_light(ctx, [(46.3, 10.0), (44.6, 18.0)], 0.35)

    # Pistol grip.
    _part(ctx, [(60.0, 3.0), (65.0, 3.0), (68.8, 12.6), (67.6, 13.4), (64.4, 13.2), (61.4, 6.0)],
          3.0, 13.4)
    for i in range(5):  # checkering
        u0 = 61.8 + i * 0.9
        ctx.move_to(*_p(u0 + 1.0, 5.0))
        ctx.line_to(*_p(u0 + 3.8, 12.2))
    ctx.set_source_rgba(1, 1, 1, 0.08)
    ctx.set_line_width(0.8)
    ctx.stroke()
    # Trigger guard and trigger.
    ctx.move_to(*_p(52.5, 3.4))
    pts = _k((52.5, 7.2), (60.5, 7.2), (61.2, 5.8))
    for p in pts:
        ctx.line_to(*p)
    ctx.set_source_rgba(0.09, 0.1, 0.11, 1)
    ctx.set_line_width(2.0)
    ctx.stroke()
    ctx.move_to(*_p(57.0, 3.3))
    ctx.curve_to(*_p(57.4, 4.6), *_p(57.0, 5.6), *_p(56.3, 6.2))
    ctx.set_source_rgba(0.05, 0.05, 0.06, 1)
    ctx.set_line_width(1.6)
    ctx.stroke()

    # Lower receiver and magazine well.
    _part(ctx, [(44.5, 1.0), (70.6, 1.0), (70.6, 3.2), (62.0, 3.6), (56.0, 3.8), (55.6, 5.4),
                (46.4, 5.4), (46.0, 3.6), (44.5, 3.2)], 1.0, 5.4)
    # Upper receiver.
    _part(ctx, [(42.0, -2.2), (71.0, -2.2), (71.0, 1.2), (42.0, 1.2)], -2.2, 1.2,
          stops=[(0, "#6a7077"), (0.25, "#43484e"), (1, "#1c1e21")])
    # Ejection port cover, forward assist, pins.
    _poly(ctx, _k((53.0, -1.4), (60.0, -1.4), (60.0, 0.5), (53.0, 0.5)))
    ctx.set_source_rgba(0.2, 0.21, 0.23, 1)
    ctx.fill_preserve()
    ctx.set_source_rgba(0, 0, 0, 0.9)
    ctx.set_line_width(0.7)
    ctx.stroke()
    for pu, pv in ((48.0, 2.4), (66.5, 2.2), (62.5, -0.5)):
        ctx.arc(pu * K, pv * K, 1.2, 0, 2 * math.pi)
        ctx.set_source_rgba(0.55, 0.58, 0.62, 1)
        ctx.fill()
    _rim_light(ctx, [(42.3, -2.0), (70.7, -2.0)], 0.5)
    # Carry handle with rear sight.
    _part(ctx, [(45.0, -2.2), (46.0, -5.6), (64.0, -5.6), (65.6, -4.6), (66.0, -2.2), (63.0, -2.2),
                (62.0, -4.0), (49.0, -4.0), (48.0, -2.2)], -5.6, -2.2)
    _part(ctx, [(60.5, -5.6), (61.0, -7.6), (64.0, -7.6), (64.6, -5.6)], -7.6, -5.6)
    _rim_light(ctx, [(46.2, -5.4), (63.8, -5.4)], 0.45)
    _rim_light(ctx, [(61.2, -7.4), (63.8, -7.4)], 0.45)

    # Barrel (exposed front part).
    _part(ctx, [(5.5, -0.75), (22.0, -0.75), (22.0, 0.75), (5.5, 0.75)], -0.75, 0.75,
          stops=[(0, "#70767d"), (0.4, "#34383d"), (1, "#121416")])
    # Front sight tower.
    _part(ctx, [(15.5, 0.9), (16.5, -1.2), (17.6, -5.8), (18.4, -7.6), (19.2, -7.6), (19.6, -5.8),
                (21.0, -1.6), (22.0, 0.9), (21.0, 2.4), (16.3, 2.4)], -7.6, 2.4)
    # The see-through window of the sight tower.
    _poly(ctx, _k((18.0, -5.0), (19.6, -5.0), (19.3, -3.4), (18.3, -3.4)))
    ctx.set_operator(cairo.OPERATOR_CLEAR)
    ctx.fill()
    ctx.set_operator(cairo.OPERATOR_OVER)
    _rim_light(ctx, [(17.7, -6.0), (18.5, -7.4), (19.1, -7.4)], 0.5)

    # Handguard: ribbed, round, with vent holes; delta ring behind it.
    hg0, hg1 = 22.5, 40.5
    _part(ctx, [(hg0, -2.4), (hg1, -2.6), (hg1, 2.8), (hg0, 2.5)], -2.6, 2.8,
          stops=[(0, "#5d6268"), (0.18, "#3f4348"), (0.6, "#23262a"), (1, "#0f1012")])
    ctx.save()
    _poly(ctx, _k((hg0, -2.4), (hg1, -2.6), (hg1, 2.8), (hg0, 2.5)))
    ctx.clip()
    for i in range(8):     # vent holes along the top and bottom halves
        u = hg0 + 1.6 + i * 2.15
        for v in (-1.2, 1.2):
            ctx.save()
            ctx.translate(u * K, v * K)
            ctx.scale(1.3, 0.9)
            ctx.arc(0, 0, 1.4, 0, 2 * math.pi)
            ctx.restore()
            ctx.set_source_rgba(0, 0, 0, 0.85)
            ctx.fill()
    for i in range(14):    # ribs
        u = hg0 + 0.6 + i * 1.3
        ctx.move_to(u * K, -2.5 * K)
        ctx.line_to(u * K, 2.7 * K)
        ctx.set_source_rgba(1, 1, 1, 0.07)
        ctx.set_line_width(0.8)
        ctx.stroke()
    ctx.restore()
    _rim_light(ctx, [(hg0 + 0.2, -2.2), (hg1 - 0.2, -2.4)], 0.45)
    _part(ctx, [(21.6, -2.6), (23.0, -2.8), (23.0, 3.0), (21.6, 2.6)], -2.8, 3.0)
    _part(ctx, [(40.0, -3.2), (42.5, -3.2), (42.5, 3.3), (40.0, 3.3)], -3.2, 3.3,
          stops=[(0, "#767c83"), (0.3, "#3b3f44"), (1, "#141618")])

    # Flash hider: birdcage with slots.
    _part(ctx, [(0.0, -1.1), (5.8, -1.1), (5.8, 1.1), (0.0, 1.1)], -1.1, 1.1,
          stops=[(0, "#6d737a"), (0.35, "#2f3338"), (1, "#0e1012")])
    for u in (0.9, 2.4):
        _poly(ctx, _k((u, -0.7), (u + 1.0, -0.7), (u + 1.0, 0.1), (u, 0.1)))
        ctx.set_source_rgba(0, 0, 0, 1)
        ctx.fill()
    ctx.move_to(0.5, -1.0 * K)
    ctx.line_to(0.5, 1.0 * K)
    ctx.set_source_rgba(0.7, 0.74, 0.8, 0.5)
    ctx.set_line_width(1.0)
    ctx.stroke()

    # Laser module clamped under the barrel just behind the flash hider.
    _part(ctx, [(6.6, 0.6), (14.5, 0.6), (14.5, 3.6), (7.4, 3.6), (6.6, 3.0)], 0.6, 3.6,
          stops=[(0, "#565b61"), (0.4, "#2c2f33"), (1, "#111315")])
    _part(ctx, [(11.0, -1.0), (12.6, -1.0), (12.6, 1.0), (11.0, 1.0)], -1.0, 1.0)
    _rim_light(ctx, [(7.0, 0.8), (14.3, 0.8)], 0.4)
    ctx.arc(LENS[0] * K, LENS[1] * K, 2.3, 0, 2 * math.pi)
    ctx.set_source(rad(LENS[0] * K, LENS[1] * K, 0, LENS[0] * K, LENS[1] * K, 2.3,
                       [(0, (1, 0.9, 0.85, 1)), (0.5, (1.0, 0.2, 0.15, 1)), (1, (0.6, 0.05, 0.05, 1))]))
    ctx.fill()
    # Worn spots catching the light.
    for _ in range(18):
        u = rng.uniform(24, 86)
        v = rng.uniform(-2, 5)
        ctx.arc(u * K, v * K, rng.uniform(0.3, 0.8), 0, 2 * math.pi)
        ctx.set_source_rgba(1, 1, 1, rng.uniform(0.04, 0.1))
        ctx.fill()


def _rifle_frame(ctx):
    d = (math.cos(RIFLE_ANGLE), math.sin(RIFLE_ANGLE))
    ctx.translate(d[0] * MUZZLE_DIST, d[1] * MUZZLE_DIST)
    ctx.rotate(RIFLE_ANGLE)


def _beam(ctx):
    """Laser: from the module's lens straight to the mouse point (0, 0)."""
    ctx.save()
    _rifle_frame(ctx)
    lens = ctx.user_to_device(LENS[0] * K, LENS[1] * K)
    ctx.restore()
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    for width, alpha in ((5.0, 0.12), (2.8, 0.3), (1.3, 0.95)):
        ctx.move_to(*lens)
        ctx.line_to(0.5, 0.5)
        ctx.set_source(lin(lens[0], lens[1], 0, 0, [(0, (1.0, 0.1, 0.08, alpha * 0.6)),
                                                    (1, (1.0, 0.15, 0.1, alpha))]))
        ctx.set_line_width(width)
        ctx.stroke()
    # The dot where it lands.
    ctx.arc(0.5, 0.5, 5.0, 0, 2 * math.pi)
    ctx.set_source(rad(0.5, 0.5, 0, 0.5, 0.5, 5.0, [(0, (1, 0.95, 0.9, 1)), (0.35, (1, 0.15, 0.1, 0.9)),
                                                   (1, (1, 0.1, 0.1, 0))]))
    ctx.fill()


def rifle_layers():
    body = render(SIZE, SIZE, lambda ctx: (_rifle_frame(ctx), draw_rifle(ctx)))
    beam = render(SIZE, SIZE, _beam)
    plain = over(beam, over(body, shadow(body, 5, 7, 3.0, 0.33)))
    return plain


def _flash(ctx):
    """Muzzle flash: a bright core ahead of the muzzle with long forward petals
    and short side jets from the flash hider's slots."""
    rng = np.random.default_rng(3)
    _rifle_frame(ctx)
    # Local frame: forward is -u.
    petals = [(0.0, 52.0, 9.0), (-0.2, 40.0, 6.0), (0.2, 38.0, 6.0), (-0.45, 30.0, 5.0),
              (0.47, 29.0, 5.0), (-0.8, 20.0, 4.0), (0.8, 20.0, 4.0),
              (math.pi / 2 - 0.1, 17.0, 3.5), (-math.pi / 2 + 0.1, 17.0, 3.5)]
    cx, cy = -7.0, 0.0
    for ang, length, width in petals:
        ctx.save()
        ctx.translate(cx, cy)
        ctx.rotate(math.pi + ang)
        ctx.move_to(-2, -width)
        ctx.curve_to(length * 0.4, -width * 1.1, length * 0.8, -width * 0.4, length, 0)
        ctx.curve_to(length * 0.8, width * 0.4, length * 0.4, width * 1.1, -2, width)
        ctx.close_path()
        ctx.set_source(lin(0, 0, length, 0, [(0, (1, 0.97, 0.8, 1)), (0.35, (1, 0.82, 0.3, 0.95)),
                                             (0.75, (1, 0.45, 0.08, 0.75)), (1, (0.9, 0.2, 0.0, 0.0))]))
        ctx.fill()
        ctx.restore()
    # Sparks.
    for _ in range(10):
        a = math.pi + rng.uniform(-0.8, 0.8)
        r = rng.uniform(20, 52)
        ctx.arc(cx + r * math.cos(a), cy + r * math.sin(a), rng.uniform(0.7, 1.4), 0, 2 * math.pi)
        ctx.set_source_rgba(1, 0.85, 0.4, 0.9)
        ctx.fill()
    ctx.arc(cx, cy, 11.0, 0, 2 * math.pi)
    ctx.set_source(rad(cx, cy, 0, cx, cy, 11.0, [(0, (1, 1, 1, 1)), (0.5, (1, 0.95, 0.6, 0.95)),
                                               (1, (1, 0.7, 0.2, 0.0))]))
    ctx.fill()


def rifle_firing_layer(plain):
    flash = render(SIZE, SIZE, _flash)
    glow = render(SIZE, SIZE, lambda ctx: (_rifle_frame(ctx), ctx.arc(-14, 0, 34, 0, 2 * math.pi),
                                          ctx.set_source(rad(-14, 0, 0, -14, 0, 34, [
                                              (0, (1, 0.8, 0.3, 0.45)), (1, (1, 0.5, 0.1, 0.0))])),
                                          ctx.fill()))
    return over(plain, over(flash, glow))


# ---------------------------------------------------------------------------
# The pictures and their placement.

HAMMER_RAISED = dict(angle_deg=18.0, face_at=(32.0, 20.0))
HAMMER_STRIKING = dict(angle_deg=0.0, face_at=(14.0, 25.0), speed_lines=True)
LIGHTER_TILT_DEG = 30.0
LIGHTER_POUR = (133.0, 37.0)


def pictures():
    plain = rifle_layers()
    return {
        40: hammer_picture(**HAMMER_RAISED),
        41: hammer_picture(**HAMMER_STRIKING),
        50: lighter_picture(),
        51: lighter_picture(LIGHTER_TILT_DEG, LIGHTER_POUR),
        60: plain,
        61: rifle_firing_layer(plain),
    }


def main():
    for num, layer in pictures().items():
        save_png(to_rgba8(layer), IMAGES / f"{num}.png")


if __name__ == "__main__":
    main()
