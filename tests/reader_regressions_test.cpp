// Hostile inputs for every reader of outside bytes, one table per reader: each must be refused or
// read safely, never crash, hang or allocate for sizes the bytes cannot hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "app/files.h"
#include "audio/sound_bank.h"
#include "gfx/images.h"
#include "gfx/png_codec.h"
#include "gfx/resources.h"
#include "gfx/text.h"
#include "tests/test_support.h"
#include "world/world.h"

namespace mw {
namespace {

// A valid 1 x 1 PNG whose header then claims another size (the decoder does not check CRCs).
std::vector<uint8_t> pngClaiming(uint32_t width, uint32_t height, uint8_t colourType = 6) {
  const uint32_t pixel = 0xFF102030u;
  std::vector<uint8_t> png = encodePng(&pixel, 1, 1, false);
  for (int i = 0; i < 4; ++i) {
    png[16 + i] = static_cast<uint8_t>(width >> (24 - 8 * i));
    png[20 + i] = static_cast<uint8_t>(height >> (24 - 8 * i));
  }
  png[25] = colourType;
  return png;
}

TEST(ReaderRegressions, PicturesWhoseRowsCannotFitTheFileAreRefusedBeforeAllocation) {
  const std::vector<uint8_t> good = pngClaiming(1, 1);
  const struct {
    const char* what;
    std::vector<uint8_t> png;
  } cases[] = {
      {"32768 x 32768 RGBA from 70 bytes", pngClaiming(32768, 32768)},
      {"32768 x 1 grey from 70 bytes", pngClaiming(32768, 4096, 0)},
      {"0 x 0", pngClaiming(0, 0)},
      {"only the signature", std::vector<uint8_t>(good.begin(), good.begin() + 8)},
      // Bombs: zeros of 1 bit a pixel, 1 GiB and 2 GiB of RGBA from 32 KB and 65 KB.
      {"16384 x 16384 1-bit zeros", readFileBytes(std::string(MIRTHWICK_SOURCE_DIR) + "/fuzz/corpus/desktop_picture/zeros-16384x16384.png")},
      {"32768 x 16384 1-bit zeros", readFileBytes(std::string(MIRTHWICK_SOURCE_DIR) + "/fuzz/corpus/desktop_picture/zeros-32768x16384.png")},
  };
  for (const auto& c : cases) {
    ASSERT_FALSE(c.png.empty()) << c.what;
    Image image;
    EXPECT_FALSE(decodePng(c.png.data(), c.png.size(), image)) << c.what;
    EXPECT_EQ(image.width, 0) << c.what;
    // The compiled-in picture loaders take the same road and leave their records drawable.
    overrideImageResource(9999, c.png);
    ToolPicture tool;
    tool.pixels.assign(static_cast<size_t>(TOOL_PICTURE_SIZE) * TOOL_PICTURE_SIZE, 0);
    EXPECT_FALSE(loadToolPicture(tool, 9999)) << c.what;
    EXPECT_EQ(tool.width * tool.height, 0) << c.what;
    SpriteSheet sheet;
    loadSpriteSheet(sheet, 9999, 4, 80, 80, 3);
    EXPECT_EQ(sheet.frames.size(), 4u) << c.what;
  }
  clearImageResourceOverrides();
  Image ok;
  EXPECT_TRUE(decodePng(good.data(), good.size(), ok));
}

TEST(ReaderRegressions, SoundFilesKeepOnlyTheBytesTheyHold) {
  std::vector<uint8_t> header(44, 0);
  std::memcpy(header.data(), "RIFF", 4);
  const auto withLength = [&](uint32_t n, size_t extra) {
    std::vector<uint8_t> b(44 + extra, 0x5A);
    std::copy(header.begin(), header.end(), b.begin());
    for (int i = 0; i < 4; ++i) b[40 + i] = static_cast<uint8_t>(n >> (8 * i));
    return b;
  };
  const struct {
    const char* what;
    std::vector<uint8_t> file;
    size_t kept;
  } cases[] = {
      {"4 GiB claimed, 10 bytes held", withLength(0xFFFFFFFFu, 10), 10},
      {"2 claimed, 10 held", withLength(2, 10), 2},
      {"nothing claimed", withLength(0, 10), 0},
      {"43 bytes: no whole header", std::vector<uint8_t>(43, 0xFF), 0},
      {"empty", {}, 0},
  };
  SoundBank bank;
  for (const auto& c : cases) {
    testing::internal::CaptureStderr();
    loadSoundBytes(bank, SoundSlot::Click, c.file.data(), c.file.size(), "case.wav");
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(bank.clips[static_cast<int>(SoundSlot::Click)].bytes.size(), c.kept) << c.what;
  }
}

TEST(ReaderRegressions, FontSheetsThatLieAboutTheirSizeAreRefused) {
  // A valid one-row sheet 416 pixels wide, then headers that lie.
  std::vector<uint8_t> sheet(54 + 416 * 3, 0x80);
  std::memset(sheet.data(), 0, 54);
  sheet[0] = 'B';
  sheet[1] = 'M';
  const auto put = [](std::vector<uint8_t>& b, size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); };
  put(sheet, 10, 54);
  put(sheet, 14, 40);
  put(sheet, 18, 416);
  put(sheet, 22, 1);
  sheet[28] = 24;
  const auto patched = [&](size_t at, uint32_t v) {
    std::vector<uint8_t> b = sheet;
    put(b, at, v);
    return b;
  };
  const struct {
    const char* what;
    std::vector<uint8_t> file;
  } cases[] = {
      {"pixels past the end", patched(10, 0xFFFFFFF0u)},
      {"taller than the file", patched(22, 2)},
      {"taller than the store", patched(22, 104)},
      {"top-down", patched(22, 0xFFFFFFFFu)},
      {"wrong width", patched(18, 512)},
      {"compressed", patched(30, 1)},
      {"header size 12", patched(14, 12)},
      {"53 bytes", std::vector<uint8_t>(sheet.begin(), sheet.begin() + 53)},
  };
  std::vector<uint32_t> store(FONT_STORE_PIXELS);
  EXPECT_EQ(decodeFontSheet(sheet.data(), sheet.size(), store.data(), 416), nullptr);
  for (const auto& c : cases) {
    EXPECT_NE(decodeFontSheet(c.file.data(), c.file.size(), store.data(), 416), nullptr) << c.what;
    EXPECT_EQ(std::count(store.begin(), store.end(), 0u), FONT_STORE_PIXELS) << c.what;
  }
}

TEST(ReaderRegressions, BadScriptLinesStopWithTheLineAndTwoNeverACrash) {
  const char* const bad[] = {
      "step 99999999999",   "step -1",          "step 0x",           "keydown 256",     "keydown -1",
      "keydown",            "move 1",           "move 1 2 3",        "move 1e3 2",      "press middle",
      "place green sword 32768 0", "place red sword 0 0", "place green knight 0 0", "place blue flame 0 0 up",
      "frame",              "dump a b",         "explode",           "\xff\xfe\x01",    "step 1 # fine\nstep +",
  };
  for (const char* line : bad) {
    test::SimRun run(64, 48, 1);
    std::istringstream script(std::string("step\n") + line + "\nstep\n");
    testing::internal::CaptureStderr();
    const int status = run.sim->runScript(script);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, 2) << line;
    EXPECT_EQ(said.rfind("mirthwick-sim: line ", 0), 0u) << line << ": " << said;
  }
  // A run may be bounded in frame steps; a step past the bound is a bad line too.
  SimOptions options;
  options.screenWidth = 64;
  options.screenHeight = 48;
  options.seed = 1;
  test::DataDirectory data;
  options.dataDirectory = data.path();
  options.frameBudget = 10;
  Simulator bounded(options);
  std::istringstream script("step 10\nstep\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(bounded.runScript(script), 2);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("line 2:"), std::string::npos);
}

}  // namespace
}  // namespace mw
