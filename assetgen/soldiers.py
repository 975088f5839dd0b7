#!/usr/bin/python3
"""Draws every picture of the two stick-soldier armies.

Outputs (assets/images/N.png, 8-bit RGBA):
  300, 200, 30   walk strips, 13 frames of 40x40 (green, blue, red)
  305, 205, 32   sword-swing strips, 5 frames of 40x40, blow on frame 4
  301, 201       standing previews;  4, 3  flame-soldier previews (as they walk)
  302-304, 202-204  shot decals (head, body, legs);  306, 206  sword-killed
  31             blood-spatter outline of a person;  1  charred body

Soldier frames face right and use binary alpha (the sprite routine only
draws alpha > 250).  Their heads stay inside rows 0..7, columns 10..19 and
every opaque pixel in rows 0..7, columns 1..23 has each channel >= 25, so
the flame-soldier tint (which subtracts 25 there without clamping) never
wraps.  Decals are alpha-blended into the desktop and may be soft; their
row 0 and column 0 are never drawn and stay empty.

Run with no arguments; the output is deterministic.
"""

import math
from pathlib import Path

import numpy as np
from PIL import Image

OUT_DIR = Path(__file__).resolve().parent.parent / "assets" / "images"
SIZE = 40


# ---------------------------------------------------------------------------
# Rasteriser.  Coordinates are in pixels of the final picture; pixel (i, j)
# has its centre at (i, j).  A canvas may be supersampled (ss > 1) so that
# decals get soft edges; soldier sprites use ss = 1 and come out binary.
# ---------------------------------------------------------------------------

class Canvas:
    def __init__(self, w=SIZE, h=SIZE, ss=1):
        self.w, self.h, self.ss = w, h, ss
        self.rgb = np.zeros((h * ss, w * ss, 3), np.float64)
        self.a = np.zeros((h * ss, w * ss), np.float64)
        # centres of the (sub)pixels in final-pixel coordinates
        ys, xs = np.mgrid[0:h * ss, 0:w * ss].astype(np.float64)
        self.x = (xs + 0.5) / ss - 0.5
        self.y = (ys + 0.5) / ss - 0.5

    def fill(self, mask, colour, alpha=1.0):
        """Paints colour over the mask (bool or 0..1 coverage)."""
        m = mask.astype(np.float64) * alpha
        c = np.array(colour[:3], np.float64)
        self.rgb = self.rgb * (1 - m[..., None]) + c * m[..., None]
        self.a = self.a * (1 - m) + m

    # shapes -----------------------------------------------------------
    def seg_mask(self, p, q, width):
        (x0, y0), (x1, y1) = p, q
        dx, dy = x1 - x0, y1 - y0
        ll = dx * dx + dy * dy
        if ll == 0:
            t = np.zeros_like(self.x)
        else:
            t = np.clip(((self.x - x0) * dx + (self.y - y0) * dy) / ll, 0, 1)
        d = np.hypot(self.x - (x0 + t * dx), self.y - (y0 + t * dy))
        return d < width / 2.0

    def seg(self, p, q, width, colour, alpha=1.0):
        self.fill(self.seg_mask(p, q, width), colour, alpha)

    def path(self, pts, width, colour, alpha=1.0):
        m = np.zeros_like(self.a, bool)
        for p, q in zip(pts, pts[1:]):
            m |= self.seg_mask(p, q, width)
        self.fill(m, colour, alpha)

    def disc_mask(self, c, r):
        return np.hypot(self.x - c[0], self.y - c[1]) < r

    def disc(self, c, r, colour, alpha=1.0):
        self.fill(self.disc_mask(c, r), colour, alpha)

    def ellipse_mask(self, c, rx, ry, angle=0.0):
        ca, sa = math.cos(angle), math.sin(angle)
        u = (self.x - c[0]) * ca + (self.y - c[1]) * sa
        v = -(self.x - c[0]) * sa + (self.y - c[1]) * ca
        return (u / rx) ** 2 + (v / ry) ** 2 < 1.0

    def ellipse(self, c, rx, ry, colour, angle=0.0, alpha=1.0):
        self.fill(self.ellipse_mask(c, rx, ry, angle), colour, alpha)

    def poly_mask(self, pts):
        inside = np.zeros_like(self.a, bool)
        n = len(pts)
        for i in range(n):
            (xa, ya), (xb, yb) = pts[i], pts[(i + 1) % n]
            if ya == yb:
                continue
            cond = (self.y >= min(ya, yb)) & (self.y < max(ya, yb))
            xcross = xa + (self.y - ya) * (xb - xa) / (yb - ya)
            inside ^= cond & (self.x < xcross)
        return inside

    def poly(self, pts, colour, alpha=1.0):
        self.fill(self.poly_mask(pts), colour, alpha)

    def px(self, x, y, colour):
        m = (np.abs(self.x - x) < 0.5) & (np.abs(self.y - y) < 0.5)
        self.fill(m, colour)

    # output -----------------------------------------------------------
    def rgba(self, binary):
        """Returns an h x w x 4 uint8 array (non-premultiplied)."""
        ss = self.ss
        a = self.a.reshape(self.h, ss, self.w, ss).mean(axis=(1, 3))
        rgb_p = (self.rgb * self.a[..., None]).reshape(
            self.h, ss, self.w, ss, 3).mean(axis=(1, 3))
        with np.errstate(invalid="ignore", divide="ignore"):
            rgb = np.where(a[..., None] > 0, rgb_p / a[..., None], 0)
        if binary:
            a = (a >= 0.5).astype(np.float64)
        out = np.zeros((self.h, self.w, 4), np.uint8)
        out[..., :3] = np.clip(np.round(rgb), 0, 255).astype(np.uint8)
        out[..., 3] = np.clip(np.round(a * 255), 0, 255).astype(np.uint8)
        out[out[..., 3] == 0] = 0
        return out


# ---------------------------------------------------------------------------
# Palettes.  Each army has its own helmet shape as well as its colours.
# ---------------------------------------------------------------------------

SKIN = (236, 188, 150)
EYE = (34, 30, 36)
BLADE = (236, 240, 250)
BLADE_EDGE = (92, 100, 122)
GUARD = (214, 172, 52)
GRIP = (120, 78, 44)

PALETTES = {
    "green": dict(
        helmet=(78, 122, 48), helmet_hi=(128, 170, 76), helmet_lo=(52, 88, 36),
        tunic=(92, 162, 60), tunic_far=(60, 116, 44),
        trousers=(66, 128, 48), trousers_far=(44, 90, 36),
        belt=(96, 72, 40), boots=(58, 48, 36), boots_far=(44, 38, 30),
        skin=SKIN, eye=EYE, blade=BLADE, blade_edge=BLADE_EDGE,
        guard=GUARD, grip=GRIP, headgear="dome"),
    "blue": dict(
        helmet=(44, 78, 190), helmet_hi=(112, 150, 245), helmet_lo=(32, 54, 140),
        tunic=(66, 120, 236), tunic_far=(42, 78, 176),
        trousers=(50, 88, 200), trousers_far=(34, 60, 146),
        belt=(214, 172, 52), boots=(36, 42, 110), boots_far=(30, 34, 86),
        skin=SKIN, eye=EYE, blade=BLADE, blade_edge=BLADE_EDGE,
        guard=GUARD, grip=GRIP, headgear="kepi", crest=(236, 200, 60)),
    "red": dict(
        helmet=(176, 34, 30), helmet_hi=(240, 104, 92), helmet_lo=(128, 26, 26),
        tunic=(232, 52, 44), tunic_far=(160, 30, 30),
        trousers=(200, 40, 38), trousers_far=(140, 28, 28),
        belt=(110, 26, 26), boots=(96, 28, 28), boots_far=(80, 26, 26),
        skin=(255, 156, 136), eye=(70, 28, 28), blade=(255, 196, 190),
        blade_edge=(196, 110, 110), guard=(240, 140, 90), grip=(130, 40, 36),
        headgear="dome", crest=None),
}


# ---------------------------------------------------------------------------
# Poses.  A pose is a dict of joint positions plus the sword angle.
# ---------------------------------------------------------------------------

THIGH, SHIN = 8.0, 8.0
UPPER_ARM, FOREARM = 5.0, 5.0
GROUND = 37.0          # ankle row; boots occupy rows 37 and 38


def polar(p, length, ang_deg_from_down):
    """Point at length from p, angle measured from straight down, +x positive."""
    a = math.radians(ang_deg_from_down)
    return (p[0] + length * math.sin(a), p[1] + length * math.cos(a))


def ik(root, end, l1, l2, bend):
    """Middle joint of a two-bone limb from root to end; bend=+1 puts the
    joint on the +x side of the root-end line (a knee bending forward)."""
    dx, dy = end[0] - root[0], end[1] - root[1]
    d = math.hypot(dx, dy)
    d = min(max(d, 1e-6), l1 + l2 - 1e-6)
    a = (l1 * l1 - l2 * l2 + d * d) / (2 * d)
    h = math.sqrt(max(l1 * l1 - a * a, 0.0))
    ux, uy = dx / d, dy / d
    mx, my = root[0] + a * ux, root[1] + a * uy
    # perpendicular pointing to +x side of the direction of travel
    px, py = -uy, ux
    if px * bend < 0 or (px == 0 and bend < 0):
        px, py = -px, -py
    return (mx + h * px, my + h * py)


def walk_pose(k, frames=13):
    """Frame k of the stride cycle."""
    phase = 2 * math.pi * k / frames
    legs = []
    for ph in (phase, phase + math.pi):            # near leg, far leg
        a = 26.0 * math.sin(ph)                     # thigh swing
        flex = 48.0 * max(0.0, math.cos(ph)) ** 1.2  # knee lifts while swinging
        knee = polar((0, 0), THIGH, a)
        ankle = polar(knee, SHIN, a - flex)
        legs.append((knee, ankle))
    drop = max(legs[0][1][1], legs[1][1][1])
    hip_y = round(GROUND - drop)
    bob = 1 if hip_y <= 21 else 0                  # 0 = low, 1 = raised
    hip = (13.0, 21.0 + (1 - bob))
    legs = [((hip[0] + kx, hip[1] + ky), (hip[0] + ax, hip[1] + ay))
            for (kx, ky), (ax, ay) in legs]
    # feet never sink below the ground row
    legs = [(kn, (an[0], min(an[1], GROUND))) for kn, an in legs]
    head_y = 3.0 + (1 - bob)
    neck = (14.0, head_y + 5.0)
    shoulder = (14.0, head_y + 7.5)
    arm_sw = -34.0 * math.sin(phase)                # far arm swings opposite the far leg
    far_elbow = polar(shoulder, UPPER_ARM, arm_sw)
    far_hand = polar(far_elbow, FOREARM, arm_sw + 28.0)
    hand = (20.0 + 0.6 * math.sin(phase), shoulder[1] + 4.5)
    return dict(head=(15.0, head_y), neck=neck, shoulder=shoulder, hip=hip,
                near_knee=legs[0][0], near_ankle=legs[0][1],
                far_knee=legs[1][0], far_ankle=legs[1][1],
                far_elbow=far_elbow, far_hand=far_hand,
                hand=hand, sword=58.0)


def stance_pose(head, hip, near_ankle, far_ankle, hand, sword, far_hand):
    head = (float(head[0]), float(head[1]))
    neck = (head[0] - 1.0 + (hip[0] - 13.0) * 0.2, head[1] + 5.0)
    shoulder = (neck[0], head[1] + 7.5)
    near_knee = ik(hip, near_ankle, THIGH, SHIN, +1)
    far_knee = ik(hip, far_ankle, THIGH, SHIN, +1)
    far_elbow = ik(shoulder, far_hand, UPPER_ARM, FOREARM, -1)
    return dict(head=head, neck=neck, shoulder=shoulder, hip=hip,
                near_knee=near_knee, near_ankle=near_ankle,
                far_knee=far_knee, far_ankle=far_ankle,
                far_elbow=far_elbow, far_hand=far_hand, hand=hand,
                sword=sword)


def swing_poses():
    """Five frames of one stroke; the blow lands on frame 4."""
    G = GROUND
    return [
        # 0: on guard, sword up and forward
        stance_pose((15, 3), (13.0, 22.0), (19.0, G), (7.0, G),
                    hand=(20.0, 14.5), sword=60.0, far_hand=(9.0, 18.0)),
        # 1: raising the sword
        stance_pose((15, 3), (12.5, 22.0), (19.0, G), (7.0, G),
                    hand=(21.0, 12.0), sword=78.0, far_hand=(8.5, 17.0)),
        # 2: raised high and leaning back
        stance_pose((14, 3), (12.0, 22.0), (19.0, G), (7.0, G),
                    hand=(19.5, 11.5), sword=100.0, far_hand=(8.0, 16.0)),
        # 3: coming over
        stance_pose((15, 3), (13.0, 22.0), (20.0, G), (7.0, G),
                    hand=(22.0, 10.5), sword=38.0, far_hand=(8.0, 17.0)),
        # 4: the blow, lunging forward with the blade level
        stance_pose((15, 4), (14.0, 23.0), (23.0, G), (5.0, G),
                    hand=(24.0, 17.0), sword=-6.0, far_hand=(6.0, 15.0)),
    ]


def standing_pose():
    G = GROUND
    return stance_pose((15, 3), (13.0, 22.0), (17.0, G), (9.0, G),
                       hand=(20.0, 17.0), sword=55.0, far_hand=(10.0, 20.0))


# ---------------------------------------------------------------------------
# Drawing a soldier
# ---------------------------------------------------------------------------

BLADE_LEN = 13.0


def unit(p, q):
    dx, dy = q[0] - p[0], q[1] - p[1]
    d = math.hypot(dx, dy) or 1.0
    return dx / d, dy / d


def draw_sword(cv, hand, ang, pal, length=BLADE_LEN):
    """A sword gripped at hand, blade pointing ang degrees above +x."""
    a = math.radians(ang)
    ux, uy = math.cos(a), -math.sin(a)
    tip = (hand[0] + length * ux, hand[1] + length * uy)
    base = (hand[0] + 1.6 * ux, hand[1] + 1.6 * uy)
    pommel = (hand[0] - 2.2 * ux, hand[1] - 2.2 * uy)
    gx, gy = -uy, ux
    cv.seg(base, tip, 2.0, pal["blade"])
    # a darker edge on one side keeps the blade visible on white
    cv.seg((base[0] - uy * 0.9, base[1] + ux * 0.9),
           (tip[0] - uy * 0.9, tip[1] + ux * 0.9), 1.0, pal["blade_edge"])
    cv.seg(pommel, hand, 1.6, pal["grip"])
    cv.seg((base[0] + 2.0 * gx, base[1] + 2.0 * gy),
           (base[0] - 2.0 * gx, base[1] - 2.0 * gy), 1.4, pal["guard"])


def draw_boot(cv, ankle, direction, colour):
    """A boot from the ankle toward direction (toes forward when standing);
    its length is the length of the direction vector times three."""
    dx, dy = direction
    cv.seg((ankle[0] - 0.5 * dx, ankle[1] + 0.5 - 0.5 * dy),
           (ankle[0] + 2.5 * dx, ankle[1] + 0.5 + 2.5 * dy), 2.0, colour)


def draw_soldier(cv, pose, pal):
    P = dict(pose)
    sh, hp = P["shoulder"], P["hip"]
    for side in ("near", "far"):
        if side + "_knee" not in P:
            P[side + "_knee"] = ik(hp, P[side + "_ankle"], THIGH, SHIN, +1)
    if "far_elbow" not in P:
        P["far_elbow"] = ik(sh, P["far_hand"], UPPER_ARM, FOREARM, -1)
    if "elbow" not in P:
        P["elbow"] = ik(sh, P["hand"], UPPER_ARM, FOREARM, -1)
    foot = P.get("foot_dir", (1.0, 0.0))

    # far limbs first, in the darker shade
    cv.path([sh, P["far_elbow"], P["far_hand"]], 2.0, pal["tunic_far"])
    cv.path([hp, P["far_knee"], P["far_ankle"]], 2.2, pal["trousers_far"])
    draw_boot(cv, P["far_ankle"], foot, pal["boots_far"])

    # sword (drawn before the head, so a raised blade passes behind it)
    if P.get("sword") is not None:
        draw_sword(cv, P.get("sword_hand", P["hand"]), P["sword"], pal)

    # near leg and boot
    cv.path([hp, P["near_knee"], P["near_ankle"]], 2.2, pal["trousers"])
    draw_boot(cv, P["near_ankle"], foot, pal["boots"])

    # torso with a belt across it near the hip; an upright torso starts at
    # row 8 so that rows 0..7 hold only the head (and perhaps the sword)
    neck = P["neck"]
    if not P.get("head_rot"):
        neck = (neck[0], max(neck[1], 9.0))
    cv.seg(neck, hp, 3.2, pal["tunic"])
    ux, uy = unit(hp, sh)
    bx, by = hp[0] + ux * 2.2, hp[1] + uy * 2.2
    cv.seg((bx + uy * 1.5, by - ux * 1.5), (bx - uy * 1.5, by + ux * 1.5),
           1.0, pal["belt"])

    draw_head(cv, P["head"], pal, P.get("head_rot", 0))

    # near (sword) arm on top
    cv.path([sh, P["elbow"], P["hand"]], 2.0, pal["tunic"])
    cv.disc(P["hand"], 1.2, pal["skin"])


def hrow(cv, y, x0, x1, colour):
    for x in range(int(x0), int(x1) + 1):
        cv.px(x, y, colour)


def head_sprite(pal):
    """A 7-row head centred at (7, 7) of a 15x15 canvas: face looking to
    the right, the army's headgear on top."""
    cv = Canvas(15, 15)
    cx, cy = 7, 7
    skin, eye = pal["skin"], pal["eye"]
    for dy in (0, 1, 2):
        hrow(cv, cy + dy, cx - 3, cx + 3, skin)
    hrow(cv, cy + 3, cx - 2, cx + 2, skin)
    cv.px(cx + 4, cy + 2, skin)                 # nose
    cv.px(cx + 2, cy + 1, eye)
    if pal["headgear"] == "dome":
        # round helmet with a brim
        hrow(cv, cy - 3, cx - 2, cx + 1, pal["helmet"])
        hrow(cv, cy - 2, cx - 3, cx + 2, pal["helmet"])
        hrow(cv, cy - 1, cx - 3, cx + 3, pal["helmet"])
        hrow(cv, cy, cx - 4, cx + 4, pal["helmet_lo"])
        cv.px(cx - 1, cy - 2, pal["helmet_hi"])
        cv.px(cx, cy - 2, pal["helmet_hi"])
        cv.px(cx - 1, cy - 3, pal["helmet_hi"])
        cv.px(cx - 2, cy + 1, pal["helmet_lo"])   # chin strap
    else:
        # flat-topped kepi with a visor and a badge
        hrow(cv, cy - 3, cx - 2, cx + 2, pal["helmet_hi"])
        hrow(cv, cy - 2, cx - 3, cx + 2, pal["helmet"])
        hrow(cv, cy - 1, cx - 3, cx + 2, pal["helmet"])
        hrow(cv, cy, cx - 3, cx, pal["helmet_lo"])
        hrow(cv, cy, cx + 1, cx + 4, pal["helmet_lo"])
        cv.px(cx + 1, cy - 2, pal["crest"])
    return cv.rgba(binary=True)


def draw_head(cv, c, pal, rot=0.0):
    """Pastes the head centred at c, turned rot degrees anticlockwise."""
    spr = head_sprite(pal)
    if rot:
        spr = np.asarray(Image.fromarray(spr, "RGBA").rotate(
            rot, resample=Image.NEAREST, center=(7.5, 7.5)))
    ox, oy = int(round(c[0])) - 7, int(round(c[1])) - 7
    for j in range(15):
        for i in range(15):
            if spr[j, i, 3] and 0 <= ox + i < cv.w and 0 <= oy + j < cv.h:
                cv.px(ox + i, oy + j, spr[j, i, :3])


def soldier_frame(pose, pal_name):
    cv = Canvas()
    draw_soldier(cv, pose, PALETTES[pal_name])
    return cv.rgba(binary=True)


def strip(frames):
    return np.concatenate(frames, axis=1)


# ---------------------------------------------------------------------------
# Flame-soldier previews: the standing soldier as the program draws a flame
# soldier that walks (drawFlameSprite): rows 0..7, columns 1..19 (the head of
# a right-facing frame) 25 darker in each channel, every other opaque pixel
# with its green channel at 250.  The panel and the tool in hand show them as
# stored, so they match the soldiers they place.
# ---------------------------------------------------------------------------

def flame_preview(army):
    img = soldier_frame(standing_pose(), army).copy()
    opaque = img[..., 3] == 255
    head = np.zeros(opaque.shape, bool)
    head[0:8, 1:20] = True
    rgb = img[..., :3].astype(np.int64)
    darker = np.clip(rgb - 25, 0, 255)
    img[..., :3] = np.where((opaque & head)[..., None], darker, rgb).astype(np.uint8)
    body = opaque & ~head
    img[body, 1] = 250
    return img


# ---------------------------------------------------------------------------
# Decals: blood, bodies.  Composed from soft (supersampled) blood layers and
# a crisp pixel body, so the body matches the walking sprites.
# ---------------------------------------------------------------------------

BLOOD = (150, 8, 10)
BLOOD_DARK = (98, 0, 6)
BLOOD_HI = (210, 40, 34)
SS = 4


def over(dst, src):
    """Porter-Duff 'over' on non-premultiplied uint8 RGBA arrays."""
    sa = src[..., 3:4] / 255.0
    da = dst[..., 3:4] / 255.0
    oa = sa + da * (1 - sa)
    with np.errstate(invalid="ignore", divide="ignore"):
        rgb = np.where(oa > 0, (src[..., :3] * sa + dst[..., :3] * da * (1 - sa)) / oa, 0)
    out = np.zeros_like(dst)
    out[..., :3] = np.clip(np.round(rgb), 0, 255)
    out[..., 3:4] = np.clip(np.round(oa * 255), 0, 255)
    out[out[..., 3] == 0] = 0
    return out


def value_noise(rng, w, h, cells, ss):
    """Smooth noise in [0, 1] at supersampled resolution."""
    g = rng.random((cells + 2, cells + 2))
    ys = np.linspace(0, cells, h * ss)
    xs = np.linspace(0, cells, w * ss)
    y0, x0 = np.floor(ys).astype(int), np.floor(xs).astype(int)
    fy, fx = (ys - y0)[:, None], (xs - x0)[None, :]
    fy, fx = fy * fy * (3 - 2 * fy), fx * fx * (3 - 2 * fx)
    a = g[y0][:, x0]
    b = g[y0][:, x0 + 1]
    c = g[y0 + 1][:, x0]
    d = g[y0 + 1][:, x0 + 1]
    return (a * (1 - fx) + b * fx) * (1 - fy) + (c * (1 - fx) + d * fx) * fy


def splat(cv, rng, c, r, drops, reach, toward=None, cone=360.0, colour=BLOOD):
    """A blood splash at c: a lumpy blob with droplets and streaks flung
    out to reach pixels, within cone degrees around the direction toward."""
    for _ in range(6):
        o = rng.normal(0, r * 0.35, 2)
        cv.disc((c[0] + o[0], c[1] + o[1]), r * rng.uniform(0.55, 0.9), colour)
    cv.disc(c, r * 0.5, BLOOD_DARK)
    for _ in range(drops):
        if toward is None:
            ang = rng.uniform(0, 360)
        else:
            ang = toward + rng.uniform(-cone / 2, cone / 2)
        d = r + (reach - r) * rng.random() ** 0.8
        a = math.radians(ang)
        p = (c[0] + d * math.cos(a), c[1] - d * math.sin(a))
        size = max(0.35, 1.1 * (1 - (d - r) / max(reach - r, 1)) + 0.25)
        if rng.random() < 0.4:
            # a streak pointing away from the wound
            cv.ellipse(p, size * 2.0, size * 0.6, colour, angle=-a)
        else:
            cv.disc(p, size, colour)


def pool(cv, rng, c, rx, ry):
    """A flat pool of blood on the ground, lumpy at the rim."""
    for _ in range(7):
        o = (rng.normal(0, rx * 0.3), rng.normal(0, ry * 0.25))
        cv.ellipse((c[0] + o[0], c[1] + o[1]), rx * rng.uniform(0.45, 0.8),
                   ry * rng.uniform(0.6, 1.0), BLOOD)
    cv.ellipse((c[0], c[1] + 0.3), rx * 0.55, ry * 0.55, BLOOD_DARK)
    for _ in range(5):
        o = (rng.normal(0, rx * 0.6), rng.normal(0, ry * 0.6))
        cv.disc((c[0] + o[0] * 1.3, c[1] + o[1] * 1.1), rng.uniform(0.5, 1.2), BLOOD)
    # a glint of light on the wet surface
    cv.ellipse((c[0] - rx * 0.25, c[1] - ry * 0.3), rx * 0.18, 0.45, BLOOD_HI)


def body_layer(pose, pal):
    cv = Canvas()
    draw_soldier(cv, pose, pal)
    return cv.rgba(binary=True)


def clear_edges(img):
    """Row 0 and column 0 of a stamped picture are never drawn."""
    img[0, :] = 0
    img[:, 0] = 0
    return img


def shot_head(army, rng):
    pal = PALETTES[army]
    pose = dict(head=(13, 5), head_rot=18, neck=(12.0, 10.0), shoulder=(12.0, 12.0),
                hip=(14.0, 25.0), near_ankle=(21.0, 37.0), far_ankle=(9.0, 37.0),
                far_hand=(4.0, 12.0), hand=(22.0, 9.0), sword_hand=(27.0, 17.0),
                sword=-70.0)
    under = Canvas(ss=SS)
    splat(under, rng, (10.0, 4.5), 2.2, 18, 10.0, toward=160, cone=110)
    top = Canvas(ss=SS)
    splat(top, rng, (13.0, 5.0), 1.7, 8, 5.5, toward=30, cone=160)
    img = over(under.rgba(False), body_layer(pose, pal))
    return clear_edges(over(img, top.rgba(False)))


def shot_body(army, rng):
    pal = PALETTES[army]
    pose = dict(head=(7, 6), head_rot=36, neck=(9.5, 10.5), shoulder=(10.5, 12.0),
                hip=(17.0, 24.0), near_ankle=(25.0, 37.0), far_ankle=(21.0, 36.0),
                far_hand=(3.0, 14.0), hand=(19.0, 5.0), sword_hand=(28.0, 6.0),
                sword=125.0)
    under = Canvas(ss=SS)
    splat(under, rng, (10.0, 16.0), 2.4, 22, 11.0, toward=200, cone=100)
    top = Canvas(ss=SS)
    splat(top, rng, (13.0, 15.5), 1.9, 7, 5.0, toward=20, cone=120)
    img = over(under.rgba(False), body_layer(pose, pal))
    return clear_edges(over(img, top.rgba(False)))


def lying_pose(y, hip_x=19.0):
    """A soldier lying on his back, head to the left, face and boots up."""
    return dict(head=(4, y - 1), head_rot=90, neck=(8.0, y), shoulder=(9.0, y),
                hip=(hip_x, y), near_knee=(hip_x + 7.0, y - 2.5),
                near_ankle=(hip_x + 14.5, y - 0.5),
                far_knee=(hip_x + 8.0, y + 0.5), far_ankle=(hip_x + 15.5, y + 0.5),
                foot_dir=(0.25, -0.6), elbow=(12.0, y - 2.5), hand=(16.0, y - 1.5),
                far_elbow=(13.0, y + 1.0), far_hand=(17.0, y + 1.5), sword=None)


def shot_legs(army, rng):
    pal = PALETTES[army]
    pose = lying_pose(17.0)
    under = Canvas(ss=SS)
    pool(under, rng, (15.0, 19.5), 9.0, 3.2)
    splat(under, rng, (13.0, 15.0), 1.4, 10, 7.0, toward=90, cone=150)
    sword = Canvas()
    draw_sword(sword, (23.0, 24.0), 8.0, pal)
    top = Canvas(ss=SS)
    splat(top, rng, (14.0, 16.5), 1.5, 5, 3.5)
    img = over(under.rgba(False), sword.rgba(True))
    img = over(img, body_layer(pose, pal))
    return clear_edges(over(img, top.rgba(False)))


def sword_killed(army, rng):
    pal = PALETTES[army]
    pose = lying_pose(25.0)
    under = Canvas(ss=SS)
    pool(under, rng, (15.0, 27.5), 12.5, 4.2)
    sword = Canvas()
    draw_sword(sword, (25.0, 32.0), 6.0, pal)
    top = Canvas(ss=SS)
    splat(top, rng, (14.0, 24.5), 1.4, 4, 3.0)
    img = over(under.rgba(False), sword.rgba(True))
    img = over(img, body_layer(pose, pal))
    return clear_edges(over(img, top.rgba(False)))


CHARRED = dict(
    helmet=(46, 42, 40), helmet_hi=(84, 78, 72), helmet_lo=(30, 27, 26),
    tunic=(38, 34, 32), tunic_far=(28, 25, 24),
    trousers=(34, 31, 29), trousers_far=(26, 23, 22),
    belt=(64, 40, 28), boots=(22, 20, 19), boots_far=(20, 18, 17),
    skin=(52, 45, 41), eye=(240, 236, 224), blade=(96, 90, 86),
    blade_edge=(56, 52, 50), guard=(88, 70, 48), grip=(44, 34, 28),
    headgear="dome", crest=None)


def charred_body(rng):
    y = 23.0
    # flat on his back, burnt black, one stiff arm raised
    pose = lying_pose(y, hip_x=20.0)
    pose.update(head=(6, y - 1), neck=(10.0, y), shoulder=(11.0, y),
                elbow=(12.5, y - 5.0), hand=(14.0, y - 9.5))
    body = body_layer(pose, CHARRED)
    mask = body[..., 3] > 0
    # ash-grey rim light along the upper edges keeps the shape readable
    rim = mask & ~np.roll(mask, 1, axis=0)
    body[rim, :3] = (96, 90, 84)
    # glowing embers
    ys, xs = np.nonzero(mask & ~rim & (np.arange(SIZE)[None, :] > 12))
    pick = rng.choice(len(ys), size=7, replace=False)
    for k, i in enumerate(pick):
        body[ys[i], xs[i], :3] = (255, 156, 40) if k % 3 == 0 else (206, 64, 24)
    # scorched ground under him
    soot = Canvas(ss=SS)
    noise = value_noise(rng, SIZE, SIZE, 6, SS)
    blob = soot.ellipse_mask((21.0, y + 1.0), 17.0, 5.0) & (noise > 0.3)
    soot.fill(blob, (26, 22, 20), 0.5)
    soot.fill(soot.ellipse_mask((21.0, y + 1.0), 12.0, 3.0), (18, 15, 14), 0.5)
    # a few wisps of smoke rising
    smoke = Canvas(ss=SS)
    for x0, h in ((15.0, 10.0), (25.0, 13.0), (32.0, 8.0)):
        pts = [(x0 + 1.6 * math.sin(t * 1.3 + x0), y - 7.0 - t * h / 6.0)
               for t in np.linspace(0, 6, 13)]
        for i, (p, q) in enumerate(zip(pts, pts[1:])):
            smoke.seg(p, q, 1.6, (120, 116, 112), 0.36 * (1 - i / 12.0))
    img = over(soot.rgba(False), body)
    return clear_edges(over(img, smoke.rgba(False)))


def blood_outline(rng):
    """A person squashed flat: the outline of a spread-eagle figure traced
    in thick blood, a thin smear inside it and spatter thrown all round."""
    cv = Canvas(ss=SS)
    segs = [((20, 13), (20, 25)),
            ((20, 15), (12, 11)), ((12, 11), (5, 6)),
            ((20, 15), (28, 11)), ((28, 11), (35, 6)),
            ((20, 25), (14, 31)), ((14, 31), (10, 37)),
            ((20, 25), (26, 31)), ((26, 31), (30, 37))]
    d = np.full_like(cv.x, 99.0)
    for (x0, y0), (x1, y1) in segs:
        dx, dy = x1 - x0, y1 - y0
        t = np.clip(((cv.x - x0) * dx + (cv.y - y0) * dy) / (dx * dx + dy * dy), 0, 1)
        d = np.minimum(d, np.hypot(cv.x - (x0 + t * dx), cv.y - (y0 + t * dy)) - 1.6)
    d = np.minimum(d, np.hypot(cv.x - 20, cv.y - 7.0) - 3.0)     # head
    noise = value_noise(rng, SIZE, SIZE, 10, SS)
    fine = value_noise(rng, SIZE, SIZE, 22, SS)
    edge = d - (noise - 0.5) * 2.0
    outline = (edge < 1.0) & (edge > -0.9 + (fine - 0.5) * 0.8)
    inside = edge <= -0.9 + (fine - 0.5) * 0.8
    cv.fill(inside & (fine > 0.35), BLOOD, 0.45)
    cv.fill(inside & (fine > 0.7), BLOOD_HI, 0.35)
    cv.fill(outline, BLOOD_DARK, 1.0)
    cv.fill(outline & (fine > 0.62), BLOOD, 1.0)
    # spatter around the figure, more of it close in
    for _ in range(54):
        ang = rng.uniform(0, 2 * math.pi)
        rad = 7.0 + 12.0 * rng.random() ** 1.4
        p = (20 + rad * math.cos(ang), 21 + rad * math.sin(ang))
        size = rng.uniform(0.35, 0.95)
        if rng.random() < 0.35:
            cv.ellipse(p, size * 2.0, size * 0.55, BLOOD, angle=ang)
        else:
            cv.disc(p, size, BLOOD_DARK if rng.random() < 0.5 else BLOOD)
    return clear_edges(cv.rgba(False))


# ---------------------------------------------------------------------------
# Output
# ---------------------------------------------------------------------------

def save(num, arr):
    OUT_DIR.mkdir(parents=True, exist_ok=True)
    Image.fromarray(arr, "RGBA").save(OUT_DIR / f"{num}.png", optimize=False)


def build():
    pics = {}
    walk = [walk_pose(k) for k in range(13)]
    swing = swing_poses()
    for num_walk, num_swing, pal in ((300, 305, "green"), (200, 205, "blue"),
                                     (30, 32, "red")):
        pics[num_walk] = strip([soldier_frame(p, pal) for p in walk])
        pics[num_swing] = strip([soldier_frame(p, pal) for p in swing])
    pics[301] = soldier_frame(standing_pose(), "green")
    pics[201] = soldier_frame(standing_pose(), "blue")
    pics[4] = flame_preview("green")
    pics[3] = flame_preview("blue")
    for base, army, seed in ((300, "green", 11), (200, "blue", 23)):
        rng = np.random.default_rng(seed)
        pics[base + 2] = shot_head(army, rng)
        pics[base + 3] = shot_body(army, rng)
        pics[base + 4] = shot_legs(army, rng)
        pics[base + 6] = sword_killed(army, rng)
    pics[1] = charred_body(np.random.default_rng(5))
    pics[31] = blood_outline(np.random.default_rng(31))
    return pics


SPRITES = (300, 305, 200, 205, 30, 32, 301, 201, 4, 3)
DECALS = (302, 303, 304, 202, 203, 204, 306, 206, 31, 1)
SHAPES = {300: (40, 520), 200: (40, 520), 30: (40, 520),
          305: (40, 200), 205: (40, 200), 32: (40, 200)}


def check(pics):
    """Fails loudly if a picture breaks what the drawing code relies on."""
    assert set(pics) == set(SPRITES) | set(DECALS), sorted(pics)
    for num, img in pics.items():
        assert img.shape == SHAPES.get(num, (40, 40)) + (4,), (num, img.shape)
    for num in SPRITES:
        img = pics[num]
        alpha = img[..., 3]
        assert np.isin(alpha, (0, 255)).all(), f"{num}: alpha not binary"
        if num in (4, 3):
            continue  # drawn as stored, never tinted: their heads are dark already
        for f in range(img.shape[1] // SIZE):
            frame = img[:, f * SIZE:(f + 1) * SIZE]
            top = frame[0:8, 1:24]
            dark = (top[..., 3] == 255) & (top[..., :3].min(axis=2) < 25)
            assert not dark.any(), f"{num} frame {f}: head-region pixel below 25"
    for num in DECALS:
        img = pics[num]
        assert not img[0, :, 3].any() and not img[:, 0, 3].any(), \
            f"{num}: row 0 / column 0 must stay empty"


def main():
    pics = build()
    check(pics)
    for num, arr in pics.items():
        save(num, arr)


if __name__ == "__main__":
    main()
