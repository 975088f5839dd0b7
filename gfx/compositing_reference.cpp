// Plain reference loops of the drawing routines: one pixel at a time, exactly as defined.
#include "gfx/compositing_reference.h"

#include <algorithm>
#include <cstddef>

#include "gfx/compositing.h"

namespace mw::reference {

namespace {

bool drawable(const Image& image) {
  return image.width > 0 && image.height > 0 &&
         image.pixels.size() >= static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
}

// Rule A: first and end column and row of a w x h picture at (x, y) on a screen of sw x sh.
struct Limits {
  int64_t cL, cH, rL, rH;
};
Limits ruleA(int64_t x, int64_t y, int64_t w, int64_t h, int64_t sw, int64_t sh) {
  return Limits{std::max<int64_t>(0, -x), std::min(sw - x, w), std::max<int64_t>(0, -y), std::min(sh - y, h)};
}

}  // namespace

void blitKeyed(Canvas canvas, int32_t x, int32_t y, const Image& image) {
  if (!drawable(image) || canvas.pixels == nullptr) return;
  const Limits k = ruleA(x, y, image.width, image.height, canvas.width, canvas.height);
  for (int64_t r = k.rL; r < k.rH; ++r) {
    for (int64_t c = k.cL; c < k.cH; ++c) {
      const uint32_t s = image.pixels[r * image.width + c];
      if (s != image.key) canvas.pixels[(y + r) * canvas.width + (x + c)] = s;
    }
  }
}

void blendImage(Canvas canvas, int32_t x, int32_t y, const Image& image) {
  if (!drawable(image) || canvas.pixels == nullptr) return;
  const Limits k = ruleA(x, y, image.width, image.height, canvas.width, canvas.height);
  for (int64_t r = k.rL; r < k.rH; ++r) {
    for (int64_t c = k.cL; c < k.cH; ++c) {
      uint32_t& d = canvas.pixels[(y + r) * canvas.width + (x + c)];
      d = blendColour(image.pixels[r * image.width + c], d);
    }
  }
}

void drawToolPicture(Canvas canvas, const ToolPicture& picture, int32_t x, int32_t y) {
  if (canvas.pixels == nullptr || picture.width <= 0 || picture.height <= 0 ||
      picture.pixels.size() < static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height))
    return;
  for (int64_t r = 0; r < picture.height; ++r) {
    for (int64_t c = 0; c < picture.width; ++c) {
      const int64_t px = x + c;
      const int64_t py = y + r;
      if (px < 0 || py < 0 || px >= canvas.width || py >= canvas.height) continue;
      uint32_t& d = canvas.pixels[py * canvas.width + px];
      d = blendColour(picture.pixels[r * picture.width + c], d);
    }
  }
}

void stampOriented(int32_t x, int32_t y, const Image& source, Image& target, ScreenSize screen, int k) {
  if (!drawable(source) || !drawable(target)) return;
  k &= 7;
  const int64_t w = source.width;
  const int64_t h = source.height;
  // The orientations that exchange rows and columns cover h columns and w rows; for the square
  // pictures stamped this way that is the same, and every source index stays inside the picture.
  const bool across = k == 2 || k == 3 || k == 4 || k == 7;
  const int64_t columns = across ? h : w;
  const int64_t rows = across ? w : h;
  const Limits s = ruleA(x, y, columns, rows, screen.width, screen.height);
  for (int64_t r = 0; r < rows; ++r) {
    for (int64_t c = 0; c < columns; ++c) {
      if (!(s.cL < c && c < s.cH && s.rL < r && r < s.rH)) continue;
      const int64_t tx = x + c;
      const int64_t ty = y + r;
      if (tx >= target.width || ty >= target.height) continue;  // the target's own edge
      int64_t index = 0;
      switch (k) {
        case 0: index = r * w + c; break;
        case 1: index = (r + 1) * w - c; break;
        case 2: index = c * w + r; break;
        case 3: index = (c + 1) * w - r; break;
        case 4: index = (h - c) * w - r; break;
        case 5: index = (h - r) * w - c; break;
        case 6: index = (h - 1 - r) * w + c; break;
        default: index = (h - 1 - c) * w + r; break;
      }
      uint32_t& d = target.pixels[ty * target.width + tx];
      d = blendColour(source.pixels[index], d);
    }
  }
}

void stampImage(int32_t x, int32_t y, const Image& source, Image& target, ScreenSize screen) {
  reference::stampOriented(x, y, source, target, screen, 0);
}

void stampImageFacing(int32_t x, int32_t y, const Image& source, Image& target, ScreenSize screen, uint8_t facing) {
  reference::stampOriented(x, y, source, target, screen, facing == 1 ? 0 : 1);
}

void copyBackground(Canvas canvas, const Image& desktop) {
  if (canvas.pixels == nullptr) return;
  std::fill(canvas.pixels, canvas.pixels + static_cast<size_t>(canvas.width) * canvas.height, 0u);
  if (!drawable(desktop)) return;
  const int32_t rows = std::min(canvas.height, desktop.height);
  const int32_t columns = std::min(canvas.width, desktop.width);
  for (int64_t row = 0; row < rows; ++row) {
    for (int64_t column = 0; column < columns; ++column) {
      const uint32_t s = desktop.pixels[row * desktop.width + column];
      if (s != desktop.key) canvas.pixels[row * canvas.width + column] = s;
    }
  }
}

}  // namespace mw::reference
