// The soak: random mouse paths, presses, right clicks on the menu panel, every tool and option,
// Space, Enter and F11, armies filled to capacity and the lighter held until its fires fill their
// array, with the world's invariants checked after every frame step.
#include "sim/soak.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

#include "app/messages.h"
#include "fires/fires.h"
#include "sim/simulator.h"
#include "soldiers/armies.h"
#include "world/random.h"
#include "world/world.h"

namespace mw {

namespace {

// A rectangle of the menu panel, in panel coordinates, bounds inclusive.
struct PanelRect {
  int32_t x0, x1, y0, y1;
};

// The tool items in the order of the Tool numbers, then the check boxes and the close box.
constexpr PanelRect TOOL_RECTS[7] = {{73, 242, 48, 228},  {243, 400, 48, 228}, {73, 242, 229, 409},
                                     {245, 295, 235, 314}, {245, 295, 315, 394}, {300, 350, 235, 314},
                                     {300, 350, 315, 394}};
constexpr PanelRect OPTION_RECTS[3] = {{384, 394, 488, 498}, {384, 394, 456, 466}, {384, 394, 472, 482}};
constexpr PanelRect CLOSE_RECT = {405, 422, 2, 23};

uint64_t residentKb() {
  std::ifstream statm("/proc/self/statm");
  uint64_t size = 0, resident = 0;
  if (!(statm >> size >> resident)) return 0;
  return resident * 4;  // pages of 4 KiB
}

class SoakRun {
 public:
  SoakRun(const SoakOptions& options, SoakReport& report) : options_(options), report_(report) {
    SimOptions sim;
    sim.screenWidth = options.width;
    sim.screenHeight = options.height;
    sim.seed = options.seed;
    sim.dataDirectory = options.dataDirectory;
    simulator_ = std::make_unique<Simulator>(sim);
    choices_.seed(options.seed);
    screenWidth = simulator_->application().session().screen.width;
    screenHeight = simulator_->application().session().screen.height;
    // Sounds are not logged: a log would grow for ever.
    simulator_->platform().setSoundLogging(false);
    Soldier& spare = world().green.soldiers[ARMY_SLOTS - 1];
    spareGreen_ = spare;
    spareBlue_ = world().blue.soldiers[ARMY_SLOTS - 1];
  }

  void run() {
    // Everything at capacity first: two armies of flame soldiers face to face, the lighter's fires,
    // then full armies of both kinds; the random session follows.
    flameBattle();
    pourUntilFull();
    fillArmies();
    while (!done()) {
      switch (choices_.next() % 15) {
        case 0: wander(between(5, 60)); break;
        case 1:
        case 14:
          takeTool(choices_.next() % 7);
          useTool(between(10, 120));
          break;
        case 2: toggleOption(choices_.next() % 3); break;
        case 3: useTool(between(20, 200)); break;
        case 4: key(VK_SPACE); break;
        case 5: key(VK_RETURN); break;
        case 6: key(choices_.next() % 4 == 0 ? VK_F11 : VK_F12); break;
        case 7: rightClick(); break;
        case 8: closeBox(); break;
        case 9: idle(between(10, 120)); break;
        case 10: pourUntilFull(); break;
        case 11: if (choices_.next() % 4 == 0) fillArmies(); break;
        default: useTool(between(5, 40)); break;
      }
    }
  }

 private:
  World& world() { return simulator_->world(); }
  int32_t between(int32_t low, int32_t high) { return low + choices_.next() % (high - low + 1); }
  bool done() const { return !report_.failure.empty() || report_.frames >= options_.frames; }

  // Queued messages first, as the main loop handles them; then one frame step, checked.
  void frame() {
    if (done()) return;
    Application& application = simulator_->application();
    while (simulator_->platform().pendingMessages() > 0) application.runPass();
    World& w = world();
    // Enter reloads, F11 rebuilds and F12 saves a picture: those steps may allocate.
    const bool rebuilds = (w.keys[VK_F11] || w.keys[VK_RETURN] || w.keys[VK_F12]) && w.keyLatch == 0;
    const uint64_t before = options_.allocations ? options_.allocations() : 0;
    application.runPass();
    const uint64_t made = options_.allocations ? options_.allocations() - before : 0;
    (rebuilds ? report_.allocationsInReloads : report_.allocationsInSteps) += made;
    ++report_.frames;
    if (made > 0 && !rebuilds && report_.frames > 1)
      fail("a frame step allocated memory " + std::to_string(made) + " times");
    checkWorld();
    if (report_.frames % 1000 == 0) checkMemory();
    if (options_.progress && report_.frames % 10000 == 0)
      std::fprintf(stderr, "soak %dx%d: %llu frames, %llu KB resident\n", options_.width, options_.height,
                   static_cast<unsigned long long>(report_.frames), static_cast<unsigned long long>(residentKb()));
  }

  void frames(int32_t n) {
    for (int32_t i = 0; i < n && !done(); ++i) frame();
  }

  void fail(const std::string& what) {
    if (report_.failure.empty())
      report_.failure = "frame " + std::to_string(report_.frames) + " (seed " + std::to_string(options_.seed) + ", " +
                        std::to_string(options_.width) + "x" + std::to_string(options_.height) + "): " + what;
  }

  void checkArmy(const Army& army, const Army& enemies, const Soldier& spare, const char* name) {
    if (army.count < 0 || army.count > ARMY_CAPACITY) return fail(std::string(name) + " count out of range");
    for (int32_t i = 0; i < army.count; ++i) {
      const Soldier& s = army.soldiers[i];
      if (s.sheet == nullptr || !std::isfinite(s.x) || !std::isfinite(s.y))
        return fail(std::string(name) + " soldier " + std::to_string(i) + " of " + std::to_string(army.count) +
                    " is not a live record");
      // A target given up keeps its stale index (never followed); one pursued names a live enemy.
      if (s.hasTarget == 1 && (s.target < 0 || s.target >= enemies.count))
        return fail(std::string(name) + " soldier " + std::to_string(i) + " aims at enemy " +
                    std::to_string(s.target) + " of " + std::to_string(enemies.count));
    }
    const Soldier& last = army.soldiers[ARMY_SLOTS - 1];
    if (last.x != spare.x || last.y != spare.y || last.health != spare.health || last.dead != spare.dead)
      fail(std::string(name) + " spare slot was written");
  }

  void checkFires(const FireArray& fires, const char* name) {
    if (fires.count < 0 || fires.count > FIRE_CAPACITY) return fail(std::string(name) + " count out of range");
    for (int32_t i = 0; i < fires.count; ++i) {
      const Fire& f = fires.fires[i];
      if (f.sheet == nullptr || f.age < 0 || f.age >= FIRE_MAX_AGE || !std::isfinite(f.x) || !std::isfinite(f.y) ||
          f.frame < 0 || f.frame >= f.sheet->frameCount)
        return fail(std::string(name) + " fire " + std::to_string(i) + " of " + std::to_string(fires.count) +
                    " is not a live record");
    }
  }

  void checkWorld() {
    World& w = world();
    checkArmy(w.green, w.blue, spareGreen_, "green");
    checkArmy(w.blue, w.green, spareBlue_, "blue");
    checkFires(w.lighterFires, "lighter");
    checkFires(w.greenFires, "green");
    checkFires(w.blueFires, "blue");
    if (w.presenter.frameBuffer.size() != static_cast<size_t>(screenWidth) * static_cast<size_t>(screenHeight))
      fail("the frame buffer is not the screen's size");
    report_.mostGreen = std::max(report_.mostGreen, w.green.count);
    report_.mostBlue = std::max(report_.mostBlue, w.blue.count);
    report_.mostLighterFires = std::max(report_.mostLighterFires, w.lighterFires.count);
    report_.mostGreenFires = std::max(report_.mostGreenFires, w.greenFires.count);
    report_.mostBlueFires = std::max(report_.mostBlueFires, w.blueFires.count);
  }

  void checkMemory() {
    const uint64_t rss = residentKb();
    report_.peakRssKb = std::max(report_.peakRssKb, rss);
    if (report_.frames == options_.warmUpFrames) report_.warmRssKb = rss;
    if (report_.warmRssKb > 0 && rss > report_.warmRssKb + options_.rssSlackKb)
      fail("resident memory grew from " + std::to_string(report_.warmRssKb) + " KB after warm-up to " +
           std::to_string(rss) + " KB");
  }

  // Input, as the window system would deliver it.
  void post(uint32_t message, uint32_t wParam, int32_t lParam) { simulator_->platform().post({message, wParam, lParam}); }
  uint32_t buttons() const { return (left_ ? MK_LBUTTON : 0u) | (right_ ? MK_RBUTTON : 0u); }
  void moveTo(int32_t x, int32_t y) {
    mouseX_ = x;
    mouseY_ = y;
    post(WM_MOUSEMOVE, buttons(), packPoint(x, y));
  }
  void leftButton(bool down) {
    left_ = down;
    post(down ? WM_LBUTTONDOWN : WM_LBUTTONUP, buttons(), packPoint(mouseX_, mouseY_));
  }
  void rightButton(bool down) {
    right_ = down;
    post(down ? WM_RBUTTONDOWN : WM_RBUTTONUP, buttons(), packPoint(mouseX_, mouseY_));
  }
  void click() {
    leftButton(true);
    frames(between(1, 3));
    leftButton(false);
    frame();
  }
  void key(uint32_t vk) {
    if (vk == VK_RETURN) ++report_.enterPresses;
    if (vk == VK_SPACE) ++report_.spacePresses;
    if (vk == VK_F11) ++report_.f11Presses;
    post(WM_KEYDOWN, vk, 0);
    frames(between(1, 4));
    post(WM_KEYUP, vk, 0);
    frame();
  }

  // A step of a random walk; now and then a jump, sometimes past the screen's edge.
  void wanderStep() {
    if (choices_.next() % 40 == 0) {
      moveTo(between(-50, screenWidth + 50), between(-50, screenHeight + 50));
    } else {
      moveTo(std::clamp(mouseX_ + between(-25, 25), -20, screenWidth + 20),
             std::clamp(mouseY_ + between(-25, 25), -20, screenHeight + 20));
    }
  }
  void wander(int32_t n) {
    for (int32_t i = 0; i < n && !done(); ++i) {
      wanderStep();
      frame();
    }
  }
  void idle(int32_t n) { frames(n); }

  void rightClick() {
    rightButton(true);
    frames(between(1, 3));
    rightButton(false);
    frame();
  }
  void openPanel() {
    if (!world().menuOpen) rightClick();
  }
  // Moves to a random point of a panel rectangle that lies on the screen; false when none does.
  bool moveInto(const PanelRect& r) {
    const int32_t panelX = screenWidth - 500;
    const int32_t panelY = (screenHeight - 600) / 2;
    const int32_t x0 = std::max(panelX + r.x0, 0), x1 = std::min(panelX + r.x1, screenWidth - 1);
    const int32_t y0 = std::max(panelY + r.y0, 0), y1 = std::min(panelY + r.y1, screenHeight - 1);
    if (x0 > x1 || y0 > y1) return false;
    moveTo(between(x0, x1), between(y0, y1));
    frame();
    return true;
  }
  void takeTool(int32_t tool) {
    openPanel();
    if (world().menuOpen && moveInto(TOOL_RECTS[tool])) {
      click();
      if (static_cast<int32_t>(world().currentTool) == tool) ++report_.toolsTaken[tool];
    }
  }
  void toggleOption(int32_t option) {
    openPanel();
    if (world().menuOpen && moveInto(OPTION_RECTS[option])) {
      click();
      ++report_.optionClicks;
    }
  }
  void closeBox() {
    openPanel();
    if (world().menuOpen && moveInto(CLOSE_RECT)) click();
  }
  void closePanel() {
    if (world().menuOpen) rightClick();
  }

  // The tool in hand at work: strikes, pours, bursts or placed soldiers, with the mouse moving.
  void useTool(int32_t n) {
    closePanel();
    switch (world().currentTool) {
      case Tool::Lighter:
      case Tool::Rifle:
        leftButton(true);
        for (int32_t i = 0; i < n && !done(); ++i) {
          if (choices_.next() % 3 == 0) wanderStep();
          if (choices_.next() % 50 == 0) key(VK_SPACE);
          frame();
        }
        leftButton(false);
        frame();
        break;
      default:
        for (int32_t i = 0; i < n / 4 && !done(); ++i) {
          moveTo(between(0, screenWidth - 1), between(0, screenHeight - 1));
          click();
        }
        break;
    }
  }

  // The lighter held, moving slowly, until its array is full (or long enough).
  void pourUntilFull() {
    takeTool(static_cast<int32_t>(Tool::Lighter));
    closePanel();
    if (world().paused) {
      toggleOption(2);
      closePanel();
    }
    moveTo(between(screenWidth / 4, screenWidth * 3 / 4), between(screenHeight / 4, screenHeight * 3 / 4));
    leftButton(true);
    for (int32_t i = 0; i < 1200 && !done() && world().lighterFires.count < FIRE_CAPACITY; ++i) {
      if (choices_.next() % 8 == 0) wanderStep();
      frame();
    }
    leftButton(false);
    frame();
  }

  // Two armies of flame soldiers in facing blocks, topped up as they fall, until their fires fill
  // their arrays (or long enough).
  void flameBattle() {
    for (int32_t i = 0; i < 2000 && !done(); ++i) {
      if (i % 10 == 0 && i < 1500) {
        for (int32_t k = 0; k < ARMY_CAPACITY; ++k) {
          if (world().green.count >= ARMY_CAPACITY && world().blue.count >= ARMY_CAPACITY) break;
          const int32_t row = screenHeight / 8 + choices_.next() % std::max(screenHeight * 3 / 4, 1);
          const int32_t column = choices_.next() % 120;
          if (world().green.count < ARMY_CAPACITY)
            simulator_->runLine("place green flame " + std::to_string(screenWidth / 2 - 50 - column) + " " +
                                std::to_string(row));
          if (world().blue.count < ARMY_CAPACITY)
            simulator_->runLine("place blue flame " + std::to_string(screenWidth / 2 + 50 + column) + " " +
                                std::to_string(row) + " left");
        }
      }
      frame();
      if (world().greenFires.count >= FIRE_CAPACITY && world().blueFires.count >= FIRE_CAPACITY) break;
    }
  }

  // Both armies to 200, sword and flame soldiers: some with the soldier tools, the rest placed by
  // script lines as the simulator places them.
  void fillArmies() {
    closePanel();
    for (int32_t tool = 3; tool <= 6 && !done(); ++tool) {
      takeTool(tool);
      closePanel();
      for (int32_t k = 0; k < 5 && !done(); ++k) {
        moveTo(between(0, screenWidth - 1), between(0, screenHeight - 1));
        click();
      }
    }
    while (!done() && (world().green.count < ARMY_CAPACITY || world().blue.count < ARMY_CAPACITY)) {
      const bool green = world().green.count < ARMY_CAPACITY && (world().blue.count >= ARMY_CAPACITY || choices_.next() % 2);
      const std::string line = std::string("place ") + (green ? "green " : "blue ") +
                               (choices_.next() % 3 == 0 ? "flame " : "sword ") +
                               std::to_string(between(-40, screenWidth + 40)) + " " +
                               std::to_string(between(-40, screenHeight)) + (choices_.next() % 2 ? " left" : " right");
      simulator_->runLine(line);
      if (choices_.next() % 20 == 0) frame();
    }
  }

  const SoakOptions& options_;
  RandomGenerator choices_;  // the session's own choices, apart from the world's sequence
  SoakReport& report_;
  std::unique_ptr<Simulator> simulator_;
  Soldier spareGreen_, spareBlue_;
  int32_t mouseX_ = 0, mouseY_ = 0;
  bool left_ = false, right_ = false;
  int32_t screenWidth = 0, screenHeight = 0;  // the screen the run started with
};

}  // namespace

SoakReport runSoak(const SoakOptions& options) {
  SoakReport report;
  SoakRun run(options, report);
  run.run();
  return report;
}

}  // namespace mw
