// Drawing routines into the frame buffer and stamps into the desktop picture.
#include "gfx/compositing.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/screen.h"

namespace mw {

void blendPixel(Canvas canvas, int32_t x, int32_t y, uint32_t colour) {
  if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height) return;
  uint32_t& dst = canvas.pixels[static_cast<size_t>(y) * canvas.width + x];
  dst = blendColour(colour, dst);
}

namespace {

void storeIfOnCanvas(Canvas canvas, int32_t x, int32_t y, uint32_t colour) {
  if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height) return;
  canvas.pixels[static_cast<size_t>(y) * canvas.width + x] = colour;
}

}  // namespace

void drawLine(Canvas canvas, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t red, int32_t green,
              int32_t blue) {
  const uint32_t colour = 0xFF000000u | (static_cast<uint32_t>(red & 0xFF) << 16) |
                          (static_cast<uint32_t>(green & 0xFF) << 8) | static_cast<uint32_t>(blue & 0xFF);
  const float dx = static_cast<float>(x1 - x0);
  const float dy = static_cast<float>(y1 - y0);
  if (dx == 0.0f && dy == 0.0f) {
    storeIfOnCanvas(canvas, x0, y0, colour);
    return;
  }
  if (std::fabs(dy) > std::fabs(dx)) {
    const float slope = dx / dy;
    const int32_t start = dy >= 0 ? y0 : y1;
    const int32_t end = dy >= 0 ? y1 : y0;
    const float reference = static_cast<float>(dy >= 0 ? x0 : x1);
    const float intercept = reference - static_cast<float>(start) * slope;
    for (int32_t y = start; y <= end; ++y) {
      const int32_t x = static_cast<int32_t>(static_cast<float>(y) * slope + intercept + 0.5f);
      storeIfOnCanvas(canvas, x, y, colour);
    }
  } else {
    const float slope = dy / dx;
    const int32_t start = dx >= 0 ? x0 : x1;
    const int32_t end = dx >= 0 ? x1 : x0;
    const float reference = static_cast<float>(dx >= 0 ? y0 : y1);
    const float intercept = reference - static_cast<float>(start) * slope;
    for (int32_t x = start; x <= end; ++x) {
      const int32_t y = static_cast<int32_t>(static_cast<float>(x) * slope + intercept + 0.5f);
      storeIfOnCanvas(canvas, x, y, colour);
    }
  }
}

namespace {

// Rule A: the part of a w x h picture at (x, y) that falls on the canvas.
struct Clip {
  int32_t cL, cH, rL, rH;
};
Clip clipToCanvas(int32_t x, int32_t y, int32_t w, int32_t h, int32_t canvasWidth, int32_t canvasHeight) {
  return Clip{std::max(0, -x), std::min(canvasWidth - x, w), std::max(0, -y), std::min(canvasHeight - y, h)};
}

}  // namespace

void blitKeyed(Canvas canvas, int32_t x, int32_t y, const Image& image) {
  const Clip k = clipToCanvas(x, y, image.width, image.height, canvas.width, canvas.height);
  for (int32_t r = k.rL; r < k.rH; ++r) {
    for (int32_t c = k.cL; c < k.cH; ++c) {
      const uint32_t s = image.pixels[static_cast<size_t>(r) * image.width + c];
      if (s != image.key) canvas.pixels[static_cast<size_t>(y + r) * canvas.width + (x + c)] = s;
    }
  }
}

void blendImage(Canvas canvas, int32_t x, int32_t y, const Image& image) {
  const Clip k = clipToCanvas(x, y, image.width, image.height, canvas.width, canvas.height);
  for (int32_t r = k.rL; r < k.rH; ++r) {
    for (int32_t c = k.cL; c < k.cH; ++c) {
      uint32_t& dst = canvas.pixels[static_cast<size_t>(y + r) * canvas.width + (x + c)];
      dst = blendColour(image.pixels[static_cast<size_t>(r) * image.width + c], dst);
    }
  }
}

void drawToolPicture(Canvas canvas, const ToolPicture& picture, int32_t x, int32_t y) {
  for (int32_t r = 0; r < picture.height; ++r) {
    for (int32_t c = 0; c < picture.width; ++c) {
      blendPixel(canvas, x + c, y + r, picture.pixels[static_cast<size_t>(r) * picture.width + c]);
    }
  }
}

namespace {

// Rule B: the screen's clip with exclusive lower limits, and also the target's own bounds so a
// target smaller than the screen is never written outside.
template <typename SourceIndex>
void stampWith(int32_t x, int32_t y, const Image& source, Image& target, SourceIndex sourceIndex) {
  const Clip screen = clipToCanvas(x, y, source.width, source.height, screenWidth, screenHeight);
  const Clip own = clipToCanvas(x, y, source.width, source.height, target.width, target.height);
  const int32_t cL = screen.cL;
  const int32_t rL = screen.rL;
  const int32_t cH = std::min(screen.cH, own.cH);
  const int32_t rH = std::min(screen.rH, own.rH);
  const int32_t firstC = std::max(cL + 1, own.cL);
  const int32_t firstR = std::max(rL + 1, own.rL);
  for (int32_t r = firstR; r < rH; ++r) {
    for (int32_t c = firstC; c < cH; ++c) {
      uint32_t& dst = target.pixels[static_cast<size_t>(y + r) * target.width + (x + c)];
      dst = blendColour(source.pixels[sourceIndex(c, r)], dst);
    }
  }
}

}  // namespace

void stampImage(int32_t x, int32_t y, const Image& source, Image& target) {
  const int64_t w = source.width;
  stampWith(x, y, source, target, [w](int64_t c, int64_t r) { return static_cast<size_t>(r * w + c); });
}

void stampImageFacing(int32_t x, int32_t y, const Image& source, Image& target, uint8_t facing) {
  const int64_t w = source.width;
  if (facing == 1) {
    stampWith(x, y, source, target, [w](int64_t c, int64_t r) { return static_cast<size_t>(r * w + c); });
  } else {
    stampWith(x, y, source, target, [w](int64_t c, int64_t r) { return static_cast<size_t>((r + 1) * w - c); });
  }
}

void stampRandomOrientation(int32_t x, int32_t y, const Image& source, Image& target) {
  const int k = std::rand() % 8;
  const int64_t w = source.width;
  const int64_t h = source.height;
  switch (k) {
    case 0: stampWith(x, y, source, target, [=](int64_t c, int64_t r) { return size_t(r * w + c); }); break;
    case 1: stampWith(x, y, source, target, [=](int64_t c, int64_t r) { return size_t((r + 1) * w - c); }); break;
    case 2: stampWith(x, y, source, target, [=](int64_t c, int64_t r) { return size_t(c * w + r); }); break;
    case 3: stampWith(x, y, source, target, [=](int64_t c, int64_t r) { return size_t((c + 1) * w - r); }); break;
    case 4: stampWith(x, y, source, target, [=](int64_t c, int64_t r) { return size_t((h - c) * w - r); }); break;
    case 5: stampWith(x, y, source, target, [=](int64_t c, int64_t r) { return size_t((h - r) * w - c); }); break;
    case 6: stampWith(x, y, source, target, [=](int64_t c, int64_t r) { return size_t((h - 1 - r) * w + c); }); break;
    default: stampWith(x, y, source, target, [=](int64_t c, int64_t r) { return size_t((h - 1 - c) * w + r); }); break;
  }
}

}  // namespace mw
