// The snapshot file: writer bytes, reader robustness, and the capture's screen-size rule.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif
#include <sys/stat.h>
#include <unistd.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>
#include <ctime>
#include <filesystem>

#include "app/files.h"
#include "app/paths.h"
#include "app/session.h"
#include "app/snapshot.h"
#include "platform/headless/headless_platform.h"
#include "tests/test_support.h"

namespace mw {
namespace {

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

ScreenCapture gradient(int w, int h) {
  ScreenCapture c;
  c.width = w;
  c.height = h;
  c.pixels.resize(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) c.pixels[static_cast<size_t>(y) * w + x] = 0x00000000u | (x & 0xFF) << 16 | (y & 0xFF) << 8 | ((x + y) & 0xFF);
  return c;
}

TEST(SnapshotFile, FullHdScreenHeaderAndSize) {
  test::DataDirectory data;
  const std::string path = data.file(SNAPSHOT_FILE);
  ASSERT_TRUE(writeSnapshotFile(path, gradient(1920, 1080)));
  const std::vector<uint8_t> b = readFileBytes(path);
  ASSERT_EQ(b.size(), 54u + 8294400u);
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(le32(b, 2), 54u + 8294400u);  // file size
  EXPECT_EQ(le32(b, 6), 0u);              // reserved
  EXPECT_EQ(le32(b, 10), 54u);            // pixel data offset
  EXPECT_EQ(le32(b, 14), 40u);
  EXPECT_EQ(le32(b, 18), 1920u);
  EXPECT_EQ(le32(b, 22), 1080u);
  EXPECT_EQ(b[26] | b[27] << 8, 1);
  EXPECT_EQ(b[28] | b[29] << 8, 32);
  EXPECT_EQ(le32(b, 30), 0u);
  EXPECT_EQ(le32(b, 34), 8294400u);
  // Bottom row first, each pixel blue, green, red, reserved.
  const size_t bottomLeft = 54;
  EXPECT_EQ(b[bottomLeft + 0], (0 + 1079) & 0xFF);
  EXPECT_EQ(b[bottomLeft + 1], 1079 & 0xFF);
  EXPECT_EQ(b[bottomLeft + 2], 0);
  const size_t topRowSecondPixel = 54 + 1079ull * 1920 * 4 + 4;
  EXPECT_EQ(b[topRowSecondPixel + 2], 1);

  Image loaded;
  ASSERT_TRUE(decodeBmp(b.data(), b.size(), loaded));
  EXPECT_EQ(loaded.width, 1920);
  EXPECT_EQ(loaded.height, 1080);
  EXPECT_EQ(loaded.key, TRANSPARENT_KEY);
  EXPECT_EQ(loaded.pixels[0], 0xFF000000u);  // top-left screen pixel at index 0, made opaque
  EXPECT_EQ(loaded.pixels[1921], 0xFF010102u);
}

TEST(SnapshotFile, OwnerOnlyAndFileSizeMatchesPaddedImage) {
  test::DataDirectory data;
  const std::string path = data.file(SNAPSHOT_FILE);
  ASSERT_TRUE(writeSnapshotFile(path, gradient(3, 5)));
#ifndef _WIN32
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
#endif
  const std::vector<uint8_t> b = readFileBytes(path);
  EXPECT_EQ(le32(b, 34), 3u * 4 * 5);
  EXPECT_EQ(le32(b, 2), b.size());
  // A header for a width needing padding at 32 bits has none; the rule still rounds to 4 bytes.
  EXPECT_EQ(le32(bmpHeader(7, 2), 34), 7u * 4 * 2);
#ifdef _WIN32
  GTEST_SKIP() << "owner-only permission bits are POSIX; on Windows only the sizes are checked";
#else

  // An older, world-readable file is narrowed too, whatever the umask.
  ASSERT_EQ(chmod(path.c_str(), 0666), 0);
  const mode_t oldMask = umask(0);
  const bool written = writeSnapshotFile(path, gradient(2, 2));
  umask(oldMask);
  ASSERT_TRUE(written);
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(readFileBytes(path).size(), 54u + 16u);
#endif
}

std::vector<uint8_t> bmp24(int w, int h, bool topDown) {
  const int stride = (w * 3 + 3) & ~3;
  std::vector<uint8_t> b(54 + static_cast<size_t>(stride) * h, 0);
  b[0] = 'B';
  b[1] = 'M';
  auto put = [&](size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); };
  put(2, static_cast<uint32_t>(b.size()));
  put(10, 54);
  put(14, 40);
  put(18, static_cast<uint32_t>(w));
  put(22, static_cast<uint32_t>(topDown ? -h : h));
  b[26] = 1;
  b[28] = 24;
  for (int row = 0; row < h; ++row) {
    const int imageRow = topDown ? row : h - 1 - row;
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &b[54 + static_cast<size_t>(row) * stride + x * 3];
      p[0] = static_cast<uint8_t>(x);         // blue
      p[1] = static_cast<uint8_t>(imageRow);  // green
      p[2] = 0x80;                            // red
    }
  }
  return b;
}

TEST(SnapshotReader, ReadsTwentyFourBitBothRowOrders) {
  for (bool topDown : {false, true}) {
    const std::vector<uint8_t> b = bmp24(5, 3, topDown);
    Image img;
    ASSERT_TRUE(decodeBmp(b.data(), b.size(), img)) << topDown;
    ASSERT_EQ(img.width, 5);
    ASSERT_EQ(img.height, 3);
    EXPECT_EQ(img.pixels[0], 0xFF800000u);
    EXPECT_EQ(img.pixels[2 * 5 + 4], 0xFF800204u);
  }
}

TEST(SnapshotReader, RefusesBrokenAndHostileFilesWithoutReadingPastThem) {
  const std::vector<uint8_t> good = bmp24(6, 4, false);
  Image img;
  // Every truncation of a good file is refused.
  for (size_t n = 0; n < good.size(); ++n) {
    std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<long>(n));
    EXPECT_FALSE(decodeBmp(cut.data(), cut.size(), img)) << n;
    EXPECT_EQ(img.width, 0);
    EXPECT_TRUE(img.pixels.empty());
  }
  const auto patched = [&](size_t at, uint32_t value) {
    std::vector<uint8_t> b = good;
    std::memcpy(&b[at], &value, 4);
    return b;
  };
  const std::vector<std::vector<uint8_t>> hostile = {
      patched(18, 0x7FFFFFFF),  // enormous width
      patched(22, 0x80000000),  // most negative height
      patched(18, 0),           // no width
      patched(10, 0xFFFFFFF0),  // pixel data past the end
      patched(30, 1),           // compressed
      patched(14, 12),          // old core header
  };
  for (const auto& b : hostile) EXPECT_FALSE(decodeBmp(b.data(), b.size(), img));
  std::vector<uint8_t> bits16 = good;
  bits16[28] = 16;
  EXPECT_FALSE(decodeBmp(bits16.data(), bits16.size(), img));
}

// File-size limits, links and file owners are POSIX matters.
#ifndef _WIN32
TEST(SnapshotCapture, UnwritableFileKeepsThePhotographSaysSoOnceAndEnterLeavesTheDesktop) {
  test::DataDirectory data;
  HeadlessPlatform platform(gradient(40, 30));
  setDataDirectory(data.path());
  Session session;
  captureDesktop(session, platform);
  EXPECT_EQ(session.screen.width, 40);
  EXPECT_EQ(session.screen.height, 30);
  EXPECT_TRUE(platform.errors().empty());
  const std::vector<uint8_t> old = readFileBytes(data.file(SNAPSHOT_FILE));

  // Two ways to fail: no Files/Img folder, and a file-size limit below the photo's size (a full
  // disk). Either way the old file stays whole, no temporary is left, the screen takes the new
  // photograph's size, start-up shows it, and Enter afterwards changes nothing.
  for (const bool sizeLimit : {true, false}) {
    platform.setScreen(gradient(64, 48));
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    if (sizeLimit) {
      rlimit small = saved;
      small.rlim_cur = 4096;
      ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    } else {
      std::filesystem::remove_all(data.file("Files/Img"));
    }
    testing::internal::CaptureStderr();
    captureDesktop(session, platform);
    captureDesktop(session, platform);  // the second capture of a start
    const std::string said = testing::internal::GetCapturedStderr();
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(session.screen.width, 64);
    EXPECT_EQ(session.screen.height, 48);
    EXPECT_TRUE(platform.errors().empty());
    if (sizeLimit) {
      // Said once per program: the later failure stays quiet.
      EXPECT_NE(said.find("Enter cannot restore the desktop"), std::string::npos) << said;
      EXPECT_EQ(said.find("Enter", said.find("Enter") + 1), std::string::npos) << said;
      EXPECT_EQ(readFileBytes(data.file(SNAPSHOT_FILE)), old);
      size_t files = 0;
      for (const auto& entry : std::filesystem::directory_iterator(data.file("Files/Img"))) files += entry.is_regular_file();
      EXPECT_EQ(files, 3u);  // the two font sheets and the old photo
    }
    Image desktop;
    loadSnapshot(session.capture, desktop);
    ASSERT_EQ(desktop.width, 64);
    ASSERT_EQ(desktop.pixels.size(), 64u * 48u);
    EXPECT_EQ(desktop.pixels[1 * 64 + 2], 0xFF020103u);
    desktop.pixels[0] = 0xFF123456u;  // damage, then Enter
    loadSnapshot(session.capture, desktop);
    EXPECT_EQ(desktop.pixels.size(), 64u * 48u);
    EXPECT_EQ(desktop.pixels[0], 0xFF123456u);
  }
}

TEST(SnapshotFile, LinksAndOtherUsersFilesAreNeitherFollowedNorRead) {
  test::DataDirectory data;
  setDataDirectory(data.path());
  Session session;  // no photograph kept to fall back on
  const std::string path = data.file(SNAPSHOT_FILE);
  const std::string victim = data.file("victim");
  ASSERT_TRUE(writeFileBytes(victim, {'k', 'e', 'e', 'p'}));
  std::filesystem::create_symlink(victim, path);

  // Reading through a link planted at the snapshot's name gives nothing.
  ASSERT_TRUE(writeSnapshotFile(data.file("real.bmp"), gradient(4, 4)));
  std::filesystem::remove(path);
  std::filesystem::create_symlink(data.file("real.bmp"), path);
  Image desktop;
  testing::internal::CaptureStderr();
  loadSnapshot(session.capture, desktop);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(desktop.width, 0);

  // Writing replaces the link with a file of its own and leaves its target alone.
  std::filesystem::remove(path);
  std::filesystem::create_symlink(victim, path);
  ASSERT_TRUE(writeSnapshotFile(path, gradient(4, 4)));
  EXPECT_FALSE(std::filesystem::is_symlink(path));
  EXPECT_EQ(readFileBytes(victim), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
  loadSnapshot(session.capture, desktop);
  EXPECT_EQ(desktop.width, 4);

  // A file that another user owns is not read (checked where this test may give files away).
  if (geteuid() == 0) {
    ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
    testing::internal::CaptureStderr();
    loadSnapshot(session.capture, desktop);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("not a plain file of yours"), std::string::npos);
    EXPECT_EQ(desktop.width, 0);
  }
}

// Temporaries of our own naming left by a killed writer: removed when a minute old and a plain
// file of this user's; anything else beside them is left alone.
TEST(SnapshotCapture, StrayTemporariesAreRemovedAtCapture) {
  test::DataDirectory data;
  setDataDirectory(data.path());
  Session session;
  const std::string img = data.file("Files/Img/");
  const auto make = [&](const std::string& name, bool old) {
    ASSERT_TRUE(writeFileBytes(img + name, {'x'}));
    if (old) {
      const timespec times[2] = {{std::time(nullptr) - 120, 0}, {std::time(nullptr) - 120, 0}};
      ASSERT_EQ(::utimensat(AT_FDCWD, (img + name).c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
    }
  };
  make("1.bmp.Ab3xYz", true);   // ours, old: removed
  make("1.bmp.Cd4wVu", false);  // ours, being written: kept
  make("1.bmp.Ef5", true);      // not of our naming: kept
  make("2.bmp.Gh6tSr", true);   // another file's: kept
  make("target", true);
  std::filesystem::create_symlink(img + "target", img + "1.bmp.Ij7qPo");  // a link: kept
  if (geteuid() == 0) {
    make("1.bmp.Kl8nMl", true);  // another user's: kept
    ASSERT_EQ(chown((img + "1.bmp.Kl8nMl").c_str(), 65534, 65534), 0);
  }
  HeadlessPlatform platform(gradient(4, 4));
  captureDesktop(session, platform);
  EXPECT_FALSE(std::filesystem::exists(img + "1.bmp.Ab3xYz"));
  for (const char* kept : {"1.bmp.Cd4wVu", "1.bmp.Ef5", "2.bmp.Gh6tSr", "1.bmp.Ij7qPo"})
    EXPECT_TRUE(std::filesystem::is_symlink(img + kept) || std::filesystem::exists(img + kept)) << kept;
  if (geteuid() == 0) {
    EXPECT_TRUE(std::filesystem::exists(img + "1.bmp.Kl8nMl"));
  }
}
#endif

TEST(SnapshotCapture, MissingOrBrokenFileLoadsAsEmptyDesktopAndReloadUndoesDamage) {
  test::DataDirectory data;
  setDataDirectory(data.path());
  Session session;  // no photograph kept to fall back on
  Image desktop;
  loadSnapshot(session.capture, desktop);  // no file yet
  EXPECT_EQ(desktop.width, 0);
  EXPECT_EQ(desktop.height, 0);
  EXPECT_EQ(desktop.key, TRANSPARENT_KEY);

  ASSERT_TRUE(writeSnapshotFile(data.file(SNAPSHOT_FILE), gradient(8, 6)));
  loadSnapshot(session.capture, desktop);
  ASSERT_EQ(desktop.pixels.size(), 48u);
  const std::vector<uint32_t> clean = desktop.pixels;
  for (uint32_t& p : desktop.pixels) p = 0xFF123456u;  // damage everything
  loadSnapshot(session.capture, desktop);
  EXPECT_EQ(desktop.pixels, clean);

  std::vector<uint8_t> broken = readFileBytes(data.file(SNAPSHOT_FILE));
  broken.resize(broken.size() / 2);
  ASSERT_TRUE(writeFileBytes(data.file(SNAPSHOT_FILE), broken));
  loadSnapshot(session.capture, desktop);
  EXPECT_EQ(desktop.width, 0);
  EXPECT_TRUE(desktop.pixels.empty());
}

TEST(SnapshotCapture, StartUpTakesTheCapturedPixelsTheFileHoldsAndEnterReadsTheFile) {
  test::DataDirectory data;
  setDataDirectory(data.path());
  HeadlessPlatform platform(gradient(24, 16));
  Session session;
  captureDesktop(session, platform);
  const std::vector<uint8_t> written = readFileBytes(data.file(SNAPSHOT_FILE));
  Image fromFile;
  ASSERT_TRUE(decodeBmp(written.data(), written.size(), fromFile));

  // Start-up's load gives what reading the file back would, without reading it.
  ASSERT_TRUE(writeSnapshotFile(data.file(SNAPSHOT_FILE), gradient(5, 5)));
  Image desktop;
  loadSnapshot(session.capture, desktop);
  EXPECT_EQ(desktop.width, 24);
  EXPECT_EQ(desktop.pixels, fromFile.pixels);
  EXPECT_EQ(desktop.key, TRANSPARENT_KEY);
  // Enter later reads the file.
  loadSnapshot(session.capture, desktop);
  EXPECT_EQ(desktop.width, 5);
}

}  // namespace
}  // namespace mw
