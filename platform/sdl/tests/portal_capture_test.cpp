// The portal picture's pieces that need no bus: cutting one monitor out of the layout, file URIs,
// the time allowed for an answer, and telling XWayland's outputs.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "platform/sdl/portal_capture.h"
#include "platform/sdl/x11_capture.h"

namespace mw {
namespace {

// A picture whose every pixel names its position: 0x00XXXYYY (x and y below 4096), alpha 0.
Image positions(int width, int height) {
  Image picture;
  picture.width = width;
  picture.height = height;
  picture.pixels.resize(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) picture.pixels[static_cast<size_t>(y) * width + x] = (x << 12) | y;
  return picture;
}

TEST(PortalPicture, CutsTheMonitorOutOfTheLayoutAtThePicturesScale) {
  struct Case {
    const char* what;
    int pictureWidth, pictureHeight;
    DesktopRect layout, monitor;
    int x, y, width, height;  // expected part of the picture
  } cases[] = {
      {"one monitor", 1280, 720, {0, 0, 1280, 720}, {0, 0, 1280, 720}, 0, 0, 1280, 720},
      {"right of two", 2304, 768, {0, 0, 2304, 768}, {1280, 0, 1024, 768}, 1280, 0, 1024, 768},
      {"left of two, shorter", 2304, 768, {0, 0, 2304, 768}, {0, 0, 1280, 720}, 0, 0, 1280, 720},
      {"scale 2", 1280, 720, {0, 0, 640, 360}, {0, 0, 640, 360}, 0, 0, 1280, 720},
      {"scale 2, second", 2560, 720, {0, 0, 1280, 360}, {640, 0, 640, 360}, 1280, 0, 1280, 720},
      {"layout left of zero", 2560, 720, {-1280, 0, 2560, 720}, {0, 0, 1280, 720}, 1280, 0, 1280, 720},
      {"below", 1280, 1440, {0, 0, 1280, 1440}, {0, 720, 1280, 720}, 0, 720, 1280, 720},
      {"no layout known", 800, 600, {0, 0, 0, 0}, {0, 0, 1280, 720}, 0, 0, 800, 600},
      {"monitor outside the picture", 800, 600, {0, 0, 800, 600}, {900, 0, 100, 100}, 0, 0, 800, 600},
      {"monitor partly outside", 800, 600, {0, 0, 800, 600}, {700, 500, 200, 200}, 700, 500, 100, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScreenCapture out;
    cropMonitor(positions(c.pictureWidth, c.pictureHeight), c.layout, c.monitor, out);
    ASSERT_EQ(out.width, c.width);
    ASSERT_EQ(out.height, c.height);
    ASSERT_EQ(out.pixels.size(), static_cast<size_t>(c.width) * c.height);
    // Corners: the picture's own pixels, made opaque.
    EXPECT_EQ(out.pixels.front(), 0xFF000000u | (c.x << 12) | c.y);
    EXPECT_EQ(out.pixels.back(), 0xFF000000u | ((c.x + c.width - 1) << 12) | (c.y + c.height - 1));
    EXPECT_EQ(out.pixels[static_cast<size_t>(c.width)], 0xFF000000u | (c.x << 12) | (c.y + 1));
  }
}

TEST(PortalPicture, FileUrisGiveLocalPathsOnly) {
  const struct {
    const char* uri;
    const char* path;
  } cases[] = {
      {"file:///tmp/out.png", "/tmp/out.png"},
      {"file:///home/a%20b/Pictures/Screenshot%20from%202026.png", "/home/a b/Pictures/Screenshot from 2026.png"},
      {"file://localhost/tmp/x.png", "/tmp/x.png"},
      {"file:///tmp/100%25.png", "/tmp/100%.png"},
      {"file:///tmp/odd%2", "/tmp/odd%2"},     // a cut-off escape stays as it is
      {"file:///tmp/odd%zz", "/tmp/odd%zz"},   // so does one that is not hexadecimal
      {"file:///tmp/a%00b.png", ""},           // no path has a NUL byte
      {"file://otherhost/tmp/x.png", ""},      // not this machine
      {"file:relative.png", ""},
      {"https://example.org/x.png", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(pathOfFileUri(c.uri), c.path) << c.uri;
}

TEST(PortalTimeout, IsWholeSecondsFromTheEnvironmentWithinLimits) {
  const struct {
    const char* value;  // nullptr: unset
    int milliseconds;
  } cases[] = {
      {nullptr, PORTAL_TIMEOUT_MS}, {"", PORTAL_TIMEOUT_MS},    {"1", 1000},
      {"600", 600000},              {"0", PORTAL_TIMEOUT_MS},   {"601", PORTAL_TIMEOUT_MS},
      {"-5", PORTAL_TIMEOUT_MS},    {"5s", PORTAL_TIMEOUT_MS},  {"abc", PORTAL_TIMEOUT_MS},
      {"99999999999999999999", PORTAL_TIMEOUT_MS},
  };
  for (const auto& c : cases) {
    if (c.value == nullptr) {
      unsetenv("MIRTHWICK_PORTAL_TIMEOUT");
    } else {
      setenv("MIRTHWICK_PORTAL_TIMEOUT", c.value, 1);
    }
    EXPECT_EQ(portalTimeoutMs(), c.milliseconds) << (c.value ? c.value : "unset");
  }
  unsetenv("MIRTHWICK_PORTAL_TIMEOUT");
}

TEST(XWayland, IsToldByItsOutputNames) {
  EXPECT_TRUE(isXWaylandOutputName("XWAYLAND0"));
  EXPECT_TRUE(isXWaylandOutputName("XWAYLAND12"));
  EXPECT_FALSE(isXWaylandOutputName("DUMMY0"));
  EXPECT_FALSE(isXWaylandOutputName("eDP-1"));
  EXPECT_FALSE(isXWaylandOutputName("XWAY"));
  EXPECT_FALSE(isXWaylandOutputName(""));
  EXPECT_FALSE(isXWaylandOutputName(nullptr));
}

}  // namespace
}  // namespace mw
