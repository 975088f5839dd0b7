// A small battle through the simulator: six sword soldiers a side fight until one army is gone,
// leaving bodies in the desktop and the sounds of the fight in the log; one seed, one outcome.
#include <gtest/gtest.h>

#include <sstream>

#include "sim/dump.h"
#include "tests/soldiers_world.h"
#include "tests/test_support.h"

namespace mw::test {
namespace {

constexpr uint32_t GREEN_BODY = 0xFF2E5E1Eu;
constexpr uint32_t BLUE_BODY = 0xFF1E2E7Eu;

struct Battle {
  std::string dump;
  std::vector<SoundEvent> sounds;
  int32_t greenBodyPixels = 0;
  int32_t blueBodyPixels = 0;
};

Battle fight() {
  SimRun run(640, 400, 3);
  World& world = run.sim->world();
  world.green.deadImage = solidImage(30, 12, GREEN_BODY);
  world.blue.deadImage = solidImage(30, 12, BLUE_BODY);
  std::ostringstream script;
  for (int k = 0; k < 6; ++k) {
    const int row = k % 3, column = k / 3;
    script << "place green sword " << 200 - column * 50 << " " << 80 + row * 50 << "\n";
    script << "place blue sword " << 420 + column * 50 << " " << 80 + row * 50 << " left\n";
  }
  script << "step 800\n";
  run.run(script.str());
  Battle out;
  out.dump = dumpState(*run.sim).dump();
  out.sounds = run.sim->platform().soundLog();
  for (uint32_t p : world.desktop.pixels) {
    out.greenBodyPixels += p == GREEN_BODY;
    out.blueBodyPixels += p == BLUE_BODY;
  }
  EXPECT_EQ(world.green.count, 0);
  EXPECT_EQ(world.blue.count, 5);
  return out;
}

TEST(BattleReplay, FightsToTheEndWithBodiesAndSoundsAndReplaysExactly) {
  const Battle first = fight();
  // Seven deaths: each a sword stroke followed by the death cry in the same step.
  int deaths = 0, strokes = 0;
  for (size_t k = 0; k < first.sounds.size(); ++k) {
    const SoundEvent& e = first.sounds[k];
    EXPECT_EQ(e.op, SoundEvent::Op::Play);
    const auto slot = static_cast<SoundSlot>(e.slot);
    if (slot == SoundSlot::Die) {
      ++deaths;
      EXPECT_EQ(e.level, DIE_LEVEL);
      ASSERT_GT(k, 0u);
      const auto before = static_cast<SoundSlot>(first.sounds[k - 1].slot);
      EXPECT_TRUE(before == SoundSlot::Sword || before == SoundSlot::Sword2);
      EXPECT_EQ(first.sounds[k - 1].frame, e.frame);
    } else {
      EXPECT_TRUE(slot == SoundSlot::Sword || slot == SoundSlot::Sword2) << e.slot;
      EXPECT_EQ(e.level, SWORD_LEVEL);
      ++strokes;
    }
  }
  EXPECT_EQ(deaths, 7);
  EXPECT_GE(strokes, 70);  // ten strokes a death at full health
  EXPECT_GT(first.greenBodyPixels, 0);
  EXPECT_GT(first.blueBodyPixels, 0);

  const Battle second = fight();
  EXPECT_EQ(first.dump, second.dump);
  ASSERT_EQ(first.sounds.size(), second.sounds.size());
  for (size_t k = 0; k < first.sounds.size(); ++k) {
    EXPECT_EQ(first.sounds[k].slot, second.sounds[k].slot);
    EXPECT_EQ(first.sounds[k].frame, second.sounds[k].frame);
  }
  EXPECT_EQ(first.greenBodyPixels, second.greenBodyPixels);
}

TEST(BattleReplay, PlaceCommandFollowsTheSoldierTools) {
  SimRun run(320, 200, 1);
  run.run("place green flame 100 100\nplace blue sword 20 -30 left");
  World& world = run.sim->world();
  ASSERT_EQ(world.green.count, 1);
  EXPECT_EQ(world.green.soldiers[0].x, 55.0f);
  EXPECT_EQ(world.green.soldiers[0].y, 120.0f);
  EXPECT_EQ(world.green.soldiers[0].flameSoldier, 1);
  EXPECT_EQ(world.green.soldiers[0].facing, 1);
  ASSERT_EQ(world.blue.count, 1);
  EXPECT_EQ(world.blue.soldiers[0].x, -25.0f);
  EXPECT_EQ(world.blue.soldiers[0].y, -10.0f);
  EXPECT_EQ(world.blue.soldiers[0].facing, 0);
  EXPECT_EQ(world.blue.soldiers[0].flameSoldier, 0);
  for (int k = 0; k < 205; ++k) run.run("place blue flame 10 10 right");
  EXPECT_EQ(world.blue.count, ARMY_CAPACITY);
  for (const char* bad : {"place red sword 1 1", "place green archer 1 1", "place green sword 1",
                          "place green sword 1 1 up", "place green sword 40000 1", "place blue sword 1 -32769"}) {
    EXPECT_THROW(run.run(bad), std::runtime_error) << bad;
  }
  EXPECT_EQ(world.green.count, 1);
}

TEST(BattleReplay, DumpHoldsEveryFieldOfTheLiveSoldiers) {
  SimRun run(320, 200, 1);
  run.run("place blue sword 100 100 left\nstep 1");
  const Json dump = dumpState(*run.sim);
  EXPECT_EQ(dump["green"]["count"], 0);
  EXPECT_TRUE(dump["green"]["soldiers"].empty());
  ASSERT_EQ(dump["blue"]["soldiers"].size(), 1u);
  const Json& s = dump["blue"]["soldiers"][0];
  for (const char* field : {"x", "y", "vx", "vy", "frame", "tick", "frameTime", "woundTimer", "wandering", "facing",
                            "hasTarget", "target", "health", "engaged", "dead", "struck", "barLength", "flameSoldier"}) {
    EXPECT_TRUE(s.contains(field)) << field;
  }
  for (const char* field : {"frame", "tick", "x", "y", "facing", "frameTime"}) EXPECT_TRUE(s["swing"].contains(field));
  EXPECT_EQ(s["x"], 55.0f);
  EXPECT_EQ(s["target"], NO_TARGET);
  EXPECT_EQ(s["swing"]["frameTime"], 6);
  for (const char* field : {"hitX", "hitY", "hitBox", "hitSource", "greenBarColour", "blueBarColour", "showStats",
                            "spawnFacing"}) {
    EXPECT_TRUE(dump["world"].contains(field)) << field;
  }
}

}  // namespace
}  // namespace mw::test
