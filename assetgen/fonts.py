#!/usr/bin/python3
"""Glyph sheets for the two bitmap fonts.

Writes assets/Files/Img/fixedsys16x28.bmp (cells 16x28) and
assets/Files/Img/Consolas13x24-2.bmp (cells 13x24): 24-bit bottom-up BMPs
holding the characters 32..126 in code order, 32 cells to a row. The
program treats exactly-black pixels as ink and everything else as
background, so glyphs are rasterised without anti-aliasing (FreeType's
monochrome mode) and written as pure black on pure white.

Sources (both Debian packages, see assets/LICENSES.md):
  - Terminus Font Bold, 8x14 bitmap strike (fonts-terminus-otb), every
    pixel doubled to 16x28: the chunky look of a fixed-width system font.
  - Noto Sans Mono Bold (fonts-noto-mono) at 21 px: a humanist monospaced
    programming font, hinted and rendered monochrome.
"""
import struct
from pathlib import Path

from PIL import Image, ImageDraw, ImageFont, ImageOps

ROOT = Path(__file__).resolve().parent.parent
OUT_DIR = ROOT / "assets" / "Files" / "Img"

TERMINUS_BOLD = "/usr/share/fonts/opentype/terminus/terminus-bold.otb"
NOTO_MONO_BOLD = "/usr/share/fonts/truetype/noto/NotoSansMono-Bold.ttf"

FIRST, LAST, PER_ROW = 32, 126, 32


def ink_of(font, ch, thicken=False):
    """Monochrome ink of one character as (mask, left, top) relative to the
    pen origin on the baseline; mask is a 0/255 'L' image, None if blank.
    thicken adds one row of ink below every inked pixel."""
    pad = 64
    canvas = Image.new("L", (pad * 2, pad * 2), 0)
    draw = ImageDraw.Draw(canvas)
    draw.fontmode = "1"  # FreeType monochrome rendering: no grey pixels
    draw.text((pad, pad), ch, font=font, fill=255, anchor="ls")
    if thicken:
        canvas.paste(255, (0, 1), canvas.copy())
    box = canvas.getbbox()
    if box is None:
        return None
    mask = canvas.crop(box).point(lambda v: 255 if v >= 128 else 0)
    return mask, box[0] - pad, box[1] - pad


def layout(font, cell_w, cell_h, scale, thicken=""):
    """Place each glyph in its cell (in font pixels, before scaling).

    All glyphs share one baseline, chosen so that the union of every
    glyph's ink rows sits centred in the cell, and one pen position that
    centres the advance width; a glyph whose ink would leave its cell
    sideways is nudged back in. Characters in thicken get their strokes
    thickened by one pixel. Returns {code: (mask, x, y)}.
    """
    w, h = cell_w // scale, cell_h // scale
    inks = {c: ink_of(font, chr(c), chr(c) in thicken) for c in range(FIRST, LAST + 1)}
    tops = [i[2] for i in inks.values() if i]
    bottoms = [i[2] + i[0].height for i in inks.values() if i]
    span = max(bottoms) - min(tops)
    if span > h:
        raise SystemExit(f"glyphs are {span} px tall, the cell only {h}")
    baseline = (h - span) // 2 - min(tops)
    pen = round((w - font.getlength("M")) / 2)
    placed = {}
    for c, ink in inks.items():
        if ink is None:
            continue
        mask, left, top = ink
        if mask.width > w:
            raise SystemExit(f"glyph {chr(c)!r} is {mask.width} px wide, the cell only {w}")
        x = min(max(pen + left, 0), w - mask.width)
        placed[c] = (mask, x, baseline + top)
    return placed


def glyph_sheet(font, cell_w, cell_h, scale=1, thicken="", nudge=0):
    """A white 'L' sheet with the glyphs of 32..126 in black. nudge moves
    every glyph that many sheet pixels to the right, as far as its ink
    stays inside the cell."""
    rows = (LAST - FIRST + PER_ROW) // PER_ROW
    sheet = Image.new("L", (PER_ROW * cell_w, rows * cell_h), 255)
    for c, (mask, x, y) in layout(font, cell_w, cell_h, scale, thicken).items():
        cell = Image.new("L", (cell_w // scale, cell_h // scale), 255)
        cell.paste(0, (x, y), mask)
        if scale != 1:
            cell = cell.resize((cell_w, cell_h), Image.NEAREST)
        if nudge:
            right = ImageOps.invert(cell).getbbox()[2]
            step = min(nudge, cell_w - right)
            if step > 0:
                shifted = Image.new("L", cell.size, 255)
                shifted.paste(cell.crop((0, 0, cell_w - step, cell_h)), (step, 0))
                cell = shifted
        g = c - FIRST
        sheet.paste(cell, ((g % PER_ROW) * cell_w, (g // PER_ROW) * cell_h))
    return sheet


def bmp24(img):
    """Uncompressed 24-bit BMP bytes, bottom row first, rows padded to 4."""
    w, h = img.size
    rgb = img.convert("RGB").tobytes()
    row = (w * 3 + 3) & ~3
    body = bytearray()
    for y in range(h - 1, -1, -1):
        line = rgb[y * w * 3:(y + 1) * w * 3]
        bgr = bytearray(len(line))
        bgr[0::3], bgr[1::3], bgr[2::3] = line[2::3], line[1::3], line[0::3]
        body += bgr + b"\0" * (row - w * 3)
    offset = 14 + 40
    header = struct.pack("<2sIHHI", b"BM", offset + len(body), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(body),
                       2835, 2835, 0, 0)
    return header + info + bytes(body)


def main():
    for path, package in ((TERMINUS_BOLD, "fonts-terminus-otb"), (NOTO_MONO_BOLD, "fonts-noto-mono")):
        if not Path(path).exists():
            raise SystemExit(f"{path} is missing: apt-get install {package}")
    OUT_DIR.mkdir(parents=True, exist_ok=True)
    sheets = {
        # Terminus draws in the left 7 of its 8 columns: centre that in 16.
        "fixedsys16x28.bmp": glyph_sheet(ImageFont.truetype(TERMINUS_BOLD, 14), 16, 28, scale=2, nudge=1),
        # The monochrome hinter thins Noto's tilde to a one-pixel hairline.
        "Consolas13x24-2.bmp": glyph_sheet(ImageFont.truetype(NOTO_MONO_BOLD, 21), 13, 24, thicken="~"),
    }
    for name, sheet in sheets.items():
        (OUT_DIR / name).write_bytes(bmp24(sheet))
        print("wrote", OUT_DIR / name)


if __name__ == "__main__":
    main()
