// Picture resources and their loaders: whole pictures, strip frames, tool pictures, failures, and
// which resource start-up puts into which field.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

#include "gfx/images.h"
#include "gfx/png_codec.h"
#include "gfx/resources.h"
#include "tests/gfx_test_pictures.h"
#include "tests/test_support.h"
#include "world/world.h"

namespace mw {
namespace {

// Resource numbers far from the program's own, so the compiled-in pictures never interfere.
constexpr int32_t PICTURE = 9001;
constexpr int32_t STRIP = 9002;
constexpr int32_t BROKEN = 9003;
constexpr int32_t EMPTY = 9004;
constexpr int32_t ABSENT = 9999;

class Loaders : public ::testing::Test {
 protected:
  void TearDown() override { clearImageResourceOverrides(); }

  // Registers a random picture as a resource and returns its pixels.
  static Image addPicture(int32_t number, int32_t width, int32_t height, uint32_t seed) {
    std::mt19937 rng(seed);
    Image image = test::randomImage(rng, width, height, test::AlphaMix::Any);
    overrideImageResource(number, encodePng(image.pixels.data(), width, height, false));
    return image;
  }
};

TEST_F(Loaders, WholePictureKeepsEveryPixelAndGetsTheKey) {
  const Image expected = addPicture(PICTURE, 23, 17, 1);
  Image loaded;
  loaded.key = 0;
  ASSERT_TRUE(loadImageResource(loaded, PICTURE));
  EXPECT_EQ(loaded.width, 23);
  EXPECT_EQ(loaded.height, 17);
  EXPECT_EQ(loaded.key, TRANSPARENT_KEY);
  EXPECT_EQ(loaded.pixels, expected.pixels);  // alpha-0 pixels keep their colour, never the key
}

TEST_F(Loaders, MissingEmptyOrBrokenResourcesChangeNothing) {
  overrideImageResource(BROKEN, {0x89, 'P', 'N', 'G', 1, 2, 3});
  overrideImageResource(EMPTY, {});
  for (const int32_t number : {ABSENT, BROKEN, EMPTY}) {
    Image image;
    image.width = 2;
    image.height = 1;
    image.key = 7;
    image.pixels = {1, 2};
    EXPECT_FALSE(loadImageResource(image, number));
    EXPECT_FALSE(loadFrameFromStrip(image, number, 0, 1, 1));
    EXPECT_EQ(image.width, 2);
    EXPECT_EQ(image.key, 7u);
    EXPECT_EQ(image.pixels, (std::vector<uint32_t>{1, 2}));
  }
}

TEST_F(Loaders, StripFramesAreConsecutiveColumnBlocks) {
  const Image strip = addPicture(STRIP, 13 * 4, 3, 2);
  SpriteSheet sheet;
  loadSpriteSheet(sheet, STRIP, 13, 4, 3, 4);
  ASSERT_EQ(sheet.frameCount, 13);
  ASSERT_EQ(sheet.frames.size(), 13u);
  EXPECT_EQ(sheet.ticksPerFrame, 4);
  for (int32_t k = 0; k < 13; ++k) {
    const Image& frame = sheet.frames[k];
    ASSERT_EQ(frame.width, 4);
    ASSERT_EQ(frame.height, 3);
    EXPECT_EQ(frame.key, TRANSPARENT_KEY);
    for (int32_t y = 0; y < 3; ++y)
      for (int32_t x = 0; x < 4; ++x) ASSERT_EQ(frame.pixels[y * 4 + x], strip.pixels[y * 52 + k * 4 + x]);
    Image single;
    ASSERT_TRUE(loadFrameFromStrip(single, STRIP, k * 4, 4, 3));
    EXPECT_EQ(single.pixels, frame.pixels) << "frame " << k;
  }
}

TEST_F(Loaders, AFrameReachingPastTheStripCopiesOnlyWhatLiesInside) {
  const Image strip = addPicture(STRIP, 6, 5, 3);
  Image frame;
  ASSERT_TRUE(loadFrameFromStrip(frame, STRIP, 4, 4, 3));  // two columns past the edge, strip too tall
  ASSERT_EQ(frame.pixels.size(), 12u);
  for (int32_t y = 0; y < 3; ++y) {
    EXPECT_EQ(frame.pixels[y * 4 + 0], strip.pixels[y * 6 + 4]);
    EXPECT_EQ(frame.pixels[y * 4 + 1], strip.pixels[y * 6 + 5]);
    EXPECT_EQ(frame.pixels[y * 4 + 2], 0u);
    EXPECT_EQ(frame.pixels[y * 4 + 3], 0u);
  }
}

TEST_F(Loaders, SheetOfAMissingStripStillGetsItsFrameRecords) {
  SpriteSheet sheet;
  loadSpriteSheet(sheet, ABSENT, 5, 40, 40, 4);
  EXPECT_EQ(sheet.frameCount, 5);
  EXPECT_EQ(sheet.ticksPerFrame, 4);
  ASSERT_EQ(sheet.frames.size(), 5u);
  EXPECT_EQ(sheet.frames[4].width, 0);
}

TEST_F(Loaders, ToolPictureFillsItsStoreOrDrawsNothing) {
  const Image expected = addPicture(PICTURE, TOOL_PICTURE_SIZE, TOOL_PICTURE_SIZE, 4);
  ToolPicture tool;
  tool.pixels.assign(static_cast<size_t>(TOOL_PICTURE_SIZE) * TOOL_PICTURE_SIZE, 0);
  ASSERT_TRUE(loadToolPicture(tool, PICTURE));
  EXPECT_EQ(tool.width, 256);
  EXPECT_EQ(tool.height, 256);
  EXPECT_EQ(tool.pixels, expected.pixels);

  EXPECT_FALSE(loadToolPicture(tool, ABSENT));  // missing: untouched
  EXPECT_EQ(tool.width, 256);

  overrideImageResource(BROKEN, {1, 2, 3, 4});
  EXPECT_FALSE(loadToolPicture(tool, BROKEN));  // not decodable: nothing to draw
  EXPECT_EQ(tool.width, 0);
  EXPECT_EQ(tool.height, 0);

  addPicture(PICTURE, 300, 300, 5);  // more pixels than the store holds
  tool.width = tool.height = 256;
  EXPECT_FALSE(loadToolPicture(tool, PICTURE));
  EXPECT_EQ(tool.width, 0);
  EXPECT_EQ(tool.pixels.size(), 65536u);
}

// Size of every picture resource (frames x count for sheets, as one strip).
const std::map<int32_t, std::pair<int32_t, int32_t>>& resourceSizes() {
  static const std::map<int32_t, std::pair<int32_t, int32_t>> sizes = {
      {102, {18, 18}},  {101, {17, 17}},  {100, {230, 230}}, {40, {256, 256}}, {41, {256, 256}},  {50, {256, 256}},
      {51, {256, 256}}, {60, {256, 256}}, {61, {256, 256}},  {52, {320, 80}},  {5, {320, 80}},    {6, {320, 80}},
      {31, {40, 40}},   {2, {425, 600}},  {1, {40, 40}},     {302, {40, 40}},  {303, {40, 40}},   {304, {40, 40}},
      {202, {40, 40}},  {203, {40, 40}},  {204, {40, 40}},   {206, {40, 40}},  {306, {40, 40}},   {201, {40, 40}},
      {3, {40, 40}},    {200, {520, 40}}, {205, {200, 40}},  {301, {40, 40}},  {4, {40, 40}},     {300, {520, 40}},
      {305, {200, 40}}, {30, {520, 40}},  {32, {200, 40}}};
  return sizes;
}

TEST(CompiledPictures, EveryCompiledPictureDecodesAtItsSize) {
  int present = 0;
  for (const auto& [number, size] : resourceSizes()) {
    if (imageResource(number).bytes == nullptr) continue;
    ++present;
    Image image;
    ASSERT_TRUE(loadImageResource(image, number)) << "resource " << number;
    EXPECT_EQ(image.width, size.first) << "resource " << number;
    EXPECT_EQ(image.height, size.second) << "resource " << number;
  }
  for (const EmbeddedResource* entry = EMBEDDED_IMAGES; entry->number != -1; ++entry)
    EXPECT_TRUE(resourceSizes().count(entry->number)) << "picture " << entry->number << " is not used";
  if (present == 0) GTEST_SKIP() << "no pictures compiled in";
}

TEST_F(Loaders, StartUpPutsEachResourceIntoItsField) {
  uint32_t seed = 100;
  for (const auto& [number, size] : resourceSizes()) addPicture(number, size.first, size.second, ++seed);
  test::SimRun run(64, 48);
  World& w = run.sim->world();

  const auto expectImage = [](const Image& field, int32_t number) {
    Image expected;
    ASSERT_TRUE(loadImageResource(expected, number));
    EXPECT_EQ(field.width, expected.width) << "resource " << number;
    EXPECT_EQ(field.pixels, expected.pixels) << "resource " << number;
    EXPECT_EQ(field.key, TRANSPARENT_KEY);
  };
  const auto expectSheet = [](const SpriteSheet& field, int32_t number, int32_t count, int32_t side, int32_t ticks) {
    SpriteSheet expected;
    loadSpriteSheet(expected, number, count, side, side, ticks);
    ASSERT_EQ(field.frameCount, count) << "resource " << number;
    EXPECT_EQ(field.ticksPerFrame, ticks) << "resource " << number;
    for (int32_t k = 0; k < count; ++k) {
      EXPECT_EQ(field.frames[k].pixels, expected.frames[k].pixels) << "resource " << number << " frame " << k;
      EXPECT_EQ(field.frames[k].key, TRANSPARENT_KEY);
    }
  };
  const auto expectTool = [](const ToolPicture& field, int32_t number) {
    Image expected;
    ASSERT_TRUE(loadImageResource(expected, number));
    EXPECT_EQ(field.width, 256);
    EXPECT_EQ(field.pixels, expected.pixels) << "resource " << number;
  };
  expectImage(w.scorchImage, 102);
  expectImage(w.bulletHoleImage, 101);
  expectImage(w.crackImage, 100);
  expectTool(w.hammerUpPicture, 40);
  expectTool(w.hammerDownPicture, 41);
  expectTool(w.lighterPicture, 50);
  expectTool(w.lighterTiltedPicture, 51);
  expectTool(w.riflePicture, 60);
  expectTool(w.rifleFiringPicture, 61);
  expectSheet(w.orangeFlameSheet, 52, 4, 80, 3);
  expectSheet(w.lighterFlameSheet, 52, 4, 80, 3);
  expectSheet(w.blueFlameSheet, 5, 4, 80, 3);
  expectSheet(w.purpleFlameSheet, 6, 4, 80, 3);
  expectImage(w.bloodStainImage, 31);
  expectImage(w.menuPanelImage, 2);
  expectImage(w.charredBodyImage, 1);
  for (int k = 0; k < 3; ++k) expectImage(w.green.dyingImages[k], 302 + k);
  for (int k = 0; k < 3; ++k) expectImage(w.blue.dyingImages[k], 202 + k);
  expectImage(w.blue.deadImage, 206);
  expectImage(w.green.deadImage, 306);
  expectImage(w.blue.standingImage, 201);
  expectImage(w.blue.brightImage, 3);
  expectSheet(w.blue.walkSheet, 200, 13, 40, 4);
  expectSheet(w.blue.swingSheet, 205, 5, 40, 4);
  expectImage(w.green.standingImage, 301);
  expectImage(w.green.brightImage, 4);
  expectSheet(w.green.walkSheet, 300, 13, 40, 4);
  expectSheet(w.green.swingSheet, 305, 5, 40, 4);
  expectSheet(w.redWalkSheet, 30, 13, 40, 4);
  expectSheet(w.redSwingSheet, 32, 5, 40, 4);
  EXPECT_EQ(w.desktop.key, TRANSPARENT_KEY);
}

}  // namespace
}  // namespace mw
