#!/usr/bin/python3
"""Render every piece of artwork onto one labelled contact sheet.

Usage: contact_sheet.py [OUTPUT.png]   (default /tmp/mirthwick-contact.png)

Shows each PNG in assets/images at 1x and enlarged (4x; 2x for pictures
larger than 128 px, so the big ones stay viewable), strips split into
their frames; the icons and the cursor (hot spot marked); and the two font
sheets with sample lines drawn from them the way the program draws text
(only exactly-black sheet pixels become ink). Transparent areas show as a
checkerboard. Nothing in assets/ is written.
"""
import sys
from pathlib import Path

from PIL import Image, ImageDraw, ImageFont

ROOT = Path(__file__).resolve().parent.parent
ASSETS = ROOT / "assets"
MAX_WIDTH = 1900
GAP = 12
BG = (52, 56, 62)
TEXT = (235, 235, 235)
DIM = (150, 155, 160)

try:
    LABEL_FONT = ImageFont.truetype("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 13)
    TITLE_FONT = ImageFont.truetype("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", 18)
except OSError:
    LABEL_FONT = TITLE_FONT = ImageFont.load_default()


def checker(w, h, cell=8):
    board = Image.new("RGBA", (w, h), (205, 205, 205, 255))
    draw = ImageDraw.Draw(board)
    for y in range(0, h, cell):
        for x in range((y // cell) % 2 * cell, w, cell * 2):
            draw.rectangle([x, y, x + cell - 1, y + cell - 1], fill=(245, 245, 245, 255))
    return board


def on_checker(img, scale):
    big = img.resize((img.width * scale, img.height * scale), Image.NEAREST)
    board = checker(big.width, big.height)
    board.alpha_composite(big)
    return board


def frames_of(img):
    """Strips are a row of square frames (40x40 soldiers, 80x80 flames)."""
    w, h = img.size
    if w > h and w % h == 0:
        return [img.crop((i * h, 0, (i + 1) * h, h)) for i in range(w // h)]
    return [img]


def tile(label, img, hotspot=None):
    """One labelled tile: the picture at 1x, then enlarged (frames apart)."""
    frames = frames_of(img)
    scale = 4 if max(frames[0].size) <= 128 else 2
    parts = [on_checker(img, 1)]
    zoomed = [on_checker(f, scale) for f in frames]
    if hotspot:
        d = ImageDraw.Draw(zoomed[0])
        x, y = hotspot[0] * scale, hotspot[1] * scale
        d.rectangle([x - 1, y - 1, x + scale, y + scale], outline=(0, 200, 255, 255))
    fw = sum(z.width for z in zoomed) + 4 * (len(zoomed) - 1)
    strip = Image.new("RGBA", (fw, zoomed[0].height), BG + (255,))
    x = 0
    for z in zoomed:
        strip.paste(z, (x, 0))
        x += z.width + 4
    parts.append(strip)
    note = f"{label}  {img.width}x{img.height}"
    if len(frames) > 1:
        note += f"  {len(frames)} frames"
    note += f"  (x{scale})"
    if img.mode != "RGBA":
        note += f"  mode {img.mode}!"
    text_w = int(LABEL_FONT.getlength(note))
    w = max(text_w, sum(p.width for p in parts) + GAP * (len(parts) - 1))
    h = 18 + max(p.height for p in parts)
    out = Image.new("RGBA", (w, h), BG + (255,))
    d = ImageDraw.Draw(out)
    d.text((0, 0), note, font=LABEL_FONT, fill=TEXT)
    x = 0
    for p in parts:
        out.paste(p, (x, 18))
        x += p.width + GAP
    return out


def text_sample(sheet, cell_w, cell_h, lines):
    """Draw lines of (text, colour) from a glyph sheet the way the program
    does: a sheet pixel is ink exactly when it is pure black."""
    rgb = sheet.convert("RGB")
    w = max(len(t) for t, _ in lines) * cell_w + 16
    out = Image.new("RGBA", (w, len(lines) * cell_h + 16), (176, 172, 160, 255))
    px = out.load()
    src = rgb.load()
    for row, (text, colour) in enumerate(lines):
        for i, ch in enumerate(text):
            code = ord(ch)
            if code < 32 or code > 126:
                continue
            g = code - 32
            sx, sy = (g % 32) * cell_w, (g // 32) * cell_h
            for r in range(cell_h):
                for c in range(cell_w):
                    if src[sx + c, sy + r] == (0, 0, 0):
                        px[8 + i * cell_w + c, 8 + row * cell_h + r] = colour + (255,)
    return out


def font_tile(label, path, cell_w, cell_h, lines):
    sheet = Image.open(path)
    big = sheet.convert("RGBA").resize((sheet.width * 2, sheet.height * 2), Image.NEAREST)
    grid = ImageDraw.Draw(big)
    for x in range(0, big.width, cell_w * 2):
        grid.line([(x, 0), (x, big.height)], fill=(255, 150, 150, 255))
    for y in range(0, big.height, cell_h * 2):
        grid.line([(0, y), (big.width, y)], fill=(255, 150, 150, 255))
    sample = text_sample(sheet, cell_w, cell_h, lines)
    sample = sample.resize((sample.width * 2, sample.height * 2), Image.NEAREST)
    parts = [sheet.convert("RGBA"), big, sample]
    note = f"{label}  {sheet.width}x{sheet.height} {sheet.mode}  cells {cell_w}x{cell_h}  (1x, x2 with cell grid, x2 sample)"
    w = max(int(LABEL_FONT.getlength(note)), max(p.width for p in parts))
    h = 18 + sum(p.height for p in parts) + GAP * 2
    out = Image.new("RGBA", (w, h), BG + (255,))
    ImageDraw.Draw(out).text((0, 0), note, font=LABEL_FONT, fill=TEXT)
    y = 18
    for p in parts:
        out.paste(p, (0, y))
        y += p.height + GAP
    return out


def flow(title, tiles, notes=()):
    """Lay tiles out left to right, wrapping at MAX_WIDTH, under a title."""
    rows, row, x = [], [], 0
    for t in tiles:
        if row and x + t.width > MAX_WIDTH:
            rows.append(row)
            row, x = [], 0
        row.append(t)
        x += t.width + GAP * 2
    if row:
        rows.append(row)
    height = 30 + 18 * len(notes) + sum(max(t.height for t in r) + GAP * 2 for r in rows)
    width = max([MAX_WIDTH] + [sum(t.width + GAP * 2 for t in r) for r in rows])
    out = Image.new("RGBA", (width, height), BG + (255,))
    d = ImageDraw.Draw(out)
    d.text((0, 4), title, font=TITLE_FONT, fill=TEXT)
    y = 30
    for n in notes:
        d.text((0, y), n, font=LABEL_FONT, fill=DIM)
        y += 18
    for r in rows:
        x = 0
        for t in r:
            out.paste(t, (x, y))
            x += t.width + GAP * 2
        y += max(t.height for t in r) + GAP * 2
    return out


def main():
    target = Path(sys.argv[1]) if len(sys.argv) > 1 else Path("/tmp/mirthwick-contact.png")
    sections = []

    images = sorted((ASSETS / "images").glob("*.png"),
                    key=lambda p: (0, int(p.stem)) if p.stem.isdigit() else (1, p.stem))
    sections.append(flow("assets/images", [tile(p.name, Image.open(p)) for p in images],
                         [] if images else ["(no pictures yet)"]))

    icon_dir = ASSETS / "icons"
    icon_tiles = []
    for name, hotspot in (("101.png", None), ("103.png", None), ("13.png", (16, 16))):
        if (icon_dir / name).exists():
            label = name + ("  cursor, hot spot 16,16" if hotspot else "  icon")
            icon_tiles.append(tile(label, Image.open(icon_dir / name), hotspot))
    sections.append(flow("assets/icons", icon_tiles, [] if icon_tiles else ["(no icons yet)"]))

    font_dir = ASSETS / "Files" / "Img"
    font_tiles = []
    if (font_dir / "fixedsys16x28.bmp").exists():
        font_tiles.append(font_tile("fixedsys16x28.bmp", font_dir / "fixedsys16x28.bmp", 16, 28,
                                    [("Green: 12", (0, 255, 0)), ("Fires: 3", (255, 0, 0)),
                                     ("Blue: 7", (0, 0, 255))]))
    if (font_dir / "Consolas13x24-2.bmp").exists():
        font_tiles.append(font_tile("Consolas13x24-2.bmp", font_dir / "Consolas13x24-2.bmp", 13, 24,
                                    [("   Single", (255, 0, 255)), ("    Burst", (255, 0, 255)),
                                     ("Full-Auto", (255, 0, 255))]))
    sections.append(flow("assets/Files/Img (font sheets)", font_tiles,
                         [] if font_tiles else ["(no font sheets yet)"]))

    width = max(s.width for s in sections)
    height = sum(s.height for s in sections) + GAP * len(sections)
    sheet = Image.new("RGB", (width, height), BG)
    y = 0
    for s in sections:
        sheet.paste(s.convert("RGB"), (0, y))
        y += s.height + GAP
    sheet.save(target)
    print(f"wrote {target} ({width}x{height})")


if __name__ == "__main__":
    main()
