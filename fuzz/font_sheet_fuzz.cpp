// Fuzzes the font sheet reader with both sheets' widths, and draws every character with what it read.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "gfx/text.h"

namespace {
uint32_t store[mw::FONT_STORE_PIXELS];
uint32_t canvasPixels[64 * 40];
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const struct {
    int32_t glyphWidth, glyphHeight;
  } fonts[] = {{16, 28}, {13, 24}};
  for (const auto& f : fonts) {
    const char* problem = mw::decodeFontSheet(data, size, store, f.glyphWidth * 32);
    if (problem != nullptr) {
      for (uint32_t p : store)
        if (p != 0) std::abort();  // a refused sheet leaves the store empty
    }
    // Every printable character, partly off a small canvas on each side.
    char text[96];
    for (int i = 0; i < 95; ++i) text[i] = static_cast<char>(32 + i);
    text[95] = '\0';
    const mw::Canvas canvas{canvasPixels, 64, 40};
    mw::drawText(canvas, text, -5, -3, mw::BitmapFont{f.glyphWidth, f.glyphHeight, 32, store}, 0xFF00FF00u);
    mw::drawText(canvas, text + 60, 50, 30, mw::BitmapFont{f.glyphWidth, f.glyphHeight, 32, store}, 0xFF0000FFu);
  }
  return 0;
}
