// Font sheets, bitmap text and the statistics overlay, on synthetic sheets; and the overlay and
// the menu panel in a simulated frame when the real fonts and pictures are there.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/files.h"
#include "app/input.h"
#include "gfx/images.h"
#include "gfx/png_codec.h"
#include "gfx/resources.h"
#include "gfx/text.h"
#include "tests/test_support.h"
#include "world/overlays.h"
#include "world/world.h"

namespace mw {
namespace {

using PixelAt = std::function<uint32_t(int32_t x, int32_t y)>;  // 0xRRGGBB, top row first

// Writes a BMP: 14-byte file header, 40-byte info header, rows bottom first and padded to 4 bytes.
std::vector<uint8_t> bmpBytes(int32_t width, int32_t height, const PixelAt& pixel, uint16_t bits = 24,
                              uint32_t compression = 0) {
  const size_t bytesPerPixel = bits / 8;
  const size_t rowBytes = (width * bytesPerPixel + 3) / 4 * 4;
  std::vector<uint8_t> out(54 + rowBytes * (height > 0 ? height : -height), 0);
  const auto put = [&](size_t at, uint32_t value, int count) {
    for (int i = 0; i < count; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
  };
  out[0] = 'B';
  out[1] = 'M';
  put(2, static_cast<uint32_t>(out.size()), 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, static_cast<uint32_t>(width), 4);
  put(22, static_cast<uint32_t>(height), 4);
  put(26, 1, 2);
  put(28, bits, 2);
  put(30, compression, 4);
  for (int32_t stored = 0; stored < (height > 0 ? height : 0); ++stored) {
    const int32_t y = height - 1 - stored;
    for (int32_t x = 0; x < width; ++x) put(54 + stored * rowBytes + x * bytesPerPixel, pixel(x, y), 3);
  }
  return out;
}

// A sheet in which glyph cell g has black pixels where (c * 3 + r + g) % 5 == 0, on white; the
// cell after the last glyph is black all over, so reading past the glyphs would show.
PixelAt patternSheet(int32_t glyphWidth, int32_t glyphHeight) {
  return [=](int32_t x, int32_t y) -> uint32_t {
    const int32_t g = (y / glyphHeight) * 32 + x / glyphWidth;
    if (g >= 95) return 0x000000;
    return ((x % glyphWidth) * 3 + (y % glyphHeight) + g) % 5 == 0 ? 0x000000 : 0xFFFFFF;
  };
}

class Fonts : public ::testing::Test {
 protected:
  std::string write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = data_.file(name);
    EXPECT_TRUE(writeFileBytes(path, bytes));
    return path;
  }
  // Reads a 16 x 28 pattern sheet into store_ and returns its font.
  BitmapFont statsFont() {
    EXPECT_TRUE(readFontBitmap(write("stats.bmp", bmpBytes(512, 84, patternSheet(16, 28))), store_.data(), 512));
    return BitmapFont{16, 28, 32, store_.data()};
  }

  test::DataDirectory data_;
  std::vector<uint32_t> store_ = std::vector<uint32_t>(FONT_STORE_PIXELS, 0x12345678u);
};

TEST_F(Fonts, ReadsAnOpaqueSheetTopRowFirst) {
  const PixelAt pixel = [](int32_t x, int32_t y) { return static_cast<uint32_t>(x * 0x010203 + y * 0x030201); };
  ASSERT_TRUE(readFontBitmap(write("a.bmp", bmpBytes(416, 72, pixel)), store_.data(), 416));  // no padding
  for (int32_t y = 0; y < 72; y += 7)
    for (int32_t x = 0; x < 416; x += 5) ASSERT_EQ(store_[y * 416 + x], 0xFF000000u | (pixel(x, y) & 0xFFFFFF));
  EXPECT_EQ(store_[416 * 72], 0u);  // the rest of the store is empty

  ASSERT_TRUE(readFontBitmap(write("b.bmp", bmpBytes(17, 5, pixel)), store_.data(), 17));  // 1 byte of padding a row
  for (int32_t y = 0; y < 5; ++y)
    for (int32_t x = 0; x < 17; ++x) ASSERT_EQ(store_[y * 17 + x], 0xFF000000u | (pixel(x, y) & 0xFFFFFF));
}

TEST_F(Fonts, UnusableSheetsAreReportedOnceAndDrawNothing) {
  const PixelAt black = [](int32_t, int32_t) { return 0u; };
  std::vector<uint8_t> cut = bmpBytes(512, 84, black);
  cut.resize(cut.size() - 1);
  std::vector<uint8_t> notBmp = bmpBytes(512, 84, black);
  notBmp[0] = 'X';
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"missing.bmp", {}},
      {"narrow.bmp", bmpBytes(511, 84, black)},
      {"deep.bmp", bmpBytes(512, 84, black, 32)},
      {"packed.bmp", bmpBytes(512, 84, black, 24, 1)},
      {"huge.bmp", bmpBytes(512, 85, black)},  // 43520 pixels: more than the store
      {"topdown.bmp", bmpBytes(512, -84, black)},
      {"cut.bmp", cut},
      {"notbmp.bmp", notBmp},
  };
  for (const auto& c : cases) {
    const std::string path = c.bytes.empty() ? data_.file(c.name) : write(c.name, c.bytes);
    store_.assign(FONT_STORE_PIXELS, 0xFF000000u);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(readFontBitmap(path, store_.data(), 512)) << c.name;
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(path), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_EQ(store_, std::vector<uint32_t>(FONT_STORE_PIXELS, 0u)) << c.name;

    std::vector<uint32_t> screen(200 * 50, 0xFF808080u);
    drawText(Canvas{screen.data(), 200, 50}, "Green: 0", 0, 0, BitmapFont{16, 28, 32, store_.data()}, 0xFF00FF00u);
    EXPECT_EQ(screen, std::vector<uint32_t>(200 * 50, 0xFF808080u)) << c.name;
  }
}

// Draws text with the plain definition: cell i at x + i * glyphWidth, exact black only, no clipping
// (the caller keeps it on the screen).
void plainText(std::vector<uint32_t>& screen, int32_t width, const std::string& text, int32_t x, int32_t y,
               const BitmapFont& font, uint32_t colour) {
  for (size_t i = 0; i < text.size(); ++i) {
    const int32_t ch = static_cast<uint8_t>(text[i]);
    if (ch < 32 || ch > 126) continue;
    const int32_t g = ch - 32;
    const int32_t stride = font.glyphsPerRow * font.glyphWidth;
    for (int32_t r = 0; r < font.glyphHeight; ++r)
      for (int32_t c = 0; c < font.glyphWidth; ++c) {
        const uint32_t p = font.pixels[((g / 32) * font.glyphHeight + r) * stride + (g % 32) * font.glyphWidth + c];
        if (p == 0xFF000000u) screen[(y + r) * width + x + static_cast<int32_t>(i) * font.glyphWidth + c] = colour;
      }
  }
}

TEST_F(Fonts, LetterAAndTildeUseTheirCells) {
  const BitmapFont font = statsFont();
  std::vector<uint32_t> screen(100 * 60, 0xFF808080u);
  drawText(Canvas{screen.data(), 100, 60}, "A", 30, 20, font, 0xFFABCDEFu);
  // Code 65 is cell 33: sheet columns 16..31, rows 28..55.
  for (int32_t r = 0; r < 60; ++r)
    for (int32_t c = 0; c < 100; ++c) {
      const bool inCell = c >= 30 && c < 46 && r >= 20 && r < 48;
      const bool ink = inCell && store_[(28 + r - 20) * 512 + 16 + c - 30] == 0xFF000000u;
      ASSERT_EQ(screen[r * 100 + c], ink ? 0xFFABCDEFu : 0xFF808080u) << c << "," << r;
    }

  std::vector<uint32_t> tilde(20 * 30, 0xFF808080u);
  drawText(Canvas{tilde.data(), 20, 30}, "~", 2, 1, font, 0xFF00FF00u);
  // Code 126 is cell 94: cell column 30, cell row 2.
  for (int32_t r = 0; r < 28; ++r)
    for (int32_t c = 0; c < 16; ++c) {
      const bool ink = store_[(56 + r) * 512 + 30 * 16 + c] == 0xFF000000u;
      ASSERT_EQ(tilde[(1 + r) * 20 + 2 + c], ink ? 0xFF00FF00u : 0xFF808080u);
    }
}

TEST_F(Fonts, SkippedBytesKeepTheirCellsAndOnlyExactBlackDraws) {
  const BitmapFont font = statsFont();
  std::vector<uint32_t> drawn(200 * 30, 0xFF808080u), expected = drawn;
  drawText(Canvas{drawn.data(), 200, 30}, "a\tb\xC8" "c", 0, 1, font, 0xFF0000FFu);
  plainText(expected, 200, "a", 0, 1, font, 0xFF0000FFu);
  plainText(expected, 200, "b", 32, 1, font, 0xFF0000FFu);
  plainText(expected, 200, "c", 64, 1, font, 0xFF0000FFu);
  EXPECT_EQ(drawn, expected);

  std::vector<uint32_t> empty(200 * 30, 0xFF808080u);
  drawText(Canvas{empty.data(), 200, 30}, "", 0, 0, font, 0xFF0000FFu);
  EXPECT_EQ(empty, std::vector<uint32_t>(200 * 30, 0xFF808080u));

  // Almost black (red 1) is background.
  const PixelAt nearlyBlack = [](int32_t, int32_t) { return 0x010000u; };
  ASSERT_TRUE(readFontBitmap(write("grey.bmp", bmpBytes(512, 84, nearlyBlack)), store_.data(), 512));
  drawText(Canvas{empty.data(), 200, 30}, "ABC", 0, 0, font, 0xFF0000FFu);
  EXPECT_EQ(empty, std::vector<uint32_t>(200 * 30, 0xFF808080u));
}

TEST_F(Fonts, TextOffTheScreenIsClippedPixelByPixel) {
  const BitmapFont font = statsFont();
  // The same text on a large screen and on a small window of it must agree inside the window.
  const int32_t bigW = 300, bigH = 120, ox = 100, oy = 40, w = 60, h = 30;
  for (const auto& [x, y] : std::vector<std::pair<int32_t, int32_t>>{{-20, -10}, {40, 15}, {-100, 0}, {10, -27}}) {
    std::vector<uint32_t> big(bigW * bigH, 0), small(w * h, 0);
    plainText(big, bigW, "Fires: 12", x + ox, y + oy, font, 0xFFFF0000u);
    drawText(Canvas{small.data(), w, h}, "Fires: 12", x, y, font, 0xFFFF0000u);
    for (int32_t r = 0; r < h; ++r)
      for (int32_t c = 0; c < w; ++c) ASSERT_EQ(small[r * w + c], big[(r + oy) * bigW + c + ox]) << x << "," << y;
  }
}

TEST_F(Fonts, StatisticsLinesTextColoursAndPlaces) {
  const BitmapFont font = statsFont();
  auto world = std::make_unique<World>();
  world->presenter.screen = ScreenSize{1920, 60};
  world->presenter.frameBuffer.assign(1920 * 60, 0xFF808080u);
  world->statsFont = font;
  world->green.count = 200;
  world->blue.count = 7;
  world->lighterFires.count = 800;
  drawStatistics(*world);
  EXPECT_STREQ(world->statisticsText[0], "Green: 200");
  EXPECT_STREQ(world->statisticsText[1], "Blue: 7");
  EXPECT_STREQ(world->statisticsText[2], "Fires: 800");
  std::vector<uint32_t> expected(1920 * 60, 0xFF808080u);
  plainText(expected, 1920, "Green: 200", 10, 5, font, 0xFF00FF00u);
  plainText(expected, 1920, "Blue: 7", 1780, 5, font, 0xFF0000FFu);
  plainText(expected, 1920, "Fires: 800", 820, 5, font, 0xFFFF0000u);
  EXPECT_EQ(world->presenter.frameBuffer, expected);
}

// ---- the real fonts and pictures in a simulated frame ----

Image readFrame(const std::string& path) {
  const std::vector<uint8_t> bytes = readFileBytes(path);
  Image frame;
  EXPECT_TRUE(decodePng(bytes.data(), bytes.size(), frame));
  return frame;
}

TEST(SimulatedFrame, DefaultStartShowsTheCountersInTheStatsFont) {
  const std::filesystem::path font = std::filesystem::path(MIRTHWICK_BUILD_DIR) / "Files/Img/fixedsys16x28.bmp";
  if (!std::filesystem::exists(font)) GTEST_SKIP() << "the font sheets are not there yet";
  test::SimRun run(1280, 720);
  const std::string path = run.data.file("frame.png");
  Mouse& mouse = run.sim->application().session().mouse;
  mouse.x = mouse.y = 5000;  // the hammer follows the mouse, off the screen
  run.run("step\nframe " + path);
  const Image frame = readFrame(path);
  ASSERT_EQ(frame.width, 1280);
  World& w = run.sim->world();
  std::vector<uint32_t> expected = w.desktop.pixels;
  plainText(expected, 1280, "Green: 0", 10, 5, w.statsFont, 0xFF00FF00u);
  plainText(expected, 1280, "Blue: 0", 1140, 5, w.statsFont, 0xFF0000FFu);
  plainText(expected, 1280, "Fires: 0", 500, 5, w.statsFont, 0xFFFF0000u);
  for (uint32_t& p : expected) p |= 0xFF000000u;
  EXPECT_NE(expected, w.desktop.pixels) << "the counters drew nothing";
  EXPECT_EQ(frame.pixels, expected);
}

TEST(SimulatedFrame, RightButtonShowsThePanelPixelForPixel) {
  Image panel;
  if (!loadImageResource(panel, 2)) GTEST_SKIP() << "the panel picture is not compiled in yet";
  test::SimRun run(1280, 720);
  run.sim->world().showStats = 0;  // no cross in its box
  const std::string path = run.data.file("frame.png");
  run.run("move 100 600\npress right\nstep\nframe " + path);
  const Image frame = readFrame(path);
  ASSERT_EQ(frame.width, 1280);
  const int32_t panelX = 1280 - 500, panelY = (720 - 600) / 2;
  for (int32_t r = 0; r < 600; ++r)
    for (int32_t c = 0; c < 425; ++c) {
      const uint32_t want = panel.pixels[r * 425 + c] == TRANSPARENT_KEY
                                ? run.sim->world().desktop.pixels[(panelY + r) * 1280 + panelX + c]
                                : panel.pixels[r * 425 + c];
      ASSERT_EQ(frame.pixels[(panelY + r) * 1280 + panelX + c], want | 0xFF000000u) << c << "," << r;
    }
}

}  // namespace
}  // namespace mw
