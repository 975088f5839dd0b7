// Whole frames: the real frame step on seeded scenes at three screen sizes, with the damage
// tracking on (the timed loop), and for comparison the same frames redrawn and presented whole,
// and redrawn whole with the plain scalar row kernels. The presents go to a platform that takes
// them and does nothing, so the figures are the core's own cost.
//
//   build/mirthwick_bench --benchmark_filter=WholeFrame
//
// Each line's counters, all in processor time of the thread: ms, a tracked frame; full_ms, the same
// frames redrawn whole; scalar_ms, redrawn whole with the scalar kernels; plain_ms, redrawn whole
// with the plain pixel-by-pixel loops (a true division per channel, no pixel skipped, as the
// reference loops of gfx/compositing_reference draw); x_full, x_scalar and x_plain, how many times
// faster the tracked frame is (ms and the others drawn on one thread). wall_ms and wall_2bands_ms:
// a tracked frame on the clock, drawn on one thread and with its bands shared with the helper
// thread; on a machine busy with other work the clock counts their time too. x_plain_2bands: how
// many times faster than the plain loops the frame with a shared helper is on the clock.
//
// Scenes: idle (the desktop and the statistics, nothing moving), light (four soldiers walking, the
// rifle in hand, the mouse moving every frame), busy (twenty sword soldiers a side fighting, 100
// fires), worst (200 soldiers a side, 800 fires in each of the three arrays). The fires are put
// straight into the fire arrays, as fires in flight; they move and show only where the fires'
// own step draws them.
#include <benchmark/benchmark.h>

#include <ctime>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/application.h"
#include "app/input.h"
#include "app/paths.h"
#include "gfx/bands.h"
#include "gfx/blend_rows.h"
#include "platform/headless/headless_platform.h"
#include "sim/simulator.h"
#include "soldiers/armies.h"
#include "world/frame.h"

namespace mw {
namespace {

enum Scene { Idle, Light, Busy, Worst };
const char* const SCENE_NAMES[] = {"idle", "light", "busy", "worst"};
constexpr int SIZES[3][2] = {{1280, 720}, {1920, 1080}, {3840, 2160}};
constexpr int WARM_UP = 10;

// Takes every present and shows nothing.
class NullScreen : public HeadlessPlatform {
 public:
  using HeadlessPlatform::HeadlessPlatform;
  void present(const uint32_t*, int, int) override {}
  void presentRegions(const uint32_t*, int, int, const PresentRect*, int) override {}
};

// A private data folder with the fonts and sounds of the build, so the snapshot written at start
// stays out of the build's own.
const std::string& dataFolder() {
  static const std::string folder = [] {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "mirthwick-bench";
    std::error_code ignored;
    fs::create_directories(dir / "Files" / "Img", ignored);
    fs::copy(fs::path(MIRTHWICK_BUILD_DIR) / "Files", dir / "Files",
             fs::copy_options::recursive | fs::copy_options::overwrite_existing, ignored);
    return dir.string();
  }();
  return folder;
}

// Scattered fires, drawn from the world's generator as the frames that follow draw from it.
void fillFires(RandomGenerator& random, FireArray& fires, int count, int width, int height) {
  fires.count = count;
  for (int i = 0; i < count; ++i) {
    Fire& f = fires.fires[i];
    f.x = static_cast<float>(random.next() % (width + 80) - 125);  // drawn 45 to the right
    f.y = static_cast<float>(random.next() % (height + 80) - 30);  // and 10 up
    f.vx = static_cast<float>(random.next() % 200 - 100) / 100.0f;
    f.vy = static_cast<float>(random.next() % 200 - 100) / 100.0f;
    f.age = random.next() % 1000;
    f.frame = random.next() % 4;
  }
}

// One program on a screen of the given size with a scene set up in it.
struct Program {
  NullScreen platform;
  std::unique_ptr<Application> app;
  Scene scene;
  int frame = 0;

  Program(Scene s, int width, int height, bool full) : platform(syntheticDesktop(width, height)), scene(s) {
    setDataDirectory(dataFolder());
    app = std::make_unique<Application>(platform, 11u);
    app->start();
    World& w = app->world();
    w.forceFullRedraw = full;
    w.random.seed(12);
    const auto block = [&](int perSide, int columns, bool flame) {
      for (int i = 0; i < perSide; ++i) {
        const int col = i % columns, row = i / columns;
        const int rows = (perSide + columns - 1) / columns;
        const int y = 60 + row * ((height - 120) / rows);
        placeSoldier(w, ArmyId::Green, flame && i % 3 == 0, width / 2 - 300 - col * 45, y, 1);
        placeSoldier(w, ArmyId::Blue, flame && i % 3 == 1, width / 2 + 300 + col * 45, y, 0);
      }
    };
    switch (scene) {
      case Idle:
        break;
      case Light:
        placeSoldier(w, ArmyId::Green, false, 200, height / 3, 1);
        placeSoldier(w, ArmyId::Green, false, 200, 2 * height / 3, 1);
        placeSoldier(w, ArmyId::Blue, false, width - 200, height / 3, 0);
        placeSoldier(w, ArmyId::Blue, false, width - 200, 2 * height / 3, 0);
        w.currentTool = Tool::Rifle;
        break;
      case Busy:
        block(20, 2, false);
        fillFires(w.random, w.lighterFires, 100, width, height);
        break;
      case Worst:
        block(200, 10, true);
        fillFires(w.random, w.lighterFires, FIRE_CAPACITY, width, height);
        fillFires(w.random, w.greenFires, FIRE_CAPACITY, width, height);
        fillFires(w.random, w.blueFires, FIRE_CAPACITY, width, height);
        break;
    }
    Mouse& mouse = app->session().mouse;
    mouse.x = width / 2;
    mouse.y = height / 2;
    for (int i = 0; i < WARM_UP; ++i) step();
  }
  ~Program() { app->finish(); }

  void step() {
    if (scene == Light) {  // the mouse moves every frame
      Session& session = app->session();
      session.mouse.x = (session.mouse.x + 7) % session.screen.width;
      session.mouse.y = (session.mouse.y + 3) % session.screen.height;
    }
    frameStep(app->world());
    ++frame;
  }
};

// The thread's processor time in milliseconds: the machine may be busy with other work.
double cpuMilliseconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double wallMilliseconds() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Per frame: the thread's processor time, or with wall set the time on the clock (the helper
// thread of banded drawing works outside the thread's own time).
double millisecondsFor(Scene scene, int width, int height, int64_t frames, SimdLevel level, bool full = true,
                       bool wall = false) {
  const SimdLevel was = simdLevel();
  setSimdLevel(level);
  Program p(scene, width, height, full);
  const double start = wall ? wallMilliseconds() : cpuMilliseconds();
  for (int64_t i = 0; i < frames; ++i) p.step();
  const double spent = (wall ? wallMilliseconds() : cpuMilliseconds()) - start;
  setSimdLevel(was);
  return spent / static_cast<double>(frames);
}

void WholeFrame(benchmark::State& state, Scene scene, int width, int height) {
  {
    Program p(scene, width, height, false);
    for (auto _ : state) p.step();
  }
  // The counters: the same frames, from the same seeds, each way in a fresh program of its own,
  // so that none of them is favoured by running first.
  const double full = millisecondsFor(scene, width, height, state.iterations(), bestSimdLevel(), true);
  const int bands = drawingBands();
  setDrawingBands(1);
  const double tracked = millisecondsFor(scene, width, height, state.iterations(), bestSimdLevel(), false);
  const double oneBandWall = millisecondsFor(scene, width, height, state.iterations(), bestSimdLevel(), false, true);
  setDrawingBands(2);
  const double twoBandWall = millisecondsFor(scene, width, height, state.iterations(), bestSimdLevel(), false, true);
  setDrawingBands(bands);
  const double scalar = millisecondsFor(scene, width, height, state.iterations(), SimdLevel::Scalar, true);
  const double plain = millisecondsFor(scene, width, height, state.iterations(), SimdLevel::Plain, true);
  state.counters["ms"] = tracked;
  state.counters["wall_ms"] = oneBandWall;
  state.counters["wall_2bands_ms"] = twoBandWall;
  state.counters["plain_ms"] = plain;
  state.counters["x_plain"] = plain / tracked;
  state.counters["full_ms"] = full;
  state.counters["scalar_ms"] = scalar;
  state.counters["x_full"] = full / tracked;
  state.counters["x_scalar"] = scalar / tracked;
  state.counters["x_plain_2bands"] = plain / twoBandWall;
}

// Seeded scenes run a fixed number of frames, so every way of drawing them sees the same frames.
const bool registered = [] {
  const int frames[] = {600, 300, 120, 40};
  for (int scene = Idle; scene <= Worst; ++scene) {
    for (const auto& size : SIZES) {
      const std::string name = std::string("WholeFrame/") + SCENE_NAMES[scene] + "/" + std::to_string(size[0]) + "x" +
                               std::to_string(size[1]);
      benchmark::RegisterBenchmark(name.c_str(), WholeFrame, static_cast<Scene>(scene), size[0], size[1])
          ->Iterations(frames[scene])
          ->Unit(benchmark::kMillisecond);
    }
  }
  return true;
}();

}  // namespace
}  // namespace mw
