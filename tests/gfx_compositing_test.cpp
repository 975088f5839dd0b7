// The drawing routines: clipping rules, lines, orientations, and every fast path against the plain
// reference loops over random pictures, targets and positions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "gfx/bands.h"
#include "gfx/blend_rows.h"
#include "gfx/damage.h"
#include "gfx/compositing.h"
#include "gfx/compositing_reference.h"
#include "tests/gfx_test_pictures.h"

namespace mw {
namespace {

// A screen of the given size with a canvas over its own pixels.
struct Screen {
  Screen(int32_t width, int32_t height, uint32_t fill = 0xFF000000u)
      : size{width, height}, pixels(static_cast<size_t>(width) * height, fill) {}
  Canvas canvas() { return Canvas{pixels.data(), size.width, size.height}; }
  uint32_t at(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * size.width + x]; }

  ScreenSize size;
  std::vector<uint32_t> pixels;
};

Image solid(int32_t width, int32_t height, uint32_t colour) {
  Image image;
  image.width = width;
  image.height = height;
  image.pixels.assign(static_cast<size_t>(width) * height, colour);
  return image;
}

// A picture whose pixel (c, r) is opaque and names its own place: 0xFF80ccrr.
Image numbered(int32_t width, int32_t height) {
  Image image = solid(width, height, 0);
  for (int32_t r = 0; r < height; ++r)
    for (int32_t c = 0; c < width; ++c) image.pixels[r * width + c] = 0xFF800000u | c << 8 | r;
  return image;
}

// Rows and columns [x0, x1) x [y0, y1) of the screen that differ from the fill.
void expectChangedExactly(const Screen& screen, int32_t x0, int32_t x1, int32_t y0, int32_t y1, uint32_t fill) {
  for (int32_t y = 0; y < screen.size.height; ++y)
    for (int32_t x = 0; x < screen.size.width; ++x) {
      const bool inside = x >= x0 && x < x1 && y >= y0 && y < y1;
      ASSERT_EQ(screen.at(x, y) != fill, inside) << "at (" << x << ", " << y << ")";
    }
}

TEST(Compositing, BlendImageClipsAtTheTopLeft) {
  Screen screen(64, 48);
  const Image picture = numbered(40, 40);
  blendImage(screen.canvas(), -10, -5, picture);
  expectChangedExactly(screen, 0, 30, 0, 35, 0xFF000000u);
  EXPECT_EQ(screen.at(0, 0), picture.pixels[5 * 40 + 10]);
  EXPECT_EQ(screen.at(29, 34), picture.pixels[39 * 40 + 39]);
}

TEST(Compositing, BlendImageAtTheLastColumnDrawsSourceColumnZero) {
  Screen screen(64, 48);
  const Image picture = numbered(40, 40);
  blendImage(screen.canvas(), 63, 0, picture);
  expectChangedExactly(screen, 63, 64, 0, 40, 0xFF000000u);
  EXPECT_EQ(screen.at(63, 7), picture.pixels[7 * 40]);
}

TEST(Compositing, StampNeverDrawsRowZeroColumnZeroOrTheFirstVisibleAtACutEdge) {
  Screen screen(200, 160);
  Image target = solid(200, 160, 0xFF000000u);
  const Image picture = numbered(40, 40);
  stampImage(100, 100, picture, target, screen.size);
  screen.pixels = target.pixels;
  expectChangedExactly(screen, 101, 140, 101, 140, 0xFF000000u);

  Image cut = solid(200, 160, 0xFF000000u);
  stampImage(-10, 0, picture, cut, screen.size);
  screen.pixels = cut.pixels;
  expectChangedExactly(screen, 1, 30, 1, 40, 0xFF000000u);
  EXPECT_EQ(cut.pixels[1 * 200 + 1], picture.pixels[1 * 40 + 11]);  // source column 11 at target column 1
}

TEST(Compositing, StampStaysInsideATargetSmallerThanTheScreen) {
  Screen screen(100, 100);
  const Image picture = numbered(40, 40);
  Image empty;  // 0 x 0
  stampImage(10, 10, picture, empty, screen.size);
  for (int k = 0; k < 8; ++k) stampOriented(10, 10, picture, empty, screen.size, k);
  EXPECT_TRUE(empty.pixels.empty());

  Image small = solid(30, 20, 0xFF000000u);
  for (int k = 0; k < 8; ++k) stampOriented(5, 5, picture, small, screen.size, k);
  stampImageFacing(5, 5, picture, small, screen.size, 0);
  // Drawn up to the target's own edge, nothing beyond it (the sanitizers watch the writes).
  EXPECT_NE(small.pixels[19 * 30 + 29], 0xFF000000u);
  EXPECT_EQ(small.pixels[5 * 30 + 5], 0xFF000000u);
}

TEST(Compositing, FacingMirrorsSourceColumnWMinusC) {
  Screen screen(100, 100);
  const Image picture = numbered(5, 3);
  Image right = solid(100, 100, 0);
  Image left = solid(100, 100, 0);
  stampImageFacing(10, 20, picture, right, screen.size, 1);
  stampImageFacing(10, 20, picture, left, screen.size, 0);
  for (int32_t r = 1; r < 3; ++r)
    for (int32_t c = 1; c < 5; ++c) {
      EXPECT_EQ(right.pixels[(20 + r) * 100 + 10 + c], picture.pixels[r * 5 + c]);
      EXPECT_EQ(left.pixels[(20 + r) * 100 + 10 + c], picture.pixels[r * 5 + (5 - c)]);
    }
}

// Source (column, row) shown at target (c, r) in each orientation, for a square of side n (the
// right-hand column of the orientation table).
std::pair<int32_t, int32_t> orientedSource(int k, int32_t n, int32_t c, int32_t r) {
  switch (k) {
    case 0: return {c, r};
    case 1: return {n - c, r};
    case 2: return {r, c};
    case 3: return {n - r, c};
    case 4: return {n - r, n - 1 - c};
    case 5: return {n - c, n - 1 - r};
    case 6: return {c, n - 1 - r};
    default: return {r, n - 1 - c};
  }
}

TEST(Compositing, EightOrientationsOfASmallAsymmetricPicture) {
  Screen screen(50, 50);
  const Image picture = numbered(4, 4);
  for (int k = 0; k < 8; ++k) {
    Image target = solid(50, 50, 0);
    stampOriented(7, 9, picture, target, screen.size, k);
    for (int32_t r = 1; r < 4; ++r)
      for (int32_t c = 1; c < 4; ++c) {
        const auto [sc, sr] = orientedSource(k, 4, c, r);
        EXPECT_EQ(target.pixels[(9 + r) * 50 + 7 + c], picture.pixels[sr * 4 + sc]) << "k " << k << " at " << c << "," << r;
      }
  }
}

TEST(Compositing, BlitKeyedSkipsTheKeyOnlyAndCopiesAlpha) {
  Screen screen(8, 2, 0xFF112233u);
  Image picture = solid(3, 1, TRANSPARENT_KEY);
  picture.pixels[1] = TRANSPARENT_KEY & 0x00FFFFFFu;  // differs in its alpha byte alone
  picture.pixels[2] = 0x40ABCDEFu;
  blitKeyed(screen.canvas(), 2, 1, picture);
  EXPECT_EQ(screen.at(2, 1), 0xFF112233u);
  EXPECT_EQ(screen.at(3, 1), 0x000301F3u);
  EXPECT_EQ(screen.at(4, 1), 0x40ABCDEFu);
}

TEST(Compositing, BlendPixelOffTheScreenDoesNothing) {
  Screen screen(10, 10, 0x00000000u);
  blendPixel(screen.canvas(), 10, 0, 0xFFFFFFFFu);
  blendPixel(screen.canvas(), -1, 5, 0xFFFFFFFFu);
  blendPixel(screen.canvas(), 3, 10, 0xFFFFFFFFu);
  EXPECT_EQ(screen.pixels, std::vector<uint32_t>(100, 0u));
}

std::vector<std::pair<int32_t, int32_t>> linePixels(const Screen& screen, uint32_t fill) {
  std::vector<std::pair<int32_t, int32_t>> points;
  for (int32_t x = 0; x < screen.size.width; ++x)
    for (int32_t y = 0; y < screen.size.height; ++y)
      if (screen.at(x, y) != fill) points.emplace_back(x, y);
  return points;
}

TEST(Compositing, LinePixelsAndOrder) {
  Screen dot(20, 20, 0);
  drawLine(dot.canvas(), 5, 5, 5, 5, 1, 2, 3);
  EXPECT_EQ(linePixels(dot, 0), (std::vector<std::pair<int32_t, int32_t>>{{5, 5}}));
  EXPECT_EQ(dot.at(5, 5), 0xFF010203u);

  Screen shallow(20, 20, 0);
  drawLine(shallow.canvas(), 0, 0, 10, 3, 0x1FF, 0, -1);  // colours taken modulo 256
  const std::vector<std::pair<int32_t, int32_t>> expected = {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}, {5, 2},
                                                             {6, 2}, {7, 2}, {8, 2}, {9, 3}, {10, 3}};
  EXPECT_EQ(linePixels(shallow, 0), expected);
  EXPECT_EQ(shallow.at(10, 3), 0xFFFF00FFu);

  Screen forward(20, 20, 0), backward(20, 20, 0);
  drawLine(forward.canvas(), 0, 0, 10, 0, 255, 255, 255);
  drawLine(backward.canvas(), 10, 0, 0, 0, 255, 255, 255);
  EXPECT_EQ(forward.pixels, backward.pixels);
  EXPECT_EQ(linePixels(forward, 0).size(), 11u);

  Screen steep(20, 20, 0);
  drawLine(steep.canvas(), 2, 12, 5, 0, 9, 9, 9);  // 13 rows, one pixel each
  const auto points = linePixels(steep, 0);
  EXPECT_EQ(points.size(), 13u);
  for (const auto& [x, y] : points) EXPECT_EQ(x, static_cast<int32_t>(static_cast<float>(y) * -0.25f + 5.0f + 0.5f));
}

TEST(Compositing, LinePointsOffTheScreenAreSkipped) {
  Screen big(60, 60, 0), small(20, 20, 0);
  drawLine(big.canvas(), 10, 50, 50, 15, 200, 100, 50);
  drawLine(small.canvas(), 10, 50, 50, 15, 200, 100, 50);
  for (int32_t y = 0; y < 20; ++y)
    for (int32_t x = 0; x < 20; ++x) ASSERT_EQ(small.at(x, y), big.at(x, y)) << x << "," << y;
  drawLine(small.canvas(), -2000000000, 5, 2000000000, 7, 1, 1, 1);  // far off both sides, no overflow
  drawLine(small.canvas(), -3, -3, -3, -3, 1, 1, 1);
}

// ---- fast paths against the reference loops ----

class FastPaths : public ::testing::TestWithParam<SimdLevel> {
 protected:
  void SetUp() override {
    if (setSimdLevel(GetParam()) != GetParam()) GTEST_SKIP() << "this processor lacks the level";
  }
  void TearDown() override { setSimdLevel(bestSimdLevel()); }

  // A position on, partly off or wholly off a screen of sw x sh for a picture of w x h.
  static std::pair<int32_t, int32_t> position(std::mt19937& rng, int32_t sw, int32_t sh, int32_t w, int32_t h) {
    const auto along = [&](int32_t size, int32_t extent) {
      switch (rng() % 6) {
        case 0: return -static_cast<int32_t>(rng() % (extent + 1));             // cut at the left / top
        case 1: return size - static_cast<int32_t>(rng() % (extent + 1));       // cut at the right / bottom
        case 2: return -extent - static_cast<int32_t>(rng() % 50);              // wholly before
        case 3: return size + static_cast<int32_t>(rng() % 50);                 // wholly after
        default: return static_cast<int32_t>(rng() % (size + 1)) - extent / 2;  // anywhere near
      }
    };
    return {along(sw, w), along(sh, h)};
  }
};

TEST_P(FastPaths, FrameRoutinesEqualTheReference) {
  std::mt19937 rng(21);
  for (int round = 0; round < 300; ++round) {
    const int32_t sw = 1 + static_cast<int32_t>(rng() % 120);
    const int32_t sh = 1 + static_cast<int32_t>(rng() % 90);
    Screen fast(sw, sh);
    fast.pixels = test::randomTarget(rng, fast.pixels.size());
    std::vector<uint32_t> slow = fast.pixels;
    const Canvas slowCanvas{slow.data(), sw, sh};
    const int32_t w = static_cast<int32_t>(rng() % 90);
    const int32_t h = static_cast<int32_t>(rng() % 90);
    Image picture = test::randomImage(rng, w, h, static_cast<test::AlphaMix>(rng() % 4));
    for (uint32_t& p : picture.pixels)
      if (rng() % 7 == 0) p = TRANSPARENT_KEY;
    ToolPicture tool{w, h, picture.pixels};
    const auto [x, y] = position(rng, sw, sh, w, h);
    switch (round % 3) {
      case 0:
        blendImage(fast.canvas(), x, y, picture);
        reference::blendImage(slowCanvas, x, y, picture);
        break;
      case 1:
        drawToolPicture(fast.canvas(), tool, x, y);
        reference::drawToolPicture(slowCanvas, tool, x, y);
        break;
      default:
        blitKeyed(fast.canvas(), x, y, picture);
        reference::blitKeyed(slowCanvas, x, y, picture);
        break;
    }
    ASSERT_EQ(fast.pixels, slow) << "round " << round << ": " << w << "x" << h << " at " << x << "," << y
                                 << " on " << sw << "x" << sh;
  }
}

TEST_P(FastPaths, StampsEqualTheReference) {
  std::mt19937 rng(22);
  for (int round = 0; round < 400; ++round) {
    const int32_t sw = 1 + static_cast<int32_t>(rng() % 120);
    const int32_t sh = 1 + static_cast<int32_t>(rng() % 90);
    Screen screen(sw, sh);
    // The target usually has the screen's size; sometimes it is smaller or larger.
    const int32_t tw = rng() % 4 == 0 ? static_cast<int32_t>(rng() % 130) : sw;
    const int32_t th = rng() % 4 == 0 ? static_cast<int32_t>(rng() % 100) : sh;
    Image fast;
    fast.width = tw;
    fast.height = th;
    fast.pixels = test::randomTarget(rng, static_cast<size_t>(tw) * th);
    Image slow = fast;
    const int32_t n = 1 + static_cast<int32_t>(rng() % 70);
    const bool square = rng() % 4 != 0;
    const int32_t w = n;
    const int32_t h = square ? n : 1 + static_cast<int32_t>(rng() % 70);
    const Image picture = test::randomImage(rng, w, h, static_cast<test::AlphaMix>(rng() % 4));
    const auto [x, y] = position(rng, sw, sh, std::max(w, h), std::max(w, h));
    const int kind = static_cast<int>(rng() % 11);
    if (kind < 8) {
      stampOriented(x, y, picture, fast, screen.size, kind);
      reference::stampOriented(x, y, picture, slow, screen.size, kind);
    } else if (kind < 10) {
      const uint8_t facing = kind == 8 ? 1 : static_cast<uint8_t>(rng() % 2 == 0 ? 0 : 2 + rng() % 250);
      stampImageFacing(x, y, picture, fast, screen.size, facing);
      reference::stampImageFacing(x, y, picture, slow, screen.size, facing);
    } else {
      const int k = static_cast<int>(rng() % 8);
      stampOriented(x, y, picture, fast, screen.size, k);
      reference::stampOriented(x, y, picture, slow, screen.size, k);
    }
    ASSERT_EQ(fast.pixels, slow.pixels) << "round " << round << " kind " << kind << ": " << w << "x" << h << " at "
                                        << x << "," << y << " into " << tw << "x" << th << " on " << sw << "x" << sh;
  }
}

TEST_P(FastPaths, BackgroundEqualsClearThenCopy) {
  std::mt19937 rng(23);
  for (int round = 0; round < 100; ++round) {
    const int32_t sw = 1 + static_cast<int32_t>(rng() % 100);
    const int32_t sh = 1 + static_cast<int32_t>(rng() % 60);
    Screen fast(sw, sh);
    fast.pixels = test::randomTarget(rng, fast.pixels.size());
    std::vector<uint32_t> slow = fast.pixels;
    const int32_t dw = rng() % 3 == 0 ? static_cast<int32_t>(rng() % 120) : sw;
    const int32_t dh = rng() % 3 == 0 ? static_cast<int32_t>(rng() % 80) : sh;
    Image desktop = test::randomImage(rng, dw, dh, test::AlphaMix::Solid);
    for (uint32_t& p : desktop.pixels)
      if (rng() % 9 == 0) p = TRANSPARENT_KEY;
    copyBackground(fast.canvas(), desktop);
    reference::copyBackground(Canvas{slow.data(), sw, sh}, desktop);
    ASSERT_EQ(fast.pixels, slow) << "round " << round;
  }
}

// On a frame known to be opaque, blendImage blends only each row's visible span of a picture whose
// spans are known; the result equals the plain loop. Rows have clear margins of every width, some
// rows are clear throughout, and the flag is also tried on with the spans missing or stale-free.
TEST_P(FastPaths, VisibleSpansOnAnOpaqueFrameEqualTheReference) {
  std::mt19937 rng(24);
  for (int round = 0; round < 300; ++round) {
    const int32_t sw = 1 + static_cast<int32_t>(rng() % 120);
    const int32_t sh = 1 + static_cast<int32_t>(rng() % 90);
    Screen fast(sw, sh);
    fast.pixels = test::randomTarget(rng, fast.pixels.size());
    for (uint32_t& p : fast.pixels) p |= 0xFF000000u;
    std::vector<uint32_t> slow = fast.pixels;
    const int32_t w = static_cast<int32_t>(rng() % 90);
    const int32_t h = static_cast<int32_t>(rng() % 90);
    Image picture = test::randomImage(rng, w, h, static_cast<test::AlphaMix>(rng() % 4));
    for (int32_t r = 0; r < h; ++r) {
      const int32_t left = static_cast<int32_t>(rng() % (w + 1));
      const int32_t right = static_cast<int32_t>(rng() % (w + 1));
      for (int32_t c = 0; c < w; ++c) {
        if (c < left || c >= w - right) picture.pixels[r * w + c] &= 0x00FFFFFFu;
      }
    }
    if (round % 5 != 4) findVisibleSpans(picture);
    const auto [x, y] = position(rng, sw, sh, w, h);
    Canvas canvas = fast.canvas();
    canvas.opaque = true;
    blendImage(canvas, x, y, picture);
    reference::blendImage(Canvas{slow.data(), sw, sh}, x, y, picture);
    ASSERT_EQ(fast.pixels, slow) << "round " << round << ": " << w << "x" << h << " at " << x << "," << y
                                 << " on " << sw << "x" << sh;
  }
}

TEST(Compositing, VisibleSpansOfEachRow) {
  Image picture = solid(6, 4, 0x00FFFFFFu);
  picture.pixels[0 * 6 + 2] = 0x01000000u;  // row 0: alpha 1 at column 2 only
  picture.pixels[1 * 6 + 0] = 0xFF000000u;  // row 1: columns 0 and 5
  picture.pixels[1 * 6 + 5] = 0x80000000u;
  picture.pixels[3 * 6 + 4] = 0xFF123456u;  // row 2 stays clear
  findVisibleSpans(picture);
  EXPECT_EQ(picture.visibleSpans, (std::vector<uint16_t>{2, 3, 0, 6, 0, 0, 4, 5}));
  EXPECT_EQ((std::vector<int32_t>{picture.visibleLeft, picture.visibleTop, picture.visibleRight, picture.visibleBottom}),
            (std::vector<int32_t>{0, 0, 6, 4}));
  picture.pixels[1 * 6 + 0] = picture.pixels[1 * 6 + 5] = picture.pixels[3 * 6 + 4] = 0x00FFFFFFu;
  findVisibleSpans(picture);  // only column 2 of row 0 is left
  EXPECT_EQ((std::vector<int32_t>{picture.visibleLeft, picture.visibleTop, picture.visibleRight, picture.visibleBottom}),
            (std::vector<int32_t>{2, 0, 3, 1}));
  picture.pixels[2] = 0x00FFFFFFu;
  findVisibleSpans(picture);  // nothing visible: an empty box
  EXPECT_EQ(picture.visibleRight - picture.visibleLeft, 0);
}

// Drawing put off and then done in bands, shared with the helper thread or on one, gives the same
// pixels and damage as drawing at once: blends cut by band edges and by the screen's, level lines,
// on opaque frames (visible spans) and others, and more draws than the list holds. A routine that
// cannot wait draws what waits first; a stamp waits for the draws. Jobs follow each other with the
// helper at times waking late, when it must take nothing of the next job.
TEST_P(FastPaths, DeferredDrawingEqualsDrawingAtOnce) {
  std::mt19937 rng(25);
  const int bandsWere = drawingBands();
  std::vector<Image> pictures;
  for (int k = 0; k < 6; ++k) {
    pictures.push_back(test::randomImage(rng, 1 + static_cast<int32_t>(rng() % 80), 1 + static_cast<int32_t>(rng() % 80),
                                         test::AlphaMix::Sprite));
    findVisibleSpans(pictures.back());
  }
  for (int round = 0; round < 12; ++round) {
    const int32_t sw = round % 4 == 0 ? 1280 : 200 + static_cast<int32_t>(rng() % 800);
    const int32_t sh = round % 4 == 0 ? 720 : 1 + static_cast<int32_t>(rng() % 800);
    setDrawingBands(round % 3 == 2 ? 1 : 2);
    setHelperPause(round % 2 == 0 ? 1000 : 0);
    Screen later(sw, sh);
    later.pixels = test::randomTarget(rng, later.pixels.size());
    const bool opaque = round % 2 == 0;
    if (opaque)
      for (uint32_t& p : later.pixels) p |= 0xFF000000u;
    std::vector<uint32_t> atOnce = later.pixels;
    Image stamped = test::randomImage(rng, 50, 50, test::AlphaMix::Solid), stampedAtOnce = stamped;
    DamageGrid laterDamage, onceDamage;
    laterDamage.resize(sw, sh);
    onceDamage.resize(sw, sh);
    DeferredDrawing deferred, side;  // side: a second frame whose jobs come between
    beginDeferred(deferred, later.pixels.data(), sw, sh);
    std::vector<uint32_t> sidePixels(later.pixels.size(), 0xFF000000u), sideAtOnce = sidePixels;
    beginDeferred(side, sidePixels.data(), sw, sh);
    stamped.damage.deferred = &deferred;
    const Canvas deferring{later.pixels.data(), sw, sh, &laterDamage, opaque, &deferred};
    const Canvas now{atOnce.data(), sw, sh, &onceDamage, opaque};
    const int draws = round == 5 ? 5000 : 100 + static_cast<int>(rng() % 400);
    for (int i = 0; i < draws; ++i) {
      const Image& picture = pictures[rng() % pictures.size()];
      const auto [x, y] = position(rng, sw, sh, picture.width, picture.height);
      switch (rng() % 100 / 4) {  // a flush every hundred draws or so, the lists long enough for bands
        case 0: {
          const int k = static_cast<int>(rng() % 8);
          const std::vector<uint32_t> before = stamped.pixels;
          stampOriented(x % 40, y % 40, picture, stamped, later.size, k);
          stampOriented(x % 40, y % 40, picture, stampedAtOnce, later.size, k);
          ASSERT_EQ(stamped.pixels, before) << "a stamp waits for the draws";
          break;
        }
        case 1: {  // a level line, on or off the screen
          const int32_t row = static_cast<int32_t>(rng() % (sh + 4)) - 2;
          const int32_t end = x + static_cast<int32_t>(rng() % 300) - 150;
          drawLine(deferring, x, row, end, row, 9, 200, 40);
          drawLine(now, x, row, end, row, 9, 200, 40);
          break;
        }
        case 2:  // cannot wait, one time in four; then a job of the other frame
          if (rng() % 4 != 0) break;
          blendPixel(deferring, x, y, 0x80FF00FFu);
          blendPixel(now, x, y, 0x80FF00FFu);
          for (int32_t j = 0; j < 80; ++j) {  // enough to be drawn in bands
            blendImage(Canvas{sidePixels.data(), sw, sh, nullptr, false, &side}, x, j * sh / 80, picture);
            blendImage(Canvas{sideAtOnce.data(), sw, sh}, x, j * sh / 80, picture);
          }
          drawDeferred(side);
          break;
        default:
          blendImage(deferring, x, y, picture);
          blendImage(now, x, y, picture);
      }
    }
    finishDeferred(deferred);
    ASSERT_EQ(later.pixels, atOnce) << "round " << round << ", " << sw << "x" << sh;
    ASSERT_EQ(stamped.pixels, stampedAtOnce.pixels) << "round " << round;
    ASSERT_EQ(sidePixels, sideAtOnce) << "round " << round;
    for (int32_t r = 0; r < onceDamage.rows(); ++r)
      for (int32_t c = 0; c < onceDamage.columns(); ++c) ASSERT_EQ(laterDamage.damaged(c, r), onceDamage.damaged(c, r));
  }
  setHelperPause(0);
  setDrawingBands(bandsWere);
}

INSTANTIATE_TEST_SUITE_P(Levels, FastPaths, ::testing::Values(SimdLevel::Plain, SimdLevel::Scalar, SimdLevel::Sse2, SimdLevel::Avx2),
                         [](const auto& info) {
                           return info.param == SimdLevel::Plain    ? "Plain"
                                  : info.param == SimdLevel::Scalar ? "Scalar"
                                  : info.param == SimdLevel::Sse2 ? "Sse2"
                                                                  : "Avx2";
                         });

}  // namespace
}  // namespace mw
