// The statistics, the start hint and the notices.
#include "world/overlays.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "gfx/bands.h"
#include "gfx/compositing.h"
#include "gfx/text.h"
#include "world/world.h"

namespace mw {

namespace {

constexpr uint32_t LINE_TEXT = 0xFFFFFFFFu;
constexpr uint32_t LINE_BAND = 0xFF181818u;
constexpr int32_t LINE_MARGIN = 8;
// Band tops measured up from the bottom edge: clear of a task bar, the notice above the hint.
constexpr int32_t HINT_RAISE = 110;
constexpr int32_t NOTICE_RAISE = 160;

// One line of text, centred across the canvas, white on a dark band whose top is at y.
void drawBandLine(Canvas canvas, const BitmapFont& font, const char* text, int32_t y) {
  if (canvas.pixels == nullptr || font.glyphWidth <= 0 || font.glyphHeight <= 0) return;
  const int64_t textWidth = static_cast<int64_t>(std::strlen(text)) * font.glyphWidth;
  const int64_t left = (canvas.width - textWidth) / 2;
  const int64_t x0 = std::max<int64_t>(0, left - LINE_MARGIN);
  const int64_t x1 = std::min<int64_t>(canvas.width, left + textWidth + LINE_MARGIN);
  const int64_t y0 = std::max<int64_t>(0, y);
  const int64_t y1 = std::min<int64_t>(canvas.height, static_cast<int64_t>(y) + font.glyphHeight + 2 * LINE_MARGIN);
  if (x0 >= x1 || y0 >= y1) return;
  drawDeferredFirst(canvas);
  for (int64_t row = y0; row < y1; ++row)
    std::fill(canvas.pixels + row * canvas.width + x0, canvas.pixels + row * canvas.width + x1, LINE_BAND);
  noteDrawn(canvas, x0, y0, x1, y1);
  drawText(canvas, text, static_cast<int32_t>(left), y + LINE_MARGIN, font, LINE_TEXT);
}

}  // namespace

void updateHint(World& world) {
  if (world.hintShown == 0) return;
  bool keyDown = false;
  for (int vk = 1; vk < 256 && !keyDown; ++vk) keyDown = world.keys[vk] != 0;
  if (world.frameNumber >= HINT_FRAMES || world.mouse->right || keyDown) world.hintShown = 0;
}

void showNotice(World& world, const char* text, int32_t frames) {
  std::strncpy(world.noticeText, text, NOTICE_CHARS - 1);
  world.noticeText[NOTICE_CHARS - 1] = '\0';
  world.noticeTimer = frames;
}

void drawOverlays(World& world) {
  const Canvas canvas = world.canvas();
  if (world.hintShown) drawBandLine(canvas, world.labelFont, HINT_TEXT, canvas.height - HINT_RAISE);
  if (world.noticeTimer > 0) {
    drawBandLine(canvas, world.labelFont, world.noticeText, canvas.height - NOTICE_RAISE);
    --world.noticeTimer;
  }
}

namespace {

void formatStatistics(const World& world, char (&lines)[3][16]) {
  std::snprintf(lines[0], sizeof lines[0], "Green: %d", world.green.count);
  std::snprintf(lines[1], sizeof lines[1], "Blue: %d", world.blue.count);
  std::snprintf(lines[2], sizeof lines[2], "Fires: %d", world.lighterFires.count);
}

}  // namespace

bool statisticsSteady(const World& world) {
  if (!world.showStats || world.green.count || world.blue.count || world.lighterFires.count ||
      world.greenFires.count || world.blueFires.count || world.burstShotsLeft)
    return false;
  if (world.mouse->left || world.mouse->right || world.clickLatch || world.rightLatch || world.keyLatch ||
      world.autoFireLatch)
    return false;
  for (int vk = 0; vk < 256; ++vk) {
    if (world.keys[vk]) return false;
  }
  char lines[3][16];
  formatStatistics(world, lines);
  for (int i = 0; i < 3; ++i) {
    if (std::strcmp(lines[i], world.statisticsText[i]) != 0) return false;
  }
  return true;
}

void drawStatistics(World& world) {
  char (&lines)[3][16] = world.statisticsText;
  formatStatistics(world, lines);
  const Canvas canvas = overlayCanvas(world.presenter);
  const BitmapFont& font = world.statsFont;
  const auto draw = [&](const char* text, int32_t x, uint32_t colour) {
    const int64_t right = x + static_cast<int64_t>(std::strlen(text)) * font.glyphWidth;
    if (!holdOverlayBox(world.presenter, x, 5, right, 5 + int64_t{font.glyphHeight}))
      drawText(canvas, text, x, 5, font, colour);
  };
  draw(lines[0], 10, 0xFF00FF00u);
  draw(lines[1], canvas.width - 140, 0xFF0000FFu);
  draw(lines[2], canvas.width / 2 - 140, 0xFFFF0000u);
}

}  // namespace mw
