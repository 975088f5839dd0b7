// Picture records: decoded images, sprite sheets, tool pictures, and the canvas drawn into.
#pragma once
#include <cstdint>
#include <vector>

namespace mw {

class DamageGrid;
struct DeferredDrawing;
// Marks the whole grid damaged (nothing when null).
void markWhole(DamageGrid* grid);

// Ties a lasting picture to the grid that records its changes. A copy of the picture is not tied;
// assigning a new picture to a tied one keeps the tie and damages it whole.
struct DamageLink {
  DamageGrid* grid = nullptr;
  DeferredDrawing* deferred = nullptr;  // while it is active, stamps into the picture wait in it
  DamageLink() = default;
  DamageLink(const DamageLink&) {}
  DamageLink& operator=(const DamageLink&) {
    markWhole(grid);
    return *this;
  }
  ~DamageLink() = default;
};

// The key of every Image: pixels equal to it are skipped by keyed copies. Alpha 1, so it
// practically never occurs in a decoded picture.
inline constexpr uint32_t TRANSPARENT_KEY = 0x010301F3;

// A decoded picture: 0xAARRGGBB pixels, not premultiplied, row-major, top row first.
struct Image {
  int32_t width = 0;
  int32_t height = 0;
  uint32_t key = TRANSPARENT_KEY;
  std::vector<uint32_t> pixels;
  DamageLink damage;  // the stamps record what they change here (the desktop picture)
  // Per row, the first and one past the last column whose alpha is above 0 (both 0 for a row with
  // none), set by findVisibleSpans; empty when not known. Whoever changes the pixels afterwards
  // clears it.
  std::vector<uint16_t> visibleSpans;
  // With visibleSpans: the smallest box holding every visible pixel, columns left <= c < right and
  // rows top <= r < bottom (all 0 when none is visible).
  int32_t visibleLeft = 0, visibleTop = 0, visibleRight = 0, visibleBottom = 0;
};

// Fills image.visibleSpans and the visible box from its pixels (spans left empty for pictures wider
// than 65535).
void findVisibleSpans(Image& image);

// A horizontal strip cut into equal frames.
struct SpriteSheet {
  std::vector<Image> frames;
  int32_t frameCount = 0;
  int32_t ticksPerFrame = 0;
};

inline constexpr int32_t TOOL_PICTURE_SIZE = 256;

// The large picture of a tool that follows the mouse; its store holds 256 x 256 pixels.
struct ToolPicture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;
};

// The screen's size in pixels: the frame's size, and the limits stamps are clipped to.
struct ScreenSize {
  int32_t width = 0;
  int32_t height = 0;
};

// A pixel target of the screen's size: the frame buffer while a frame is drawn.
struct Canvas {
  uint32_t* pixels = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  DamageGrid* damage = nullptr;  // every drawing routine records what it draws here, when set
  bool opaque = false;           // every pixel's alpha is 255 (blends may then skip alpha-0 pixels)
  DeferredDrawing* deferred = nullptr;  // when set, draws that can be put off wait in it
};

}  // namespace mw
