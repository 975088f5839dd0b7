// Presentation of the software frame buffer, rebuilding and handing over only what changed.
#include "gfx/presenter.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

#include "app/platform.h"
#include "gfx/bands.h"
#include "gfx/compositing.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace mw {

namespace {

// Asks for large pages under a big buffer not yet touched: the drawing jumps a screen row at a
// time, and with small pages nearly every row of a sprite is a page of its own to look up.
void preferLargePages(std::vector<uint32_t>& buffer, std::size_t pixels) {
  buffer.reserve(pixels);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr uintptr_t LARGE = uintptr_t{2} << 20;
  const uintptr_t start = (reinterpret_cast<uintptr_t>(buffer.data()) + LARGE - 1) & ~(LARGE - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(buffer.data() + pixels)) & ~(LARGE - 1);
  if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#endif
}

void allocateFrameBuffer(Presenter& presenter) {
  const ScreenSize screen = presenter.screen;
  const std::size_t pixels = static_cast<std::size_t>(screen.width > 0 ? screen.width : 0) *
                             static_cast<std::size_t>(screen.height > 0 ? screen.height : 0);
  preferLargePages(presenter.frameBuffer, pixels);
  presenter.frameBuffer.assign(pixels, 0);
  presenter.rebuildAll = true;
  presenter.shownValid = false;
  presenter.backgroundOpaque = false;
}

// Sizes the grids and the shown copy to the screen when it changed; true when they were resized.
bool fitToScreen(Presenter& p) {
  const ScreenSize screen = p.screen;
  if (p.drawn.width() == screen.width && p.drawn.height() == screen.height &&
      p.shown.size() == p.frameBuffer.size())
    return false;
  for (DamageGrid* grid : {&p.drawn, &p.lastDrawn, &p.stamped, &p.rebuilt, &p.overlay, &p.overlayHeld, &p.lastOverlay})
    grid->resize(screen.width, screen.height);
  p.shown.assign(p.frameBuffer.size(), 0);
  p.shownValid = false;
  p.rebuildAll = true;
  // At most one rectangle per run of tiles: half a tile row's tiles, rounded up, per tile row.
  p.changed.clear();
  p.changed.reserve(static_cast<size_t>(p.drawn.rows()) * ((p.drawn.columns() + 1) / 2) + 1);
  return true;
}

// Damage over a quarter of the screen or more: whole rows are cheaper than many pieces.
bool mostOf(const DamageGrid& grid) {
  return grid.count() * 4 > static_cast<int64_t>(grid.columns()) * grid.rows();
}

// The rows y0 <= y < y1 of columns x0 <= x < x1 that differ between the frame and the shown copy
// are copied into it; returns the first and one past the last differing row (equal when none).
std::pair<int32_t, int32_t> takeChangedRows(Presenter& p, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  const size_t width = static_cast<size_t>(p.screen.width);
  const size_t bytes = static_cast<size_t>(x1 - x0) * 4;
  const auto differs = [&](int32_t y) {
    const size_t at = static_cast<size_t>(y) * width + static_cast<size_t>(x0);
    return std::memcmp(p.frameBuffer.data() + at, p.shown.data() + at, bytes) != 0;
  };
  int32_t first = y0;
  while (first < y1 && !differs(first)) ++first;
  if (first == y1) return {y1, y1};
  int32_t last = y1;
  while (!differs(last - 1)) --last;
  for (int32_t y = first; y < last; ++y) {
    const size_t at = static_cast<size_t>(y) * width + static_cast<size_t>(x0);
    std::memcpy(p.shown.data() + at, p.frameBuffer.data() + at, bytes);
  }
  return {first, last};
}

// The background in the rows of one band: all of it, or the runs of the rebuilt grid (d.data) there.
void copyBackgroundBand(const DeferredDraw& d, const Canvas& band, int32_t top) {
  const Image& desktop = *d.image;
  const Canvas frame{band.pixels - static_cast<size_t>(top) * static_cast<size_t>(band.width), band.width, d.bottom};
  const int32_t bottom = top + band.height;
  if (d.data == nullptr) {
    copyBackgroundRect(frame, desktop, 0, top, frame.width, bottom);
    return;
  }
  static_cast<const DamageGrid*>(d.data)->forEachRun(
      [&](int32_t x0, int32_t y0, int32_t x1, int32_t y1) { copyBackgroundRect(frame, desktop, x0, y0, x1, y1); }, top,
      bottom);
}

// Whether the desktop covers the screen and every pixel of it there has alpha 255 (the key's alpha
// is not 255, so a pixel holding it counts as not opaque).
bool coversOpaque(const Image& desktop, ScreenSize screen) {
  if (desktop.width < screen.width || desktop.height < screen.height ||
      desktop.pixels.size() < static_cast<size_t>(desktop.width) * static_cast<size_t>(desktop.height))
    return false;
  for (int32_t y = 0; y < screen.height; ++y) {
    const uint32_t* row = desktop.pixels.data() + static_cast<size_t>(y) * desktop.width;
    uint32_t all = 0xFFFFFFFFu;
    for (int32_t x = 0; x < screen.width; ++x) all &= row[x];
    if ((all >> 24) != 0xFF) return false;
  }
  return true;
}

}  // namespace

void createPresenter(Presenter& presenter, Platform& platform, ScreenSize screen) {
  presenter.platform = &platform;
  presenter.screen = screen;
  presenter.windowed = false;
  allocateFrameBuffer(presenter);
  platform.setPresentation(false);
}

void togglePresentation(Presenter& presenter) {
  finishDeferred(presenter.deferred);
  presenter.frameBuffer = {};
  presenter.windowed = !presenter.windowed;
  if (presenter.platform) presenter.platform->setPresentation(presenter.windowed);
  allocateFrameBuffer(presenter);
}

void drawBackground(Presenter& presenter, Image& desktop, bool full, bool keepOverlay) {
  Presenter& p = presenter;
  finishDeferred(p.deferred);
  const Canvas canvas = frameCanvas(p);
  bool rescan = fitToScreen(p);
  desktop.damage.grid = &p.stamped;
  desktop.damage.deferred = &p.deferred;
  // A picture replaced behind the stamps' back (other size or other pixels) counts as all new.
  if (desktop.pixels.data() != p.desktopPixels || desktop.width != p.desktopWidth ||
      desktop.height != p.desktopHeight) {
    p.rebuildAll = true;
    p.desktopPixels = desktop.pixels.data();
    p.desktopWidth = desktop.width;
    p.desktopHeight = desktop.height;
    rescan = true;
  }
  // Stamps write opaque pixels only; a picture changed as a whole (a reload) is looked at again.
  if (rescan || p.stamped.count() == static_cast<int64_t>(p.stamped.columns()) * p.stamped.rows())
    p.desktopOpaque = coversOpaque(desktop, p.screen);
  p.rebuilt.clear();
  p.overlayKept = false;
  if (!full && !p.rebuildAll) {
    // What the last frame drew over the background, and what changed in the picture under it.
    p.rebuilt.add(p.lastDrawn);
    p.rebuilt.add(p.stamped);
    // The overlay's tiles too, unless it will draw the same again over the same opaque pixels.
    p.overlayKept = keepOverlay && !p.lastOverlay.translucent();
    if (!p.overlayKept) p.rebuilt.add(p.lastOverlay);
  }
  // A tracked frame puts its drawing off from here to the end of the fires, the background copy
  // first; a forced whole redraw draws at once, the plain way the deferred drawing is compared with.
  if (!full) beginDeferred(p.deferred, canvas.pixels, canvas.width, canvas.height);
  const bool whole = full || p.rebuildAll || mostOf(p.rebuilt);
  const DeferredDraw copy{copyBackgroundBand, &desktop, whole ? nullptr : &p.rebuilt, 0, 0, 0, 0, 0, canvas.height};
  if (!deferDraw(frameCanvas(p), copy)) {
    if (whole) {
      copyBackground(canvas, desktop);
    } else {
      p.rebuilt.forEachRun([&](int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
        copyBackgroundRect(canvas, desktop, x0, y0, x1, y1);
      });
    }
  }
  if (whole) {
    p.rebuilt.markAll();
    p.overlayKept = false;
  }
  p.rebuildAll = false;
  // A forced whole redraw also forgoes the opaque-frame shortcuts: it is the plain way of drawing
  // that the tracked frames are compared with.
  p.backgroundOpaque = p.desktopOpaque && !full;
  p.stamped.clear();
  p.drawn.clear();
}

void finishDrawing(Presenter& presenter) { finishDeferred(presenter.deferred); }

void present(Presenter& presenter, bool full) {
  Presenter& p = presenter;
  finishDeferred(p.deferred);
  if (p.platform == nullptr || p.frameBuffer.empty()) return;
  if (full || p.shown.size() != p.frameBuffer.size()) {
    p.platform->present(p.frameBuffer.data(), p.screen.width, p.screen.height);
    p.pixelsHandedOver += p.frameBuffer.size();
    // The shown copy was not kept: the next tracked frame starts from scratch.
    p.shownValid = false;
    p.rebuildAll = true;
  } else {
    p.changed.clear();
    p.rebuilt.add(p.drawn);
    p.rebuilt.add(p.overlay);
    // Much of the screen is in question (a battle all over it): comparing would cost more than it
    // saves, so the whole frame is handed over and the shown copy is dropped.
    const bool mostly = mostOf(p.rebuilt);
    if (mostly || !p.shownValid) {
      p.changed.push_back(PresentRect{0, 0, p.screen.width, p.screen.height});
      if (!mostly) p.shown = p.frameBuffer;  // same size: no allocation
      p.shownValid = !mostly;
    } else {
      // Only what was rebuilt or drawn this frame can differ from the last frame shown; of that,
      // only rows that really differ are handed over (the statistics drawn again unchanged are not).
      p.rebuilt.forEachRun([&](int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
        const auto [first, last] = takeChangedRows(p, x0, y0, x1, y1);
        if (first == last) return;
        // A rectangle directly below one of the same columns extends it.
        if (!p.changed.empty()) {
          PresentRect& above = p.changed.back();
          if (above.x == x0 && above.width == x1 - x0 && above.y + above.height == first) {
            above.height = last - above.y;
            return;
          }
        }
        p.changed.push_back(PresentRect{x0, first, x1 - x0, last - first});
      });
    }
    for (const PresentRect& r : p.changed) p.pixelsHandedOver += static_cast<uint64_t>(r.width) * r.height;
    p.platform->presentRegions(p.frameBuffer.data(), p.screen.width, p.screen.height, p.changed.data(),
                               static_cast<int>(p.changed.size()));
  }
  // The finished frame stays in the buffer until the next background stage.
  p.backgroundOpaque = p.backgroundOpaque && !p.drawn.translucent() && !p.overlay.translucent();
  std::swap(p.lastDrawn, p.drawn);
  p.drawn.clear();
  std::swap(p.lastOverlay, p.overlay);
  p.lastOverlay.add(p.overlayHeld);
  p.overlay.clear();
  p.overlayHeld.clear();
}

void releasePresenter(Presenter& presenter) {
  finishDeferred(presenter.deferred);
  presenter.frameBuffer = {};
  presenter.shown = {};
  presenter.platform = nullptr;
}

Canvas frameCanvas(Presenter& presenter) {
  if (presenter.frameBuffer.empty()) return Canvas{};
  // After the background stage the frame buffer holds the desktop picture wherever it covers the
  // screen; the drawing routines keep it opaque unless they say otherwise.
  return Canvas{presenter.frameBuffer.data(), presenter.screen.width, presenter.screen.height, &presenter.drawn,
                presenter.backgroundOpaque && !presenter.drawn.translucent() && !presenter.overlay.translucent(),
                presenter.deferred.active ? &presenter.deferred : nullptr};
}

Canvas overlayCanvas(Presenter& presenter) {
  Canvas canvas = frameCanvas(presenter);
  if (canvas.pixels != nullptr) canvas.damage = &presenter.overlay;
  return canvas;
}

bool holdOverlayBox(Presenter& presenter, int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
  const Presenter& p = presenter;
  x0 = std::max<int64_t>(x0, 0);
  y0 = std::max<int64_t>(y0, 0);
  x1 = std::min<int64_t>(x1, p.screen.width);
  y1 = std::min<int64_t>(y1, p.screen.height);
  if (x0 >= x1 || y0 >= y1) return true;  // nothing of it shows
  if (!p.overlayKept) return false;
  // Every tile must hold last frame's overlay, untouched since: not rebuilt, not drawn over, and
  // not drawn into by an earlier part of the overlay (which would now lie over this part).
  for (int64_t row = y0 / DAMAGE_TILE; row <= (y1 - 1) / DAMAGE_TILE; ++row) {
    for (int64_t column = x0 / DAMAGE_TILE; column <= (x1 - 1) / DAMAGE_TILE; ++column) {
      const auto c = static_cast<int32_t>(column);
      const auto r = static_cast<int32_t>(row);
      if (!p.lastOverlay.damaged(c, r) || p.rebuilt.damaged(c, r) || p.drawn.damaged(c, r) || p.overlay.damaged(c, r))
        return false;
    }
  }
  presenter.overlayHeld.mark(x0, y0, x1, y1);
  ++presenter.overlayBoxesHeld;
  return true;
}

}  // namespace mw
