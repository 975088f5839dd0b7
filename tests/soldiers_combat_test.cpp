// Sword combat and death: the stroke's reach, wounds and kills, the strike pass, tool blows, fires,
// and the removal that keeps the arrays packed and the targets right.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <tuple>

#include "tests/soldiers_world.h"

namespace mw::test {
namespace {

using Sounds = std::vector<std::pair<SoundSlot, int>>;

SoundSlot swordFor(int draw) { return draw % 2 == 1 ? SoundSlot::Sword : SoundSlot::Sword2; }

TEST(SwordStroke, ReachDependsOnTheFacings) {
  // A green sword soldier at x 100 strikes a blue one at x.
  const struct {
    uint8_t facing, targetFacing;
    float x;
    bool lands;
  } cases[] = {{1, 0, 110, true},  {1, 0, 160, true},  {1, 0, 109, false}, {1, 0, 161, false}, {1, 1, 90, false},
               {0, 1, 58, true},   {0, 1, 57, false},  {0, 1, 120, true},  {0, 1, 121, false}, {0, 0, 62, true},
               {0, 0, 61, false},  {0, 0, 120, true},  {0, 0, 120.5f, false}};
  for (const auto& k : cases) {
    SoldierWorld w;
    Soldier& a = w.hunter(ArmyId::Green, 100.0f, 300.0f, k.facing, 0);
    a.engaged = 1;
    w.add(ArmyId::Blue, k.x, 300.0f, k.targetFacing);
    const std::vector<int> d = randomValues(w->random, 5, 2);
    resolveSwing(*w, ArmyId::Green, 0);
    EXPECT_EQ(w.blue().soldiers[0].health, k.lands ? 9 : 10) << int(k.facing) << int(k.targetFacing) << " " << k.x;
    EXPECT_EQ(a.struck, k.lands ? 1 : 0);
    // The sword sound's draw is made only when the stroke lands; a miss is silent.
    EXPECT_EQ(w->random.next(), d[k.lands ? 1 : 0]) << k.x;
    EXPECT_EQ(w.sounds(), (k.lands ? Sounds{{swordFor(d[0]), SWORD_LEVEL}} : Sounds{})) << k.x;
  }
}

TEST(SwordStroke, StruckFromBehindWhileIdleTurnsAndFightsBack) {
  SoldierWorld w;
  w.add(ArmyId::Green, 0.0f, 0.0f);
  Soldier& a = w.hunter(ArmyId::Green, 100.0f, 300.0f, 1, 0);
  a.engaged = 1;
  Soldier& t = w.add(ArmyId::Blue, 130.0f, 300.0f, 1);  // its back to the attacker
  resolveSwing(*w, ArmyId::Green, 1);
  EXPECT_EQ(t.facing, 0);
  EXPECT_EQ(t.target, 1);  // takes its attacker, though it never sighted it
  // Engaged, it keeps its facing; with a target, it keeps that.
  t.facing = 1;
  t.engaged = 1;
  t.target = 0;
  a.struck = 0;
  resolveSwing(*w, ArmyId::Green, 1);
  EXPECT_EQ(t.facing, 1);
  EXPECT_EQ(t.target, 0);
  // Struck from behind by a left-facing attacker, it turns right.
  Soldier& b = w.hunter(ArmyId::Blue, 300.0f, 100.0f, 0, 0);
  b.engaged = 1;
  Soldier& u = w.green().soldiers[0];
  u.x = 280.0f;
  u.y = 100.0f;
  u.facing = 0;
  resolveSwing(*w, ArmyId::Blue, 1);
  EXPECT_EQ(u.facing, 1);
}

TEST(SwordStroke, NineStrokesWoundAndTheTenthKills) {
  SoldierWorld w;
  w.blue().deadImage = solidImage(20, 10, 0xFF5A1E1E);
  Soldier& a = w.hunter(ArmyId::Green, 100.0f, 300.0f, 1, 0);
  a.engaged = 1;
  w.add(ArmyId::Blue, 130.7f, 280.9f, 0);
  const std::vector<int> draws = randomValues(w->random, 99, 10);
  Sounds expected;
  for (int k = 0; k < 10; ++k) {
    a.struck = 0;
    resolveSwing(*w, ArmyId::Green, 0);
    expected.emplace_back(swordFor(draws[k]), SWORD_LEVEL);
    if (k == 9) break;
    ASSERT_EQ(w.blue().count, 1);
    EXPECT_EQ(w.blue().soldiers[0].health, 9 - k);
    EXPECT_EQ(w.blue().soldiers[0].woundTimer, WOUND_STEPS);
  }
  expected.emplace_back(SoundSlot::Die, DIE_LEVEL);
  EXPECT_EQ(w.sounds(), expected);
  EXPECT_EQ(w.blue().count, 0);
  EXPECT_EQ(a.hasTarget, 0);  // the killer is left standing
  EXPECT_EQ(a.engaged, 0);
  EXPECT_EQ(a.target, NO_TARGET);
  // The body at (130, 292); a stamp leaves out its first row and column.
  EXPECT_EQ(w.desktopPixel(131, 293), 0xFF5A1E1Eu);
  EXPECT_EQ(w.desktopPixel(149, 301), 0xFF5A1E1Eu);
  EXPECT_EQ(w.desktopPixel(130, 295), DESKTOP_COLOUR);
  EXPECT_EQ(w.desktopPixel(140, 302), DESKTOP_COLOUR);
}

TEST(SwordStroke, OnlyAnEngagedSwordSoldierHurtsAndOnlyLiveTargets) {
  SoldierWorld w;
  Soldier& a = w.hunter(ArmyId::Blue, 100.0f, 300.0f, 1, 0);
  Soldier& t = w.add(ArmyId::Green, 120.0f, 300.0f, 0);
  resolveSwing(*w, ArmyId::Blue, 0);  // not engaged
  a.engaged = 1;
  a.flameSoldier = 1;
  resolveSwing(*w, ArmyId::Blue, 0);  // a flame soldier's sword
  EXPECT_EQ(t.health, 10);
  // Target indices naming nobody (none, or a slot past the count) are struck by no one.
  a.flameSoldier = 0;
  for (const int32_t target : {NO_TARGET, 1, -1}) {
    a.target = target;
    resolveSwing(*w, ArmyId::Blue, 0);
  }
  resolveSwing(*w, ArmyId::Blue, 7);  // no such attacker
  EXPECT_EQ(a.struck, 0);
  EXPECT_EQ(w.green().soldiers[1].health, 10);
  EXPECT_TRUE(w.sounds().empty());
}

TEST(StrikePass, OneStrokePerSwingGreenFirstAndWoundsRunDown) {
  SoldierWorld w;
  Soldier& a = w.hunter(ArmyId::Green, 100.0f, 300.0f, 1, 0);
  Soldier& t = w.hunter(ArmyId::Blue, 130.0f, 300.0f, 0, 0);
  a.engaged = 1;
  Soldier& swing = w.green().swings[0];
  swing.frame = STRIKE_FRAME;
  checkSwings(*w);
  checkSwings(*w);
  EXPECT_EQ(t.health, 9);
  EXPECT_EQ(t.woundTimer, WOUND_STEPS - 2);  // counted down in the pass that set it
  swing.frame = 0;
  checkSwings(*w);
  EXPECT_EQ(a.struck, 0);
  EXPECT_EQ(t.woundTimer, 0);
  // A miss is tried again at every step on the strike frame.
  swing.frame = STRIKE_FRAME;
  t.x = 105.0f;
  checkSwings(*w);
  t.x = 130.0f;
  checkSwings(*w);
  EXPECT_EQ(t.health, 8);
  // Both at their last health point and striking together: green strikes first and lives.
  a.struck = 0;
  t.engaged = 1;
  a.health = t.health = 1;
  w.blue().swings[0].frame = STRIKE_FRAME;
  checkSwings(*w);
  EXPECT_EQ(w.blue().count, 0);
  EXPECT_EQ(a.health, 1);
}

TEST(StrikePass, FlameSoldierLaunchesOnlyWhileItsArmysFiresHaveRoom) {
  SoldierWorld w;
  Soldier& a = w.hunter(ArmyId::Blue, 100.0f, 300.0f, 1, 0, true);
  a.engaged = 1;
  Soldier& t = w.add(ArmyId::Green, 130.0f, 300.0f, 0);
  w.blue().swings[0].frame = STRIKE_FRAME;
  w->blueFires.count = FIRE_CAPACITY;
  checkSwings(*w);
  EXPECT_EQ(a.struck, 0);
  w->blueFires.count = FIRE_CAPACITY - 1;
  w->greenFires.count = FIRE_CAPACITY;
  checkSwings(*w);
  EXPECT_EQ(a.struck, 1);
  EXPECT_EQ(t.health, 10);
}

TEST(ToolPoint, HammerAreaBloodAndTheNeighbouringSlotsEscape) {
  // Mouse (200, 300): hit point (200, 320), box (30, 3, 10, 1).
  const struct {
    float x, y;
    uint8_t facing;
    bool hit;
  } cases[] = {{180, 300, 1, true},   {223, 300, 1, true},   {223.5f, 300, 1, false}, {179.5f, 300, 1, false},
               {180, 330, 1, true},   {180, 330.5f, 1, false}, {180, 279, 1, true},   {180, 278.5f, 1, false},
               {165, 300, 0, true},   {164, 300, 0, false},  {208, 300, 0, true},    {209, 300, 0, false}};
  for (const auto& k : cases) {
    SoldierWorld w;
    w->currentTool = Tool::Hammer;
    w->bloodStainImage = solidImage(8, 8, 0xFFAA0000);
    w.mouse = Mouse{200, 300};
    w.add(ArmyId::Green, k.x, k.y, k.facing);
    resolveStrike(*w, Strike{0, 0, {}, HitSource::Hammer});  // the hammer in hand aims it
    EXPECT_EQ(w.green().count, k.hit ? 0 : 1) << k.x << "," << k.y;
    EXPECT_EQ(w.sounds(), (k.hit ? Sounds{{SoundSlot::Hi, 0}} : Sounds{}));
    EXPECT_EQ(w.desktopPixel(201, 311) == 0xFFAA0000u, k.hit);  // stamped at (200, 310)
    EXPECT_EQ(w->lastStrike.y, 320);
  }
  SoldierWorld w;
  w->currentTool = Tool::Hammer;
  w.mouse = Mouse{200, 300};
  for (int k = 0; k < 4; ++k) w.add(ArmyId::Green, 400.0f, 100.0f);
  for (const float x : {180.0f, 181.0f, 182.0f}) w.add(ArmyId::Green, x, 300.0f);
  w.add(ArmyId::Blue, 183.0f, 300.0f);
  resolveStrike(*w, Strike{200, 320, HAMMER_HIT_BOX, HitSource::Hammer});
  // Slot 4 dies; 5 moves into 4 and is not looked at again; 6 moves to 5 and dies.
  ASSERT_EQ(w.green().count, 5);
  EXPECT_EQ(w.green().soldiers[4].x, 181.0f);
  EXPECT_EQ(w.blue().count, 0);
}

// The tool in hand aims every strike and swing: the hammer its point and box, the rifle its box, any
// other tool the last strike's box (a burst that outlives the rifle in hand strikes so).
TEST(ToolPoint, TheToolInHandAimsStrikesAndSwings) {
  const HitBox lastBox{8, 8, 8, 0};
  const struct {
    Tool tool;
    bool mouse;
    Strike aimed;
  } cases[] = {{Tool::Hammer, true, {200, 320, HAMMER_HIT_BOX, HitSource::Rifle}},
               {Tool::Hammer, false, {5, 6, HAMMER_HIT_BOX, HitSource::Rifle}},
               {Tool::Rifle, true, {5, 6, RIFLE_HIT_BOX, HitSource::Rifle}},
               {Tool::Lighter, true, {5, 6, lastBox, HitSource::Rifle}},
               {Tool::BlueFlameSoldier, true, {5, 6, lastBox, HitSource::Rifle}}};
  for (const auto& k : cases) {
    SoldierWorld w;
    w->currentTool = k.tool;
    w.mouse = Mouse{200, 300};
    if (!k.mouse) w->mouse = nullptr;
    w->lastStrike = Strike{1, 2, lastBox, HitSource::Fire};
    resolveStrike(*w, Strike{5, 6, {1, 1, 1, 1}, HitSource::Rifle});
    const Strike& s = w->lastStrike;
    EXPECT_EQ(std::make_tuple(s.x, s.y, s.box.left, s.box.right, s.box.up, s.box.down, s.source),
              std::make_tuple(k.aimed.x, k.aimed.y, k.aimed.box.left, k.aimed.box.right, k.aimed.box.up,
                              k.aimed.box.down, k.aimed.source))
        << static_cast<int>(k.tool);
  }
  // A swing strikes at no point, yet the tool in hand aims the last strike as for any other.
  SoldierWorld w;
  w->currentTool = Tool::Rifle;
  w->lastStrike = Strike{1, 2, lastBox, HitSource::Fire};
  resolveSwing(*w, ArmyId::Green, 0);
  EXPECT_EQ(w->lastStrike.box.up, RIFLE_HIT_BOX.up);
  EXPECT_EQ(w->lastStrike.x, 1);
  EXPECT_EQ(w->lastStrike.source, HitSource::Fire);
}

TEST(ToolPoint, RifleShotStampsHeadBodyOrLegs) {
  const uint32_t pictures[3] = {0xFF110000, 0xFF220000, 0xFF330000};
  const struct {
    int32_t dy;  // hitY - y
    int32_t picture, top;
  } cases[] = {{-3, 0, 5}, {6, 0, 5}, {7, 1, 15}, {25, 1, 15}, {26, 2, 15}, {40, 2, 15}};
  for (const uint8_t facing : {uint8_t{1}, uint8_t{0}}) {
    for (const auto& k : cases) {
      SoldierWorld w;
      for (int p = 0; p < 3; ++p) w.green().dyingImages[p] = solidImage(10, 10, pictures[p]);
      w->currentTool = Tool::Rifle;
      w.add(ArmyId::Green, 300.0f, 200.0f, facing);
      const Strike shot{facing == 1 ? 310 : 325, 200 + k.dy, RIFLE_HIT_BOX, HitSource::Rifle};
      resolveStrike(*w, shot);
      ASSERT_EQ(w.green().count, 0) << k.dy;
      const int32_t left = shot.x - (facing == 1 ? 13 : 29);
      EXPECT_EQ(w.desktopPixel(left + 1, shot.y - k.top + 1), pictures[k.picture]) << k.dy << " " << int(facing);
      EXPECT_EQ(w.desktopPixel(left, shot.y - k.top + 1), DESKTOP_COLOUR);
    }
  }
}

TEST(FireBurn, BurnsBothArmiesAndLeavesCharredBodies) {
  SoldierWorld w;
  w->charredBodyImage = solidImage(30, 30, 0xFF202020);
  w.add(ArmyId::Green, 100.0f, 200.0f);
  w.add(ArmyId::Green, 102.0f, 200.0f);  // its area starts at x + 1: just out of reach
  w.add(ArmyId::Green, 101.0f, 200.0f);  // the point on its left bound
  w.add(ArmyId::Blue, 80.0f, 200.0f, 0);  // facing left the area lies 15 further right
  Strike burn{102, 210, {8, 8, 8, 0}, HitSource::Fire};
  killInHitBox(*w, burn);
  ASSERT_EQ(w.green().count, 1);
  EXPECT_EQ(w.green().soldiers[0].x, 102.0f);
  EXPECT_EQ(w.blue().count, 0);
  EXPECT_EQ(w.sounds(), Sounds(3, {SoundSlot::Death, DEATH_LEVEL}));
  EXPECT_EQ(w.desktopPixel(78, 191), 0xFF202020u);  // stamped at (77, 190)
  // Anything but a fire removes without a mark or a sound.
  burn.source = HitSource::Rifle;
  burn.x = 110;
  killInHitBox(*w, burn);
  EXPECT_EQ(w.green().count, 0);
  EXPECT_EQ(w.sounds().size(), 3u);
}

// A fire pass searching only armies whose bounds reach the hit point burns exactly whom the full
// search burns, in the same order (sounds, charred bodies, slots), with the bounds found once
// before a run of fires: soldiers on the very edge of reach, both facings, far and NaN positions.
TEST(FireBurns, BoundsSkipOnlyArmiesNobodyOfWhichIsInReach) {
  std::mt19937 rng(31);
  for (int round = 0; round < 200; ++round) {
    SoldierWorld plain, bounded;
    for (SoldierWorld* w : {&plain, &bounded}) w->world->charredBodyImage = solidImage(30, 30, 0xFF202020);
    const HitSource source = round % 4 == 0 ? HitSource::Rifle : HitSource::Fire;
    std::mt19937 place(static_cast<uint32_t>(round));
    const int per = 1 + static_cast<int>(rng() % 12);
    for (int i = 0; i < 2 * per; ++i) {
      const ArmyId id = i % 2 ? ArmyId::Blue : ArmyId::Green;
      float x = static_cast<float>(100 + static_cast<int>(place() % 60)) + (place() % 4) * 0.25f;
      float y = static_cast<float>(150 + static_cast<int>(place() % 60)) + (place() % 4) * 0.25f;
      if (place() % 23 == 0) x = std::nanf("");
      if (place() % 29 == 0) y = 1e30f;
      const uint8_t facing = static_cast<uint8_t>(place() % 2);
      plain.add(id, x, y, facing);
      bounded.add(id, x, y, facing);
    }
    SoldierBounds bounds[2];
    findSoldierBounds(*bounded, bounds);
    for (int fire = 0; fire < 30; ++fire) {
      const int32_t hx = 80 + static_cast<int32_t>(rng() % 120);
      const int32_t hy = 130 + static_cast<int32_t>(rng() % 130);
      const Strike burn{hx, hy, {8, 8, 8, 0}, source};
      killInHitBox(*plain, burn);
      killInHitBox(*bounded, burn, bounds);
      for (ArmyId id : {ArmyId::Green, ArmyId::Blue}) {
        const Army& a = plain->army(id);
        const Army& b = bounded->army(id);
        ASSERT_EQ(a.count, b.count) << "round " << round << " fire " << fire;
        for (int32_t j = 0; j < a.count; ++j) {
          ASSERT_EQ(std::memcmp(&a.soldiers[j].x, &b.soldiers[j].x, sizeof(float)), 0);
          ASSERT_EQ(a.soldiers[j].facing, b.soldiers[j].facing);
        }
      }
    }
    ASSERT_EQ(plain.sounds(), bounded.sounds()) << "round " << round;
    ASSERT_EQ(plain->desktop.pixels, bounded->desktop.pixels) << "round " << round;
  }
}

TEST(Removal, SoldierThreeOfTenShiftsTheRestAndCorrectsTargets) {
  SoldierWorld w;
  Army& green = w.green();
  for (int k = 0; k < 10; ++k) {
    Soldier& s = w.hunter(ArmyId::Green, 10.0f * k, 5.0f * k, k % 2, k % 4, k % 3 == 0);
    s.vx = s.vy = 0.1f * k;
    s.frame = s.health = k;
    s.wandering = s.engaged = s.struck = s.dead = k % 2;
    s.tick = s.woundTimer = s.frameTime = s.barLength = 100 + k;
    green.swings[k] = Soldier{green.swings[k].sheet, k % 5, 50 + k, 1000.0f + k, 0.0f, 0.0f, 0.0f, 0, 0, 0, 20 + k};
  }
  Army before = green;
  // Blue soldiers after green 7, 3, 8 (without a target: not corrected), 9 and 2.
  const struct {
    uint8_t hasTarget;
    int32_t target, after;
  } enemies[] = {{1, 7, 6}, {1, 3, NO_TARGET}, {0, 8, 8}, {1, 9, 8}, {1, 2, 2}};
  for (const auto& e : enemies) {
    Soldier& s = w.add(ArmyId::Blue, 500.0f, 400.0f);
    s.hasTarget = e.hasTarget;
    s.target = e.target;
    s.engaged = s.wandering = 1;
    s.vx = 1.5f;
    s.frame = 6;
  }
  removeSoldier(*w, ArmyId::Green, 3);
  ASSERT_EQ(green.count, 9);
  for (int k = 0; k <= 9; ++k) {
    const Soldier& s = green.soldiers[k];
    const Soldier& from = before.soldiers[k < 3 ? k : k + 1];  // slot 10 held the start-up values
    EXPECT_EQ(std::tie(s.x, s.y, s.vx, s.vy, s.frame, s.health, s.target, s.wandering, s.flameSoldier, s.facing,
                       s.engaged, s.hasTarget, green.swings[k].frame),
              std::tie(from.x, from.y, from.vx, from.vy, from.frame, from.health, from.target, from.wandering,
                       from.flameSoldier, from.facing, from.engaged, from.hasTarget,
                       before.swings[k < 3 ? k : k + 1].frame)) << k;
    const Soldier& kept = before.soldiers[k];  // what stays with the slot
    EXPECT_EQ(std::tie(s.tick, s.woundTimer, s.frameTime, s.barLength, s.dead, s.struck),
              std::tie(kept.tick, kept.woundTimer, kept.frameTime, kept.barLength, kept.dead, kept.struck)) << k;
    EXPECT_EQ(std::tie(green.swings[k].tick, green.swings[k].x, green.swings[k].frameTime),
              std::tie(before.swings[k].tick, before.swings[k].x, before.swings[k].frameTime)) << k;
  }
  for (int e = 0; e < 5; ++e) EXPECT_EQ(w.blue().soldiers[e].target, enemies[e].after) << e;
  const Soldier& standing = w.blue().soldiers[1];
  EXPECT_EQ(std::tie(standing.hasTarget, standing.engaged, standing.wandering), std::make_tuple(0, 0, 0));
  EXPECT_EQ(std::tie(standing.frame, standing.vx), std::make_tuple(0, 0.0f));
  EXPECT_EQ(w.blue().soldiers[4].engaged, 1);
}

TEST(Removal, LastSoldierIsResetInPlaceAndAFullArmyTakesTheCleanSpare) {
  SoldierWorld w;
  Soldier& s = w.hunter(ArmyId::Blue, 300.0f, 200.0f, 0, 0);
  s.wandering = s.engaged = 1;
  s.frame = 9;
  s.vx = 1.25f;
  w.blue().swings[0].frame = 3;
  w.hunter(ArmyId::Green, 100.0f, 100.0f, 1, 0);
  removeSoldier(*w, ArmyId::Blue, 0);
  EXPECT_EQ(w.blue().count, 0);
  EXPECT_EQ(std::tie(s.wandering, s.facing, s.engaged, s.hasTarget), std::make_tuple(0, 1, 0, 0));
  EXPECT_EQ(std::tie(s.frame, s.target, w.blue().swings[0].frame), std::make_tuple(0, NO_TARGET, 0));
  EXPECT_EQ(s.vx, 1.25f);  // the rest is left
  EXPECT_EQ(w.green().soldiers[0].target, NO_TARGET);
  removeSoldier(*w, ArmyId::Blue, 0);  // nobody left: nothing happens
  EXPECT_EQ(w.blue().count, 0);

  for (int k = 0; k < 201; ++k) placeSoldier(*w, ArmyId::Blue, true, 100 + k, 100, 0);
  ASSERT_EQ(w.blue().count, ARMY_CAPACITY);  // the 201st placement is ignored
  EXPECT_EQ(w.blue().soldiers[200].x, 50.0f);
  removeSoldier(*w, ArmyId::Blue, 0);
  const Soldier& top = w.blue().soldiers[199];
  EXPECT_EQ(std::tie(top.x, top.y), std::make_tuple(50.0f, 50.0f));
  EXPECT_EQ(std::tie(top.flameSoldier, top.facing, top.target), std::make_tuple(0, 1, NO_TARGET));
  placeSoldier(*w, ArmyId::Blue, false, 100, 100, 1);
  EXPECT_EQ(std::tie(top.x, top.y), std::make_tuple(55.0f, 120.0f));
}

}  // namespace
}  // namespace mw::test
