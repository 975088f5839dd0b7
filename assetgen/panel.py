#!/usr/bin/python3
"""Draws the menu panel (resource 2): a 425x600 picture of a small paint
program's window, fully opaque, with the tool pictures and four soldiers
painted on its canvas where the program hit-tests them, a close button in the
title bar and three labelled check boxes. The program draws the hover
brackets and check crosses itself.

Hit rectangles, inclusive, panel coordinates (x, y):
  close button 405-422, 2-23;
  hammer 73-242, 48-228; lighter 243-400, 48-228; rifle 73-242, 229-409;
  green soldier 245-295, 235-314; blue soldier 245-295, 315-394;
  green flame soldier 300-350, 235-314; blue flame soldier 300-350, 315-394;
  check boxes FlameThrower 384-394, 456-466; Pause 384-394, 472-482;
  Show Stats 384-394, 488-498 (crosses: x 384-392 from y 456, 471 and 488).

The soldier pictures 301, 201, 4 and 3 are composited from assets/images when
present (drawn by the soldier generator); otherwise a marked placeholder
figure stands in. Run without arguments; writes assets/images/2.png.
"""
import math

import cairo
import numpy as np
from PIL import Image

import effects
import tools
from tools import IMAGES, hexrgb, lin, over, render, round_rect, save_png, to_rgba8

W, H = 425, 600
FONT = "DejaVu Sans"

FACE = "#e7eaef"
FACE_DARK = "#a9b0ba"
FACE_LIGHT = "#ffffff"
TEXT = "#1d2330"

HAMMER_RECT = (73, 48, 242, 228)
LIGHTER_RECT = (243, 48, 400, 228)
RIFLE_RECT = (73, 229, 242, 409)
SOLDIER_RECTS = {          # resource number -> rectangle
    301: (245, 235, 295, 314),   # green sword soldier
    201: (245, 315, 295, 394),   # blue sword soldier
    4: (300, 235, 350, 314),     # green flame soldier
    3: (300, 315, 350, 394),     # blue flame soldier
}
CLOSE_RECT = (405, 2, 422, 23)
CHECKS = [("FlameThrower", 456), ("Pause", 471), ("Show Stats", 488)]   # top of the 9x9 inside
CHECK_X = 384
CANVAS = (72, 47, 404, 412)    # inclusive


def _font(ctx, size, bold=False):
    ctx.select_font_face(FONT, cairo.FONT_SLANT_NORMAL,
                         cairo.FONT_WEIGHT_BOLD if bold else cairo.FONT_WEIGHT_NORMAL)
    ctx.set_font_size(size)
    fo = cairo.FontOptions()
    fo.set_antialias(cairo.ANTIALIAS_GRAY)
    fo.set_hint_style(cairo.HINT_STYLE_SLIGHT)
    fo.set_hint_metrics(cairo.HINT_METRICS_ON)
    ctx.set_font_options(fo)


def _text(ctx, x, y, s, size=11, colour=TEXT, bold=False, align="left"):
    _font(ctx, size, bold)
    ext = ctx.text_extents(s)
    if align == "right":
        x -= ext.x_advance
    elif align == "centre":
        x -= ext.x_advance / 2
    ctx.move_to(round(x), round(y))
    ctx.set_source_rgba(*hexrgb(colour))
    ctx.show_text(s)
    return ext.x_advance


def _px_rect(ctx, x0, y0, x1, y1, colour):
    """Fills the inclusive pixel rectangle x0..x1, y0..y1."""
    ctx.rectangle(x0, y0, x1 - x0 + 1, y1 - y0 + 1)
    ctx.set_source_rgba(*(hexrgb(colour) if isinstance(colour, str) else colour))
    ctx.fill()


def _bevel(ctx, x0, y0, x1, y1, sunken=True, depth=1):
    """Pixel-exact 3-D edge round the inclusive rectangle."""
    hi, lo = (FACE_DARK, FACE_LIGHT) if sunken else (FACE_LIGHT, FACE_DARK)
    for i in range(depth):
        _px_rect(ctx, x0 + i, y0 + i, x1 - i, y0 + i, hi)
        _px_rect(ctx, x0 + i, y0 + i, x0 + i, y1 - i, hi)
        _px_rect(ctx, x0 + i, y1 - i, x1 - i, y1 - i, lo)
        _px_rect(ctx, x1 - i, y0 + i, x1 - i, y1 - i, lo)
        hi, lo = ("#6f7783", "#d6dbe2") if sunken else ("#f4f6f9", "#7c8591")


def _group(ctx, x0, y0, x1, y1, title):
    _px_rect(ctx, x0, y0, x1, y0, FACE_DARK)
    _px_rect(ctx, x0, y0, x0, y1, FACE_DARK)
    _px_rect(ctx, x0, y1, x1, y1, FACE_DARK)
    _px_rect(ctx, x1, y0, x1, y1, FACE_DARK)
    _px_rect(ctx, x0 + 1, y0 + 1, x1 - 1, y0 + 1, FACE_LIGHT)
    _px_rect(ctx, x0 + 1, y0 + 1, x0 + 1, y1 - 1, FACE_LIGHT)
    _font(ctx, 11, True)
    tw = ctx.text_extents(title).x_advance
    _px_rect(ctx, x0 + 6, y0, x0 + 12 + int(tw), y0 + 1, FACE)
    _text(ctx, x0 + 9, y0 + 4, title, 11, TEXT, bold=True)


# ---------------------------------------------------------------------------
# Window chrome


def _title_bar(ctx):
    ctx.rectangle(2, 2, W - 4, 23)
    ctx.set_source(lin(0, 2, 0, 25, [(0, "#5d93e6"), (0.45, "#2f6bd0"), (1, "#1f4fa6")]))
    ctx.fill()
    _px_rect(ctx, 2, 2, W - 3, 2, "#8fb6f2")
    # App icon: a tiny palette.
    ctx.save()
    ctx.translate(14, 13.5)
    ctx.scale(1.0, 0.8)
    ctx.arc(0, 0, 8, 0, 2 * math.pi)
    ctx.restore()
    ctx.set_source_rgba(*hexrgb("#f3d9a4"))
    ctx.fill_preserve()
    ctx.set_source_rgba(*hexrgb("#7a5a22"))
    ctx.set_line_width(1)
    ctx.stroke()
    for (dx, dy), col in zip([(-4, -2), (0, -4), (4, -2), (3, 2)], ["#ee3333", "#22bb22", "#3333ee", "#ffcc00"]):
        ctx.arc(14 + dx, 13.5 + dy, 1.6, 0, 2 * math.pi)
        ctx.set_source_rgba(*hexrgb(col))
        ctx.fill()
    _text(ctx, 28, 18, "desktop.bmp - Mirthwick Paint", 12, "#0b2a66", bold=True)
    _text(ctx, 27, 17, "desktop.bmp - Mirthwick Paint", 12, "#ffffff", bold=True)
    # Caption buttons; only the close button does anything.
    for x0, kind in ((361, "min"), (383, "max"), (405, "close")):
        x1, y0, y1 = x0 + 17, 2 + 1, 23 - 1
        if kind == "close":
            x1, y0, y1 = 422, 2, 23
        round_rect(ctx, x0 + 0.5, y0 + 0.5, x1 - x0, y1 - y0, 3)
        if kind == "close":
            ctx.set_source(lin(0, y0, 0, y1, [(0, "#f08a73"), (0.5, "#d8472b"), (1, "#b3301a")]))
        else:
            ctx.set_source(lin(0, y0, 0, y1, [(0, "#7eaaf0"), (0.5, "#3d78d8"), (1, "#2a5cb5")]))
        ctx.fill_preserve()
        ctx.set_source_rgba(1, 1, 1, 0.85)
        ctx.set_line_width(1)
        ctx.stroke()
        cx, cy = (x0 + x1 + 1) / 2, (y0 + y1 + 1) / 2
        ctx.set_source_rgba(1, 1, 1, 1)
        ctx.set_line_width(2)
        if kind == "close":
            for sx in (-1, 1):
                ctx.move_to(cx - 4, cy - 4 * sx)
                ctx.line_to(cx + 4, cy + 4 * sx)
            ctx.stroke()
        elif kind == "min":
            ctx.move_to(cx - 4, cy + 4)
            ctx.line_to(cx + 3, cy + 4)
            ctx.stroke()
        else:
            ctx.rectangle(cx - 4, cy - 4, 8, 8)
            ctx.set_line_width(1.5)
            ctx.stroke()


def _menu_bar(ctx):
    x = 8
    for word in ("File", "Edit", "View", "Image", "Colours", "Help"):
        w = _text(ctx, x, 40, word, 12)
        # Underline the access key, as menus do.
        _font(ctx, 12)
        fw = ctx.text_extents(word[0]).x_advance
        _px_rect(ctx, x, 42, x + int(fw) - 1, 42, TEXT)
        x += int(w) + 14
    _px_rect(ctx, 2, 45, W - 3, 45, FACE_DARK)


# Little icons for the decorative paint tools on the left.
def _icon(ctx, kind, cx, cy):
    ctx.save()
    ctx.translate(cx, cy)
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.set_line_join(cairo.LINE_JOIN_ROUND)
    dark = hexrgb("#2a2f3a")
    if kind == "select":
        ctx.rectangle(-7.5, -6.5, 15, 13)
        ctx.set_dash([2, 2])
        ctx.set_source_rgba(*dark)
        ctx.set_line_width(1)
        ctx.stroke()
    elif kind == "lasso":
        ctx.move_to(-6, 2)
        ctx.curve_to(-9, -8, 8, -9, 7, -1)
        ctx.curve_to(6, 5, -2, 4, -3, 1)
        ctx.set_dash([2, 1.5])
        ctx.set_source_rgba(*dark)
        ctx.set_line_width(1)
        ctx.stroke()
    elif kind == "eraser":
        ctx.rotate(-0.6)
        ctx.rectangle(-7, -4, 14, 8)
        ctx.set_source_rgba(*hexrgb("#f4a3b4"))
        ctx.fill_preserve()
        ctx.set_source_rgba(*dark)
        ctx.set_line_width(1)
        ctx.stroke()
        ctx.rectangle(-7, -4, 5, 8)
        ctx.set_source_rgba(*hexrgb("#6f86c9"))
        ctx.fill()
    elif kind == "fill":
        ctx.rotate(0.5)
        ctx.rectangle(-5, -5, 10, 10)
        ctx.set_source_rgba(*hexrgb("#c9d2dd"))
        ctx.fill_preserve()
        ctx.set_source_rgba(*dark)
        ctx.set_line_width(1)
        ctx.stroke()
        ctx.rotate(-0.5)
        ctx.move_to(5, 0)
        ctx.curve_to(9, 3, 9, 7, 7, 8)
        ctx.set_source_rgba(*hexrgb("#2b6fe0"))
        ctx.set_line_width(2.2)
        ctx.stroke()
    elif kind == "picker":
        ctx.rotate(0.8)
        ctx.rectangle(-1.5, -9, 3, 12)
        ctx.set_source_rgba(*hexrgb("#9aa3ad"))
        ctx.fill()
        ctx.rectangle(-2.5, -9, 5, 4)
        ctx.set_source_rgba(*dark)
        ctx.fill()
        ctx.move_to(0, 3)
        ctx.line_to(0, 8)
        ctx.set_source_rgba(*dark)
        ctx.set_line_width(1.2)
        ctx.stroke()
    elif kind == "zoom":
        ctx.arc(-2, -2, 5, 0, 2 * math.pi)
        ctx.set_source_rgba(*hexrgb("#dcecff"))
        ctx.fill_preserve()
        ctx.set_source_rgba(*dark)
        ctx.set_line_width(1.5)
        ctx.stroke()
        ctx.move_to(2, 2)
        ctx.line_to(7, 7)
        ctx.set_line_width(2.5)
        ctx.stroke()
    elif kind == "pencil":
        ctx.rotate(-0.785)
        ctx.rectangle(-6, -2, 11, 4)
        ctx.set_source_rgba(*hexrgb("#f2c230"))
        ctx.fill_preserve()
        ctx.set_source_rgba(*dark)
        ctx.set_line_width(1)
        ctx.stroke()
        ctx.move_to(5, -2)
        ctx.line_to(9, 0)
        ctx.line_to(5, 2)
        ctx.close_path()
        ctx.set_source_rgba(*hexrgb("#f0d9b0"))
        ctx.fill_preserve()
        ctx.set_source_rgba(*dark)
        ctx.stroke()
    elif kind == "brush":
        ctx.rotate(-0.785)
        ctx.rectangle(-8, -1.2, 9, 2.4)
        ctx.set_source_rgba(*hexrgb("#8a5a2b"))
        ctx.fill()
        ctx.rectangle(1, -2, 3, 4)
        ctx.set_source_rgba(*hexrgb("#b8bec6"))
        ctx.fill()
        ctx.move_to(4, -2)
        ctx.curve_to(8, -2, 10, 0, 10, 0)
        ctx.curve_to(10, 0, 8, 2, 4, 2)
        ctx.close_path()
        ctx.set_source_rgba(*hexrgb("#dd2222"))
        ctx.fill()
    elif kind == "spray":
        ctx.rectangle(-5, -3, 7, 10)
        ctx.set_source_rgba(*hexrgb("#6f7c8c"))
        ctx.fill()
        ctx.rectangle(-3, -6, 3, 3)
        ctx.set_source_rgba(*dark)
        ctx.fill()
        for dx, dy in ((4, -7), (6, -4), (7, -8), (5, -10), (8, -5), (3, -9)):
            ctx.rectangle(dx, dy, 1, 1)
        ctx.set_source_rgba(*hexrgb("#dd2222"))
        ctx.fill()
    elif kind == "text":
        ctx.restore()
        _text(ctx, cx - 5, cy + 6, "A", 15, "#2a2f3a", bold=True)
        return
    elif kind == "line":
        ctx.move_to(-7, 6)
        ctx.line_to(7, -6)
        ctx.set_source_rgba(*dark)
        ctx.set_line_width(1.5)
        ctx.stroke()
    elif kind == "curve":
        ctx.move_to(-7, 5)
        ctx.curve_to(-3, -12, 3, 12, 7, -5)
        ctx.set_source_rgba(*dark)
        ctx.set_line_width(1.5)
        ctx.stroke()
    elif kind == "rect":
        ctx.rectangle(-7, -5, 14, 10)
        ctx.set_source_rgba(*dark)
        ctx.set_line_width(1.5)
        ctx.stroke()
    elif kind == "ellipse":
        ctx.save()
        ctx.scale(1.0, 0.7)
        ctx.arc(0, 0, 7, 0, 2 * math.pi)
        ctx.restore()
        ctx.set_source_rgba(*dark)
        ctx.set_line_width(1.5)
        ctx.stroke()
    ctx.restore()


def _toolbox(ctx):
    kinds = ["select", "lasso", "eraser", "fill", "picker", "zoom", "pencil", "brush",
             "spray", "text", "line", "curve", "rect", "ellipse"]
    for i, kind in enumerate(kinds):
        col, row = i % 2, i // 2
        x0, y0 = 8 + col * 30, 50 + row * 30
        pressed = kind == "pencil"
        if pressed:
            _px_rect(ctx, x0, y0, x0 + 27, y0 + 27, "#d5dbe4")
        _bevel(ctx, x0, y0, x0 + 27, y0 + 27, sunken=pressed)
        _icon(ctx, kind, x0 + 14 + (1 if pressed else 0), y0 + 14 + (1 if pressed else 0))
    # Brush sizes under the tools.
    y0 = 50 + 7 * 30 + 6
    _bevel(ctx, 8, y0, 65, y0 + 66, sunken=True)
    _px_rect(ctx, 10, y0 + 2, 63, y0 + 64, "#f7f8fa")
    for i, wdt in enumerate((1, 2, 3, 5)):
        y = y0 + 10 + i * 15
        if i == 1:
            _px_rect(ctx, 12, y - 5, 61, y + 5 + (wdt > 2), "#2f6bd0")
        _px_rect(ctx, 16, y - wdt // 2, 57, y - wdt // 2 + wdt - 1, "#ffffff" if i == 1 else TEXT)


def _palette(ctx):
    # Current colours: foreground over background.
    _bevel(ctx, 8, 424, 43, 459, sunken=True)
    _px_rect(ctx, 10, 426, 41, 457, "#f7f8fa")
    _px_rect(ctx, 23, 439, 36, 452, "#ffffff")
    _bevel(ctx, 22, 438, 37, 453, sunken=False)
    _px_rect(ctx, 14, 430, 27, 443, "#1b1b1b")
    _bevel(ctx, 13, 429, 28, 444, sunken=False)
    cols = ["#000000", "#7f7f7f", "#880015", "#ed1c24", "#ff7f27", "#fff200", "#22b14c",
            "#00a2e8", "#3f48cc", "#a349a4", "#b97a57", "#1b4d3e",
            "#ffffff", "#c3c3c3", "#b5566a", "#ffaec9", "#ffc90e", "#efe4b0", "#b5e61d",
            "#99d9ea", "#7092be", "#c8bfe7", "#e0a070", "#6e3b1e"]
    for i, c in enumerate(cols):
        col, row = i % 12, i // 12
        x0, y0 = 50 + col * 17, 424 + row * 18
        _bevel(ctx, x0, y0, x0 + 15, y0 + 15, sunken=True)
        _px_rect(ctx, x0 + 2, y0 + 2, x0 + 13, y0 + 13, c)


def _keys_help(ctx):
    _group(ctx, 8, 470, 254, 570, "Keys")
    rows = [("Right button", "this window"), ("Space", "rifle mode, soldier facing"),
            ("Enter", "mend the desktop"), ("F11", "full screen / window"), ("F12", "save a picture"),
            ("M", "sound off / on"), ("Esc", "quit")]
    for i, (k, what) in enumerate(rows):
        y = 489 + i * 12
        _font(ctx, 10, True)
        kw = ctx.text_extents(k).x_advance
        round_rect(ctx, 16.5, y - 9.5, int(kw) + 8, 12, 3)
        ctx.set_source_rgba(1, 1, 1, 1)
        ctx.fill_preserve()
        ctx.set_source_rgba(*hexrgb(FACE_DARK))
        ctx.set_line_width(1)
        ctx.stroke()
        _text(ctx, 21, y, k, 10, TEXT, bold=True)
        _text(ctx, 103, y, what, 11, "#3a4252")


def _options(ctx):
    _group(ctx, 262, 434, 416, 514, "Options")
    for label, top in CHECKS:
        # 9x9 white inside at x 384-392, y top..top+8, inside a 2-pixel sunken edge.
        _bevel(ctx, CHECK_X - 2, top - 2, CHECK_X + 10, top + 10, sunken=True, depth=2)
        _px_rect(ctx, CHECK_X, top, CHECK_X + 8, top + 8, "#ffffff")
        _text(ctx, CHECK_X - 8, top + 8, label, 12, TEXT, align="right")
    # The program's name and version under the options.
    _text(ctx, 339, 540, "Mirthwick Paint", 10, "#7a8494", align="centre")
    _text(ctx, 339, 554, "version 1.0", 9, "#9aa2b0", align="centre")


def _status_bar(ctx):
    _px_rect(ctx, 2, 576, W - 3, 576, FACE_DARK)
    _bevel(ctx, 4, 579, 318, 596, sunken=True)
    _text(ctx, 9, 592, "Pick a tool, then click the desktop.", 11, "#2a3140")
    _bevel(ctx, 321, 579, 420, 596, sunken=True)
    _text(ctx, 370, 592, "425 x 600px", 11, "#2a3140", align="centre")


def chrome_layer():
    def draw(ctx):
        _px_rect(ctx, 0, 0, W - 1, H - 1, FACE)
        # Window border: dark outline, light inner edge.
        _px_rect(ctx, 0, 0, W - 1, 0, "#3a4a66")
        _px_rect(ctx, 0, 0, 0, H - 1, "#3a4a66")
        _px_rect(ctx, 0, H - 1, W - 1, H - 1, "#1f2838")
        _px_rect(ctx, W - 1, 0, W - 1, H - 1, "#1f2838")
        _px_rect(ctx, 1, 1, W - 2, 1, "#c8d6f0")
        _px_rect(ctx, 1, 1, 1, H - 2, "#c8d6f0")
        _title_bar(ctx)
        _menu_bar(ctx)
        _toolbox(ctx)
        # Canvas: white, in a sunken well.
        x0, y0, x1, y1 = CANVAS
        _bevel(ctx, x0 - 2, y0 - 2, x1 + 2, y1 + 2, sunken=True, depth=2)
        _px_rect(ctx, x0, y0, x1, y1, "#ffffff")
        _palette(ctx)
        _keys_help(ctx)
        _options(ctx)
        _status_bar(ctx)
    return render(W, H, draw)


# ---------------------------------------------------------------------------
# Canvas contents


def _resize_layer(layer, scale):
    """Area-averaged resize of a premultiplied layer."""
    h, w = layer.shape[:2]
    nw, nh = max(1, round(w * scale)), max(1, round(h * scale))
    chans = []
    for i in range(4):
        im = Image.fromarray(layer[..., i].astype(np.float32), "F")
        chans.append(np.asarray(im.resize((nw, nh), Image.BOX), np.float64))
    return np.clip(np.stack(chans, axis=-1), 0.0, 1.0)


def _crop(layer, pad=0):
    ys, xs = np.nonzero(layer[..., 3] > 0.01)
    return layer[max(0, ys.min() - pad):ys.max() + 1 + pad, max(0, xs.min() - pad):xs.max() + 1 + pad]


def _place(dst, layer, rect, margin=6, max_scale=1.0, nearest=False):
    """Scales a layer to fit the inclusive rectangle and centres it there."""
    x0, y0, x1, y1 = rect
    bw, bh = x1 - x0 + 1 - 2 * margin, y1 - y0 + 1 - 2 * margin
    h, w = layer.shape[:2]
    s = min(bw / w, bh / h, max_scale)
    if nearest:
        s = max(1, int(s))
        small = layer.repeat(s, 0).repeat(s, 1)
    else:
        small = _resize_layer(layer, s) if s != 1.0 else layer
    h, w = small.shape[:2]
    px = x0 + (x1 - x0 + 1 - w) // 2
    py = y0 + (y1 - y0 + 1 - h) // 2
    region = dst[py:py + h, px:px + w]
    dst[py:py + h, px:px + w] = over(small, region)


def _lighter_with_flame():
    flame = effects.flame_strip(52)[:, 80:160]
    pic = np.zeros((tools.SIZE, tools.SIZE, 4))
    pic[12:12 + 80, 125:125 + 80] = flame
    return over(tools.lighter_picture(), pic)


def _rifle_body():
    body = render(tools.SIZE, tools.SIZE, lambda ctx: (tools._rifle_frame(ctx), tools.draw_rifle(ctx)))
    return over(body, tools.shadow(body, 4, 6, 3.0, 0.3))


def _load_rgba(num):
    p = IMAGES / f"{num}.png"
    if not p.exists():
        return None
    a = np.asarray(Image.open(p).convert("RGBA"), np.float64) / 255.0
    return np.concatenate([a[..., :3] * a[..., 3:4], a[..., 3:4]], axis=-1)


def _placeholder(num):
    """A plain stick figure in the army's colour, clearly marked as a stand-in."""
    green = num in (301, 4)
    flame = num in (4, 3)
    col = (0.1, 0.6, 0.15) if green else (0.15, 0.3, 0.85)

    def draw(ctx):
        ctx.set_line_cap(cairo.LINE_CAP_ROUND)
        ctx.set_source_rgba(*col, 1)
        ctx.set_line_width(3)
        ctx.arc(20, 8, 5, 0, 2 * math.pi)
        ctx.stroke()
        for a, b in (((20, 13), (20, 27)), ((20, 27), (14, 38)), ((20, 27), (26, 38)),
                     ((20, 17), (12, 24)), ((20, 17), (28, 22))):
            ctx.move_to(*a)
            ctx.line_to(*b)
        ctx.stroke()
        if flame:
            ctx.arc(31, 19, 3.5, 0, 2 * math.pi)
            ctx.set_source_rgba(1, 0.5, 0.1, 1)
            ctx.fill()
        else:
            ctx.move_to(28, 22)
            ctx.line_to(36, 8)
            ctx.set_source_rgba(0.4, 0.4, 0.45, 1)
            ctx.set_line_width(2)
            ctx.stroke()
    fig = render(40, 40, draw)

    def mark(ctx):
        ctx.rectangle(1.5, 1.5, 47, 76)
        ctx.set_dash([3, 2])
        ctx.set_source_rgba(0.85, 0.1, 0.1, 1)
        ctx.set_line_width(1)
        ctx.stroke()
        ctx.set_dash([])
        _text(ctx, 25, 74, "TEMP", 9, "#d01818", bold=True, align="centre")
    out = render(51, 80, mark)
    out[14:54, 5:45] = over(fig, out[14:54, 5:45])
    return out


def _smiley(ctx, cx, cy, r):
    """A brush-painted smiley in the canvas's empty corner."""
    rng = np.random.default_rng(9)
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.arc(cx, cy, r, 0, 2 * math.pi)
    ctx.set_source_rgba(*hexrgb("#ffd83a"))
    ctx.fill()
    # Wobbly outline in a few overlapping strokes.
    for i in range(3):
        a0 = rng.uniform(0, 2 * math.pi)
        pts = [(cx + (r + rng.uniform(-0.8, 0.8)) * math.cos(a0 + t * 0.3),
                cy + (r + rng.uniform(-0.8, 0.8)) * math.sin(a0 + t * 0.3)) for t in range(9)]
        ctx.move_to(*pts[0])
        for p in pts[1:]:
            ctx.line_to(*p)
        ctx.set_source_rgba(*hexrgb("#c98a00"))
        ctx.set_line_width(1.6)
        ctx.stroke()
    for ex in (-0.35, 0.35):
        ctx.save()
        ctx.translate(cx + ex * r, cy - 0.25 * r)
        ctx.scale(1.0, 1.6)
        ctx.arc(0, 0, r * 0.1, 0, 2 * math.pi)
        ctx.restore()
        ctx.set_source_rgba(*hexrgb("#2a2010"))
        ctx.fill()
    ctx.arc(cx, cy + 0.05 * r, 0.58 * r, math.radians(25), math.radians(155))
    ctx.set_source_rgba(*hexrgb("#2a2010"))
    ctx.set_line_width(2.0)
    ctx.stroke()


def canvas_layer():
    layer = render(W, H, lambda ctx: _smiley(ctx, 378.5, 385.5, 16.0))
    _place(layer, _crop(tools.hammer_picture(**tools.HAMMER_RAISED)), HAMMER_RECT, margin=8)
    _place(layer, _crop(_lighter_with_flame()), LIGHTER_RECT, margin=8)
    _place(layer, _crop(_rifle_body()), RIFLE_RECT, margin=6)
    for num, rect in SOLDIER_RECTS.items():
        pic = _load_rgba(num)
        if pic is None or pic[..., 3].max() == 0:
            x0, y0 = rect[0], rect[1]
            ph = _placeholder(num)
            layer[y0:y0 + 80, x0:x0 + 51] = over(ph, layer[y0:y0 + 80, x0:x0 + 51])
            continue
        fig = _crop(pic)
        h, w = fig.shape[:2]
        rw, rh = rect[2] - rect[0] + 1, rect[3] - rect[1] + 1
        scale = 2 if (2 * w <= rw - 4 and 2 * h <= rh - 4) else 1
        _place(layer, fig, rect, margin=0, max_scale=scale, nearest=True)
    return layer


def panel_rgba():
    layer = over(canvas_layer(), chrome_layer())
    rgba = to_rgba8(layer, min_alpha=0)
    rgba[..., 3] = 255            # the panel is copied, not blended: opaque everywhere
    return rgba


def main():
    save_png(panel_rgba(), IMAGES / "2.png")


if __name__ == "__main__":
    main()
