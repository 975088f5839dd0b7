// What a new user meets: the start hint, M for sound, and F12's saved picture.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/files.h"
#include "app/saved_picture.h"
#include "audio/sound_bank.h"
#include "fires/fires.h"
#include "gfx/png_codec.h"
#include "tests/test_support.h"
#include "world/overlays.h"
#include "world/world.h"

namespace mw {
namespace {

namespace fs = std::filesystem;

constexpr int W = 640, H = 400;
constexpr uint32_t BAND = 0xFF181818u;

// A pixel inside the hint's band: its left margin, a row between the band's edge and the text.
bool hintBandShown(const test::SimRun& run) {
  const std::vector<uint32_t>& frame = run.sim->platform().lastFrame();
  const int textWidth = static_cast<int>(std::strlen(HINT_TEXT)) * 13;
  const int x = (W - textWidth) / 2 - 4;
  const int y = H - 110 + 2;
  return !frame.empty() && frame[static_cast<size_t>(y) * W + x] == BAND;
}

StartOptions withHint() { return StartOptions{false, false, true}; }

// The hint's lifetime, row by row: what happens before the check, and whether it still shows.
TEST(StartHint, ShowsForItsFramesOrUntilTheFirstKeyOrRightPress) {
  const struct {
    const char* name;
    bool hint;
    const char* script;
    bool shown;
  } rows[] = {
      {"first frame", true, "step", true},
      {"its last frame", true, "step 300", true},
      {"after 300 frames", true, "step 301", false},
      {"off by option", false, "step", false},
      {"a key press", true, "step 10\nkeydown 0x41\nstep\nkeyup 0x41\nstep", false},
      {"Space", true, "step 10\nkeydown space\nstep", false},
      {"a right press", true, "step 10\npress right\nstep\nrelease right\nstep\npress right\nstep\nrelease right\nstep",
       false},
      {"a left press is play, not a dismissal", true, "step 10\nclick 300 200\nstep 5", true},
      {"a mouse move neither", true, "step 10\nmove 100 100\nstep 5", true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    test::SimRun run(W, H, 1, StartOptions{false, false, row.hint});
    run.run(row.script);
    EXPECT_EQ(run.sim->world().hintShown, row.shown ? 1 : 0);
    EXPECT_EQ(hintBandShown(run), row.shown);
  }
  // Gone for good: a hint dismissed early does not come back once the key is up.
  test::SimRun run(W, H, 1, withHint());
  run.run("step 5\nkeydown escape\nstep");
  EXPECT_EQ(run.sim->world().hintShown, 0);
}

// The hint and the notices are drawn through the tracked routines: every frame of a session with
// them (the hint's end, "Sound off", a failed save's line and their ends) equals the frame redrawn
// and presented whole. Nothing random is drawn here, so the two programs may run one after the other.
TEST(StartHint, FramesWithTheLinesMatchTheWholeRedraw) {
  const char* const script =
      "step 20\nkeydown 0x4D\nstep\nkeyup 0x4D\nstep 130\nkeydown f12\nstep\nkeyup f12\nstep 200\n"
      "keydown 0x4D\nstep 3\nkeyup 0x4D\nstep 10";
  std::vector<uint64_t> sums[2];
  for (int full = 0; full < 2; ++full) {
    test::SimRun run(1280, 720, 1, withHint());  // large enough that frames are handed over in part
    run.sim->world().forceFullRedraw = full == 1;
    std::istringstream lines(script);
    for (std::string line; std::getline(lines, line);) {
      const int steps = line.rfind("step", 0) == 0 ? (line.size() > 5 ? std::stoi(line.substr(5)) : 1) : 0;
      if (steps == 0) run.run(line);
      for (int i = 0; i < steps; ++i) {
        run.run("step");
        uint64_t sum = 1469598103934665603ull;  // FNV-1a over the presented frame
        for (uint32_t p : run.sim->platform().lastFrame()) sum = (sum ^ p) * 1099511628211ull;
        sums[full].push_back(sum);
      }
    }
  }
  ASSERT_EQ(sums[0].size(), sums[1].size());
  for (size_t i = 0; i < sums[0].size(); ++i) ASSERT_EQ(sums[0][i], sums[1][i]) << "frame " << i;
}

// The sound operations the platform received since the last call, as "slot op".
struct SoundTrail {
  explicit SoundTrail(const HeadlessPlatform& platform) : platform(platform) {}
  std::vector<std::string> take() {
    std::vector<std::string> ops;
    const std::vector<SoundEvent>& log = platform.soundLog();
    for (; seen < log.size(); ++seen)
      ops.push_back(std::string(soundSlotName(static_cast<SoundSlot>(log[seen].slot))) + " " +
                    soundOpName(log[seen].op));
    return ops;
  }
  const HeadlessPlatform& platform;
  size_t seen = 0;
};

const char* const PRESS_M = "keydown 0x4D\nstep\nkeyup 0x4D\nstep\n";

TEST(SoundSwitch, MSilencesEverythingAndTheBurningLoopResumesWhileFiresBurn) {
  test::SimRun run(W, H);
  World& w = run.sim->world();
  SoundTrail trail(run.sim->platform());
  w.currentTool = Tool::Lighter;
  run.run("click 300 200\nstep 3");
  std::vector<std::string> ops = trail.take();
  ASSERT_FALSE(ops.empty());
  EXPECT_EQ(ops.back(), "soundBurning loop");

  // Held for many frames, M switches once; every loaded slot is stopped.
  run.run("keydown 0x4D\nstep 10");
  EXPECT_EQ(w.sounds.off, 1);
  ops = trail.take();
  EXPECT_EQ(ops.size(), 12u) << "one stop for each of the twelve loaded slots";
  for (const std::string& op : ops) EXPECT_NE(op.find(" stop"), std::string::npos) << op;
  EXPECT_STREQ(w.noticeText, "Sound off");
  run.run("keyup 0x4D\nstep");

  // While off: fires burn on, more fires and a hammer blow, yet nothing reaches the platform.
  EXPECT_GT(w.lighterFires.count, 0);
  EXPECT_EQ(w.burningLoopOn, 1) << "the world still knows the loop should run";
  run.run("click 320 220\nstep 5");
  w.currentTool = Tool::Hammer;
  run.run("click 100 100\nstep");
  EXPECT_EQ(trail.take(), std::vector<std::string>{});

  // On again while fires burn: the loop starts from its beginning, once.
  run.run(PRESS_M);
  EXPECT_EQ(w.sounds.off, 0);
  EXPECT_STREQ(w.noticeText, "Sound on");
  EXPECT_EQ(trail.take(), std::vector<std::string>{"soundBurning loop"});
  run.run("step 5");
  EXPECT_EQ(trail.take(), std::vector<std::string>{});

  // Off, the fires go out, on again: no loop to resume; the next fire starts it as always.
  run.run(PRESS_M);
  trail.take();
  for (int32_t i = 0; i < w.lighterFires.count; ++i) w.lighterFires.fires[i].age = FIRE_MAX_AGE - 1;
  for (int i = 0; i < 10 && w.lighterFires.count > 0; ++i) run.run("step");
  ASSERT_EQ(w.lighterFires.count, 0);
  EXPECT_EQ(w.burningLoopOn, 0);
  run.run(PRESS_M);
  EXPECT_EQ(trail.take(), std::vector<std::string>{});
  w.currentTool = Tool::Lighter;
  run.run("click 300 200\nstep");
  ops = trail.take();
  ASSERT_FALSE(ops.empty());
  EXPECT_EQ(ops.back(), "soundBurning loop");
}

TEST(SoundSwitch, TheMuteOptionStartsSilentAndTheNoticeGoesAfterItsFrames) {
  test::SimRun run(W, H, 1, StartOptions{false, true, false});
  World& w = run.sim->world();
  w.currentTool = Tool::Lighter;
  run.run("click 300 200\nstep 3");
  EXPECT_TRUE(run.sim->platform().soundLog().empty());
  run.run(PRESS_M);  // on: the loop of the fires already burning starts
  ASSERT_EQ(run.sim->platform().soundLog().size(), 1u);
  EXPECT_EQ(run.sim->platform().soundLog()[0].op, SoundEvent::Op::Loop);
  // The notice was set in the press's step and drawn in it and the one after.
  run.run("step " + std::to_string(SOUND_NOTICE_FRAMES - 3));
  EXPECT_EQ(w.noticeTimer, 1);
  run.run("step");
  EXPECT_EQ(w.noticeTimer, 0);
}

// A private pictures folder, removed afterwards.
struct Folder {
  Folder() : path(data.path() + "/pictures") { fs::create_directory(path); }
  test::DataDirectory data;
  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const auto& entry : fs::directory_iterator(path)) out.push_back(entry.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
  }
  std::string path;
};

TEST(SavedPicture, F12SavesThePresentedFrameOncePerPressAndNeverOverwrites) {
  Folder folder;
  test::SimRun run(W, H, 1, StartOptions{}, folder.path);
  World& w = run.sim->world();
  run.run("place green sword 200 200\nplace blue flame 400 200\nmove 300 150\nstep 20");
  run.run("keydown f12\nstep");
  const std::vector<uint32_t> shown = run.sim->platform().lastFrame();
  run.run("step 10\nkeyup f12\nstep");
  const std::vector<std::string> names = folder.names();
  ASSERT_EQ(names.size(), 1u) << "held for eleven frames, F12 saves once";
  EXPECT_EQ(names[0].rfind("Mirthwick ", 0), 0u);
  EXPECT_EQ(names[0].size(), std::string("Mirthwick 2026-12-07 23-55-43.png").size());
  EXPECT_EQ(std::string(w.noticeText), "Picture saved: " + folder.path + "/" + names[0]);

  Image saved;
  const std::vector<uint8_t> bytes = readFileBytes(folder.path + "/" + names[0]);
  ASSERT_TRUE(decodePng(bytes.data(), bytes.size(), saved));
  ASSERT_EQ(saved.width, W);
  ASSERT_EQ(saved.height, H);
  size_t differing = 0;
  for (size_t i = 0; i < shown.size(); ++i) differing += saved.pixels[i] != (shown[i] | 0xFF000000u);
  EXPECT_EQ(differing, 0u) << "the picture is the frame as presented, opaque";
  EXPECT_EQ(saved.pixels[0] >> 24, 0xFFu);

  // Two more presses, likely within the same second: new names, the first file untouched.
  run.run("keydown f12\nstep\nkeyup f12\nstep\nkeydown f12\nstep\nkeyup f12\nstep");
  ASSERT_EQ(folder.names().size(), 3u);
  EXPECT_EQ(readFileBytes(folder.path + "/" + names[0]), bytes);
}

TEST(SavedPicture, ATakenNameGetsANumberAndALinkThereIsNeverFollowed) {
  Folder folder;
  const std::time_t when = 1796000000;
  const std::tm local = *std::localtime(&when);
  const std::string first = folder.path + "/" + savedPictureName(local, 1);
  const std::string target = folder.path + "/elsewhere";
#ifndef _WIN32
  ASSERT_EQ(::symlink(target.c_str(), first.c_str()), 0);  // dangling: O_EXCL still refuses it
#else
  ASSERT_TRUE(writeFileBytes(first, {9}));
#endif
  ASSERT_TRUE(writeFileBytes(folder.path + "/" + savedPictureName(local, 2), {1, 2, 3}));
  const uint32_t pixels[4] = {0x00112233u, 0xFF445566u, 0x80778899u, 0xFFFFFFFFu};
  const SavedPicture saved = savePicture(folder.path, pixels, 2, 2, when);
  ASSERT_TRUE(saved.saved) << saved.error;
  EXPECT_EQ(saved.path, folder.path + "/" + savedPictureName(local, 3));
  EXPECT_FALSE(fs::exists(target)) << "the link was not followed";
  EXPECT_EQ(readFileBytes(folder.path + "/" + savedPictureName(local, 2)), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(folder.names().size(), 3u) << "no temporary is left behind";
#ifndef _WIN32
  struct stat st {};
  ASSERT_EQ(::stat(saved.path.c_str(), &st), 0);
  EXPECT_NE(st.st_mode & S_IRGRP, 0u) << "a saved picture is the user's to share (umask allowing)";
#endif
}

TEST(SavedPicture, AFailureSaysSoAndChangesNothingElse) {
  Folder folder;
  const std::string missing = folder.path + "/gone";
  for (const std::string& where : {missing, std::string()}) {
    test::SimRun run(W, H, 1, StartOptions{}, where);
    World& w = run.sim->world();
    run.run("click 300 200\nstep 3");
    const std::vector<uint32_t> desktop = w.desktop.pixels;
    const uint8_t latch = w.clickLatch;
    run.run("keydown f12\nstep\nkeyup f12\nstep");
    EXPECT_EQ(std::string(w.noticeText).rfind("Picture not saved: ", 0), 0u) << w.noticeText;
    EXPECT_EQ(w.desktop.pixels, desktop);
    EXPECT_EQ(w.clickLatch, latch);
    EXPECT_FALSE(run.sim->application().quitTaken());
  }
  EXPECT_EQ(folder.names().size(), 0u);

#ifndef _WIN32
  // A file-size limit stands in for a full disk: the write fails, nothing is left, and the
  // program runs on.
  rlimit old{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit tiny = old;
  tiny.rlim_cur = 64;
  test::SimRun run(W, H, 1, StartOptions{}, folder.path);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
  run.run("keydown f12\nstep\nkeyup f12\nstep");
  ::setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_EQ(std::string(run.sim->world().noticeText).rfind("Picture not saved: ", 0), 0u);
  EXPECT_EQ(folder.names().size(), 0u) << "neither the picture nor its temporary is left";
  run.run("step 3");
  EXPECT_EQ(run.sim->world().frameNumber, 5u);
#endif
}

TEST(PicturesFolder, UserDirsLinesAreReadSafely) {
  const std::string home = "/home/u";
  const struct {
    const char* text;
    const char* folder;
  } rows[] = {
      {"XDG_PICTURES_DIR=\"$HOME/Pictures\"\n", "/home/u/Pictures"},
      {"# comment\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n  XDG_PICTURES_DIR=\"$HOME/Bilder\"  \r\n", "/home/u/Bilder"},
      {"XDG_PICTURES_DIR=\"/srv/shots/\"", "/srv/shots"},
      {"XDG_PICTURES_DIR=\"$HOME/My \\\"Pics\\\"\"", "/home/u/My \"Pics\""},
      {"XDG_PICTURES_DIR=\"$HOME/a\"\nXDG_PICTURES_DIR=\"$HOME/b\"", "/home/u/b"},
      {"XDG_PICTURES_DIR=\"$HOME\"", "/home/u"},
      {"XDG_PICTURES_DIR=\"relative/pics\"", ""},
      {"XDG_PICTURES_DIR=$HOME/Pictures", ""},
      {"XDG_PICTURES_DIR=\"$HOMEWORK/x\"", ""},
      {"XDG_PICTURES_DIR=\"$HOME/x", ""},
      {"#XDG_PICTURES_DIR=\"$HOME/x\"", ""},
      {"XDG_PICTURES_DIRS=\"$HOME/x\"", ""},
      {"", ""},
  };
  for (const auto& row : rows) EXPECT_EQ(picturesDirFromUserDirs(row.text, home), row.folder) << row.text;
  EXPECT_EQ(picturesDirFromUserDirs("XDG_PICTURES_DIR=\"$HOME/x\"", ""), "") << "no home to put in";
}

#ifndef _WIN32
TEST(PicturesFolder, UserDirsThenPicturesThenHome) {
  Folder home;
  const std::string config = home.path + "/config";
  fs::create_directories(config);
  const std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  const char* oldConfig = std::getenv("XDG_CONFIG_HOME");
  const std::string savedConfig = oldConfig ? oldConfig : "";
  ::setenv("HOME", home.path.c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);

  EXPECT_EQ(freedesktopPicturesFolder(), home.path) << "no file, no ~/Pictures";
  fs::create_directories(home.path + "/Pictures");
  EXPECT_EQ(freedesktopPicturesFolder(), home.path + "/Pictures");
  ASSERT_TRUE(writeFileBytes(config + "/user-dirs.dirs", std::vector<uint8_t>{}));
  const std::string line = "XDG_PICTURES_DIR=\"$HOME/Shots\"\n";
  ASSERT_TRUE(writeFileBytes(config + "/user-dirs.dirs", std::vector<uint8_t>(line.begin(), line.end())));
  EXPECT_EQ(freedesktopPicturesFolder(), home.path + "/Shots");
  // Too large to be a settings file: ignored.
  std::string huge(USER_DIRS_FILE_LIMIT, '#');
  huge += "\n" + line;
  ASSERT_TRUE(writeFileBytes(config + "/user-dirs.dirs", std::vector<uint8_t>(huge.begin(), huge.end())));
  EXPECT_EQ(freedesktopPicturesFolder(), home.path + "/Pictures");
  // A FIFO in its place never blocks.
  fs::remove(config + "/user-dirs.dirs");
  ASSERT_EQ(::mkfifo((config + "/user-dirs.dirs").c_str(), 0600), 0);
  EXPECT_EQ(freedesktopPicturesFolder(), home.path + "/Pictures");
  // No XDG_CONFIG_HOME: ~/.config.
  ::unsetenv("XDG_CONFIG_HOME");
  fs::create_directories(home.path + "/.config");
  ASSERT_TRUE(writeFileBytes(home.path + "/.config/user-dirs.dirs", std::vector<uint8_t>(line.begin(), line.end())));
  EXPECT_EQ(freedesktopPicturesFolder(), home.path + "/Shots");

  ::setenv("HOME", oldHome.c_str(), 1);
  if (oldConfig) ::setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
}
#endif

TEST(StartOptions, WindowedStartEndsWindowedAndF11StillSwitches) {
  test::SimRun run(W, H, 1, StartOptions{true, false, false});
  EXPECT_TRUE(run.sim->world().presenter.windowed);
  EXPECT_TRUE(run.sim->platform().windowed());
  run.run("keydown f11\nstep\nkeyup f11\nstep");
  EXPECT_FALSE(run.sim->platform().windowed());
}

}  // namespace
}  // namespace mw
