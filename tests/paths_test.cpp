// Where the program finds its data and puts its snapshot: beside it in a build tree, in
// ../share/mirthwick when installed, the snapshot then in a private runtime folder; and the notice
// drawn over the first frames when the desktop could not be photographed.
#include <gtest/gtest.h>

#if defined(__unix__)
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "app/capture_notice.h"
#include "app/paths.h"
#include "app/session.h"
#include "app/snapshot.h"
#include "platform/headless/headless_platform.h"
#include "sim/simulator.h"
#include "gfx/text.h"
#include "tests/test_support.h"

namespace mw {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) setenv(name, value->c_str(), 1); else unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_) setenv(name_, old_->c_str(), 1); else unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

int modeOf(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0 ? static_cast<int>(info.st_mode & 0777) : -1;
}

class ProgramFiles : public ::testing::Test {
 protected:
  test::DataDirectory root;  // a prefix: bin/, share/mirthwick/Files, run/ as the runtime folder
  std::string bin = root.path() + "/bin/";
  std::string runtime = root.path() + "/run";
  void SetUp() override {
    fs::create_directories(bin);
    fs::create_directories(runtime);
  }
  void TearDown() override { setDataDirectory(root.path()); }
};

TEST_F(ProgramFiles, BuildTreeKeepsDataAndSnapshotBesideTheProgram) {
  fs::create_directories(bin + "Files/Img");
  ScopedEnv env("XDG_RUNTIME_DIR", runtime);
  locateProgramFiles(bin);
  EXPECT_EQ(dataPath("Files/Sound/hi.wav"), bin + "Files/Sound/hi.wav");
  EXPECT_EQ(snapshotPath(), bin + "Files/Img/1.bmp");
  EXPECT_FALSE(fs::exists(runtime + "/mirthwick"));
}

TEST_F(ProgramFiles, InstalledProgramReadsShareAndKeepsTheSnapshotPrivate) {
  fs::create_directories(root.path() + "/share/mirthwick/Files/Img");
  ScopedEnv env("XDG_RUNTIME_DIR", runtime);
  locateProgramFiles(bin);
  EXPECT_EQ(dataPath("Files/Img/x.bmp"), bin + "../share/mirthwick/Files/Img/x.bmp");
  EXPECT_EQ(snapshotPath(), runtime + "/mirthwick/1.bmp");
  EXPECT_EQ(modeOf(runtime + "/mirthwick"), 0700);

  // A folder of ours left too open is narrowed again, saying so.
  ::chmod((runtime + "/mirthwick").c_str(), 0755);
  testing::internal::CaptureStderr();
  locateProgramFiles(bin);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("was open to others (mode 755); it is now 0700"), std::string::npos);
  EXPECT_EQ(modeOf(runtime + "/mirthwick"), 0700);
  EXPECT_EQ(snapshotPath(), runtime + "/mirthwick/1.bmp");
}

TEST_F(ProgramFiles, NeverFollowsALinkInPlaceOfThePrivateFolder) {
  fs::create_directories(root.path() + "/share/mirthwick/Files/Img");
  fs::create_directories(root.path() + "/elsewhere");
  fs::create_directory_symlink(root.path() + "/elsewhere", runtime + "/mirthwick");
  const int before = modeOf(root.path() + "/elsewhere");
  ScopedEnv env("XDG_RUNTIME_DIR", runtime);
  testing::internal::CaptureStderr();
  locateProgramFiles(bin);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(snapshotPath().rfind(runtime, 0), std::string::npos);  // /tmp/mirthwick-UID, or none
  EXPECT_EQ(modeOf(root.path() + "/elsewhere"), before);
}

// The runtime folder is opened once: its owner swapping it for a link afterwards changes nothing.
TEST_F(ProgramFiles, TheSnapshotGoesThroughTheFolderOpenedAtStart) {
  fs::create_directories(root.path() + "/share/mirthwick/Files/Img");
  fs::create_directories(root.path() + "/elsewhere");
  ScopedEnv env("XDG_RUNTIME_DIR", runtime);
  locateProgramFiles(bin);
  ASSERT_EQ(snapshotPath(), runtime + "/mirthwick/1.bmp");
  fs::rename(runtime + "/mirthwick", runtime + "/moved");
  fs::create_directory_symlink(root.path() + "/elsewhere", runtime + "/mirthwick");
  HeadlessPlatform platform(syntheticDesktop(8, 6));
  Session session;
  captureDesktop(session, platform);
  EXPECT_TRUE(fs::is_regular_file(runtime + "/moved/1.bmp"));
  EXPECT_TRUE(fs::is_empty(root.path() + "/elsewhere"));
  Image desktop;
  loadSnapshot(session.capture, desktop);  // start-up's
  testing::internal::CaptureStderr();
  loadSnapshot(session.capture, desktop);  // Enter: read back through the folder
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(desktop.width, 8);
}

// Another user's runtime folder (what su keeps for root) is refused, and the message does not ask
// for XDG_RUNTIME_DIR, which is set; a shared sticky one gets a name of this user's.
TEST_F(ProgramFiles, AnotherUsersRuntimeFolderIsRefusedAndASharedOneGetsAPerUserName) {
  fs::create_directories(root.path() + "/share/mirthwick/Files/Img");
  ScopedEnv env("XDG_RUNTIME_DIR", runtime);
  ::chmod(runtime.c_str(), 01777);
  locateProgramFiles(bin);
  EXPECT_EQ(snapshotPath(), runtime + "/mirthwick-" + std::to_string(::geteuid()) + "/1.bmp");
  EXPECT_EQ(modeOf(runtime + "/mirthwick-" + std::to_string(::geteuid())), 0700);
  if (::geteuid() != 0) GTEST_SKIP() << "giving the folder to another user needs root";
  ::chmod(runtime.c_str(), 0700);
  ASSERT_EQ(::chown(runtime.c_str(), 65534, 65534), 0);
  testing::internal::CaptureStderr();
  locateProgramFiles(bin);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(snapshotPath().rfind(runtime, 0), std::string::npos) << snapshotPath();
  EXPECT_FALSE(fs::exists(runtime + "/mirthwick"));
  EXPECT_NE(said.find("runtime folder " + runtime + " (XDG_RUNTIME_DIR) is not yours"), std::string::npos) << said;
  EXPECT_EQ(said.find("set XDG_RUNTIME_DIR"), std::string::npos) << said;
  ::chown(runtime.c_str(), 0, 0);
}

// "In either place": a Files/Img beside the program that fails the write sends the photo to the
// runtime folder, and Enter reads it from there.
TEST_F(ProgramFiles, AFailedWriteBesideTheProgramFallsBackToTheRuntimeFolder) {
  fs::create_directories(bin + "Files/Img");
  ScopedEnv env("XDG_RUNTIME_DIR", runtime);
  locateProgramFiles(bin);
  ASSERT_EQ(snapshotPath(), bin + "Files/Img/1.bmp");
  fs::remove_all(bin + "Files/Img");  // the held folder now takes no file, as a full disk would not
  HeadlessPlatform platform(syntheticDesktop(8, 6));
  Session session;
  testing::internal::CaptureStderr();
  captureDesktop(session, platform);
  Image desktop;
  loadSnapshot(session.capture, desktop);
  loadSnapshot(session.capture, desktop);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(snapshotPath(), runtime + "/mirthwick/1.bmp");
  EXPECT_TRUE(fs::is_regular_file(runtime + "/mirthwick/1.bmp"));
  EXPECT_EQ(desktop.width, 8);
}

TEST_F(ProgramFiles, ReadOnlyProgramFolderSendsTheSnapshotToTheRuntimeFolder) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write into any folder";
  fs::create_directories(bin + "Files/Img");
  ::chmod((bin + "Files/Img").c_str(), 0555);
  ScopedEnv env("XDG_RUNTIME_DIR", runtime);
  locateProgramFiles(bin);
  ::chmod((bin + "Files/Img").c_str(), 0755);
  EXPECT_EQ(dataPath("Files/Img/x.bmp"), bin + "Files/Img/x.bmp");
  EXPECT_EQ(snapshotPath(), runtime + "/mirthwick/1.bmp");
}

TEST(CaptureNotice, DrawnCentredWhiteOnBlackOverTheFirstFramesOnly) {
  test::DataDirectory data;
  static uint32_t store[FONT_STORE_PIXELS];
  ASSERT_TRUE(readFontBitmap(data.file("Files/Img/fixedsys16x28.bmp"), store, 16 * 32));
  const BitmapFont font{16, 28, 32, store};
  const int32_t w = 400, h = 200;
  const uint32_t backdrop = 0xFF123456u;
  std::vector<uint32_t> pixels;
  const auto draw = [&](const std::string& text, uint64_t frame) {
    pixels.assign(static_cast<size_t>(w) * h, backdrop);
    drawCaptureNotice(Canvas{pixels.data(), w, h}, text, font, frame);
  };
  // Bounding box of the pixels the notice changed, and the colours it used.
  const auto changed = [&](int& left, int& top, int& right, int& bottom, bool& onlyBlackWhite) {
    left = w, top = h, right = -1, bottom = -1;
    onlyBlackWhite = true;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const uint32_t p = pixels[static_cast<size_t>(y) * w + x];
        if (p == backdrop) continue;
        left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
        onlyBlackWhite = onlyBlackWhite && (p == 0xFFFFFFFFu || p == 0xFF000000u);
      }
  };
  int left, top, right, bottom;
  bool blackWhite;

  // Two lines of 10 and 4 characters: a band 10 x 16 + 16 wide, 2 x 28 + 16 high, in the middle.
  draw("0123456789\nabcd", 0);
  changed(left, top, right, bottom, blackWhite);
  EXPECT_TRUE(blackWhite);
  EXPECT_EQ(left, (w - 176) / 2);
  EXPECT_EQ(right, (w - 176) / 2 + 175);
  EXPECT_EQ(top, (h - 56) / 2 - 8);
  EXPECT_EQ(bottom, (h - 56) / 2 + 56 + 7);

  draw("0123456789", CAPTURE_NOTICE_FRAMES - 1);
  changed(left, top, right, bottom, blackWhite);
  EXPECT_GE(right, 0) << "still shown in the last frame";
  draw("0123456789", CAPTURE_NOTICE_FRAMES);
  changed(left, top, right, bottom, blackWhite);
  EXPECT_EQ(right, -1) << "gone after it";
  draw("", 0);
  changed(left, top, right, bottom, blackWhite);
  EXPECT_EQ(right, -1) << "nothing to say, nothing drawn";

  // Wider and taller than the canvas: clipped to it (the sanitizers watch the writes).
  draw(std::string(60, 'W') + "\n" + std::string(60, 'W') + "\nx\nx\nx\nx\nx\nx\nx\nx", 0);
  changed(left, top, right, bottom, blackWhite);
  EXPECT_EQ(left, 0);
  EXPECT_EQ(right, w - 1);
  EXPECT_EQ(top, 0);
  EXPECT_EQ(bottom, h - 1);
}

}  // namespace
}  // namespace mw
#else
namespace mw {
namespace {
TEST(ProgramFiles, NeedsPosix) { GTEST_SKIP() << "the data and snapshot folders of an installed program are a POSIX matter"; }
}  // namespace
}  // namespace mw
#endif
