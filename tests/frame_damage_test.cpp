// Damage tracking against whole-frame redraw. Each replay runs twice in lockstep, one program
// rebuilding and handing over only what changed, the other forced to redraw and present every
// frame whole, and every presented frame must match to the byte. The replays are every script in
// tests/replays/ (a "--seed N" and a "--screen WxH" in a script's comments set its seed and screen,
// as on the simulator's command line; 1 and 1280x720 otherwise) and a long generated session.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/paths.h"
#include "app/snapshot.h"
#include "gfx/compositing.h"
#include "gfx/presenter.h"
#include "platform/headless/headless_platform.h"
#include "sim/dump.h"
#include "sim/simulator.h"
#include "tests/test_support.h"
#include "world/world.h"

namespace mw {
namespace {

#if defined(__SANITIZE_ADDRESS__) || !defined(NDEBUG)
constexpr uint64_t FRAME_LIMIT = 700;  // unoptimised or sanitized builds replay a shorter stretch
#else
constexpr uint64_t FRAME_LIMIT = 100000;
#endif

// Two programs over one data folder, run line by line in lockstep.
class Lockstep {
 public:
  Lockstep(int width, int height, uint32_t seed, const std::string& dataDirectory) {
    SimOptions options;
    options.screenWidth = width;
    options.screenHeight = height;
    options.seed = seed;
    options.dataDirectory = dataDirectory;
    tracked_ = std::make_unique<Simulator>(options);
    full_ = std::make_unique<Simulator>(options);
    full_->world().forceFullRedraw = true;
  }
  ~Lockstep() {
    tracked_.reset();
    full_.reset();
  }

  Simulator& tracked() { return *tracked_; }
  Simulator& full() { return *full_; }
  uint64_t frames() const { return frames_; }
  bool done() const { return frames_ >= FRAME_LIMIT || tracked_->application().quitTaken(); }

  // Runs a script line on both; frame steps one at a time, each followed by a comparison. Lines
  // that only write files are skipped. False once the frames differ (the failure is recorded).
  bool line(const std::string& raw) {
    std::string text = raw.substr(0, raw.find('#'));
    std::istringstream words(text);
    std::string command, a, b;
    words >> command >> a >> b;
    if (command.empty() || command == "dump" || command == "frame" || command == "desktop") return true;
    if (command == "click") {
      return line("move " + a + " " + b) && line("press left") && line("step") && line("release left") && line("step");
    }
    if (command == "step") {
      const int count = a.empty() ? 1 : std::stoi(a);
      for (int i = 0; i < count && !done(); ++i) {
        both("step");
        ++frames_;
        if (!same()) return false;
      }
      return true;
    }
    both(text);
    return true;
  }

  bool script(std::istream& in) {
    for (std::string text; std::getline(in, text) && !done();) {
      if (!line(text)) return false;
    }
    return true;
  }

 private:
  void both(const std::string& text) {
    tracked_->runLine(text);
    full_->runLine(text);
  }

  bool same() {
    const std::vector<uint32_t>& got = tracked_->platform().lastFrame();
    const std::vector<uint32_t>& want = full_->platform().lastFrame();
    if (got == want) return true;
    const int width = full_->platform().frameWidth();
    size_t at = 0;
    while (at < got.size() && at < want.size() && got[at] == want[at]) ++at;
    ADD_FAILURE() << "frame " << frames_ << " differs: " << got.size() << " against " << want.size()
                  << " pixels; first difference at (" << (width ? at % width : 0) << ", " << (width ? at / width : 0)
                  << "): " << std::hex << (at < got.size() ? got[at] : 0) << " instead of "
                  << (at < want.size() ? want[at] : 0);
    if (std::getenv("DAMAGE_DEBUG")) {
      std::ofstream("/tmp/x/tracked.json") << dumpState(*tracked_).dump(1);
      std::ofstream("/tmp/x/full.json") << dumpState(*full_).dump(1);
    }
    return false;
  }

  std::unique_ptr<Simulator> tracked_, full_;
  uint64_t frames_ = 0;
};

std::vector<std::string> replayScripts() {
  std::vector<std::string> found;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(std::string(MIRTHWICK_SOURCE_DIR) + "/tests/replays", ignored)) {
    if (entry.path().extension() == ".sim") found.push_back(entry.path().stem().string());
  }
  std::sort(found.begin(), found.end());
  return found;
}

class ReplayTwice : public testing::TestWithParam<std::string> {};

TEST_P(ReplayTwice, EveryFrameMatchesTheWholeRedraw) {
  std::ifstream file(std::string(MIRTHWICK_SOURCE_DIR) + "/tests/replays/" + GetParam() + ".sim");
  std::stringstream text;
  text << file.rdbuf();
  const std::string script = text.str();
  std::smatch m;
  uint32_t seed = 1;
  int width = 1280, height = 720;
  if (std::regex_search(script, m, std::regex("--seed (\\d+)"))) seed = static_cast<uint32_t>(std::stoul(m[1]));
  if (std::regex_search(script, m, std::regex("--screen (\\d+)x(\\d+)"))) {
    width = std::stoi(m[1]);
    height = std::stoi(m[2]);
  }
  test::DataDirectory data;
  Lockstep run(width, height, seed, data.path());
  std::istringstream in(script);
  ASSERT_TRUE(run.script(in));
  EXPECT_GT(run.frames(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Replays, ReplayTwice, testing::ValuesIn(replayScripts()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param;
                           for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

// A desktop picture of another size written as the snapshot, for the next Enter to load.
void writeSnapshotOfSize(int width, int height) {
  ScreenCapture picture;
  picture.width = width;
  picture.height = height;
  picture.pixels.resize(static_cast<size_t>(width) * height);
  for (size_t i = 0; i < picture.pixels.size(); ++i) picture.pixels[i] = 0xFF000000u | static_cast<uint32_t>(i * 2654435761u >> 8);
  writeSnapshotFile(dataPath(SNAPSHOT_FILE), picture);
}

// A long session of everything a hand can do: soldiers placed anywhere (also cut off at the
// edges), the mouse moved and clicked anywhere, the menu opened and clicked, Space, Enter, F11
// and F12, and snapshots smaller and larger than the screen restored with Enter. Generated from a
// fixed seed before either program starts.
TEST(GeneratedSession, EveryFrameMatchesTheWholeRedraw) {
  constexpr int W = 800, H = 600;
  constexpr int ACTIONS = FRAME_LIMIT < 5000 ? 120 : 400;
  RandomGenerator random;
  random.seed(20261207);
  const auto pick = [&random](int n) { return random.next() % n; };
  std::vector<std::string> lines;
  for (int i = 0; i < ACTIONS; ++i) {
    const int x = pick(W + 200) - 100, y = pick(H + 200) - 100;
    const std::string at = std::to_string(x) + " " + std::to_string(y);
    switch (pick(12)) {
      case 0:
      case 1:
        lines.push_back(std::string("place ") + (pick(2) ? "green " : "blue ") + (pick(3) ? "sword " : "flame ") + at +
                        (pick(2) ? " left" : ""));
        break;
      case 2:
        lines.push_back("move " + at);
        lines.push_back("press left");
        lines.push_back("step " + std::to_string(1 + pick(20)));
        lines.push_back("release left");
        break;
      case 3: {  // the menu: open, a click somewhere in or near the panel, maybe closed again
        const int px = W - 500 + pick(520) - 10, py = (H - 600) / 2 + pick(620) - 10;
        lines.push_back("press right\nstep\nrelease right\nstep 2");
        lines.push_back("click " + std::to_string(px) + " " + std::to_string(py));
        if (pick(2)) lines.push_back("press right\nstep 3\nrelease right");
        break;
      }
      case 4: {
        static const char* keys[] = {"space", "enter", "f11", "f12"};
        const char* key = keys[pick(4)];
        lines.push_back(std::string("keydown ") + key + "\nstep " + std::to_string(1 + pick(4)) + "\nkeyup " + key);
        break;
      }
      case 5: {  // a snapshot of another size, then Enter
        const bool smaller = pick(3) != 0;
        const int w = smaller ? W - 1 - pick(300) : W + 37, h = smaller ? H - 1 - pick(200) : H + 19;
        lines.push_back("snapshot " + std::to_string(w) + " " + std::to_string(h));
        lines.push_back("keydown enter\nstep\nkeyup enter");
        break;
      }
      default:
        lines.push_back("move " + at);
        lines.push_back("step " + std::to_string(1 + pick(30)));
        break;
    }
  }
  test::DataDirectory data;
  Lockstep run(W, H, 99, data.path());
  for (const std::string& chunk : lines) {
    if (run.done()) break;
    if (chunk.rfind("snapshot ", 0) == 0) {
      std::istringstream size(chunk.substr(9));
      int w = 0, h = 0;
      size >> w >> h;
      writeSnapshotOfSize(w, h);
      continue;
    }
    std::istringstream in(chunk);
    ASSERT_TRUE(run.script(in)) << "in: " << chunk;
  }
  // Escape is the last thing.
  std::istringstream end("keydown escape\nstep 2");
  ASSERT_TRUE(run.script(end));
  EXPECT_GT(run.frames(), 500u);
  // The tracked program handed over less than whole frames (a battle all over the screen is handed
  // over whole).
  EXPECT_LT(run.tracked().platform().pixelsReceived(), run.full().platform().pixelsReceived());
}

// An unchanged frame hands nothing over (the counters are not even drawn again), and the
// comparison catches a desktop changed behind the stamps' back (the guard has teeth).
TEST(DamageTracking, StillFramesHandOverNothingAndAMissedChangeIsCaught) {
  test::DataDirectory data;
  // A screen large enough that the tool in hand and the counters are a small part of it.
  Lockstep run(1280, 720, 3, data.path());
  std::istringstream start("move 300 200\nstep 3");
  ASSERT_TRUE(run.script(start));
  const HeadlessPlatform& platform = run.tracked().platform();
  const uint64_t pixels = platform.pixelsReceived();
  const uint64_t unchanged = platform.unchangedFrames();
  const uint64_t held = run.tracked().world().presenter.overlayBoxesHeld;
  std::istringstream still("step 40");
  ASSERT_TRUE(run.script(still));
  EXPECT_EQ(platform.pixelsReceived(), pixels);
  EXPECT_EQ(platform.unchangedFrames(), unchanged + 40);
  // The counters were left as they were; then the hammer over them, and the panel opened and closed.
  EXPECT_EQ(run.tracked().world().presenter.overlayBoxesHeld, held + 3 * 40);
  std::istringstream over("move 40 10\nstep 3\nmove 200 3\nstep 2\nmove 300 200\nstep 2\n"
                          "press right\nstep\nrelease right\nstep 4\npress right\nstep\nrelease right\nstep 2");
  ASSERT_TRUE(run.script(over));
  // A soldier walking hands over only the tiles around it.
  const uint64_t beforeWalk = platform.pixelsReceived();
  std::istringstream walk("place green sword 300 200\nstep 20");
  ASSERT_TRUE(run.script(walk));
  EXPECT_LT(platform.pixelsReceived() - beforeWalk, 20u * 1280 * 720 / 10);

  for (Simulator* sim : {&run.tracked(), &run.full()}) {
    Image& desktop = sim->world().desktop;
    for (int y = 100; y < 110; ++y) desktop.pixels[static_cast<size_t>(y) * desktop.width + 500] = 0xFF123456u;
  }
  bool caught = false;
  testing::TestPartResultArray failures;
  {
    testing::ScopedFakeTestPartResultReporter reporter(testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
    std::istringstream next("step");
    caught = !run.script(next);
  }
  EXPECT_TRUE(caught);
}
// The presenter's rules for keeping the overlay, frame by frame on a 256 x 64 screen (16 x 4 tiles):
// two overlay boxes A (tiles 0 to 1) and B (tiles 1 to 2) share tile 1, B drawn after A.
TEST(DamageTracking, OverlayBoxHeldOnlyOverItsOwnUntouchedTiles) {
  HeadlessPlatform platform(ScreenCapture{256, 64, std::vector<uint32_t>(256 * 64, 0xFF336699u), ""});
  Presenter p;
  createPresenter(p, platform, ScreenSize{256, 64});
  Image desktop;
  desktop.width = 256;
  desktop.height = 64;
  desktop.pixels.assign(256 * 64, 0xFF808080u);
  enum Before { NOTHING, OVER_A, OVER_B, TRANSLUCENT };
  const struct {
    bool keep, full;
    Before before;  // drawn over the frame before the overlay (TRANSLUCENT: the overlay itself is)
    bool heldA, heldB;
  } frames[] = {
      {true, false, NOTHING, false, false},  // the first frame rebuilds everything
      {true, false, NOTHING, true, true},    // then both stay
      {false, false, NOTHING, false, false}, // unless they will not draw the same
      {true, false, NOTHING, true, true},
      {true, false, OVER_B, true, false},    // drawn over B only: A stays
      {true, false, NOTHING, true, false},   // B's tile drawn over last frame is rebuilt
      {true, false, OVER_A, false, false},   // A drawn again lies over B's tile 1
      {true, false, NOTHING, false, false},  // and again, its tile 0 rebuilt
      {true, false, NOTHING, true, true},
      {true, true, NOTHING, false, false},   // a whole redraw keeps nothing
      {true, false, NOTHING, false, false},  // nor does the frame after it
      {true, false, TRANSLUCENT, true, true},
      {true, false, NOTHING, false, false},  // a translucent overlay is not kept over
  };
  int index = 0;
  for (const auto& f : frames) {
    SCOPED_TRACE("frame " + std::to_string(index++));
    drawBackground(p, desktop, f.full, f.keep);
    finishDrawing(p);
    if (f.before == OVER_A) noteDrawn(frameCanvas(p), 0, 0, 8, 8);
    if (f.before == OVER_B) noteDrawn(frameCanvas(p), 40, 0, 44, 8);
    const bool heldA = holdOverlayBox(p, 4, 2, 20, 12);
    if (!heldA) noteDrawn(overlayCanvas(p), 4, 2, 20, 12);
    const bool heldB = holdOverlayBox(p, 18, 2, 44, 12);
    if (!heldB) noteDrawn(overlayCanvas(p), 18, 2, 44, 12);
    if (f.before == TRANSLUCENT) noteTranslucent(overlayCanvas(p));
    EXPECT_EQ(heldA, f.heldA);
    EXPECT_EQ(heldB, f.heldB);
    EXPECT_TRUE(holdOverlayBox(p, 300, 2, 340, 12));  // off the screen: nothing to draw
    present(p, f.full);
  }
  releasePresenter(p);
}
// The frame counts as opaque (blends may skip clear pixels) only while it is: over an opaque
// desktop, not once the panel's pixels are copied in, not over a desktop with translucent pixels;
// and a replay over such a desktop with fires and the panel still matches the plain redraw.
TEST(DamageTracking, FrameKnownOpaqueOnlyWhileItIs) {
  test::DataDirectory data;
  Lockstep run(1280, 720, 5, data.path());
  World& w = run.tracked().world();
  std::istringstream first("move 640 360\nstep 2");
  ASSERT_TRUE(run.script(first));
  EXPECT_TRUE(w.canvas().opaque);
  std::istringstream panel("press right\nstep\nrelease right\nstep");
  ASSERT_TRUE(run.script(panel));
  EXPECT_FALSE(w.canvas().opaque);
  for (Simulator* sim : {&run.tracked(), &run.full()}) {
    Image desktop = sim->world().desktop;
    for (int y = 80; y < 160; ++y)
      for (int x = 200; x < 320; x += 3) desktop.pixels[static_cast<size_t>(y) * desktop.width + x] &= 0x80FFFFFFu;
    sim->world().desktop = desktop;
  }
  // The lighter chosen on the panel and poured over the translucent pixels.
  std::istringstream closeAndBurn(
      "move 1100 190\npress left\nstep 35\nrelease left\nstep\nclick 300 500\nmove 150 140\npress left\nstep "
      "12\nrelease left\nstep 5");
  ASSERT_TRUE(run.script(closeAndBurn));
  EXPECT_FALSE(w.canvas().opaque);
  EXPECT_GT(w.lighterFires.count, 0);
}

}  // namespace
}  // namespace mw
