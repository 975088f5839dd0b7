// Bitmap-font text.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "gfx/image.h"

namespace mw {

inline constexpr int32_t FONT_STORE_PIXELS = 43008;  // room for a 512 x 84 sheet

// A glyph sheet of the characters 32 to 126, glyphsPerRow cells to a row; exact black pixels
// (0xFF000000) form the letters.
struct BitmapFont {
  int32_t glyphWidth = 0;
  int32_t glyphHeight = 0;
  int32_t glyphsPerRow = 0;
  const uint32_t* pixels = nullptr;  // a store of FONT_STORE_PIXELS, row stride glyphsPerRow x glyphWidth
};

// Reads a 24-bit uncompressed bottom-up BMP glyph sheet of the expected width into a store of
// FONT_STORE_PIXELS opaque pixels. A missing or unsuitable file is reported once on standard error,
// naming it, and leaves the store empty (no pixel is black, so the font draws nothing). True when
// the sheet was read.
bool readFontBitmap(const std::string& path, uint32_t* store, int32_t expectedWidth);
// The same from the bytes of a sheet's file: fills the store, or empties it and says why the sheet
// cannot be used. Null when the sheet was read.
const char* decodeFontSheet(const uint8_t* bytes, size_t size, uint32_t* store, int32_t expectedWidth);
// Draws a zero-terminated string with its first cell's top-left corner at (x, y); bytes outside 32
// to 126 leave their cell empty. Pixels off the canvas are skipped.
void drawText(Canvas canvas, const char* text, int32_t x, int32_t y, const BitmapFont& font, uint32_t colour);

}  // namespace mw
