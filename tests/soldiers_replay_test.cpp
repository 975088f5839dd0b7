// A small battle through the simulator, six sword soldiers a side until one army is gone: bodies in
// the desktop, the sounds of the fight in the log, and one outcome for one seed. The twenty-a-side
// golden replay is tests/scripts/replays.sh.
#include <gtest/gtest.h>

#include <sstream>

#include "sim/dump.h"
#include "tests/soldiers_world.h"
#include "tests/test_support.h"

namespace mw::test {
namespace {

struct Battle {
  std::string dump;
  std::vector<SoundEvent> sounds;
  int64_t bodyPixels = 0;
};

Battle fight() {
  SimRun run(640, 400, 3);
  World& world = run.sim->world();
  world.green.deadImage = solidImage(30, 12, 0xFF2E5E1E);
  world.blue.deadImage = solidImage(30, 12, 0xFF1E2E7E);
  std::ostringstream script;
  for (int k = 0; k < 6; ++k) {
    script << "place green sword " << 200 - k / 3 * 50 << " " << 80 + k % 3 * 50 << "\n";
    script << "place blue sword " << 420 + k / 3 * 50 << " " << 80 + k % 3 * 50 << " left\n";
  }
  script << "step 800\n";
  run.run(script.str());
  EXPECT_EQ(world.green.count, 0);
  EXPECT_EQ(world.blue.count, 5);
  Battle out{dumpState(*run.sim).dump(), run.sim->platform().soundLog()};
  for (uint32_t p : world.desktop.pixels) out.bodyPixels += p == 0xFF2E5E1E || p == 0xFF1E2E7E;
  return out;
}

TEST(BattleReplay, FightsToTheEndWithBodiesAndSoundsAndReplaysExactly) {
  const Battle first = fight();
  // Seven deaths, each a sword sound and then the death cry in the same step; ten strokes a death.
  int deaths = 0, strokes = 0;
  for (size_t k = 0; k < first.sounds.size(); ++k) {
    const SoundEvent& e = first.sounds[k];
    const auto slot = static_cast<SoundSlot>(e.slot);
    if (slot == SoundSlot::Die) {
      ++deaths;
      EXPECT_EQ(e.level, DIE_LEVEL);
      ASSERT_GT(k, 0u);
      EXPECT_EQ(first.sounds[k - 1].frame, e.frame);
    } else {
      ++strokes;
      EXPECT_TRUE(slot == SoundSlot::Sword || slot == SoundSlot::Sword2) << e.slot;
      EXPECT_EQ(e.level, SWORD_LEVEL);
    }
  }
  EXPECT_EQ(deaths, 7);
  EXPECT_GE(strokes, 70);
  EXPECT_GT(first.bodyPixels, 0);

  const Battle second = fight();
  EXPECT_EQ(first.dump, second.dump);
  EXPECT_EQ(first.sounds.size(), second.sounds.size());
  EXPECT_EQ(first.bodyPixels, second.bodyPixels);
}

TEST(BattleReplay, PlaceCommandActsAsTheSoldierToolsAndIsDumped) {
  SimRun run(320, 200, 1);
  run.run("place green flame 100 100\nplace blue sword 20 -30 left");
  World& world = run.sim->world();
  ASSERT_EQ(world.green.count, 1);
  const Soldier& g = world.green.soldiers[0];
  EXPECT_EQ(std::tie(g.x, g.y, g.flameSoldier, g.facing), std::make_tuple(55.0f, 120.0f, 1, 1));
  const Soldier& b = world.blue.soldiers[0];
  EXPECT_EQ(std::tie(b.x, b.y, b.flameSoldier, b.facing), std::make_tuple(-25.0f, -10.0f, 0, 0));
  for (int k = 0; k < 205; ++k) run.run("place blue flame 10 10 right");
  EXPECT_EQ(world.blue.count, ARMY_CAPACITY);
  for (const char* bad : {"place red sword 1 1", "place green archer 1 1", "place green sword 1",
                          "place green sword 1 1 up", "place green sword 40000 1", "place blue sword 1 -32769"}) {
    EXPECT_THROW(run.run(bad), std::runtime_error) << bad;
  }
  EXPECT_EQ(world.green.count, 1);

  const Json dump = dumpState(*run.sim);
  EXPECT_EQ(dump["green"]["count"], 1);
  const Json& s = dump["green"]["soldiers"][0];
  EXPECT_EQ(s.size(), 19u);  // every field of the record, and the swing record
  EXPECT_EQ(s["swing"].size(), 6u);
  EXPECT_EQ(s["y"], 120.0f);
  EXPECT_EQ(dump["blue"]["soldiers"].size(), 200u);
}

}  // namespace
}  // namespace mw::test
