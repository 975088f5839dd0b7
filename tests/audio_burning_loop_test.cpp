// The burning loop: one looping voice shared by the three fire arrays, stopped while paused, while
// the menu is open and when an array runs out of fires.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "audio/sound_bank.h"
#include "fires/fires.h"
#include "platform/headless/headless_platform.h"
#include "world/world.h"

namespace mw {
namespace {

struct Loop {
  Loop() : platform(ScreenCapture{}), world(std::make_unique<World>()) {
    world->platform = &platform;
    world->sounds.platform = &platform;
  }
  HeadlessPlatform platform;
  std::unique_ptr<World> world;

  // The operations recorded since the last call, as "loop -100" / "stop".
  std::vector<std::string> take() {
    std::vector<std::string> ops;
    const std::vector<SoundEvent>& log = platform.soundLog();
    for (; seen < log.size(); ++seen) {
      EXPECT_EQ(log[seen].slot, static_cast<int>(SoundSlot::Burning));
      std::string op = soundOpName(log[seen].op);
      if (log[seen].op != SoundEvent::Op::Stop) op.append(" ").append(std::to_string(log[seen].level));
      ops.push_back(op);
    }
    return ops;
  }
  size_t seen = 0;
};

using Ops = std::vector<std::string>;

TEST(BurningLoop, StartsOnceWhileFiresBurnAndStopsWhenTheLastGoesOut) {
  Loop t;
  FireArray& fires = t.world->lighterFires;
  fires.count = 3;
  updateBurningLoop(*t.world, fires);
  EXPECT_EQ(t.take(), (Ops{"loop -100"}));
  EXPECT_EQ(t.world->burningLoopOn, 1);
  updateBurningLoop(*t.world, fires);
  updateBurningLoop(*t.world, fires);
  EXPECT_EQ(t.take(), Ops{}) << "a running loop is left alone";
  fires.count = 0;
  updateBurningLoop(*t.world, fires);
  EXPECT_EQ(t.take(), (Ops{"stop"}));
  EXPECT_EQ(t.world->burningLoopOn, 0);
}

TEST(BurningLoop, MenuAndPauseSilenceItAndItRestartsFromTheBeginning) {
  Loop t;
  FireArray& fires = t.world->greenFires;
  fires.count = 1;
  updateBurningLoop(*t.world, fires);
  t.take();
  for (uint8_t World::*flag : {&World::menuOpen, &World::paused}) {
    (*t.world).*flag = 1;
    updateBurningLoop(*t.world, fires);
    updateBurningLoop(*t.world, fires);
    EXPECT_EQ(t.take(), (Ops{"stop", "stop"})) << "stopped on every pass while held";
    EXPECT_EQ(t.world->burningLoopOn, 0);
    (*t.world).*flag = 0;
    updateBurningLoop(*t.world, fires);
    EXPECT_EQ(t.take(), (Ops{"loop -100"}));
  }
}

TEST(BurningLoop, OneArrayEmptyingWhileAnotherBurnsRestartsTheLoop) {
  Loop t;
  FireArray& lighter = t.world->lighterFires;
  FireArray& blue = t.world->blueFires;
  lighter.count = 2;
  blue.count = 5;
  updateBurningLoop(*t.world, lighter);
  updateBurningLoop(*t.world, blue);
  EXPECT_EQ(t.take(), (Ops{"loop -100"}));
  lighter.count = 0;  // its last fire went out this pass
  updateBurningLoop(*t.world, lighter);
  updateBurningLoop(*t.world, blue);
  EXPECT_EQ(t.take(), (Ops{"stop", "loop -100"}));
  EXPECT_EQ(t.world->burningLoopOn, 1);
}

}  // namespace
}  // namespace mw
