// Copying a frame's changed rectangles into the window surface leaves the surface exactly as the
// whole frame converted at once would: in the X server's 8-bit and 10-bit layouts, with few
// rectangles, many (one band of rows), and rectangles hanging over the frame's edges.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/sdl/window_surface.h"

namespace mw {
namespace {

constexpr int W = 203, H = 117;

// The colours of every pixel; the padding bits of a 24-bit layout are not shown by the X server.
void expectSameColours(const SDL_Surface* a, const SDL_Surface* b) {
  const SDL_PixelFormat* f = a->format;
  const uint32_t colour = f->Rmask | f->Gmask | f->Bmask;
  for (int y = 0; y < H; ++y) {
    const auto* pa = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(a->pixels) + y * a->pitch);
    const auto* pb = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(b->pixels) + y * b->pitch);
    for (int x = 0; x < W; ++x) ASSERT_EQ(pa[x] & colour, pb[x] & colour) << "at " << x << "," << y;
  }
}

TEST(WindowSurface, ChangedRectanglesLeaveTheSurfaceAsTheWholeFrameWould) {
  std::srand(21);
  for (const uint32_t format : {SDL_PIXELFORMAT_RGB888, SDL_PIXELFORMAT_ARGB8888, SDL_PIXELFORMAT_ARGB2101010}) {
    for (const int count : {1, 7, MAX_SURFACE_RECTS, MAX_SURFACE_RECTS + 1, 300}) {
      SCOPED_TRACE(testing::Message() << SDL_GetPixelFormatName(format) << ", " << count << " rectangles");
      std::vector<uint32_t> frame(static_cast<size_t>(W) * H);
      for (uint32_t& p : frame) p = 0xFF000000u | static_cast<uint32_t>(std::rand() & 0xFFFFFF);
      SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, W, H, 32, format);
      SDL_Surface* expected = SDL_CreateRGBSurfaceWithFormat(0, W, H, 32, format);
      ASSERT_NE(surface, nullptr);
      ASSERT_NE(expected, nullptr);
      EXPECT_EQ(takesFrameRows(surface), format != SDL_PIXELFORMAT_ARGB2101010);
      SDL_Rect out[MAX_SURFACE_RECTS];
      const PresentRect whole{0, 0, W, H};
      ASSERT_EQ(copyToSurface(frame.data(), W, H, &whole, 1, surface, out), 1);

      // The next frame changes inside rectangles only, some hanging over the edges.
      std::vector<PresentRect> rects;
      for (int i = 0; i < count; ++i) {
        PresentRect r{std::rand() % (W + 20) - 10, std::rand() % (H + 20) - 10, 1 + std::rand() % 40,
                      1 + std::rand() % 30};
        rects.push_back(r);
        for (int y = std::max(r.y, 0); y < std::min(r.y + r.height, H); ++y) {
          for (int x = std::max(r.x, 0); x < std::min(r.x + r.width, W); ++x) {
            frame[static_cast<size_t>(y) * W + x] = 0xFF000000u | static_cast<uint32_t>(std::rand() & 0xFFFFFF);
          }
        }
      }
      const int n = copyToSurface(frame.data(), W, H, rects.data(), count, surface, out);
      ASSERT_GE(n, 1);
      ASSERT_LE(n, MAX_SURFACE_RECTS);
      for (int i = 0; i < n; ++i) {
        EXPECT_TRUE(out[i].x >= 0 && out[i].y >= 0 && out[i].w > 0 && out[i].h > 0 && out[i].x + out[i].w <= W &&
                    out[i].y + out[i].h <= H);
      }
      if (count > MAX_SURFACE_RECTS) {
        EXPECT_EQ(n, 1);  // one band of whole rows
      }

      // What is put on the screen is the surface inside the returned rectangles: everything
      // changed lies inside them, and the surface equals the whole frame converted at once.
      ASSERT_EQ(SDL_ConvertPixels(W, H, SDL_PIXELFORMAT_ARGB8888, frame.data(), W * 4, format, expected->pixels,
                                  expected->pitch),
                0);
      for (const PresentRect& r : rects) {
        SDL_Rect clipped{std::max(r.x, 0), std::max(r.y, 0), 0, 0};
        clipped.w = std::min(r.x + r.width, W) - clipped.x;
        clipped.h = std::min(r.y + r.height, H) - clipped.y;
        if (clipped.w <= 0 || clipped.h <= 0) continue;
        bool covered = false;
        for (int i = 0; i < n && !covered; ++i) {
          SDL_Rect both;
          covered = SDL_IntersectRect(&clipped, &out[i], &both) && both.w == clipped.w && both.h == clipped.h;
        }
        EXPECT_TRUE(covered) << "a changed rectangle at " << r.x << "," << r.y << " is not put";
      }
      expectSameColours(surface, expected);
      SDL_FreeSurface(surface);
      SDL_FreeSurface(expected);
    }
  }
}

}  // namespace
}  // namespace mw
