// The menu panel, the interaction step and the three tools, driven through the simulator.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/input.h"
#include "app/screen.h"
#include "soldiers/armies.h"
#include "tests/test_support.h"
#include "tools/fires.h"
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
  EXPECT_EQ(w.hitX, 200);
  EXPECT_EQ(w.hitY, 320);
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
