// The menu panel, the interaction step and the three tools, driven through the simulator.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/input.h"
#include "fires/fires.h"
#include "soldiers/armies.h"
#include "tests/test_support.h"
#include "world/world.h"

namespace mw {
namespace {

constexpr int32_t W = 1280, H = 720, PX = W - 500, PY = (H - 600) / 2;
constexpr uint32_t CYAN = 0xFF00FFFFu, BLACK = 0xFF000000u;

std::string at(int32_t x, int32_t y) { return std::to_string(x) + " " + std::to_string(y); }
// Opens the panel with a right click.
const char* const OPEN = "press right\nstep\nrelease right\nstep\n";
// A left click on a panel point (panel coordinates), the button held for `steps` steps.
std::string panelClick(int32_t x, int32_t y, int steps = 1) {
  return "move " + at(PX + x, PY + y) + "\npress left\nstep " + std::to_string(steps) +
         "\nrelease left\nstep\n";
}

// The frames (counted from 1) in which a slot was played, optionally since a frame.
std::vector<uint64_t> plays(test::SimRun& run, SoundSlot slot, uint64_t since = 0) {
  std::vector<uint64_t> frames;
  for (const SoundEvent& e : run.sim->platform().soundLog())
    if (e.slot == static_cast<int>(slot) && e.op != SoundEvent::Op::Stop && e.frame > since) frames.push_back(e.frame);
  return frames;
}

uint32_t framePixel(test::SimRun& run, int32_t x, int32_t y) { return run.sim->platform().lastFrame()[y * W + x]; }

struct Item {
  int32_t x, y;  // a point inside the item
  Tool tool;
  FireMode mode;
  SoundSlot sound;  // Unused: none
  int32_t corners[6][2];  // both bracket corners and their arm ends
};
const Item ITEMS[] = {
    {150, 130, Tool::Hammer, FireMode::Single, SoundSlot::EqHam,
     {{73, 48}, {113, 48}, {73, 88}, {243, 228}, {203, 228}, {243, 188}}},
    {320, 130, Tool::Lighter, FireMode::Single, SoundSlot::Zippo,
     {{240, 48}, {280, 48}, {240, 88}, {400, 228}, {360, 228}, {400, 188}}},
    {150, 300, Tool::Rifle, FireMode::FullAuto, SoundSlot::EqM4,
     {{73, 225}, {113, 225}, {73, 265}, {243, 405}, {203, 405}, {243, 365}}},
    {270, 270, Tool::GreenSoldier, FireMode::Single, SoundSlot::Unused,
     {{250, 235}, {270, 235}, {250, 255}, {300, 315}, {280, 315}, {300, 295}}},
    {270, 350, Tool::BlueSoldier, FireMode::Single, SoundSlot::Unused,
     {{250, 315}, {270, 315}, {250, 335}, {300, 395}, {280, 395}, {300, 375}}},
    {325, 270, Tool::GreenFlameSoldier, FireMode::Single, SoundSlot::Unused,
     {{305, 235}, {325, 235}, {305, 255}, {355, 315}, {335, 315}, {355, 295}}},
    {325, 350, Tool::BlueFlameSoldier, FireMode::Single, SoundSlot::Unused,
     {{305, 315}, {325, 315}, {305, 335}, {355, 395}, {335, 395}, {355, 375}}},
};

TEST(MenuPanel, HoverBracketsAndAClickTakesTheToolWithoutActingOnTheDesktop) {
  for (const Item& item : ITEMS) {
    test::SimRun run(W, H);
    World& w = run.sim->world();
    w.fireMode = FireMode::Burst;
    run.run(std::string(OPEN) + "move " + at(PX + item.x, PY + item.y) + "\nstep");
    for (const auto& p : item.corners) EXPECT_EQ(framePixel(run, PX + p[0], PY + p[1]), CYAN) << p[0] << "," << p[1];
    const std::vector<uint32_t> desktop = w.desktop.pixels;
    // The press is held on: it took the tool and must not also use it. The lighter waits 30 steps
    // (counting the click's) before a held press pours.
    run.run("press left\nstep 29");
    EXPECT_EQ(w.currentTool, item.tool);
    EXPECT_EQ(w.fireMode, item.mode);
    EXPECT_EQ(w.menuOpen, 0);
    EXPECT_EQ(w.desktop.pixels, desktop);
    EXPECT_EQ(w.green.count + w.blue.count + w.lighterFires.count, 0);
    EXPECT_EQ(plays(run, item.sound).size(), item.sound == SoundSlot::Unused ? 0u : 1u);
    EXPECT_FALSE(run.sim->platform().menuCursorVisible());
    EXPECT_EQ(w.spawnFacing, 1);
    run.run("step");
    EXPECT_EQ(w.lighterFires.count, item.tool == Tool::Lighter ? 1 : 0);
  }
}

TEST(MenuPanel, CheckBoxesInvertOncePerPressAndShowTheirCrosses) {
  test::SimRun run(W, H);
  World& w = run.sim->world();
  run.run(OPEN + panelClick(388, 460, 12) + panelClick(388, 476) + panelClick(388, 492, 5));
  EXPECT_EQ(w.flameThrower, 1);
  EXPECT_EQ(w.paused, 1);
  EXPECT_EQ(w.showStats, 0);
  EXPECT_EQ(w.menuOpen, 1);
  EXPECT_EQ(plays(run, SoundSlot::Click).size(), 3u);
  run.run("step");
  EXPECT_EQ(framePixel(run, PX + 384, PY + 456), BLACK);  // FlameThrower
  EXPECT_EQ(framePixel(run, PX + 392, PY + 456), BLACK);
  EXPECT_EQ(framePixel(run, PX + 384, PY + 471), BLACK);  // Pause, a pixel higher
  EXPECT_EQ(framePixel(run, PX + 392, PY + 479), BLACK);
  EXPECT_NE(framePixel(run, PX + 384, PY + 488), BLACK);  // Show Stats is off now
  run.run("press left\nstep\nrelease left\nstep\nmove " + at(PX + 413, PY + 10) + "\npress left\nstep\nrelease left\nstep");
  EXPECT_EQ(w.showStats, 1);
  EXPECT_EQ(w.menuOpen, 0) << "the close box";
}

TEST(Interaction, SpaceTurnsTheNextSoldierChangesTheRifleModeAndStartsTheLabel) {
  const struct {
    Tool tool;
    uint8_t facing;
    FireMode mode;
    size_t clicks;
  } cases[] = {{Tool::Hammer, 1, FireMode::Single, 0},
               {Tool::Lighter, 1, FireMode::Single, 0},
               {Tool::BlueFlameSoldier, 0, FireMode::Single, 0},
               {Tool::Rifle, 1, FireMode::Burst, 1}};
  for (const auto& c : cases) {
    test::SimRun run(W, H);
    World& w = run.sim->world();
    w.currentTool = c.tool;
    run.run("keydown space\nstep 10\nkeyup space\nstep");
    EXPECT_EQ(w.spawnFacing, c.facing);
    EXPECT_EQ(w.fireMode, c.mode);
    EXPECT_EQ(w.modeLabelTimer, 25 - 10);
    EXPECT_EQ(plays(run, SoundSlot::Click).size(), c.clicks);
  }
}

TEST(Interaction, SoldiersArePlacedOncePerPressAndNeverPastTwoHundred) {
  test::SimRun run(W, H);
  World& w = run.sim->world();
  w.currentTool = Tool::GreenFlameSoldier;
  run.run("move 500 300\npress left\nstep 6\nrelease left\nstep");
  ASSERT_EQ(w.green.count, 1);
  EXPECT_EQ(w.green.soldiers[0].x, 455.0f);
  EXPECT_EQ(w.green.soldiers[0].flameSoldier, 1);
  for (int i = 1; i < 199; ++i) run.run("place green sword 100 " + std::to_string(100 + i));
  run.run("click 700 300\nclick 700 300");
  EXPECT_EQ(w.green.count, 200);
  EXPECT_TRUE(plays(run, SoundSlot::Click).empty());
}

TEST(Hammer, OneBlowPerPressStrikesDownWhoeverIsUnderItsHeadButTheShiftedOneEscapes) {
  test::SimRun run(W, H);
  World& w = run.sim->world();
  // Soldiers 0 and 1 stand where the hammer falls; 2 stands far away.
  run.run("place blue sword 225 280\nplace blue sword 225 280\nplace blue sword 900 500\nmove 200 300\nstep");
  const std::vector<uint32_t> before = w.desktop.pixels;
  run.run("press left\nstep 10");
  EXPECT_EQ(w.blue.count, 2);
  EXPECT_EQ(plays(run, SoundSlot::GlassBreak).size(), 1u);
  EXPECT_EQ(plays(run, SoundSlot::Hi).size(), 1u);
  EXPECT_EQ(w.lastStrike.x, 200);
  EXPECT_EQ(w.lastStrike.y, 320);
  EXPECT_NE(w.desktop.pixels[(320 - 10 + 5) * W + 200 + 5], before[(320 - 10 + 5) * W + 200 + 5]) << "blood stain";
  EXPECT_NE(w.desktop.pixels[(300 + 25) * W + 200 + 20], before[(300 + 25) * W + 200 + 20]) << "crack";
  run.run("release left\nstep\npress left\nstep\nrelease left\nstep");
  EXPECT_EQ(w.blue.count, 1) << "the next press strikes the one that escaped";
  EXPECT_EQ(plays(run, SoundSlot::GlassBreak).size(), 2u);
}

TEST(Placing, ASoldierInAFreedSlotStartsWithAFreshTickAndWoundTime) {
  test::SimRun run(W, H);
  World& w = run.sim->world();
  run.run("place green sword 300 300\nplace green sword 500 300");
  w.green.soldiers[1].woundTimer = 3;
  w.green.soldiers[1].tick = 3;
  removeSoldier(w, ArmyId::Green, 1);
  run.run("place green sword 500 300");
  EXPECT_EQ(w.green.soldiers[1].woundTimer, 0) << "it would flash red";
  EXPECT_EQ(w.green.soldiers[1].tick, 0);
}

}  // namespace
}  // namespace mw

namespace mw {
namespace {

// One still fire in slot 0 of an array.
Fire& stillFire(FireArray& fires, float x, float y, int32_t age = 0) {
  fires.count = 1;
  Fire& f = fires.fires[0];
  f.x = x;
  f.y = y;
  f.vx = f.vy = 0.0f;
  f.age = age;
  return f;
}

TEST(Fires, LeaveTheScreenPastTheirBoundsAndDieOfAge) {
  test::SimRun run(W, H);
  World& w = run.sim->world();
  const struct {
    float x, y;
    bool stays;
  } bounds[] = {{-90.0f, 100.0f, true}, {-90.1f, 100.0f, false}, {W, 100.0f, true}, {W + 0.5f, 100.0f, false},
                {100.0f, -90.0f, true}, {100.0f, -90.1f, false}, {100.0f, H, true}, {100.0f, H + 0.5f, false}};
  for (const auto& b : bounds) {
    stillFire(w.lighterFires, b.x, b.y);
    advanceFires(w, w.lighterFires);
    EXPECT_EQ(w.lighterFires.count, b.stays ? 1 : 0) << b.x << "," << b.y;
  }
  // A lighter fire lives 1500 steps, a soldier's 400.
  for (int32_t start : {0, 1500 - w.soldierFireLife}) {
    stillFire(w.greenFires, 600.0f, 300.0f, start);
    for (int32_t k = start + 1; k < 1500; ++k) advanceFires(w, w.greenFires);
    EXPECT_EQ(w.greenFires.count, 1);
    advanceFires(w, w.greenFires);
    EXPECT_EQ(w.greenFires.count, 0);
  }
}

TEST(Lighter, PoursOneFirePerStepOneForAShortClickAndTheFlameThrowerThrowsUpAndLeft) {
  test::SimRun run(W, H);
  World& w = run.sim->world();
  w.currentTool = Tool::Lighter;
  run.run("click 600 400");
  EXPECT_EQ(w.lighterFires.count, 1);
  EXPECT_EQ(w.lighterFires.fires[0].x, 640.0f + w.lighterFires.fires[0].vx) << "born at x + 40, moved once";
  w.flameThrower = 1;
  run.run("move 1200 700\npress left\nstep 60\nrelease left\nstep");
  ASSERT_EQ(w.lighterFires.count, 61);
  for (int32_t i = 1; i < 61; ++i) {
    const Fire& f = w.lighterFires.fires[i];
    EXPECT_TRUE(f.vx >= -7.8f && f.vx <= -5.2f && f.vy >= -7.8f && f.vy <= -5.2f) << f.vx << "," << f.vy;
  }
  run.run("step 300");
  // Every flamethrower fire has left through the top or the left; the slow first one may remain.
  EXPECT_LE(w.lighterFires.count, 1);
  if (w.lighterFires.count == 1) {
    EXPECT_GT(w.lighterFires.fires[0].vx, -5.2f);
  }
}

TEST(Fires, PauseFreezesThemAndSilencesTheLoopWhichRestartsFromItsBeginning) {
  test::SimRun run(W, H);
  World& w = run.sim->world();
  w.currentTool = Tool::Lighter;
  run.run("click 600 400\nstep 3");
  const Fire before = w.lighterFires.fires[0];
  run.run(std::string(OPEN) + panelClick(388, 476) + "press right\nstep\nrelease right\nstep 20");
  EXPECT_EQ(w.paused, 1);
  EXPECT_EQ(w.lighterFires.fires[0].x, before.x) << "the panel opens before the fires move";
  const float frozenX = w.lighterFires.fires[0].x;
  run.run("step 10");
  EXPECT_EQ(w.lighterFires.fires[0].x, frozenX);
  EXPECT_EQ(w.burningLoopOn, 0);
  run.run(std::string(OPEN) + panelClick(388, 476) + "press right\nstep\nrelease right\nstep");
  std::vector<SoundEvent::Op> ops;
  for (const SoundEvent& e : run.sim->platform().soundLog())
    if (e.slot == static_cast<int>(SoundSlot::Burning) && (ops.empty() || ops.back() != e.op)) ops.push_back(e.op);
  EXPECT_EQ(ops, (std::vector<SoundEvent::Op>{SoundEvent::Op::Loop, SoundEvent::Op::Stop, SoundEvent::Op::Loop}));
}

TEST(Fires, FlameSoldiersAimAtTheirTargetAndBurnTheirOwnArmyToo) {
  test::SimRun run(W, H);
  World& w = run.sim->world();
  run.run("place green flame 300 300\nplace blue sword 500 300");
  Soldier& s = w.green.soldiers[0];
  s.target = 0;
  launchSoldierFire(w, ArmyId::Green, s);
  ASSERT_EQ(w.greenFires.count, 1);
  const Fire& f = w.greenFires.fires[0];
  EXPECT_EQ(f.age, 1100);
  EXPECT_FLOAT_EQ(f.vx * f.vx + f.vy * f.vy, 1.0f);
  EXPECT_EQ(s.struck, 1);
  // The target stands exactly where the fire aims from: a defined velocity all the same.
  Soldier& t = w.blue.soldiers[0];
  t.x = s.x - 70.0f;
  t.y = s.y + 20.0f;
  launchSoldierFire(w, ArmyId::Green, s);
  EXPECT_EQ(w.greenFires.fires[1].vx, 1.0f);
  EXPECT_EQ(w.greenFires.fires[1].vy, 0.0f);
  // A green fire passing over a green soldier burns it.
  stillFire(w.greenFires, s.x - 90.0f + 12.0f, s.y - 50.0f + 20.0f);
  advanceFires(w, w.greenFires);
  EXPECT_EQ(w.green.count, 0);
  EXPECT_EQ(plays(run, SoundSlot::Death).size(), 1u);
}

// Steps after the press (0 = the press's own step) on which the rifle fired.
std::vector<uint64_t> shotSteps(test::SimRun& run, uint64_t pressFrame) {
  std::vector<uint64_t> steps;
  for (uint64_t f : plays(run, SoundSlot::M4, pressFrame - 1)) steps.push_back(f - pressFrame);
  return steps;
}

TEST(Rifle, ShotTimingsOfTheThreeModes) {
  const struct {
    FireMode mode;
    int32_t counter;
    int held;  // steps the button stays down after the press step
    std::vector<uint64_t> shots;
  } cases[] = {{FireMode::Single, 0, 30, {0}},
               {FireMode::Burst, 0, 0, {0, 4, 9}},
               {FireMode::FullAuto, 0, 19, {0, 4, 9, 14, 19}},
               {FireMode::FullAuto, 4, 5, {0, 0, 5}}};
  for (const auto& c : cases) {
    test::SimRun run(W, H);
    World& w = run.sim->world();
    w.currentTool = Tool::Rifle;
    w.fireMode = c.mode;
    w.shotFrameCounter = c.counter;
    run.run("move 600 400\nstep\npress left\nstep " + std::to_string(c.held + 1) + "\nrelease left\nstep 30");
    EXPECT_EQ(shotSteps(run, 2), c.shots) << static_cast<int>(c.mode) << " " << c.counter;
  }
}

TEST(Rifle, FollowUpsScatterUpToNinePixelsAndAutoFireNeedsOneFullAutoPress) {
  test::SimRun run(W, H);
  World& w = run.sim->world();
  w.currentTool = Tool::Rifle;
  // A press in Single switched to Full-Auto while held fires nothing more: no Full-Auto press yet.
  run.run("move 600 400\npress left\nstep\nkeydown space\nstep\nkeyup space\nstep\nkeydown space\nstep\n"
          "keyup space\nstep 20\nrelease left\nstep");
  EXPECT_EQ(w.fireMode, FireMode::FullAuto);
  EXPECT_EQ(plays(run, SoundSlot::M4).size(), 1u);
  // Once a Full-Auto press was made, the same sequence fires automatically.
  run.run("click 600 400\nkeydown space\nstep\nkeyup space\nstep 10\npress left\nstep\nkeydown space\nstep\n"
          "keyup space\nstep\nkeydown space\nstep\nkeyup space\nstep 300\nrelease left\nstep");
  EXPECT_GT(plays(run, SoundSlot::M4).size(), 50u);
  // Every follow-up landed within 9 pixels of the aim; the label showed for 25 steps after Space.
  EXPECT_LE(std::abs(w.lastStrike.x - 600), 9);
  EXPECT_LE(std::abs(w.lastStrike.y - 417), 9);
  EXPECT_EQ(w.modeLabelTimer, 0);
}

}  // namespace
}  // namespace mw
