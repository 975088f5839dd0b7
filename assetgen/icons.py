#!/usr/bin/python3
"""The program icon and the menu cursor.

Writes assets/icons/101.png (16x16) and 103.png (32x32): a monitor whose
screen is cracked around the point where a hammer has just struck, as
32-bit RGBA; 101.ico and 103.ico hold the same pictures as Windows icon
files (one 32-bpp image each). 13.png is the menu cursor, a 32x32
crosshair in a few flat colours with its hot spot at (16, 16), and 13.cur
the same as a Windows cursor file (4-bit palette image, AND mask).

The icon is drawn with cairo at 16x the target size and box-filtered
down, so edges get clean partial alpha. The cursor is drawn pixel by
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


def render_icon(size):
    big = size * SUPER
    surface = cairo.ImageSurface(cairo.FORMAT_ARGB32, big, big)
    cr = cairo.Context(surface)
    cr.scale(big / 32, big / 32)
    draw_icon(cr, small=size <= 16)
    surface.flush()
    # cairo keeps premultiplied BGRA; average premultiplied, then divide
    px = np.frombuffer(surface.get_data(), np.uint8).reshape(big, surface.get_stride() // 4, 4)[:, :big]
    px = px.astype(float).reshape(size, SUPER, size, SUPER, 4).mean(axis=(1, 3))
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
