// Converting the X server's pixel layouts into the capture's 0xFFRRGGBB rows.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/sdl/x11_capture.h"

namespace mw {
namespace {

struct Rgb {
  uint32_t r, g, b;  // at the channel's own width
};

// Builds an image as a server would lay it out: each pixel's channels shifted into their masks,
// `bytesPerLine` bytes a row, padding filled with junk.
std::vector<uint8_t> layOut(const XPixelLayout& layout, const std::vector<Rgb>& pixels, uint32_t padBits) {
  std::vector<uint8_t> data(static_cast<size_t>(layout.bytesPerLine) * layout.height, 0xA5);
  const int bytes = layout.bitsPerPixel / 8;
  auto place = [](uint32_t value, uint32_t mask) { return (value << __builtin_ctz(mask)) & mask; };
  for (int y = 0; y < layout.height; ++y) {
    for (int x = 0; x < layout.width; ++x) {
      const Rgb& p = pixels[static_cast<size_t>(y) * layout.width + x];
      const uint32_t v = place(p.r, layout.redMask) | place(p.g, layout.greenMask) | place(p.b, layout.blueMask) | padBits;
      uint8_t* at = data.data() + static_cast<size_t>(y) * layout.bytesPerLine + static_cast<size_t>(x) * bytes;
      for (int i = 0; i < bytes; ++i) {
        const int shift = layout.msbFirst ? 8 * (bytes - 1 - i) : 8 * i;
        at[i] = static_cast<uint8_t>(v >> shift);
      }
    }
  }
  return data;
}

std::vector<Rgb> randomPixels(int count, int bits) {
  std::vector<Rgb> pixels;
  const uint32_t top = (1u << bits) - 1;
  for (int i = 0; i < count; ++i) {
    pixels.push_back(Rgb{static_cast<uint32_t>(std::rand()) & top, static_cast<uint32_t>(std::rand()) & top,
                         static_cast<uint32_t>(std::rand()) & top});
  }
  pixels[0] = Rgb{0, 0, 0};
  pixels[1] = Rgb{top, top, top};
  return pixels;
}

TEST(X11Pixels, Depth24KeepsColoursDropsPadAndHonoursLinePadding) {
  std::srand(7);
  const XPixelLayout layout{5, 3, 5 * 4 + 12, 32, false, 0x00FF0000u, 0x0000FF00u, 0x000000FFu};
  const std::vector<Rgb> pixels = randomPixels(15, 8);
  const std::vector<uint8_t> data = layOut(layout, pixels, 0x5A000000u);  // pad byte is not alpha
  std::vector<uint32_t> out(15, 0);
  ASSERT_TRUE(convertXPixels(data.data(), layout, out.data()));
  for (size_t i = 0; i < 15; ++i) {
    EXPECT_EQ(out[i], 0xFF000000u | pixels[i].r << 16 | pixels[i].g << 8 | pixels[i].b) << i;
  }
}

TEST(X11Pixels, Depth30KeepsTheTopEightBitsOfEachChannel) {
  std::srand(8);
  const XPixelLayout layout{4, 2, 4 * 4, 32, false, 0x3FF00000u, 0x000FFC00u, 0x000003FFu};
  std::vector<Rgb> pixels = randomPixels(8, 10);
  // An 8-bit colour widened by replicating its top bits, as a server does, comes back whole.
  pixels[2] = Rgb{(0x80u << 2) | 0x2, (0x7Fu << 2) | 0x1, 0x01u << 2};
  const std::vector<uint8_t> data = layOut(layout, pixels, 0xC0000000u);
  std::vector<uint32_t> out(8, 0);
  ASSERT_TRUE(convertXPixels(data.data(), layout, out.data()));
  for (size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(out[i], 0xFF000000u | (pixels[i].r >> 2) << 16 | (pixels[i].g >> 2) << 8 | pixels[i].b >> 2) << i;
  }
  EXPECT_EQ(out[2], 0xFF807F01u);
}

TEST(X11Pixels, SwappedMasksBigEndianAndPackedOrShortPixels) {
  std::srand(9);
  // Red in the low byte, green, blue high; pixel bytes stored most significant first.
  const XPixelLayout bgr{3, 2, 3 * 4 + 4, 32, true, 0x000000FFu, 0x0000FF00u, 0x00FF0000u};
  const std::vector<Rgb> pixels = randomPixels(6, 8);
  std::vector<uint32_t> out(6, 0);
  ASSERT_TRUE(convertXPixels(layOut(bgr, pixels, 0).data(), bgr, out.data()));
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(out[i], 0xFF000000u | pixels[i].r << 16 | pixels[i].g << 8 | pixels[i].b);

  // Three bytes a pixel, rows padded to four bytes.
  const XPixelLayout packed{3, 2, 12, 24, false, 0xFF0000u, 0x00FF00u, 0x0000FFu};
  ASSERT_TRUE(convertXPixels(layOut(packed, pixels, 0).data(), packed, out.data()));
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(out[i], 0xFF000000u | pixels[i].r << 16 | pixels[i].g << 8 | pixels[i].b);

  // 5-6-5: the largest value of a narrow channel becomes 255, zero stays zero.
  const XPixelLayout rgb565{2, 1, 4, 16, false, 0xF800u, 0x07E0u, 0x001Fu};
  const std::vector<Rgb> narrow = {Rgb{31, 63, 0}, Rgb{16, 1, 31}};
  ASSERT_TRUE(convertXPixels(layOut(rgb565, narrow, 0).data(), rgb565, out.data()));
  EXPECT_EQ(out[0], 0xFFFFFF00u);
  EXPECT_EQ(out[1], 0xFF8404FFu);  // 16/31 -> 132, 1/63 -> 4
}

TEST(X11Pixels, FastPathMatchesTheGeneralConversion) {
  std::srand(10);
  const XPixelLayout fast{37, 11, 37 * 4 + 8, 32, false, 0x00FF0000u, 0x0000FF00u, 0x000000FFu};
  const std::vector<Rgb> pixels = randomPixels(37 * 11, 8);
  const std::vector<uint8_t> data = layOut(fast, pixels, 0x77000000u);
  std::vector<uint32_t> viaFast(37 * 11), viaGeneral(37 * 11);
  ASSERT_TRUE(convertXPixels(data.data(), fast, viaFast.data()));
  // The same bytes read as big-endian with mirrored masks take the general path.
  XPixelLayout general = fast;
  general.msbFirst = true;
  general.redMask = 0x0000FF00u;
  general.greenMask = 0x00FF0000u;
  general.blueMask = 0xFF000000u;
  ASSERT_TRUE(convertXPixels(data.data(), general, viaGeneral.data()));
  EXPECT_EQ(viaFast, viaGeneral);
}

TEST(X11Pixels, RefusesLayoutsItCannotReadAndLeavesTheOutputAlone) {
  const std::vector<uint8_t> data(64, 0);
  std::vector<uint32_t> out(4, 0x12345678u);
  const XPixelLayout good{2, 2, 8, 32, false, 0xFF0000u, 0xFF00u, 0xFFu};
  XPixelLayout bad = good;
  bad.redMask = bad.greenMask = bad.blueMask = 0;  // a colour-mapped visual
  EXPECT_FALSE(convertXPixels(data.data(), bad, out.data()));
  bad = good;
  bad.bytesPerLine = 7;  // shorter than a row
  EXPECT_FALSE(convertXPixels(data.data(), bad, out.data()));
  bad = good;
  bad.bitsPerPixel = 8;
  EXPECT_FALSE(convertXPixels(data.data(), bad, out.data()));
  bad = good;
  bad.height = 0;
  EXPECT_FALSE(convertXPixels(data.data(), bad, out.data()));
  EXPECT_EQ(out, std::vector<uint32_t>(4, 0x12345678u));
}

}  // namespace
}  // namespace mw
