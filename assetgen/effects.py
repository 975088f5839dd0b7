#!/usr/bin/python3
"""Draws the flame strips and the damage decals.

Flames: 52 orange (the lighter's), 5 blue (green soldiers' fire), 6 purple
(blue soldiers' fire); each 320x80, four 80x80 frames left to right that loop
(the program shows each frame for 3 steps). The flame's base and hot centre sit
near (45, 60) of every frame: that is where a fire burns, and scorch marks land
just below it. Fully transparent pixels have alpha 0, the core alpha 255.

Decals, stamped in any of eight orientations (mirrors and quarter turns), with
row 0 and column 0 left empty because stamping never draws them:
  100: 230x230 shattered glass, crack lines radiating from the centre (115, 115);
  101: 17x17 bullet hole;  102: 18x18 scorch mark.

Run without arguments; writes assets/images/{52,5,6,100,101,102}.png.
"""
import math

import cairo
import numpy as np

from tools import IMAGES, render, save_png, to_rgba8

FRAME = 80
FRAMES = 4
BASE = (45.0, 60.0)

# Heat (0 = flame edge, 1 = hottest) -> colour, per flame.
RAMPS = {
    52: [(0.0, (185, 28, 0)), (0.18, (232, 78, 6)), (0.38, (255, 145, 22)), (0.58, (255, 205, 70)),
         (0.8, (255, 240, 165)), (1.0, (255, 255, 236))],
    5: [(0.0, (18, 36, 180)), (0.18, (28, 86, 238)), (0.38, (56, 150, 255)), (0.58, (118, 200, 255)),
        (0.8, (198, 236, 255)), (1.0, (246, 253, 255))],
    6: [(0.0, (88, 8, 138)), (0.18, (148, 28, 198)), (0.38, (198, 70, 240)), (0.58, (230, 130, 255)),
        (0.8, (248, 200, 255)), (1.0, (255, 246, 255))],
}


def _ramp(heat, stops):
    xs = [s[0] for s in stops]
    return np.stack([np.interp(heat, xs, [s[1][i] for s in stops]) for i in range(3)], axis=-1)


def _smoothstep(e0, e1, x):
    t = np.clip((x - e0) / (e1 - e0), 0.0, 1.0)
    return t * t * (3 - 2 * t)


def flame_heat(k, seed=0):
    """Heat field of frame k (0..3). Every moving term turns by whole cycles
    over the four frames, so frame 3 runs smoothly back into frame 0."""
    rng = np.random.default_rng(100 + seed)
    phi = 2 * math.pi * k / FRAMES
    ss = 3                                     # supersampling per axis
    n = FRAME * ss
    y, x = (np.mgrid[0:n, 0:n] + 0.5) / ss
    bottom = BASE[1] + 6.0
    height = 50.0 + 3.5 * math.sin(phi + 0.7) + 1.5 * math.sin(2 * phi + 0.3)
    h = (bottom - y) / height                  # 0 at the bottom, 1 at the tip
    hc = np.clip(h, 0.0, 1.0)
    # Centre line: a wave travelling up the flame, swaying more near the tip.
    sway = (6.0 * hc ** 1.4 * np.sin(2 * math.pi * 1.05 * hc - phi + 0.4)
            + 2.0 * hc ** 2 * np.sin(2 * math.pi * 2.1 * hc - 2 * phi + 1.1))
    xc = BASE[0] + sway
    # Half-width: round belly low down, tapering to a point at the tip.
    f = hc ** 0.42 * (1.0 - hc) ** 1.15
    f = f / f.max() if f.max() > 0 else f
    w = 14.5 * f * (1.0 + 0.06 * math.sin(phi + 1.9)) + 1e-3
    # Turbulence rising through the flame (whole cycles per loop).
    turb = np.zeros_like(x)
    for m in (1, 1, 2, 3):
        kx = rng.uniform(0.15, 0.35) * rng.choice([-1, 1])
        ky = rng.uniform(0.18, 0.4)
        c = rng.uniform(0, 2 * math.pi)
        turb += np.sin(kx * x + ky * y + m * phi + c) / m
    d = np.abs(x - xc) / w + 0.16 * turb * (0.3 + hc)
    # Heat falls off towards the edge and towards the tip.
    vert = np.interp(h, [-0.2, 0.0, 0.25, 0.6, 1.0], [0.0, 0.85, 1.0, 0.72, 0.35])
    heat = (1.0 - d) * vert
    heat = np.where((h > 0.0) & (h < 1.05), heat, -1.0)
    # Round belly at the bottom, breathing a little.
    rx = 13.0 + 0.8 * math.sin(phi + 2.5)
    ry = 12.0 + 0.6 * math.sin(phi + 0.9)
    below = np.clip((y - (bottom - ry)) / ry, 0.0, 1.0)
    rx = rx * (1.0 - 0.3 * below ** 2)          # egg-shaped: narrower at the very bottom
    e = np.sqrt(((x - BASE[0] - 0.4 * sway) / rx) ** 2 + ((y - (bottom - ry)) / ry) ** 2)
    belly = (1.0 - e - 0.1 * turb) * 0.95
    heat = np.maximum(heat, belly)
    # Hot core just above the base point.
    heat += 0.25 * np.exp(-((x - BASE[0]) ** 2 / 30.0 + (y - (BASE[1] - 2.0)) ** 2 / 50.0))
    # A lick of flame breaking off the tip and rising away.
    tip_y = bottom - height
    if k > 0:
        bx = BASE[0] + 6.0 * math.sin(-phi + 0.4 + 2 * math.pi * 1.05) + 1.0
        by = tip_y + 3.0 - 5.0 * k
        r = [0, 4.2, 3.4, 2.4][k]
        blob = (1.0 - np.sqrt((x - bx) ** 2 + ((y - by) * 0.7) ** 2) / r) * [0, 0.55, 0.42, 0.3][k]
        heat = np.maximum(heat, blob)
    # Back to the 80x80 grid.
    return heat.reshape(FRAME, ss, FRAME, ss).mean(axis=(1, 3))


def flame_strip(num):
    frames = []
    for k in range(FRAMES):
        heat = flame_heat(k, seed=num)   # each colour flickers in its own way
        rgb = _ramp(np.clip(heat * 1.05, 0.0, 1.0), RAMPS[num])
        body = _smoothstep(0.0, 0.2, heat)
        # A faint glow hugging the outside of the flame.
        glow = 0.22 * np.clip(1.0 + heat * 5.0, 0.0, 1.0) ** 2
        a = np.maximum(body, glow)
        a = np.where(heat > 0.2, 1.0, a)
        a = np.where(a < 0.02, 0.0, a)
        layer = np.concatenate([rgb / 255.0 * a[..., None], a[..., None]], axis=-1)
        frames.append(layer)
    return np.concatenate(frames, axis=1)


# ---------------------------------------------------------------------------
# Decals


def _clear_edge(layer):
    layer[0, :, :] = 0.0
    layer[:, 0, :] = 0.0
    return layer


def crack_layer(seed=23):
    rng = np.random.default_rng(seed)
    size = 230
    c = 115.5                         # centre of pixel (115, 115)
    rmax = 110.0
    rays = []                         # each: list of (x, y, r)
    branches = []
    n = 17
    base = rng.uniform(0, 2 * math.pi)
    for i in range(n):
        ang = base + 2 * math.pi * (i + rng.uniform(-0.3, 0.3)) / n
        length = rng.uniform(55, rmax) if i % 3 else rng.uniform(95, rmax)
        pts = [(c + 3 * math.cos(ang), c + 3 * math.sin(ang), 3.0)]
        a = ang
        r = 3.0
        x, y = pts[0][:2]
        while r < length:
            step = rng.uniform(9, 20)
            # Mostly straight runs with the odd sharp kink.
            a += rng.uniform(-0.06, 0.06) if rng.random() < 0.75 else rng.uniform(-0.3, 0.3)
            a = ang + max(-0.25, min(0.25, a - ang))
            x += step * math.cos(a)
            y += step * math.sin(a)
            r = math.hypot(x - c, y - c)
            pts.append((x, y, r))
            if r > 20 and rng.random() < 0.2:
                sign = rng.choice([-1, 1])
                ba = a + sign * rng.uniform(0.35, 0.8)
                bl = rng.uniform(12, 34)
                bp = [(x, y)]
                bx, by = x, y
                t = 0.0
                while t < bl:
                    s = rng.uniform(8, 14)
                    ba += rng.uniform(-0.12, 0.12)
                    bx += s * math.cos(ba)
                    by += s * math.sin(ba)
                    t += s
                    if math.hypot(bx - c, by - c) > rmax:
                        break
                    bp.append((bx, by))
                branches.append(bp)
        rays.append(pts)

    def point_at(pts, r):
        for (x0, y0, r0), (x1, y1, r1) in zip(pts, pts[1:]):
            if r0 <= r <= r1:
                t = (r - r0) / max(r1 - r0, 1e-6)
                return (x0 + t * (x1 - x0), y0 + t * (y1 - y0))
        return None

    # Concentric rings: bowed segments joining neighbouring rays.
    rings = []
    for radius, keep in ((13.0, 0.95), (30.0, 0.85), (52.0, 0.65), (78.0, 0.4)):
        for i in range(n):
            if rng.random() > keep:
                continue
            r0 = radius * rng.uniform(0.88, 1.12)
            r1 = radius * rng.uniform(0.88, 1.12)
            p0 = point_at(rays[i], r0)
            p1 = point_at(rays[(i + 1) % n], r1)
            if p0 is None or p1 is None:
                continue
            mx, my = (p0[0] + p1[0]) / 2, (p0[1] + p1[1]) / 2
            # Bow the segment towards the centre, like the web of a struck pane.
            bow = rng.uniform(0.02, 0.09)
            qx, qy = mx + (c - mx) * bow, my + (c - my) * bow
            rings.append((p0, (qx, qy), p1, radius))

    def strokes(ctx, dx, dy, colour, extra):
        ctx.set_line_cap(cairo.LINE_CAP_ROUND)
        ctx.set_line_join(cairo.LINE_JOIN_ROUND)
        for pts in rays:
            for (x0, y0, r0), (x1, y1, r1) in zip(pts, pts[1:]):
                t = r1 / rmax
                ctx.move_to(x0 + dx, y0 + dy)
                ctx.line_to(x1 + dx, y1 + dy)
                ctx.set_source_rgba(*colour, max(0.45, 1.0 - 0.55 * t))
                ctx.set_line_width(max(0.6, 1.8 - 1.4 * t) + extra)
                ctx.stroke()
        for bp in branches:
            for (x0, y0), (x1, y1) in zip(bp, bp[1:]):
                ctx.move_to(x0 + dx, y0 + dy)
                ctx.line_to(x1 + dx, y1 + dy)
            ctx.set_source_rgba(*colour, 0.75)
            ctx.set_line_width(0.8 + extra)
            ctx.stroke()
        for p0, q, p1, radius in rings:
            ctx.move_to(p0[0] + dx, p0[1] + dy)
            ctx.curve_to(q[0] + dx, q[1] + dy, q[0] + dx, q[1] + dy, p1[0] + dx, p1[1] + dy)
            ctx.set_source_rgba(*colour, 0.95 - radius / 160.0)
            ctx.set_line_width(max(0.7, 1.5 - radius / 90.0) + extra)
            ctx.stroke()

    def draw(ctx):
        # Glints: a pale line beside every crack, the light caught by the broken
        # edge; then the dark cracks themselves.
        strokes(ctx, 0.9, 0.9, (1.0, 1.0, 1.0), 0.4)
        ctx.set_operator(cairo.OPERATOR_OVER)
        strokes(ctx, 0.0, 0.0, (0.0, 0.0, 0.0), 0.0)
        # The point of impact: crushed glass.
        for _ in range(60):
            a = rng.uniform(0, 2 * math.pi)
            r = rng.uniform(0, 9) ** 1.0
            x, y = c + r * math.cos(a), c + r * math.sin(a)
            l = rng.uniform(1.5, 4.5)
            b = rng.uniform(0, 2 * math.pi)
            ctx.move_to(x, y)
            ctx.line_to(x + l * math.cos(b), y + l * math.sin(b))
            ctx.set_source_rgba(0, 0, 0, rng.uniform(0.5, 0.95))
            ctx.set_line_width(rng.uniform(0.6, 1.2))
            ctx.stroke()
        for _ in range(18):
            a = rng.uniform(0, 2 * math.pi)
            r = rng.uniform(1, 8)
            ctx.arc(c + r * math.cos(a), c + r * math.sin(a), rng.uniform(0.5, 1.1), 0, 2 * math.pi)
            ctx.set_source_rgba(1, 1, 1, rng.uniform(0.4, 0.8))
            ctx.fill()
        ctx.arc(c, c, 2.6, 0, 2 * math.pi)
        ctx.set_source_rgba(0, 0, 0, 0.95)
        ctx.fill()

    layer = render(size, size, draw)
    # Keep everything inside the stamp's circle, fading at the rim.
    yy, xx = np.mgrid[0:size, 0:size] + 0.5
    rr = np.hypot(xx - c, yy - c)
    layer *= np.clip((113.0 - rr) / 6.0, 0.0, 1.0)[..., None]
    return _clear_edge(layer)


def bullet_hole_layer(seed=31):
    """A hole punched through: a black core with a pale bruised rim, and round
    it a ring of many tiny, faint cracks, short and thin so that none reads as
    a leg."""
    rng = np.random.default_rng(seed)
    c = 9.0                           # centre of pixels 1..16

    def draw(ctx):
        ctx.set_line_cap(cairo.LINE_CAP_ROUND)
        # A faint smudge of dust and soot round the hole.
        g = cairo.RadialGradient(c, c, 2.0, c, c, 7.4)
        g.add_color_stop_rgba(0, 0.12, 0.11, 0.10, 0.45)
        g.add_color_stop_rgba(0.5, 0.2, 0.19, 0.18, 0.18)
        g.add_color_stop_rgba(1, 0.3, 0.3, 0.3, 0.0)
        ctx.arc(c, c, 7.4, 0, 2 * math.pi)
        ctx.set_source(g)
        ctx.fill()
        # The ring of tiny cracks: many short radial ticks, evenly spread.
        n = 16
        for i in range(n):
            a = 2 * math.pi * (i + rng.uniform(-0.25, 0.25)) / n
            r0 = rng.uniform(3.4, 3.9)
            r1 = r0 + rng.uniform(1.4, 2.8)
            ctx.move_to(c + r0 * math.cos(a), c + r0 * math.sin(a))
            ctx.line_to(c + r1 * math.cos(a + rng.uniform(-0.12, 0.12)), c + r1 * math.sin(a + rng.uniform(-0.12, 0.12)))
            ctx.set_source_rgba(0.05, 0.05, 0.06, rng.uniform(0.35, 0.6))
            ctx.set_line_width(0.5)
            ctx.stroke()
        # Broken pieces of a circular crack joining them.
        for i in range(3):
            a0 = 2 * math.pi * i / 3 + rng.uniform(0, 1.0)
            ctx.arc(c, c, rng.uniform(4.9, 5.6), a0, a0 + rng.uniform(0.5, 0.9))
            ctx.set_source_rgba(0.05, 0.05, 0.06, 0.35)
            ctx.set_line_width(0.45)
            ctx.stroke()
        # The pale rim where the surface chipped.
        ctx.arc(c, c, 3.0, 0, 2 * math.pi)
        ctx.set_source_rgba(0.82, 0.8, 0.76, 0.8)
        ctx.set_line_width(1.0)
        ctx.stroke()
        # The hole: black, a little grey at its edge.
        g = cairo.RadialGradient(c, c, 0.5, c, c, 2.6)
        g.add_color_stop_rgba(0, 0, 0, 0, 1)
        g.add_color_stop_rgba(0.7, 0.03, 0.03, 0.03, 1)
        g.add_color_stop_rgba(1, 0.18, 0.17, 0.16, 1)
        ctx.arc(c, c, 2.6, 0, 2 * math.pi)
        ctx.set_source(g)
        ctx.fill()

    return _clear_edge(render(17, 17, draw))


def scorch_layer(seed=41):
    """A soft, translucent burn, darkest in the middle. Fires stamp one every
    12 steps: a soldier's fire (1 pixel a step) leaves marks 12 pixels apart, a
    lighter fire's (up to 1.8 a step) up to 22; the mark fills its picture with a
    smooth fall, so neighbours overlap into one streak instead of a chain of
    beads. Round, so every orientation looks alike."""
    rng = np.random.default_rng(seed)
    n, ss = 18, 4
    c = 9.5                           # centre of pixels 1..17
    y, x = (np.mgrid[0:n * ss, 0:n * ss] + 0.5) / ss
    r = np.hypot(x - c, y - c)
    # Full strength A in a core, then a ramp g from 1 to 0 at R = 8.5, coverage a = 1 - (1 - A)^g:
    # two marks d pixels apart cover 1 - (1 - A)^(g(x) + g(d - x)) between them. With the core
    # at 3.5 that is exactly A all along for d = 12; a core of 4.5 gives a little more at 12
    # (the slow fires) and keeps the streak whole up to about 15 (a lighter fire's usual speed
    # of 1 to 1.3 pixels a step); faster fires leave a dotted trail.
    A, core, R = 0.5, 4.5, 8.5
    g = np.clip((R - r) / (R - core), 0.0, 1.0)
    a = 1.0 - (1.0 - A) ** g
    # Unevenly burnt: a few slow waves round the fringe, none in the middle, no speckle.
    ang = np.arctan2(y - c, x - c)
    wobble = sum(rng.uniform(0.04, 0.08) * np.sin(m * ang + rng.uniform(0, 2 * math.pi)) for m in (2, 3, 5))
    a = np.clip(a * (1.0 + wobble * np.clip(r / R, 0.0, 1.0)), 0.0, 1.0)
    # Sooty black-brown in the middle, a warmer brown at the fringe.
    t = np.clip(r / R, 0.0, 1.0)
    rgb = np.stack([24 + 86 * t ** 2, 13 + 47 * t ** 2, 6 + 16 * t ** 2], axis=-1) / 255.0
    layer = np.concatenate([rgb * a[..., None], a[..., None]], axis=-1)
    layer = layer.reshape(n, ss, n, ss, 4).mean(axis=(1, 3))
    return _clear_edge(layer)


def main():
    for num in (52, 5, 6):
        save_png(to_rgba8(flame_strip(num)), IMAGES / f"{num}.png")
    save_png(to_rgba8(crack_layer()), IMAGES / "100.png")
    save_png(to_rgba8(bullet_hole_layer()), IMAGES / "101.png")
    save_png(to_rgba8(scorch_layer()), IMAGES / "102.png")


if __name__ == "__main__":
    main()
