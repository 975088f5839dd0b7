// A seeded replay of the Wayland buffer ring: frames change in random rectangles (few, many, over
// the edges, none), the compositor releases buffers in random order, buffers are reallocated or
// skipped now and then. After every frame the buffer drawn holds exactly the frame, and a
// compositor that takes only the damaged rectangles from each committed buffer shows exactly it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/sdl/wayland_surface.h"

namespace mw {
namespace {

constexpr int W = 97, H = 61;

using Pixels = std::vector<uint32_t>;

void copyRects(const Pixels& from, Pixels& to, const PresentRect* rects, int count) {
  for (int i = 0; i < count; ++i) {
    const PresentRect& r = rects[i];
    ASSERT_TRUE(r.x >= 0 && r.y >= 0 && r.width > 0 && r.height > 0 && r.x + r.width <= W && r.y + r.height <= H);
    for (int y = r.y; y < r.y + r.height; ++y)
      for (int x = r.x; x < r.x + r.width; ++x) to[y * W + x] = from[y * W + x];
  }
}

TEST(WaylandBuffers, EveryDrawnBufferAndTheCompositorsPictureMatchTheFrame) {
  std::srand(2121);
  Pixels frame(W * H, 0xFF000000u), shown(W * H, 0u);
  std::vector<Pixels> buffers(WAYLAND_BUFFERS, Pixels(W * H, 0u));
  bool busy[WAYLAND_BUFFERS] = {};
  DamageRing ring;
  ring.reset();
  bool owedWhole = true;  // the compositor has shown nothing yet
  for (int step = 0; step < 3000; ++step) {
    SCOPED_TRACE(step);
    // The frame changes in some rectangles, some hanging over its edges; the list may be empty,
    // or longer than CHANGED_RECTS.
    const int shape = std::rand() % 10;
    const int count = shape == 0 ? 0 : shape == 1 ? CHANGED_RECTS + 1 + std::rand() % 40 : 1 + std::rand() % 6;
    std::vector<PresentRect> rects;
    for (int i = 0; i < count; ++i) {
      const int x = std::rand() % (W + 20) - 10, y = std::rand() % (H + 20) - 10;
      PresentRect r{x, y, 1 + std::rand() % 30, 1 + std::rand() % 20};
      rects.push_back(r);
      for (int y = std::max(r.y, 0); y < std::min(r.y + r.height, H); ++y)
        for (int x = std::max(r.x, 0); x < std::min(r.x + r.width, W); ++x)
          frame[y * W + x] = 0xFF000000u | static_cast<uint32_t>(std::rand() & 0xFFFFFF);
    }
    PresentRect changed[CHANGED_RECTS];
    const int n = DamageRing::normalise(rects.data(), count, W, H, changed);
    ASSERT_LE(n, CHANGED_RECTS);
    // The compositor releases what it no longer shows, in its own time.
    for (bool& b : busy) b = b && std::rand() % 3 != 0;
    // Now and then a buffer is made anew (zeroed), or the whole ring (a new size).
    if (std::rand() % 50 == 0) {
      const int again = std::rand() % WAYLAND_BUFFERS;
      buffers[again].assign(W * H, 0u);
      ring.forget(again);
    }
    if (std::rand() % 200 == 0) {
      for (Pixels& b : buffers) b.assign(W * H, 0u);
      ring.reset();
      owedWhole = true;
    }
    int chosen = -1;
    for (int i = 0; i < WAYLAND_BUFFERS && chosen < 0; ++i) {
      const int candidate = (step + i) % WAYLAND_BUFFERS;
      if (!busy[candidate]) chosen = candidate;
    }
    PresentRect copy[COPY_RECTS];
    const int copies = ring.draw(chosen, changed, n, W, H, copy);
    if (chosen < 0) {
      // Every buffer held: the frame is not committed and the next commit damages everything.
      ASSERT_EQ(copies, 0);
      owedWhole = true;
      continue;
    }
    ASSERT_LE(copies, COPY_RECTS);
    copyRects(frame, buffers[chosen], copy, copies);
    ASSERT_EQ(buffers[chosen], frame) << "buffer " << chosen;
    // Committed: the compositor takes the damaged rectangles of it only.
    const PresentRect whole{0, 0, W, H};
    if (owedWhole) copyRects(buffers[chosen], shown, &whole, 1);
    copyRects(buffers[chosen], shown, changed, n);
    owedWhole = false;
    busy[chosen] = true;
    ASSERT_EQ(shown, frame);
  }
}

}  // namespace
}  // namespace mw
