// Bitmap-font text and the statistics overlay.
#include "gfx/text.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/files.h"
#include "gfx/bands.h"
#include "gfx/compositing.h"
#include "world/world.h"

namespace mw {

namespace {

constexpr uint32_t GLYPH_PIXEL = 0xFF000000u;
constexpr int32_t FIRST_CHARACTER = 32;
constexpr int32_t LAST_CHARACTER = 126;

uint32_t read32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

// Why a sheet cannot be used, or null when it can.
const char* checkSheet(const uint8_t* file, size_t size, int32_t expectedWidth) {
  if (size == 0) return "cannot be read";
  if (size < 54 || file[0] != 'B' || file[1] != 'M' || read32(&file[14]) < 40) return "is not a BMP file";
  const int32_t width = static_cast<int32_t>(read32(&file[18]));
  const int32_t height = static_cast<int32_t>(read32(&file[22]));
  const uint32_t bits = file[28] | file[29] << 8;
  if (bits != 24 || read32(&file[30]) != 0) return "is not an uncompressed 24-bit BMP";
  if (width != expectedWidth) return "has the wrong width";
  if (height <= 0) return "is not stored bottom row first";
  if (int64_t{width} * height > FONT_STORE_PIXELS) return "is too large";
  const uint64_t rowBytes = (static_cast<uint64_t>(width) * 3 + 3) / 4 * 4;
  if (read32(&file[10]) + rowBytes * static_cast<uint64_t>(height) > size) return "is cut short";
  return nullptr;
}

}  // namespace

bool readFontBitmap(const std::string& path, uint32_t* store, int32_t expectedWidth) {
  // The largest sheet the store holds, in padded 24-bit rows, with room for a larger header.
  constexpr uint64_t LARGEST_SHEET_BYTES = uint64_t{FONT_STORE_PIXELS} * 4 + 4096;
  ReadProblem why = ReadProblem::None;
  const std::vector<uint8_t> file = readFileBytes(path, LARGEST_SHEET_BYTES, &why);
  const char* problem = why == ReadProblem::TooLarge ? "is too large" : nullptr;
  if (problem == nullptr) problem = decodeFontSheet(file.data(), file.size(), store, expectedWidth);
  if (problem != nullptr) {
    std::fprintf(stderr, "mirthwick: font sheet %s %s (expected an uncompressed 24-bit BMP %d pixels wide); "
                 "its text is not drawn\n", path.c_str(), problem, expectedWidth);
    return false;
  }
  return true;
}

const char* decodeFontSheet(const uint8_t* file, size_t size, uint32_t* store, int32_t expectedWidth) {
  std::fill(store, store + FONT_STORE_PIXELS, 0u);
  if (const char* problem = checkSheet(file, size, expectedWidth)) return problem;
  const int32_t width = static_cast<int32_t>(read32(&file[18]));
  const int32_t height = static_cast<int32_t>(read32(&file[22]));
  const size_t rowBytes = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;  // rows are padded to 4 bytes
  const uint8_t* data = file + read32(&file[10]);
  // The file stores the bottom row first.
  for (int32_t row = height - 1, stored = 0; row >= 0; --row, ++stored) {
    const uint8_t* p = data + static_cast<size_t>(stored) * rowBytes;
    uint32_t* out = store + static_cast<size_t>(row) * width;
    for (int32_t column = 0; column < width; ++column, p += 3) {
      out[column] = 0xFF000000u | static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
    }
  }
  return nullptr;
}

void drawText(Canvas canvas, const char* text, int32_t x, int32_t y, const BitmapFont& font, uint32_t colour) {
  if (canvas.pixels == nullptr || text == nullptr || font.pixels == nullptr) return;
  const int64_t gw = font.glyphWidth;
  const int64_t gh = font.glyphHeight;
  const int64_t perRow = font.glyphsPerRow;
  if (gw <= 0 || gh <= 0 || perRow <= 0) return;
  // Every glyph cell must lie inside the store.
  const int64_t stride = perRow * gw;
  const int64_t sheetRows = ((LAST_CHARACTER - FIRST_CHARACTER) / perRow + 1) * gh;
  if (stride * sheetRows > FONT_STORE_PIXELS) return;
  // The rows of a cell that fall on the screen; columns are clipped per cell below.
  drawDeferredFirst(canvas);
  const int64_t r0 = std::max<int64_t>(0, -int64_t{y});
  const int64_t r1 = std::min<int64_t>(gh, int64_t{canvas.height} - y);
  int64_t i = 0;
  for (; text[i] != '\0'; ++i) {
    const int64_t cx = x + i * gw;
    if (cx >= canvas.width) break;  // this cell and every later one lie right of the screen
    const int32_t ch = static_cast<uint8_t>(text[i]);
    if (ch < FIRST_CHARACTER || ch > LAST_CHARACTER) continue;  // its cell stays empty
    const int64_t g = ch - FIRST_CHARACTER;
    const uint32_t* cell = font.pixels + (g / perRow) * gh * stride + (g % perRow) * gw;
    const int64_t c0 = std::max<int64_t>(0, -cx);
    const int64_t c1 = std::min<int64_t>(gw, canvas.width - cx);
    for (int64_t r = r0; r < r1; ++r) {
      const uint32_t* sheet = cell + r * stride;
      uint32_t* dst = canvas.pixels + (y + r) * canvas.width + cx;
      for (int64_t c = c0; c < c1; ++c) {
        if (sheet[c] == GLYPH_PIXEL) dst[c] = colour;
      }
    }
  }
  if ((colour >> 24) != 0xFF) noteTranslucent(canvas);
  noteDrawn(canvas, x, int64_t{y} + r0, x + i * gw, int64_t{y} + r1);
}

void drawStatistics(World& world) {
  char (&lines)[3][16] = world.statisticsText;
  std::snprintf(lines[0], sizeof lines[0], "Green: %d", world.green.count);
  std::snprintf(lines[1], sizeof lines[1], "Blue: %d", world.blue.count);
  std::snprintf(lines[2], sizeof lines[2], "Fires: %d", world.lighterFires.count);
  const Canvas canvas = world.canvas();
  drawText(canvas, lines[0], 10, 5, world.statsFont, 0xFF00FF00u);
  drawText(canvas, lines[1], canvas.width - 140, 5, world.statsFont, 0xFF0000FFu);
  drawText(canvas, lines[2], canvas.width / 2 - 140, 5, world.statsFont, 0xFFFF0000u);
}

}  // namespace mw
