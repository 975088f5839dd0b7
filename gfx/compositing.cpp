// Drawing routines into the frame buffer and stamps into the desktop picture.
//
// Each routine works out once which part of the picture is drawn and then hands whole rows to the
// row kernels of blend_rows.h. The results equal the pixel-by-pixel loops of compositing_reference.
#include "gfx/compositing.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "gfx/bands.h"
#include "gfx/blend_rows.h"
#include "gfx/damage.h"

namespace mw {

namespace {

bool drawable(const Image& image) {
  return image.width > 0 && image.height > 0 &&
         image.pixels.size() >= static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
}

// The source columns c0 <= c < c1 and rows r0 <= r < r1 of a picture that are drawn.
struct Span {
  int64_t c0, c1, r0, r1;
  bool empty() const { return c0 >= c1 || r0 >= r1; }
};

// Rule A: what of a w x h picture at (x, y) lies on an area of areaW x areaH.
Span onArea(int64_t x, int64_t y, int64_t w, int64_t h, int64_t areaW, int64_t areaH) {
  return Span{std::max<int64_t>(0, -x), std::min(areaW - x, w), std::max<int64_t>(0, -y), std::min(areaH - y, h)};
}

bool spansKnown(const Image& image) { return image.visibleSpans.size() == static_cast<size_t>(image.height) * 2; }

// The part of span s that blendImage can change: on an opaque canvas, where the picture's spans
// are known, only its visible box.
Span changedBy(const Canvas& canvas, const Image& image, Span s) {
  if (!canvas.opaque || !spansKnown(image)) return s;
  return Span{std::max<int64_t>(s.c0, image.visibleLeft), std::min<int64_t>(s.c1, image.visibleRight),
              std::max<int64_t>(s.r0, image.visibleTop), std::min<int64_t>(s.r1, image.visibleBottom)};
}

void storeIfOnCanvas(Canvas canvas, int64_t x, int64_t y, uint32_t colour) {
  if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height) return;
  canvas.pixels[y * canvas.width + x] = colour;
}

void drawLineBand(const DeferredDraw& d, const Canvas& band, int32_t top) {
  drawLine(band, d.x, d.y - top, d.x2, d.y - top, static_cast<int32_t>((d.value >> 16) & 0xFF),
           static_cast<int32_t>((d.value >> 8) & 0xFF), static_cast<int32_t>(d.value & 0xFF));
}

void blendImageBand(const DeferredDraw& d, const Canvas& band, int32_t top) {
  blendImage(band, d.x, d.y - top, *d.image);
}

}  // namespace

void noteDrawn(const Canvas& canvas, int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
  if (canvas.damage) canvas.damage->mark(x0, y0, x1, y1);
}

void noteTranslucent(const Canvas& canvas) {
  if (canvas.damage) canvas.damage->markTranslucent();
}

void blendPixel(Canvas canvas, int32_t x, int32_t y, uint32_t colour) {
  if (canvas.pixels == nullptr || x < 0 || y < 0 || x >= canvas.width || y >= canvas.height) return;
  drawDeferredFirst(canvas);
  uint32_t& dst = canvas.pixels[static_cast<size_t>(y) * canvas.width + x];
  dst = blendColour(colour, dst);
  noteDrawn(canvas, x, y, int64_t{x} + 1, int64_t{y} + 1);
}

void drawLine(Canvas canvas, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t red, int32_t green,
              int32_t blue) {
  if (canvas.pixels == nullptr) return;
  const uint32_t colour = 0xFF000000u | (static_cast<uint32_t>(red & 0xFF) << 16) |
                          (static_cast<uint32_t>(green & 0xFF) << 8) | static_cast<uint32_t>(blue & 0xFF);
  if (canvas.deferred != nullptr && y0 == y1 && y0 >= 0 && y0 < canvas.height) {
    // A level line on the canvas stays in its row wherever the canvas starts: it can wait.
    const int64_t first = std::max<int64_t>(std::min(x0, x1), 0);
    const int64_t last = std::min<int64_t>(std::max(x0, x1), int64_t{canvas.width} - 1);
    if (first > last) return;
    const DeferredDraw line{drawLineBand, nullptr, nullptr, x0, y0, x1, colour, y0, y0 + 1, canvas.opaque};
    if (deferDraw(canvas, line)) {
      noteDrawn(canvas, first, y0, last + 1, int64_t{y0} + 1);
      return;
    }
  }
  drawDeferredFirst(canvas);
  const float dx = static_cast<float>(int64_t{x1} - x0);
  const float dy = static_cast<float>(int64_t{y1} - y0);
  if (dx == 0.0f && dy == 0.0f) {
    storeIfOnCanvas(canvas, x0, y0, colour);
    noteDrawn(canvas, x0, y0, int64_t{x0} + 1, int64_t{y0} + 1);
    return;
  }
  // One point per step along the longer axis. Steps off the screen are skipped without being
  // computed, and so is a point whose other coordinate falls off it: trunc(v) lies in [0, limit)
  // exactly when -1 < v < limit.
  const bool steep = std::fabs(dy) > std::fabs(dx);
  const float slope = steep ? dx / dy : dy / dx;
  const bool forward = steep ? dy >= 0 : dx >= 0;
  const int32_t start = steep ? (forward ? y0 : y1) : (forward ? x0 : x1);
  const int32_t end = steep ? (forward ? y1 : y0) : (forward ? x1 : x0);
  const float reference = static_cast<float>(steep ? (forward ? x0 : x1) : (forward ? y0 : y1));
  const float intercept = reference - static_cast<float>(start) * slope;
  const int64_t stepLimit = steep ? canvas.height : canvas.width;
  const float otherLimit = static_cast<float>(steep ? canvas.width : canvas.height);
  const int64_t first = std::max<int64_t>(start, 0);
  const int64_t last = std::min<int64_t>(end, stepLimit - 1);
  int64_t lowest = INT64_MAX, highest = INT64_MIN;  // range of the other coordinate drawn
  for (int64_t t = first; t <= last; ++t) {
    const float v = static_cast<float>(t) * slope + intercept + 0.5f;
    if (!(v > -1.0f && v < otherLimit)) continue;
    const int64_t other = static_cast<int32_t>(v);
    lowest = std::min(lowest, other);
    highest = std::max(highest, other);
    if (steep) {
      canvas.pixels[t * canvas.width + other] = colour;
    } else {
      canvas.pixels[other * canvas.width + t] = colour;
    }
  }
  if (lowest > highest) return;
  if (steep) {
    noteDrawn(canvas, lowest, first, highest + 1, last + 1);
  } else {
    noteDrawn(canvas, first, lowest, last + 1, highest + 1);
  }
}

void blitKeyed(Canvas canvas, int32_t x, int32_t y, const Image& image) {
  if (canvas.pixels == nullptr || !drawable(image)) return;
  const Span s = onArea(x, y, image.width, image.height, canvas.width, canvas.height);
  if (s.empty()) return;
  drawDeferredFirst(canvas);
  for (int64_t r = s.r0; r < s.r1; ++r) {
    copyRowKeyed(canvas.pixels + (y + r) * canvas.width + x + s.c0, image.pixels.data() + r * image.width + s.c0,
                 static_cast<int32_t>(s.c1 - s.c0), image.key);
  }
  noteTranslucent(canvas);  // the alpha bytes are copied as they are
  noteDrawn(canvas, x + s.c0, y + s.r0, x + s.c1, y + s.r1);
}

void blendImage(Canvas canvas, int32_t x, int32_t y, const Image& image) {
  if (canvas.pixels == nullptr || !drawable(image)) return;
  const Span clip = onArea(x, y, image.width, image.height, canvas.width, canvas.height);
  const Span s = changedBy(canvas, image, clip);
  if (s.empty()) return;
  const DeferredDraw blend{blendImageBand, &image, nullptr, x, y, 0, 0, static_cast<int32_t>(y + s.r0),
                           static_cast<int32_t>(y + s.r1), canvas.opaque};
  if (deferDraw(canvas, blend)) {
    noteDrawn(canvas, x + s.c0, y + s.r0, x + s.c1, y + s.r1);
    return;
  }
  if (canvas.opaque && spansKnown(image)) {
    // On an opaque canvas a pixel of alpha 0 changes nothing: only each row's visible span is
    // blended, in the visible rows. The kernel is given every column on the canvas, to round
    // spans out to whole groups.
    blendSpans(canvas.pixels + (y + s.r0) * canvas.width + x + clip.c0, canvas.width,
               image.pixels.data() + s.r0 * image.width + clip.c0, image.width, image.visibleSpans.data() + s.r0 * 2,
               static_cast<int32_t>(clip.c0), static_cast<int32_t>(clip.c1), static_cast<int32_t>(s.r1 - s.r0));
  } else {
    blendRect(canvas.pixels + (y + s.r0) * canvas.width + x + s.c0, canvas.width,
              image.pixels.data() + s.r0 * image.width + s.c0, image.width, static_cast<int32_t>(s.c1 - s.c0),
              static_cast<int32_t>(s.r1 - s.r0));
  }
  noteDrawn(canvas, x + s.c0, y + s.r0, x + s.c1, y + s.r1);
}

void drawToolPicture(Canvas canvas, const ToolPicture& picture, int32_t x, int32_t y) {
  if (canvas.pixels == nullptr || picture.width <= 0 || picture.height <= 0 ||
      picture.pixels.size() < static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height))
    return;
  // Pixel by pixel, the screen test of each blend keeps exactly this rectangle.
  const Span s = onArea(x, y, picture.width, picture.height, canvas.width, canvas.height);
  if (s.empty()) return;
  drawDeferredFirst(canvas);
  blendRect(canvas.pixels + (y + s.r0) * canvas.width + x + s.c0, canvas.width,
            picture.pixels.data() + s.r0 * picture.width + s.c0, picture.width, static_cast<int32_t>(s.c1 - s.c0),
            static_cast<int32_t>(s.r1 - s.r0));
  noteDrawn(canvas, x + s.c0, y + s.r0, x + s.c1, y + s.r1);
}

void stampOriented(int32_t x, int32_t y, const Image& source, Image& target, ScreenSize screen, int k) {
  if (!drawable(source) || !drawable(target)) return;
  if (deferStamp(x, y, source, target, screen, k)) return;
  stampOrientedRows(x, y, source, target, screen, k, INT32_MIN, INT32_MAX, true);
}

void stampOrientedRows(int32_t x, int32_t y, const Image& source, Image& target, ScreenSize screen, int k,
                       int32_t top, int32_t bottom, bool markDamage) {
  if (!drawable(source) || !drawable(target)) return;
  k &= 7;
  const int64_t w = source.width;
  const int64_t h = source.height;
  // Orientations 2, 3, 4 and 7 exchange rows and columns: they cover h columns and w rows.
  const bool across = k == 2 || k == 3 || k == 4 || k == 7;
  const int64_t columns = across ? h : w;
  const int64_t rows = across ? w : h;
  // Rule B: the screen's limits with exclusive lower ones, and the target's own edge as well.
  const Span on = onArea(x, y, columns, rows, screen.width, screen.height);
  Span s{on.c0 + 1, std::min(on.c1, int64_t{target.width} - x), on.r0 + 1, std::min(on.r1, int64_t{target.height} - y)};
  if (s.empty()) return;
  if (markDamage && target.damage.grid) target.damage.grid->mark(x + s.c0, y + s.r0, x + s.c1, y + s.r1);
  s.r0 = std::max<int64_t>(s.r0, int64_t{top} - y);
  s.r1 = std::min<int64_t>(s.r1, int64_t{bottom} - y);
  if (s.empty()) return;
  // Source index of visited (c, r) = b0 + r * br + c * step.
  int64_t b0 = 0, br = w, step = 1;
  switch (k) {
    case 0: b0 = 0, br = w, step = 1; break;
    case 1: b0 = w, br = w, step = -1; break;
    case 2: b0 = 0, br = 1, step = w; break;
    case 3: b0 = w, br = -1, step = w; break;
    case 4: b0 = h * w, br = -1, step = -w; break;
    case 5: b0 = h * w, br = -w, step = -1; break;
    case 6: b0 = (h - 1) * w, br = -w, step = 1; break;
    default: b0 = (h - 1) * w, br = 1, step = -w; break;
  }
  const uint32_t* src = source.pixels.data();
  if (step == 1) {  // rows run forward through the source: one block
    blendRect(target.pixels.data() + (y + s.r0) * target.width + x + s.c0, target.width, src + b0 + s.r0 * br + s.c0,
              br, static_cast<int32_t>(s.c1 - s.c0), static_cast<int32_t>(s.r1 - s.r0));
    return;
  }
  constexpr int32_t CHUNK = 256;
  uint32_t gathered[CHUNK];
  for (int64_t r = s.r0; r < s.r1; ++r) {
    uint32_t* dst = target.pixels.data() + (y + r) * target.width + x;
    const int64_t base = b0 + r * br;
    // Mirrored or turned: gather the run in drawing order, then blend it.
    for (int64_t c = s.c0; c < s.c1; c += CHUNK) {
      const int32_t n = static_cast<int32_t>(std::min<int64_t>(CHUNK, s.c1 - c));
      const uint32_t* from = src + base + c * step;
      for (int32_t j = 0; j < n; ++j) gathered[j] = from[j * step];
      blendRow(dst + c, gathered, n);
    }
  }
}

void stampImage(int32_t x, int32_t y, const Image& source, Image& target, ScreenSize screen) {
  stampOriented(x, y, source, target, screen, 0);
}

void stampImageFacing(int32_t x, int32_t y, const Image& source, Image& target, ScreenSize screen, uint8_t facing) {
  stampOriented(x, y, source, target, screen, facing == 1 ? 0 : 1);
}

void copyBackground(Canvas canvas, const Image& desktop) {
  copyBackgroundRect(canvas, desktop, 0, 0, canvas.width, canvas.height);
}

void copyBackgroundRect(Canvas canvas, const Image& desktop, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  if (canvas.pixels == nullptr || x0 >= x1 || y0 >= y1) return;
  drawDeferredFirst(canvas);
  const int64_t width = canvas.width;
  const int64_t rows = drawable(desktop) ? std::min(canvas.height, desktop.height) : 0;
  const int64_t columns = drawable(desktop) ? std::min(canvas.width, desktop.width) : 0;
  // Each pixel is written once: the desktop's where it covers the canvas, 0 elsewhere.
  const int64_t copied = std::clamp<int64_t>(columns, x0, x1);
  for (int64_t row = y0; row < y1; ++row) {
    uint32_t* dst = canvas.pixels + row * width;
    if (row < rows) {
      copyRowZeroingKey(dst + x0, desktop.pixels.data() + row * desktop.width + x0, static_cast<int32_t>(copied - x0),
                        desktop.key);
      std::fill(dst + copied, dst + x1, 0u);
    } else {
      std::fill(dst + x0, dst + x1, 0u);
    }
  }
}

}  // namespace mw
