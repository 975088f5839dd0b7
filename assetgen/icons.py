#!/usr/bin/python3
"""The program icon and the menu cursor.

Writes assets/icons/101.png (16x16) and 103.png (32x32): a monitor whose
screen is cracked around the point where a hammer has just struck, as
32-bit RGBA; 101.ico and 103.ico hold the same pictures as Windows icon
files (one 32-bpp image each). assets/icons/hicolor/NxN.png are the same
picture drawn for the desktop's application icon at 48, 64, 128 and 256
pixels, each with more detail as it grows: a wallpaper with windows on
the screen, branching cracks and loose shards, a glare on the glass, the
grain of the handle, the hammer head's bevels and the stand's shading. 13.png is the menu cursor, a 32x32
crosshair in a few flat colours with its hot spot at (16, 16), and 13.cur
the same as a Windows cursor file (4-bit palette image, AND mask).

The icon is drawn with cairo at 16x the target size (4x from 48 pixels
up) and box-filtered down, so edges get clean partial alpha. The cursor is drawn pixel by
pixel so it stays within 16 colours with hard edges.
"""
import math
import struct
from pathlib import Path

import cairo
import numpy as np
from PIL import Image

ROOT = Path(__file__).resolve().parent.parent
OUT_DIR = ROOT / "assets" / "icons"
HICOLOR_DIR = OUT_DIR / "hicolor"
HICOLOR_SIZES = (48, 64, 128, 256)
SUPER = 16
HOTSPOT = (16, 16)


# --- icon artwork -----------------------------------------------------------

def rgb(hexcode):
    v = int(hexcode.lstrip("#"), 16)
    return ((v >> 16) & 255) / 255, ((v >> 8) & 255) / 255, (v & 255) / 255


def rounded_rect(cr, x, y, w, h, r):
    cr.new_sub_path()
    cr.arc(x + w - r, y + r, r, -math.pi / 2, 0)
    cr.arc(x + w - r, y + h - r, r, 0, math.pi / 2)
    cr.arc(x + r, y + h - r, r, math.pi / 2, math.pi)
    cr.arc(x + r, y + r, r, math.pi, 3 * math.pi / 2)
    cr.close_path()


def draw_icon(cr, small):
    """Draw on a 32-unit square. small simplifies for the 16x16 size:
    a thinner bezel, fewer plain cracks and a bolder hammer, with edges on
    whole pixels (2 units) so that they stay sharp."""
    unit = 2.0 if small else 1.0  # one pixel of the target size
    # monitor: stand, bezel, screen
    cr.set_source_rgb(*rgb("#56616c"))
    cr.rectangle(14, 24, 4, 4)
    cr.fill()
    if small:
        cr.rectangle(8, 26, 16, 4)
    else:
        rounded_rect(cr, 8, 27, 16, 3.5, 1.2)
    cr.fill()
    if small:
        cr.rectangle(0, 2, 28, 24)
        cr.set_source_rgb(*rgb("#12171c"))
        cr.fill()
        screen = (2, 4, 24, 20)
    else:
        rounded_rect(cr, 1.5, 3.5, 29, 21, 2.5)
        cr.set_source_rgb(*rgb("#1e252c"))
        cr.fill_preserve()
        cr.set_source_rgb(*rgb("#0b0e11"))
        cr.set_line_width(1)
        cr.stroke()
        screen = (3.5, 5.5, 25, 17)
    sky = cairo.LinearGradient(0, screen[1], 0, screen[1] + screen[3])
    sky.add_color_stop_rgb(0, *rgb("#7cc4ff"))
    sky.add_color_stop_rgb(1, *rgb("#2a6fc9"))
    cr.rectangle(*screen)
    cr.set_source(sky)
    cr.fill()
    # cracks radiate from the impact point, clipped to the screen
    cr.save()
    cr.rectangle(*screen)
    cr.clip()
    ix, iy = (11, 13) if small else (12.5, 12.5)
    if small:
        rays = [(-0.5, 16), (0.9, 14), (2.3, 14), (3.3, 14), (4.3, 14)]
    else:
        rays = [(-0.35, 15), (0.25, 18), (0.95, 13), (1.65, 12), (2.35, 14),
                (3.0, 13), (3.75, 14), (4.45, 12), (5.25, 16)]
    paths = []
    for angle, length in rays:
        pts = [(ix, iy)]
        steps = 2 if small else 3
        for k in range(1, steps + 1):
            bend = 0.18 * (-1) ** k
            r = length * k / steps
            pts.append((ix + r * math.cos(angle + bend), iy + r * math.sin(angle + bend)))
        paths.append(pts)
    strokes = [("#ffffff", 2.0, 0.0)] if small else [("#0d2340", 2.2, 0.5), ("#ffffff", 1.1, 0.0)]
    for colour, width, dx in strokes:
        cr.set_source_rgb(*rgb(colour))
        cr.set_line_width(width)
        cr.set_line_join(cairo.LINE_JOIN_ROUND)
        cr.set_line_cap(cairo.LINE_CAP_ROUND)
        for pts in paths:
            cr.move_to(pts[0][0] + dx, pts[0][1] + dx)
            for x, y in pts[1:]:
                cr.line_to(x + dx, y + dx)
            cr.stroke()
        if not small:
            cr.arc(ix + dx, iy + dx, 4.2, 0.3, 2.2)
            cr.stroke()
            cr.arc(ix + dx, iy + dx, 4.6, 3.4, 5.3)
            cr.stroke()
    cr.set_source_rgb(1, 1, 1)
    cr.arc(ix, iy, 2.2 if small else 1.3, 0, 2 * math.pi)
    cr.fill()
    cr.restore()
    # hammer: handle down to the lower right, head just struck the screen
    cr.save()
    if small:
        cr.translate(21, 12)
        cr.rotate(math.radians(-45))
    else:
        cr.translate(19.5, 14.5)
        cr.rotate(math.radians(-40))
    handle_w = 4 if small else 3.4
    handle_l = 20 if small else 18
    rounded_rect(cr, -handle_w / 2, 0, handle_w, handle_l, handle_w / 2)
    cr.set_source_rgb(*rgb("#b0703a"))
    cr.fill_preserve()
    cr.set_source_rgb(*rgb("#4a2a0e"))
    cr.set_line_width(unit)
    cr.stroke()
    hw, hh = (14, 8) if small else (16, 7)
    head = cairo.LinearGradient(0, -hh / 2 - 1, 0, hh / 2 - 1)
    head.add_color_stop_rgb(0, *rgb("#f2f5f8"))
    head.add_color_stop_rgb(0.5, *rgb("#a2adb8"))
    head.add_color_stop_rgb(1, *rgb("#5b6570"))
    rounded_rect(cr, -hw / 2, -hh / 2 - 1, hw, hh, 1.5)
    cr.set_source(head)
    cr.fill_preserve()
    cr.set_source_rgb(*rgb("#1b2026"))
    cr.set_line_width(unit)
    cr.stroke()
    # the striking face is darker, the back of the head is the claw side
    cr.rectangle(-hw / 2, -hh / 2 - 1, 2.5 if not small else 3, hh)
    cr.set_source_rgba(0.1, 0.12, 0.15, 0.45)
    cr.fill()
    cr.restore()


def crack_path(rng, x, y, angle, length, pieces, wander):
    """A jagged crack from (x, y): pieces straight segments, each turning a
    little at random."""
    pts = [(x, y)]
    for _ in range(pieces):
        angle += rng.uniform(-wander, wander)
        step = length / pieces
        x += step * math.cos(angle)
        y += step * math.sin(angle)
        pts.append((x, y))
    return pts


def stroke_path(cr, pts, dx=0.0):
    cr.move_to(pts[0][0] + dx, pts[0][1] + dx)
    for x, y in pts[1:]:
        cr.line_to(x + dx, y + dx)
    cr.stroke()


def draw_icon_large(cr, size):
    """The same picture on the 32-unit square, for 48 pixels and up: lines
    keep a width in pixels rather than in units, and the detail grows with
    the size (secondary cracks from 64, shards and grain from 128)."""
    px = 32.0 / size  # one target pixel in units
    fine = size >= 128
    rng = np.random.default_rng(size)
    # stand: neck and foot, shaded left to right
    foot = cairo.LinearGradient(8, 0, 24, 0)
    foot.add_color_stop_rgb(0, *rgb("#3f4852"))
    foot.add_color_stop_rgb(0.45, *rgb("#7a8794"))
    foot.add_color_stop_rgb(1, *rgb("#3a424b"))
    cr.rectangle(14, 24, 4, 4)
    cr.set_source(foot)
    cr.fill()
    rounded_rect(cr, 8, 27, 16, 3.5, 1.2)
    cr.set_source(foot)
    cr.fill_preserve()
    cr.set_source_rgb(*rgb("#20262c"))
    cr.set_line_width(px)
    cr.stroke()
    # bezel with a lighter top edge
    rounded_rect(cr, 1.5, 3.5, 29, 21, 2.5)
    bezel = cairo.LinearGradient(0, 3.5, 0, 24.5)
    bezel.add_color_stop_rgb(0, *rgb("#3a444e"))
    bezel.add_color_stop_rgb(0.12, *rgb("#1e252c"))
    bezel.add_color_stop_rgb(1, *rgb("#161b20"))
    cr.set_source(bezel)
    cr.fill_preserve()
    cr.set_source_rgb(*rgb("#0b0e11"))
    cr.set_line_width(max(px, 0.5))
    cr.stroke()
    cr.arc(16, 23.3, 0.35, 0, 2 * math.pi)  # power light
    cr.set_source_rgb(*rgb("#5fe08a"))
    cr.fill()
    screen = (3.5, 5.5, 25, 17)
    sky = cairo.LinearGradient(0, screen[1], 0, screen[1] + screen[3])
    sky.add_color_stop_rgb(0, *rgb("#7cc4ff"))
    sky.add_color_stop_rgb(1, *rgb("#2a6fc9"))
    cr.rectangle(*screen)
    cr.set_source(sky)
    cr.fill()
    cr.save()
    cr.rectangle(*screen)
    cr.clip()
    # the desktop under the glass: hills, a task bar, two windows
    cr.move_to(screen[0], 19)
    cr.curve_to(9, 15.5, 14, 17.5, 19, 16.5)
    cr.curve_to(23, 15.8, 26, 17, 29, 16)
    cr.line_to(29, 23)
    cr.line_to(screen[0], 23)
    cr.close_path()
    cr.set_source_rgb(*rgb("#3f9a52"))
    cr.fill()
    cr.rectangle(screen[0], 21, screen[2], 1.5)
    cr.set_source_rgba(0.06, 0.09, 0.13, 0.85)
    cr.fill()
    for x in (5, 6.8, 8.6):
        cr.rectangle(x, 21.35, 1.2, 0.8)
        cr.set_source_rgb(*rgb("#9fb4c8"))
        cr.fill()
    for (x, y, w, h, title) in ((17.5, 7, 9, 6.5, "#e8a33a"), (5.5, 8.5, 7.5, 5.5, "#5b7fa8")):
        cr.rectangle(x, y, w, h)
        cr.set_source_rgb(*rgb("#f4f6f8"))
        cr.fill()
        cr.rectangle(x, y, w, 1.2)
        cr.set_source_rgb(*rgb(title))
        cr.fill()
        cr.set_source_rgb(*rgb("#b9c3cc"))
        for k in range(3):
            cr.rectangle(x + 0.8, y + 2 + k * 1.1, w * (0.75 - 0.15 * k), 0.45)
            cr.fill()
    # cracks radiate from the impact point
    ix, iy = 12.5, 12.5
    rays = [(-0.35, 15), (0.25, 18), (0.95, 13), (1.65, 12), (2.35, 14),
            (3.0, 13), (3.75, 14), (4.45, 12), (5.25, 16)]
    main = [crack_path(rng, ix, iy, a, l, 3 if size < 128 else 6, 0.35) for a, l in rays]
    branches = []
    if size >= 64:
        for pts in main:
            for k in range(1, len(pts) - 1, 1 if fine else 2):
                x, y = pts[k]
                a = math.atan2(y - iy, x - ix) + rng.choice([-1, 1]) * rng.uniform(0.5, 1.1)
                branches.append(crack_path(rng, x, y, a, rng.uniform(2, 4.5), 3, 0.4))
    # shards: the glass between two rays near the impact, tinted and edged with light
    if fine:
        for a0 in (0.25, 1.65, 3.75):
            cr.move_to(ix, iy)
            for a, r in ((a0, 6.5), (a0 + 0.35, 7.5), (a0 + 0.7, 5.5)):
                cr.line_to(ix + r * math.cos(a), iy + r * math.sin(a))
            cr.close_path()
            cr.set_source_rgba(1, 1, 1, 0.22)
            cr.fill()
    cr.set_line_join(cairo.LINE_JOIN_ROUND)
    cr.set_line_cap(cairo.LINE_CAP_ROUND)
    main_w = (1.0 + size / 160) * px  # 1.3 pixels wide at 48, 2.6 at 256
    for colour, width, dx in (("#0d2340", main_w * 1.8, px), ("#ffffff", main_w, 0.0)):
        cr.set_source_rgb(*rgb(colour))
        cr.set_line_width(width)
        for pts in main:
            stroke_path(cr, pts, dx)
        cr.arc(ix + dx, iy + dx, 4.2, 0.3, 2.2)
        cr.stroke()
        cr.arc(ix + dx, iy + dx, 4.6, 3.4, 5.3)
        cr.stroke()
        if fine:
            cr.arc(ix + dx, iy + dx, 8.0, 1.0, 1.9)
            cr.stroke()
            cr.arc(ix + dx, iy + dx, 7.6, 4.0, 4.9)
            cr.stroke()
    cr.set_source_rgba(1, 1, 1, 0.85)
    cr.set_line_width(main_w * 0.6)
    for pts in branches:
        stroke_path(cr, pts)
    cr.set_source_rgb(1, 1, 1)
    cr.arc(ix, iy, 1.3, 0, 2 * math.pi)
    cr.fill()
    # a glare across the glass, top left to lower right
    glare = cairo.LinearGradient(3.5, 5.5, 20, 22)
    glare.add_color_stop_rgba(0, 1, 1, 1, 0.28)
    glare.add_color_stop_rgba(0.45, 1, 1, 1, 0.0)
    cr.move_to(3.5, 5.5)
    cr.line_to(17, 5.5)
    cr.line_to(3.5, 17)
    cr.close_path()
    cr.set_source(glare)
    cr.fill()
    cr.restore()
    # hammer: handle down to the lower right, head just struck the screen
    cr.save()
    cr.translate(19.5, 14.5)
    cr.rotate(math.radians(-40))
    handle_w, handle_l = 3.4, 18
    rounded_rect(cr, -handle_w / 2, 0, handle_w, handle_l, handle_w / 2)
    wood = cairo.LinearGradient(-handle_w / 2, 0, handle_w / 2, 0)
    wood.add_color_stop_rgb(0, *rgb("#8a5226"))
    wood.add_color_stop_rgb(0.4, *rgb("#c98a4c"))
    wood.add_color_stop_rgb(1, *rgb("#93592a"))
    cr.set_source(wood)
    cr.fill_preserve()
    cr.save()
    cr.clip_preserve()
    if fine:  # grain: long thin darker streaks
        cr.set_source_rgba(0.35, 0.18, 0.06, 0.45)
        cr.set_line_width(px)
        for gx in (-1.0, -0.3, 0.5, 1.1):
            cr.move_to(gx, 0.5)
            cr.curve_to(gx + 0.3, 6, gx - 0.3, 12, gx + 0.2, handle_l - 0.5)
            cr.stroke()
    # the grip: darker bands at the end of the handle
    cr.set_source_rgba(0.2, 0.1, 0.03, 0.5)
    for k in range(3 if size >= 64 else 0):
        cr.rectangle(-handle_w / 2, handle_l - 5 + k * 1.5, handle_w, 0.6)
        cr.fill()
    cr.restore()
    cr.set_source_rgb(*rgb("#4a2a0e"))
    cr.set_line_width(max(px, 0.45))
    cr.stroke()
    hw, hh = 16, 7
    head = cairo.LinearGradient(0, -hh / 2 - 1, 0, hh / 2 - 1)
    head.add_color_stop_rgb(0, *rgb("#f2f5f8"))
    head.add_color_stop_rgb(0.5, *rgb("#a2adb8"))
    head.add_color_stop_rgb(1, *rgb("#5b6570"))
    rounded_rect(cr, -hw / 2, -hh / 2 - 1, hw, hh, 1.5)
    cr.set_source(head)
    cr.fill_preserve()
    cr.set_source_rgb(*rgb("#1b2026"))
    cr.set_line_width(max(px, 0.45))
    cr.stroke()
    # bevels: a light line along the top, a dark one along the bottom, the eye round the handle
    cr.set_line_width(max(px, 0.3))
    cr.set_source_rgba(1, 1, 1, 0.7)
    cr.move_to(-hw / 2 + 1.8, -hh / 2 - 0.2)
    cr.line_to(hw / 2 - 1.2, -hh / 2 - 0.2)
    cr.stroke()
    cr.set_source_rgba(0.1, 0.12, 0.15, 0.5)
    cr.move_to(-hw / 2 + 1.8, hh / 2 - 1.9)
    cr.line_to(hw / 2 - 1.2, hh / 2 - 1.9)
    cr.stroke()
    cr.rectangle(-handle_w / 2 - 0.4, -hh / 2 - 1, handle_w + 0.8, hh)
    cr.set_source_rgba(0.1, 0.12, 0.15, 0.25)
    cr.fill()
    cr.rectangle(-hw / 2, -hh / 2 - 1, 2.5, hh)
    cr.set_source_rgba(0.1, 0.12, 0.15, 0.45)
    cr.fill()
    # the claw: a notch in the back of the head
    cr.move_to(hw / 2, -1.6)
    cr.line_to(hw / 2 - 2.2, -1.0)
    cr.line_to(hw / 2, -0.4)
    cr.close_path()
    cr.set_source_rgb(*rgb("#1b2026"))
    cr.fill()
    cr.restore()


def render_icon(size):
    factor = SUPER if size <= 32 else 4
    big = size * factor
    surface = cairo.ImageSurface(cairo.FORMAT_ARGB32, big, big)
    cr = cairo.Context(surface)
    cr.scale(big / 32, big / 32)
    if size <= 32:
        draw_icon(cr, small=size <= 16)
    else:
        draw_icon_large(cr, size)
    surface.flush()
    # cairo keeps premultiplied BGRA; average premultiplied, then divide
    px = np.frombuffer(surface.get_data(), np.uint8).reshape(big, surface.get_stride() // 4, 4)[:, :big]
    px = px.astype(float).reshape(size, factor, size, factor, 4).mean(axis=(1, 3))
    alpha = px[..., 3]
    rgba = np.zeros((size, size, 4))
    for c, src in ((0, 2), (1, 1), (2, 0)):
        rgba[..., c] = np.where(alpha > 0, px[..., src] * 255 / np.maximum(alpha, 1e-9), 0)
    rgba[..., 3] = alpha
    return np.clip(np.round(rgba), 0, 255).astype(np.uint8)


# --- cursor artwork ---------------------------------------------------------

CURSOR_COLOURS = {".": None, "K": (0, 0, 0), "W": (255, 255, 255), "R": (230, 30, 30)}


def draw_cursor():
    """A crosshair: black arms with a white outline, a gap round the
    centre, a small ring and a red centre dot exactly on the hot spot."""
    grid = [["." for _ in range(32)] for _ in range(32)]
    cx, cy = HOTSPOT

    def put(x, y, c, only_empty=False):
        if 0 <= x < 32 and 0 <= y < 32 and (not only_empty or grid[y][x] == "."):
            grid[y][x] = c

    # arms: 2 px wide black, from 5 px out to the edge zone
    for d in range(5, 15):
        for w in (0, 1):
            for x, y in ((cx + d, cy - 1 + w), (cx - d, cy - 1 + w), (cx - 1 + w, cy + d), (cx - 1 + w, cy - d)):
                put(x, y, "K")
    # ring of radius 9 around the centre
    for k in range(720):
        a = 2 * math.pi * k / 720
        x, y = cx - 0.5 + 9 * math.cos(a), cy - 0.5 + 9 * math.sin(a)
        put(int(round(x)), int(round(y)), "K")
    # centre dot on the hot spot
    for x in range(cx - 1, cx + 1):
        for y in range(cy - 1, cy + 1):
            put(x, y, "R")
    put(cx, cy, "R")
    # white outline round everything drawn so far
    inked = [(x, y) for y in range(32) for x in range(32) if grid[y][x] != "."]
    for x, y in inked:
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                put(x + dx, y + dy, "W", only_empty=True)
    rgba = np.zeros((32, 32, 4), np.uint8)
    for y in range(32):
        for x in range(32):
            colour = CURSOR_COLOURS[grid[y][x]]
            if colour:
                rgba[y, x] = (*colour, 255)
    return rgba


# --- Windows icon and cursor containers ------------------------------------

def dib32(rgba):
    """A 32-bpp DIB as stored in .ico/.cur: BITMAPINFOHEADER with doubled
    height, BGRA rows bottom-up, then the 1-bpp AND mask (1 = transparent),
    rows padded to 32 bits."""
    h, w = rgba.shape[:2]
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = rgba[::-1][..., [2, 1, 0, 3]].tobytes()
    return header + xor + and_mask(rgba)


def dib4(rgba, palette):
    """A 4-bpp DIB with a 16-entry palette; fully transparent pixels get
    palette index 0 and a set AND-mask bit."""
    h, w = rgba.shape[:2]
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    table += b"\0" * (64 - len(table))
    index = {c: i for i, c in enumerate(palette)}
    row_bytes = ((w * 4 + 31) // 32) * 4
    rows = []
    for y in range(h - 1, -1, -1):
        nibbles = [0 if rgba[y, x, 3] == 0 else index[tuple(int(v) for v in rgba[y, x, :3])] for x in range(w)]
        packed = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, w, 2))
        rows.append(packed + b"\0" * (row_bytes - len(packed)))
    return header + table + b"".join(rows) + and_mask(rgba)


def and_mask(rgba):
    h, w = rgba.shape[:2]
    row_bytes = ((w + 31) // 32) * 4
    out = bytearray()
    for y in range(h - 1, -1, -1):
        bits = bytearray(row_bytes)
        for x in range(w):
            if rgba[y, x, 3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bits
    return bytes(out)


def container(kind, size, image, planes_or_hx, bpp_or_hy, colours=0):
    """ICONDIR with one ICONDIRENTRY, then the image. kind 1 is an icon
    (planes, bits per pixel), kind 2 a cursor (hot spot x, y)."""
    entry = struct.pack("<BBBBHHII", size % 256, size % 256, colours, 0,
                        planes_or_hx, bpp_or_hy, len(image), 6 + 16)
    return struct.pack("<HHH", 0, kind, 1) + entry + image


def read_container(data):
    """Parse a one-image .ico/.cur back to (kind, entry fields, RGBA)."""
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    assert reserved == 0 and kind in (1, 2) and count == 1
    w, h, colours, _, f1, f2, size, offset = struct.unpack_from("<BBBBHHII", data, 6)
    assert offset + size == len(data)
    hdr, dw, dh, planes, bpp = struct.unpack_from("<IiiHH", data, offset)
    assert hdr == 40 and dh == 2 * dw and planes == 1
    w = w or 256
    pos = offset + 40
    if bpp == 32:
        xor = np.frombuffer(data, np.uint8, w * w * 4, pos).reshape(w, w, 4)[::-1][..., [2, 1, 0, 3]]
        rgba = xor.copy()
        pos += w * w * 4
    else:
        assert bpp == 4
        palette = [tuple(data[pos + 4 * i + 2::-1][:3]) for i in range(16)]
        pos += 64
        row_bytes = ((w * 4 + 31) // 32) * 4
        rgba = np.zeros((w, w, 4), np.uint8)
        for r in range(w):
            row = data[pos + r * row_bytes:pos + (r + 1) * row_bytes]
            for x in range(w):
                i = (row[x // 2] >> (4 if x % 2 == 0 else 0)) & 15
                rgba[w - 1 - r, x, :3] = palette[i]
                rgba[w - 1 - r, x, 3] = 255
        pos += row_bytes * w
    mask_row = ((w + 31) // 32) * 4
    for r in range(w):
        for x in range(w):
            if data[pos + r * mask_row + x // 8] & (0x80 >> (x % 8)):
                rgba[w - 1 - r, x] = 0 if bpp == 4 else rgba[w - 1 - r, x]
    return kind, (w, h or 256, colours, f1, f2), rgba


def main():
    OUT_DIR.mkdir(parents=True, exist_ok=True)
    for number, size in ((101, 16), (103, 32)):
        rgba = render_icon(size)
        Image.fromarray(rgba, "RGBA").save(OUT_DIR / f"{number}.png")
        ico = container(1, size, dib32(rgba), 1, 32)
        (OUT_DIR / f"{number}.ico").write_bytes(ico)
        kind, fields, back = read_container(ico)
        assert kind == 1 and fields[:2] == (size, size) and fields[3:] == (1, 32)
        assert np.array_equal(back, rgba), f"{number}.ico does not read back"
        print("wrote", OUT_DIR / f"{number}.png", "and .ico")
    HICOLOR_DIR.mkdir(parents=True, exist_ok=True)
    for size in HICOLOR_SIZES:
        Image.fromarray(render_icon(size), "RGBA").save(HICOLOR_DIR / f"{size}x{size}.png")
        print("wrote", HICOLOR_DIR / f"{size}x{size}.png")
    cursor = draw_cursor()
    Image.fromarray(cursor, "RGBA").save(OUT_DIR / "13.png")
    colours = sorted({tuple(int(v) for v in p[:3]) for p in cursor.reshape(-1, 4) if p[3]})
    palette = [(0, 0, 0)] + [c for c in colours if c != (0, 0, 0)]
    assert len(palette) <= 16
    cur = container(2, 32, dib4(cursor, palette), *HOTSPOT, colours=16)
    (OUT_DIR / "13.cur").write_bytes(cur)
    kind, fields, back = read_container(cur)
    assert kind == 2 and fields[3:] == HOTSPOT
    assert np.array_equal(back, cursor), "13.cur does not read back"
    print("wrote", OUT_DIR / "13.png", "and .cur")


if __name__ == "__main__":
    main()
