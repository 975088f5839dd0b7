// The frame step's latches, background copy and start-up state, driven through the simulator.
#include <gtest/gtest.h>

#include <sstream>

#include "app/input.h"
#include "app/snapshot.h"
#include "sim/dump.h"
#include "tests/test_support.h"
#include "world/world.h"

namespace mw {
namespace {

TEST(FrameStep, RightButtonHeldTogglesTheMenuOnce) {
  test::SimRun run;
  World& w = run.sim->world();
  run.run("move 100 100\npress right\nstep 20");
  EXPECT_EQ(w.menuOpen, 1);
  EXPECT_EQ(w.rightLatch, 1);
  EXPECT_TRUE(run.sim->platform().menuCursorVisible());
  run.run("release right\nstep\npress right\nstep 5");
  EXPECT_EQ(w.menuOpen, 0);
  EXPECT_FALSE(run.sim->platform().menuCursorVisible());
  run.run("release right\nstep");
  EXPECT_EQ(w.rightLatch, 0);
}

TEST(FrameStep, F11HeldSwitchesPresentationOnceAndHoldsTheKeyLatch) {
  test::SimRun run;
  World& w = run.sim->world();
  const int changesAtStart = run.sim->platform().presentationChanges();
  run.run("keydown f11\nstep 30");
  EXPECT_TRUE(w.presenter.windowed);
  EXPECT_EQ(run.sim->platform().presentationChanges(), changesAtStart + 1);
  EXPECT_EQ(w.keyLatch, 1);
  run.run("keyup f11\nstep\nkeydown f11\nstep 3\nkeyup f11\nstep");
  EXPECT_FALSE(w.presenter.windowed);
  EXPECT_EQ(w.keyLatch, 0);
  // The frame buffer was rebuilt at the screen's size.
  EXPECT_EQ(w.presenter.frameBuffer.size(), static_cast<size_t>(w.session->screen.width) * w.session->screen.height);
}

TEST(FrameStep, EnterRestoresOnceUntilEveryActionKeyIsUp) {
  test::SimRun run;
  World& w = run.sim->world();
  run.run("step");
  const uint32_t clean = w.desktop.pixels[0];
  w.desktop.pixels[0] = 0xFF000001u;
  run.run("keydown enter\nstep");
  EXPECT_EQ(w.desktop.pixels[0], clean);
  w.desktop.pixels[0] = 0xFF000002u;
  run.run("step 10");  // still held: no second reload
  EXPECT_EQ(w.desktop.pixels[0], 0xFF000002u);
  run.run("keydown space\nkeyup enter\nstep\nkeydown enter\nstep 3");  // space still holds the latch
  EXPECT_EQ(w.desktop.pixels[0], 0xFF000002u);
  run.run("keyup enter\nkeyup space\nstep\nkeydown enter\nstep");
  EXPECT_EQ(w.desktop.pixels[0], clean);
}

TEST(FrameStep, EscapeQuitsWithTheMenuOpenToo) {
  test::SimRun run;
  run.run("move 50 50\npress right\nstep 2\nkeydown escape\nstep 10");
  EXPECT_TRUE(run.sim->application().quitTaken());
  EXPECT_EQ(run.sim->world().frameNumber, 3u);
}

TEST(FrameStep, BackgroundCopiesTheDesktopAndLeavesUncoveredPixelsBlack) {
  test::SimRun run(40, 30);
  World& w = run.sim->world();
  // A desktop smaller than the screen, with one key-coloured pixel.
  w.desktop.width = 10;
  w.desktop.height = 5;
  w.desktop.pixels.assign(50, 0xFFAABBCCu);
  w.desktop.pixels[12] = TRANSPARENT_KEY;
  w.showStats = 0;
  w.mouse->x = w.mouse->y = 5000;  // the hammer follows the mouse, off the screen
  run.run("step");
  const std::vector<uint32_t>& frame = run.sim->platform().lastFrame();
  ASSERT_EQ(frame.size(), 40u * 30u);
  EXPECT_EQ(frame[0], 0xFFAABBCCu);
  EXPECT_EQ(frame[4 * 40 + 9], 0xFFAABBCCu);
  EXPECT_EQ(frame[1 * 40 + 2], 0u);   // the key pixel stays cleared
  EXPECT_EQ(frame[0 * 40 + 10], 0u);  // right of the desktop
  EXPECT_EQ(frame[5 * 40 + 0], 0u);   // below it
  EXPECT_EQ(frame[29 * 40 + 39], 0u);
}

TEST(StartUp, EverythingStartsAtItsStartValue) {
  test::SimRun run;
  const World& w = run.sim->world();
  EXPECT_EQ(w.currentTool, Tool::Hammer);
  EXPECT_EQ(w.fireMode, FireMode::Single);
  EXPECT_EQ(w.lighterFires.count + w.greenFires.count + w.blueFires.count, 0);
  EXPECT_EQ(w.green.count + w.blue.count, 0);
  EXPECT_EQ(w.showStats, 1);
  EXPECT_EQ(w.spawnFacing, 1);
  EXPECT_EQ(w.lastStrike.x, 250);
  EXPECT_EQ(w.lastStrike.source, HitSource::Rifle);
  EXPECT_EQ(w.lastStrike.box.left, 10);
  EXPECT_EQ(w.lastStrike.box.down, 12);
  EXPECT_FALSE(w.presenter.windowed);
  for (const Army* army : {&w.green, &w.blue}) {
    for (const Soldier& s : army->soldiers) {  // also the records past the live count
      EXPECT_EQ(s.sheet, &army->walkSheet);
      EXPECT_EQ(s.x, 50.0f);
      EXPECT_EQ(s.target, 999);
      EXPECT_EQ(s.health, 10);
      EXPECT_EQ(s.frameTime, 2);
      EXPECT_EQ(s.barLength, 100);
    }
    for (const Soldier& swing : army->swings) EXPECT_EQ(swing.frameTime, 6);
  }
  for (const FireArray* fires : {&w.lighterFires, &w.greenFires, &w.blueFires}) {
    for (const Fire& f : fires->fires) {
      EXPECT_EQ(f.x, 50.0f);
      EXPECT_EQ(f.age, 0);
      EXPECT_GE(f.frame, 0);
      EXPECT_LT(f.frame, 4);
    }
  }
}

TEST(StartUp, RandomDrawsFollowTheSeedInRecordOrderAndAFrameDrawsItsArmyOrder) {
  test::SimRun run(320, 200, 1234);
  const World& w = run.sim->world();
  // The lighter's flame first, then record by record across the three fire arrays.
  RandomGenerator expected;
  expected.seed(1234);
  EXPECT_EQ(w.lighterFlame.frame, expected.next() % 4);
  for (int32_t i = 0; i < FIRE_SLOTS; ++i) {
    for (const FireArray* fires : {&w.lighterFires, &w.greenFires, &w.blueFires})
      ASSERT_EQ(fires->fires[i].frame, expected.next() % 4) << "slot " << i;
  }
  // Nothing else draws before the first frame; a frame with both armies empty still draws the
  // army order, then each army's two wandering draws.
  EXPECT_EQ(w.random, expected);
  run.run("step");
  for (int k = 0; k < 5; ++k) expected.next();
  EXPECT_EQ(w.random, expected);
}

TEST(Simulator, SameScriptAndSeedGiveTheSameDump) {
  const std::string script = "move 200 150\nstep 5\npress right\nstep 3\nrelease right\nkeydown f11\nstep 4\n";
  std::string dumps[2];
  for (std::string& dump : dumps) {
    test::SimRun run(320, 200, 42);
    run.run(script);
    dump = dumpState(*run.sim).dump(2);
  }
  EXPECT_EQ(dumps[0], dumps[1]);
  EXPECT_NE(dumps[0].find("\"presentation\": \"windowed\""), std::string::npos);
}

TEST(Simulator, NumbersAreDecimalOrHexNeverOctal) {
  test::SimRun run;
  run.run("move 010 0x14\nkeydown 010\nkeydown 0x20\nstep");
  const Session& session = run.sim->application().session();
  EXPECT_EQ(session.mouse.x, 10);
  EXPECT_EQ(session.mouse.y, 20);
  EXPECT_EQ(session.keys[10], 1);
  EXPECT_EQ(session.keys[8], 0);
  EXPECT_EQ(session.keys[0x20], 1);
  EXPECT_THROW(run.sim->runLine("keydown 0x"), std::runtime_error);
}

TEST(Simulator, BadLinesStopTheScriptNamingTheLine) {
  test::SimRun run;
  for (const char* bad : {"jump 1 2", "move 1", "press middle", "keydown 300", "step -1", "move x 3"}) {
    EXPECT_THROW(run.sim->runLine(bad), std::runtime_error) << bad;
  }
  std::istringstream script("step 2\n# a comment\n\nfly\nstep 5\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(run.sim->runScript(script), 2);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("line 4"), std::string::npos);
  EXPECT_EQ(run.sim->world().frameNumber, 2u);
}

}  // namespace
}  // namespace mw
