// Drawing routines: blends and copies into the frame buffer, stamps into the desktop picture.
// Plain pixel-by-pixel versions of the same routines are in compositing_reference.h. On a canvas
// that defers its drawing (bands.h), blends and level lines wait in its list; every other routine
// first draws what waits. Stamps into a picture whose drawing is deferred wait too.
#pragma once
#include <cstdint>

#include "gfx/image.h"

namespace mw {

// Truncating alpha blend of src over dst; the result is always opaque. (The row kernels use the same
// arithmetic without the divide.)
inline uint32_t blendColour(uint32_t src, uint32_t dst) {
  const uint32_t a = src >> 24;
  const uint32_t na = 255 - a;
  const uint32_t r = (((src >> 16) & 0xFF) * a + ((dst >> 16) & 0xFF) * na) / 255;
  const uint32_t g = (((src >> 8) & 0xFF) * a + ((dst >> 8) & 0xFF) * na) / 255;
  const uint32_t b = ((src & 0xFF) * a + (dst & 0xFF) * na) / 255;
  return 0xFF000000u | (r << 16) | (g << 8) | b;
}

// Records that the pixels x0 <= x < x1, y0 <= y < y1 of the canvas were drawn, so that the next
// frame rebuilds them; every routine that writes into a canvas calls it with what it wrote.
void noteDrawn(const Canvas& canvas, int64_t x0, int64_t y0, int64_t x1, int64_t y1);

// Records that a pixel whose alpha is not 255 may have been written: the canvas is no longer
// known to be opaque for the rest of the frame.
void noteTranslucent(const Canvas& canvas);

// Blends one colour into the canvas; pixels off the canvas are skipped.
void blendPixel(Canvas canvas, int32_t x, int32_t y, uint32_t colour);
// Opaque line, one pixel per step along the longer axis, both end points drawn; points off the
// canvas are skipped.
void drawLine(Canvas canvas, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t red, int32_t green,
              int32_t blue);
// Copies an image, alpha byte included, skipping pixels equal to its key; clipped to the canvas.
void blitKeyed(Canvas canvas, int32_t x, int32_t y, const Image& image);
// Blends an image; clipped to the canvas.
void blendImage(Canvas canvas, int32_t x, int32_t y, const Image& image);
// Blends a tool picture (no key); clipped to the canvas.
void drawToolPicture(Canvas canvas, const ToolPicture& picture, int32_t x, int32_t y);

// Stamps blend a picture into a lasting target image. The source's row 0 and column 0, and the first
// visible row or column at a cut-off left or top edge, are never drawn. Clipped to the screen (of
// the size given) and to the target.
void stampImage(int32_t x, int32_t y, const Image& source, Image& target, ScreenSize screen);
// As stampImage; mirrored left to right unless facing is 1 (target column c shows source column w - c).
void stampImageFacing(int32_t x, int32_t y, const Image& source, Image& target, ScreenSize screen, uint8_t facing);
// As stampImage in orientation k (0 to 7): 0 as stored, 1 mirrored left to right, 2 about the main
// diagonal, 3 a quarter turn anticlockwise, 4 about the other diagonal, 5 a half turn, 6 mirrored
// top to bottom, 7 a quarter turn clockwise. Callers draw k at random (the world's generator, % 8)
// whether or not anything shows. For square sources; a non-square one is kept inside its bounds
// by turned orientations covering h columns and w rows.
void stampOriented(int32_t x, int32_t y, const Image& source, Image& target, ScreenSize screen, int k);
// stampOriented at once, whatever waits: only the target rows top <= row < bottom are blended, and
// the target's damage (the whole stamp's) is recorded only when markDamage is set.
void stampOrientedRows(int32_t x, int32_t y, const Image& source, Image& target, ScreenSize screen, int k,
                       int32_t top, int32_t bottom, bool markDamage);

// The frame's background: the desktop picture where it covers the canvas, except pixels equal to
// its key, and 0 everywhere else.
void copyBackground(Canvas canvas, const Image& desktop);
// copyBackground over the canvas pixels x0 <= x < x1, y0 <= y < y1 only (already clipped).
void copyBackgroundRect(Canvas canvas, const Image& desktop, int32_t x0, int32_t y0, int32_t x1, int32_t y1);

}  // namespace mw
