// Bitmap-font text and the statistics overlay.
#pragma once
#include <cstdint>
#include <string>

#include "gfx/image.h"

namespace mw {

struct World;

inline constexpr int32_t FONT_STORE_PIXELS = 43008;  // room for a 512 x 84 sheet

struct BitmapFont {
  int32_t glyphWidth = 0;
  int32_t glyphHeight = 0;
  int32_t glyphsPerRow = 0;
  const uint32_t* pixels = nullptr;
};

// Reads a 24-bit glyph sheet into a fixed store of FONT_STORE_PIXELS pixels.
void readFontBitmap(const std::string& path, uint32_t* store);
// Draws a zero-terminated string with its first cell's top-left corner at (x, y).
void drawText(Canvas canvas, const char* text, int32_t x, int32_t y, const BitmapFont& font, uint32_t colour);
// The three counters along the top edge.
void drawStatistics(World& world);

}  // namespace mw
