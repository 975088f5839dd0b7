// Drawing soldiers into the frame: sprites, the flame soldier's tint, the red wound picture and the
// health bar.
#include "soldiers/drawing.h"

#include <algorithm>

#include "gfx/bands.h"
#include "gfx/blend_rows.h"
#include "gfx/compositing.h"
#include "world/world.h"

namespace mw {

namespace {

// Far beyond any screen, and far from overflowing when screen sizes are added to it.
constexpr float PIXEL_LIMIT = 1073741824.0f;  // 2^30

// The part of a w x h picture at (x, y) that lies on the canvas: rows rL .. rH - 1, columns
// cL .. cH - 1. Worked out in 64 bits so that no coordinate can overflow.
struct Clip {
  int32_t rL, rH, cL, cH;
};
Clip clipSprite(Canvas canvas, int32_t x, int32_t y, int32_t w, int32_t h) {
  const int64_t rL = std::max<int64_t>(0, -static_cast<int64_t>(y));
  const int64_t rH = std::min<int64_t>(static_cast<int64_t>(canvas.height) - y, h);
  const int64_t cL = std::max<int64_t>(0, -static_cast<int64_t>(x));
  const int64_t cH = std::min<int64_t>(static_cast<int64_t>(canvas.width) - x, w);
  if (rL >= rH || cL >= cH) return Clip{0, 0, 0, 0};
  return Clip{static_cast<int32_t>(rL), static_cast<int32_t>(rH), static_cast<int32_t>(cL), static_cast<int32_t>(cH)};
}

// A picture with no pixels (artwork not loaded) draws nothing.
bool drawable(Canvas canvas, const Image& image) {
  return canvas.pixels != nullptr && image.width > 0 && image.height > 0 &&
         image.pixels.size() >= static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
}

uint32_t sourcePixel(const Image& image, int32_t r, int32_t c, uint8_t facing) {
  const size_t w = static_cast<size_t>(image.width);
  return facing != 0 ? image.pixels[r * w + c] : image.pixels[(r + 1) * w - c - 1];
}

// One frame of a sheet, or null when the sheet has no such frame.
const Image* frameOf(const SpriteSheet& sheet, int32_t frame) {
  if (frame < 0 || static_cast<size_t>(frame) >= sheet.frames.size()) return nullptr;
  return &sheet.frames[static_cast<size_t>(frame)];
}

uint32_t darkened(uint32_t channel) { return channel > 25 ? channel - 25 : 0; }

void drawSpriteBand(const DeferredDraw& d, const Canvas& band, int32_t top) {
  drawSprite(band, d.x, d.y - top, *d.image, static_cast<uint8_t>(d.value));
}

void drawFlameSpriteBand(const DeferredDraw& d, const Canvas& band, int32_t top) {
  drawFlameSprite(band, d.x, d.y - top, *d.image, static_cast<uint8_t>(d.value));
}

// Puts a sprite's draw off when the canvas defers its drawing.
bool deferSprite(const Canvas& canvas, void (*draw)(const DeferredDraw&, const Canvas&, int32_t), int32_t x, int32_t y,
                 const Image& image, uint8_t facing, const Clip& k) {
  return deferDraw(canvas, DeferredDraw{draw, &image, nullptr, x, y, 0, facing, y + k.rL, y + k.rH, canvas.opaque});
}

void drawRecord(Canvas canvas, const SpriteSheet& sheet, const Soldier& record, bool tinted) {
  const Image* image = frameOf(sheet, record.frame);
  if (image == nullptr) return;
  const int32_t x = pixelOf(record.x);
  const int32_t y = pixelOf(record.y);
  if (tinted) {
    drawFlameSprite(canvas, x, y, *image, record.facing);
  } else {
    drawSprite(canvas, x, y, *image, record.facing);
  }
}

}  // namespace

int32_t pixelOf(float coordinate) {
  if (!(coordinate > -PIXEL_LIMIT)) return -static_cast<int32_t>(PIXEL_LIMIT);  // also NaN
  if (coordinate > PIXEL_LIMIT) return static_cast<int32_t>(PIXEL_LIMIT);
  return static_cast<int32_t>(coordinate);
}

void drawSprite(Canvas canvas, int32_t x, int32_t y, const Image& image, uint8_t facing) {
  if (!drawable(canvas, image)) return;
  const Clip k = clipSprite(canvas, x, y, image.width, image.height);
  noteDrawn(canvas, int64_t{x} + k.cL, int64_t{y} + k.rL, int64_t{x} + k.cH, int64_t{y} + k.rH);
  if (k.rL < k.rH && deferSprite(canvas, drawSpriteBand, x, y, image, facing, k)) return;
  drawDeferredFirst(canvas);
  const size_t w = static_cast<size_t>(image.width);
  constexpr int32_t CHUNK = 256;
  uint32_t mirrored[CHUNK];
  for (int32_t r = k.rL; r < k.rH; ++r) {
    uint32_t* row = canvas.pixels + static_cast<size_t>(y + r) * static_cast<size_t>(canvas.width);
    if (facing != 0) {
      blendRowSolid(row + x + k.cL, image.pixels.data() + r * w + k.cL, k.cH - k.cL);
      continue;
    }
    // Mirrored: the run gathered in drawing order first.
    for (int32_t c = k.cL; c < k.cH; c += CHUNK) {
      const int32_t n = std::min(CHUNK, k.cH - c);
      for (int32_t j = 0; j < n; ++j) mirrored[j] = sourcePixel(image, r, c + j, facing);
      blendRowSolid(row + x + c, mirrored, n);
    }
  }
}

void drawFlameSprite(Canvas canvas, int32_t x, int32_t y, const Image& image, uint8_t facing) {
  if (!drawable(canvas, image)) return;
  const Clip k = clipSprite(canvas, x, y, image.width, image.height);
  noteDrawn(canvas, int64_t{x} + k.cL, int64_t{y} + k.rL, int64_t{x} + k.cH, int64_t{y} + k.rH);
  if (k.rL < k.rH && deferSprite(canvas, drawFlameSpriteBand, x, y, image, facing, k)) return;
  drawDeferredFirst(canvas);
  for (int32_t r = k.rL; r < k.rH; ++r) {
    uint32_t* row = canvas.pixels + static_cast<size_t>(y + r) * static_cast<size_t>(canvas.width);
    for (int32_t c = k.cL; c < k.cH; ++c) {
      const uint32_t s = sourcePixel(image, r, c, facing);
      if ((s >> 24) != 255) continue;
      const uint32_t red = (s >> 16) & 0xFF;
      const uint32_t green = (s >> 8) & 0xFF;
      const uint32_t blue = s & 0xFF;
      // The head keeps its colours, a little darker; the body glows green (or cyan in blue).
      const bool head = r <= 7 && (facing != 0 ? (c >= 1 && c <= 19) : (c >= 16 && c <= 29));
      if (head) {
        row[x + c] = 0xFF000000u | (darkened(red) << 16) | (darkened(green) << 8) | darkened(blue);
      } else {
        row[x + c] = 0xFF000000u | (red << 16) | (0xFAu << 8) | blue;
      }
    }
  }
}

void drawSoldier(World& world, ArmyId id, int32_t i) {
  if (i < 0 || i >= ARMY_SLOTS) return;
  Army& army = world.army(id);
  const Soldier& s = army.soldiers[i];
  const Soldier& w = army.swings[i];
  const Canvas canvas = world.canvas();
  const bool tinted = s.flameSoldier != 0;
  // Red record i serves green soldier i, 201 + i blue soldier i.
  const int32_t red = (id == ArmyId::Green ? 0 : ARMY_SLOTS) + i;
  const Soldier& shown = s.engaged == 0 ? s : w;
  if (s.woundTimer > 0) {
    Soldier& record = s.engaged == 0 ? world.redWalkRecords[red] : world.redSwingRecords[red];
    record.frame = shown.frame;
    record.x = shown.x;
    record.y = shown.y;
    record.facing = shown.facing;
    drawRecord(canvas, s.engaged == 0 ? world.redWalkSheet : world.redSwingSheet, record, false);
  } else {
    drawRecord(canvas, s.engaged == 0 ? army.walkSheet : army.swingSheet, shown, tinted);
  }
}

void drawHealthBar(World& world, ArmyId id, int32_t i) {
  if (i < 0 || i >= ARMY_SLOTS) return;
  Army& army = world.army(id);
  Soldier& s = army.soldiers[i];
  s.barLength = static_cast<int32_t>(static_cast<float>(s.health) / 10.0f * 100.0f);
  // A healthy bar is in the army's colour; one at a fifth or less is red.
  uint8_t* colour = army.barColour;
  const uint8_t healthy = s.barLength > 20 ? 255 : 0;
  colour[0] = s.barLength <= 20 ? 255 : 0;
  if (id == ArmyId::Green) {
    colour[1] = healthy;
  } else {
    colour[2] = healthy;
  }
  // These bounds keep every point of the bar on the screen.
  const ScreenSize screen = world.session->screen;
  if (s.y > 5.0f && s.y < static_cast<float>(screen.height - 14) && s.x > 2.0f &&
      s.x < static_cast<float>(screen.width - 42)) {
    const int32_t yb = static_cast<int32_t>(s.y - (id == ArmyId::Green ? 3.0f : 4.0f));
    const int32_t x0 = static_cast<int32_t>(s.x + 2.0f);
    const int32_t x1 = static_cast<int32_t>(s.x + 2.0f + static_cast<float>(s.barLength) / 3.0f);
    drawLine(world.canvas(), x0, yb, x1, yb, colour[0], colour[1], colour[2]);
  }
}

}  // namespace mw
