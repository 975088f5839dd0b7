// Sword combat and death: the stroke's reach, wounds and kills, the strike pass, tool blows, fires,
// and the removal that keeps the arrays packed and the targets right.
#include <gtest/gtest.h>

#include "tests/soldiers_world.h"

namespace mw::test {
namespace {

using Sounds = std::vector<std::pair<SoundSlot, int>>;

// Green sword soldier 0 at (100, 300), engaged with blue soldier 0 at (tx, 300); one stroke.
bool strokeLands(uint8_t facing, float tx, uint8_t targetFacing) {
  SoldierWorld w;
  Soldier& a = w.add(ArmyId::Green, 100.0f, 300.0f, facing);
  a.engaged = 1;
  a.hasTarget = 1;
  a.target = 0;
  w.add(ArmyId::Blue, tx, 300.0f, targetFacing);
  resolveStrike(*w, StrikeSource::GreenSwing, 0);
  const bool landed = w.blue().soldiers[0].health == 9;
  EXPECT_EQ(a.struck, landed ? 1 : 0);
  return landed;
}

TEST(SwordStroke, ReachDependsOnTheAttackersFacing) {
  EXPECT_TRUE(strokeLands(1, 110.0f, 0));
  EXPECT_TRUE(strokeLands(1, 160.0f, 0));
  EXPECT_FALSE(strokeLands(1, 109.0f, 0));
  EXPECT_FALSE(strokeLands(1, 161.0f, 0));
  EXPECT_FALSE(strokeLands(1, 100.0f, 0));  // less than 10 to the right
  EXPECT_FALSE(strokeLands(1, 90.0f, 1));   // to the left
  // Facing left: a target facing it from 58 to 120, one turned away from 62 to 120.
  EXPECT_TRUE(strokeLands(0, 58.0f, 1));
  EXPECT_FALSE(strokeLands(0, 57.0f, 1));
  EXPECT_TRUE(strokeLands(0, 120.0f, 1));
  EXPECT_FALSE(strokeLands(0, 121.0f, 1));
  EXPECT_TRUE(strokeLands(0, 62.0f, 0));
  EXPECT_FALSE(strokeLands(0, 61.0f, 0));
  EXPECT_TRUE(strokeLands(0, 120.0f, 0));
  EXPECT_FALSE(strokeLands(0, 120.5f, 0));
}

TEST(SwordStroke, OnlyAnEngagedSwordSoldierHurts) {
  SoldierWorld w;
  Soldier& a = w.add(ArmyId::Blue, 100.0f, 300.0f, 1);
  a.target = 0;
  a.hasTarget = 1;
  Soldier& t = w.add(ArmyId::Green, 120.0f, 300.0f, 0);
  resolveStrike(*w, StrikeSource::BlueSwing, 0);  // not engaged
  EXPECT_EQ(t.health, 10);
  a.engaged = 1;
  a.flameSoldier = 1;
  resolveStrike(*w, StrikeSource::BlueSwing, 0);  // a flame soldier's sword
  EXPECT_EQ(t.health, 10);
  EXPECT_EQ(a.struck, 0);
  a.flameSoldier = 0;
  resolveStrike(*w, StrikeSource::GreenSwing, 0);  // the wrong army's swing: green 0 has no target
  EXPECT_EQ(t.health, 10);
  resolveStrike(*w, StrikeSource::BlueSwing, 0);
  EXPECT_EQ(t.health, 9);
  EXPECT_TRUE(w.sounds().size() == 1u);
}

TEST(SwordStroke, StruckFromBehindWhileIdleTurnsAndFightsBack) {
  SoldierWorld w;
  for (int k = 0; k < 3; ++k) w.add(ArmyId::Green, 0.0f, 0.0f);
  Soldier& a = w.green().soldiers[2];
  a.x = 100.0f;
  a.y = 300.0f;
  a.engaged = 1;
  a.hasTarget = 1;
  a.target = 0;
  Soldier& t = w.add(ArmyId::Blue, 130.0f, 300.0f, 1);  // its back to the attacker
  resolveStrike(*w, StrikeSource::GreenSwing, 2);
  EXPECT_EQ(t.facing, 0);
  EXPECT_EQ(t.hasTarget, 1);
  EXPECT_EQ(t.target, 2);  // it takes its attacker, though it never sighted it

  // Engaged, it keeps its facing and its own target.
  t.facing = 1;
  t.engaged = 1;
  t.target = 0;
  a.struck = 0;
  resolveStrike(*w, StrikeSource::GreenSwing, 2);
  EXPECT_EQ(t.facing, 1);
  EXPECT_EQ(t.target, 0);
  EXPECT_EQ(t.health, 8);

  // Attacked by a left-facing soldier from behind, it turns right.
  SoldierWorld v;
  Soldier& b = v.add(ArmyId::Blue, 100.0f, 300.0f, 0);
  b.engaged = 1;
  b.target = 0;
  Soldier& u = v.add(ArmyId::Green, 80.0f, 300.0f, 0);
  resolveStrike(*v, StrikeSource::BlueSwing, 0);
  EXPECT_EQ(u.facing, 1);
  // Already facing its attacker, it stays so.
  u.facing = 1;
  b.struck = 0;
  resolveStrike(*v, StrikeSource::BlueSwing, 0);
  EXPECT_EQ(u.facing, 1);
}

TEST(SwordStroke, NineStrokesWoundAndTheTenthKills) {
  SoldierWorld w;
  const uint32_t body = 0xFF5A1E1Eu;
  w.blue().deadImage = solidImage(20, 10, body);
  Soldier& a = w.add(ArmyId::Green, 100.0f, 300.0f, 1);
  a.engaged = 1;
  a.hasTarget = 1;
  a.target = 0;
  w.add(ArmyId::Blue, 130.7f, 280.9f, 0);
  const std::vector<int> draws = randomValues(99, 10);
  Sounds expected;
  for (int k = 0; k < 9; ++k) {
    a.struck = 0;
    resolveStrike(*w, StrikeSource::GreenSwing, 0);
    const Soldier& t = w.blue().soldiers[0];
    ASSERT_EQ(w.blue().count, 1);
    EXPECT_EQ(t.health, 9 - k);
    EXPECT_EQ(t.woundTimer, WOUND_STEPS);
    expected.emplace_back(draws[k] % 2 == 1 ? SoundSlot::Sword : SoundSlot::Sword2, SWORD_LEVEL);
  }
  EXPECT_EQ(w.desktopPixel(135, 300), DESKTOP_COLOUR);
  a.struck = 0;
  resolveStrike(*w, StrikeSource::GreenSwing, 0);
  expected.emplace_back(draws[9] % 2 == 1 ? SoundSlot::Sword : SoundSlot::Sword2, SWORD_LEVEL);
  expected.emplace_back(SoundSlot::Die, DIE_LEVEL);
  EXPECT_EQ(w.sounds(), expected);
  EXPECT_EQ(w.blue().count, 0);
  // The killer is left standing without a target.
  EXPECT_EQ(a.hasTarget, 0);
  EXPECT_EQ(a.engaged, 0);
  EXPECT_EQ(a.target, NO_TARGET);
  // The body lies at (130, 292), mirrored by the facing; a stamp skips its first row and column.
  EXPECT_EQ(w.desktopPixel(131, 293), body);
  EXPECT_EQ(w.desktopPixel(149, 301), body);
  EXPECT_EQ(w.desktopPixel(130, 295), DESKTOP_COLOUR);
  EXPECT_EQ(w.desktopPixel(150, 295), DESKTOP_COLOUR);
  EXPECT_EQ(w.desktopPixel(140, 302), DESKTOP_COLOUR);
}

TEST(SwordStroke, TargetIndexNamingNobodyIsStruckByNoOne) {
  SoldierWorld w;
  Soldier& a = w.add(ArmyId::Green, 100.0f, 300.0f, 1);
  a.engaged = 1;
  a.target = NO_TARGET;
  Soldier& b = w.add(ArmyId::Green, 100.0f, 300.0f, 1);
  b.engaged = 1;
  b.target = 1;  // a slot past the blue count: its record is not a soldier
  w.add(ArmyId::Blue, 130.0f, 300.0f);
  w.blue().soldiers[1].x = 130.0f;
  w.blue().soldiers[1].y = 300.0f;
  w.blue().soldiers[1].health = 1;
  resolveStrike(*w, StrikeSource::GreenSwing, 0);
  resolveStrike(*w, StrikeSource::GreenSwing, 1);
  resolveStrike(*w, StrikeSource::GreenSwing, 7);  // no such attacker
  EXPECT_EQ(w.blue().soldiers[1].health, 1);
  EXPECT_EQ(w.blue().soldiers[1].dead, 0);
  EXPECT_EQ(w.blue().soldiers[0].health, 10);
  EXPECT_EQ(a.struck + b.struck, 0);
  EXPECT_TRUE(w.sounds().empty());
}

TEST(StrikePass, StrokeLandsOncePerSwingAtTheStrikeFrame) {
  SoldierWorld w;
  Soldier& a = w.add(ArmyId::Green, 100.0f, 300.0f, 1);
  a.engaged = 1;
  a.target = 0;
  Soldier& t = w.add(ArmyId::Blue, 130.0f, 300.0f, 0);
  Soldier& swing = w.green().swings[0];
  swing.frame = 3;
  checkSwings(*w);
  EXPECT_EQ(t.health, 10);
  swing.frame = STRIKE_FRAME;
  checkSwings(*w);
  checkSwings(*w);
  EXPECT_EQ(t.health, 9);
  EXPECT_EQ(a.struck, 1);
  // The wound timer ran down in the same pass that set it, and again in the next.
  EXPECT_EQ(t.woundTimer, WOUND_STEPS - 2);
  checkSwings(*w);
  checkSwings(*w);
  EXPECT_EQ(t.woundTimer, 0);
  swing.frame = 0;
  checkSwings(*w);
  EXPECT_EQ(a.struck, 0);
  swing.frame = STRIKE_FRAME;
  checkSwings(*w);
  EXPECT_EQ(t.health, 8);
}

TEST(StrikePass, MissedStrokeIsTriedAgainEveryStep) {
  SoldierWorld w;
  Soldier& a = w.add(ArmyId::Green, 100.0f, 300.0f, 1);
  a.engaged = 1;
  a.target = 0;
  Soldier& t = w.add(ArmyId::Blue, 105.0f, 300.0f, 0);
  w.green().swings[0].frame = STRIKE_FRAME;
  checkSwings(*w);
  EXPECT_EQ(a.struck, 0);
  t.x = 111.0f;
  checkSwings(*w);
  EXPECT_EQ(t.health, 9);
}

TEST(StrikePass, GreenStrikesBeforeBlue) {
  SoldierWorld w;
  Soldier& g = w.add(ArmyId::Green, 100.0f, 300.0f, 1);
  Soldier& b = w.add(ArmyId::Blue, 130.0f, 300.0f, 0);
  g.engaged = b.engaged = 1;
  g.target = b.target = 0;
  g.health = b.health = 1;
  w.green().swings[0].frame = w.blue().swings[0].frame = STRIKE_FRAME;
  checkSwings(*w);
  EXPECT_EQ(w.blue().count, 0);
  EXPECT_EQ(w.green().count, 1);
  EXPECT_EQ(g.health, 1);
}

TEST(StrikePass, FlameSoldierLaunchesWhileItsFireArrayHasRoom) {
  SoldierWorld w;
  Soldier& a = w.add(ArmyId::Blue, 100.0f, 300.0f, 1, true);
  a.engaged = 1;
  a.target = 0;
  Soldier& t = w.add(ArmyId::Green, 130.0f, 300.0f, 0);
  w.blue().swings[0].frame = STRIKE_FRAME;
  w->blueFires.count = FIRE_CAPACITY;
  checkSwings(*w);
  EXPECT_EQ(a.struck, 0);  // full: nothing launched
  w->blueFires.count = FIRE_CAPACITY - 1;
  w->greenFires.count = FIRE_CAPACITY;  // the other army's array does not matter
  checkSwings(*w);
  EXPECT_EQ(a.struck, 1);
  EXPECT_EQ(t.health, 10);  // its sword hurts nobody
  EXPECT_TRUE(w.sounds().empty());
}

TEST(ToolPoint, HammerSetsTheHitPointFromTheMouseEvenForASwing) {
  SoldierWorld w;
  w->currentTool = Tool::Hammer;
  w.mouse.x = 640;
  w.mouse.y = 400;
  resolveStrike(*w, StrikeSource::GreenSwing, 0);
  EXPECT_EQ(w->hitX, 640);
  EXPECT_EQ(w->hitY, 420);
  EXPECT_EQ(std::vector<int32_t>(w->hitBox, w->hitBox + 4), (std::vector<int32_t>{30, 3, 10, 1}));
  w->currentTool = Tool::Rifle;
  w.mouse.x = 10;
  resolveStrike(*w, StrikeSource::ToolPoint, 99);
  EXPECT_EQ(w->hitX, 640);
  EXPECT_EQ(std::vector<int32_t>(w->hitBox, w->hitBox + 4), (std::vector<int32_t>{0, 0, 3, 0}));
  w->currentTool = Tool::BlueSoldier;
  w->hitBox[0] = 77;
  resolveStrike(*w, StrikeSource::BlueSwing, 0);
  EXPECT_EQ(w->hitBox[0], 77);
}

// Whether a hammer blow with the mouse at (200, 300) strikes down a soldier at (x, y).
bool hammerHits(float x, float y, uint8_t facing) {
  SoldierWorld w;
  w->currentTool = Tool::Hammer;
  w->hitSource = HitSource::Hammer;
  w.mouse.x = 200;
  w.mouse.y = 300;
  w.add(ArmyId::Green, x, y, facing);
  resolveStrike(*w, StrikeSource::ToolPoint, 99);
  return w.green().count == 0;
}

TEST(ToolPoint, HammerHitAreaBoundsAreInclusive) {
  // Hit point (200, 320), box (30, 3, 10, 1): across x + 7 - 30 .. x + 20, down y - 10 .. y + 41.
  EXPECT_TRUE(hammerHits(180.0f, 300.0f, 1));
  EXPECT_TRUE(hammerHits(223.0f, 300.0f, 1));
  EXPECT_FALSE(hammerHits(223.5f, 300.0f, 1));
  EXPECT_FALSE(hammerHits(179.5f, 300.0f, 1));
  EXPECT_TRUE(hammerHits(180.0f, 330.0f, 1));
  EXPECT_FALSE(hammerHits(180.0f, 330.5f, 1));
  EXPECT_TRUE(hammerHits(180.0f, 279.0f, 1));
  EXPECT_FALSE(hammerHits(180.0f, 278.5f, 1));
  // Facing left the area sits 15 further right.
  EXPECT_TRUE(hammerHits(165.0f, 300.0f, 0));
  EXPECT_FALSE(hammerHits(164.0f, 300.0f, 0));
  EXPECT_TRUE(hammerHits(208.0f, 300.0f, 0));
  EXPECT_FALSE(hammerHits(209.0f, 300.0f, 0));
}

TEST(ToolPoint, HammerStampsBloodAndCriesOut) {
  SoldierWorld w;
  const uint32_t blood = 0xFFAA0000u;
  w->bloodStainImage = solidImage(8, 8, blood);
  w->currentTool = Tool::Hammer;
  w->hitSource = HitSource::Hammer;
  w.mouse.x = 200;
  w.mouse.y = 300;
  w.add(ArmyId::Blue, 180.0f, 300.0f);
  resolveStrike(*w, StrikeSource::ToolPoint, 99);
  EXPECT_EQ(w.blue().count, 0);
  EXPECT_EQ(w.sounds(), (Sounds{{SoundSlot::Hi, 0}}));
  EXPECT_EQ(w.desktopPixel(201, 311), blood);  // stamped at (200, 310)
  EXPECT_EQ(w.desktopPixel(199, 311), DESKTOP_COLOUR);
}

TEST(ToolPoint, RifleShotStampsHeadBodyOrLegsPicture) {
  const uint32_t head = 0xFF110000u, bodyPart = 0xFF220000u, legs = 0xFF330000u;
  const struct {
    int32_t dy;  // hitY - y
    uint32_t picture;
    int32_t top;  // stamped at hitY - top
  } cases[] = {{-3, head, 5}, {6, head, 5}, {7, bodyPart, 15}, {25, bodyPart, 15}, {26, legs, 15}, {40, legs, 15}};
  for (const uint8_t facing : {uint8_t{1}, uint8_t{0}}) {
    for (const auto& k : cases) {
      SoldierWorld w;
      w.green().dyingImages[0] = solidImage(10, 10, head);
      w.green().dyingImages[1] = solidImage(10, 10, bodyPart);
      w.green().dyingImages[2] = solidImage(10, 10, legs);
      w->currentTool = Tool::Rifle;
      w->hitSource = HitSource::Rifle;
      w.add(ArmyId::Green, 300.0f, 200.0f, facing);
      w->hitX = facing == 1 ? 310 : 325;
      w->hitY = 200 + k.dy;
      resolveStrike(*w, StrikeSource::ToolPoint, 99);
      ASSERT_EQ(w.green().count, 0) << k.dy;
      const int32_t left = w->hitX - (facing == 1 ? 13 : 29);
      EXPECT_EQ(w.desktopPixel(left + 1, w->hitY - k.top + 1), k.picture) << k.dy << " " << int(facing);
      EXPECT_EQ(w.desktopPixel(left, w->hitY - k.top + 1), DESKTOP_COLOUR);
      EXPECT_EQ(w.sounds(), (Sounds{{SoundSlot::Hi, 0}}));
    }
  }
}

TEST(ToolPoint, SecondOfTwoNeighbouringSoldiersEscapesTheBlow) {
  SoldierWorld w;
  w->currentTool = Tool::Hammer;
  w->hitSource = HitSource::Hammer;
  w.mouse.x = 200;
  w.mouse.y = 300;
  for (int k = 0; k < 4; ++k) w.add(ArmyId::Green, 600.0f + 50.0f * k, 100.0f);
  w.add(ArmyId::Green, 180.0f, 300.0f);
  w.add(ArmyId::Green, 181.0f, 300.0f);
  w.add(ArmyId::Green, 182.0f, 300.0f);
  w.add(ArmyId::Blue, 183.0f, 300.0f);
  resolveStrike(*w, StrikeSource::ToolPoint, 99);
  // Slot 4 dies, 5 moves into 4 and is not looked at again, 6 moves to 5 and dies.
  ASSERT_EQ(w.green().count, 5);
  EXPECT_EQ(w.green().soldiers[4].x, 181.0f);
  EXPECT_EQ(w.blue().count, 0);  // the other army is struck in the same blow
}

TEST(FireBurn, KillsBothArmiesAndLeavesCharredBodies) {
  SoldierWorld w;
  const uint32_t charred = 0xFF202020u;
  w->charredBodyImage = solidImage(30, 30, charred);
  w->hitSource = HitSource::Fire;
  const int32_t box[4] = {8, 8, 8, 0};
  std::copy(box, box + 4, w->hitBox);
  w.add(ArmyId::Green, 100.0f, 200.0f, 1);
  w.add(ArmyId::Green, 102.0f, 200.0f, 1);  // the area starts at x + 1: just out of reach
  w.add(ArmyId::Green, 101.0f, 200.0f, 1);  // the point is at its left bound
  w.add(ArmyId::Blue, 80.0f, 200.0f, 0);    // facing left the area is 15 further right
  w->hitX = 102;
  w->hitY = 210;
  killInHitBox(*w);
  ASSERT_EQ(w.green().count, 1);
  EXPECT_EQ(w.green().soldiers[0].x, 102.0f);
  EXPECT_EQ(w.blue().count, 0);
  EXPECT_EQ(w.sounds(), (Sounds{{SoundSlot::Death, DEATH_LEVEL}, {SoundSlot::Death, DEATH_LEVEL},
                                {SoundSlot::Death, DEATH_LEVEL}}));
  EXPECT_EQ(w.desktopPixel(78, 191), charred);  // at (77, 190)
  EXPECT_EQ(w.desktopPixel(77, 195), DESKTOP_COLOUR);
  // Struck by anything but a fire: removed without a mark or a sound.
  w->hitSource = HitSource::Rifle;
  w->hitX = 110;
  killInHitBox(*w);
  EXPECT_EQ(w.green().count, 0);
  EXPECT_EQ(w.sounds().size(), 3u);
}

// The fields of soldier i of an army laid out for comparison.
struct Moved {
  float x, y, vx, vy;
  int32_t frame, health, target, swingFrame;
  uint8_t wandering, flame, facing, engaged, hasTarget;
  bool operator==(const Moved&) const = default;
};
Moved movedFields(const Army& a, int32_t i) {
  const Soldier& s = a.soldiers[i];
  return Moved{s.x,        s.y,           s.vx,     s.vy,          s.frame,      s.health, s.target,
               a.swings[i].frame, s.wandering, s.flameSoldier, s.facing, s.engaged, s.hasTarget};
}
struct Kept {
  int32_t tick, woundTimer, frameTime, barLength, swingTick, swingFrameTime;
  uint8_t dead, struck, swingFacing;
  float swingX;
  bool operator==(const Kept&) const = default;
};
Kept keptFields(const Army& a, int32_t i) {
  const Soldier& s = a.soldiers[i];
  const Soldier& w = a.swings[i];
  return Kept{s.tick, s.woundTimer, s.frameTime, s.barLength, w.tick, w.frameTime, s.dead, s.struck, w.facing, w.x};
}

TEST(Removal, RemovingSoldierThreeOfTenShiftsAndCorrectsTargets) {
  SoldierWorld w;
  for (int k = 0; k < 10; ++k) {
    Soldier& s = w.add(ArmyId::Green, 10.0f * k, 5.0f * k, k % 2, k % 3 == 0);
    s.vx = 0.1f * k;
    s.vy = -0.1f * k;
    s.frame = k;
    s.health = 10 - k % 4;
    s.wandering = k % 2;
    s.engaged = k % 3 == 1;
    s.hasTarget = 1;
    s.target = k % 4;
    s.tick = 100 + k;
    s.woundTimer = k % 3;
    s.frameTime = 3 + k;
    s.barLength = 200 + k;
    s.struck = k % 2;
    Soldier& swing = w.green().swings[k];
    swing.frame = k % 5;
    swing.tick = 50 + k;
    swing.x = 1000.0f + k;
    swing.facing = k % 2;
    swing.frameTime = 20 + k;
  }
  w.green().soldiers[5].dead = 1;  // stays with slot 5
  std::vector<Moved> moved;
  std::vector<Kept> kept;
  for (int k = 0; k <= 10; ++k) {
    moved.push_back(movedFields(w.green(), k));
    kept.push_back(keptFields(w.green(), k));
  }
  const struct {
    uint8_t hasTarget;
    int32_t target;
  } enemies[] = {{1, 7}, {1, 3}, {0, 8}, {1, 9}, {1, 2}, {1, 10}};
  for (const auto& e : enemies) {
    Soldier& s = w.add(ArmyId::Blue, 500.0f, 500.0f);
    s.hasTarget = e.hasTarget;
    s.target = e.target;
    s.engaged = 1;
    s.wandering = 1;
    s.vx = 1.5f;
    s.frame = 6;
  }
  removeSoldier(*w, ArmyId::Green, 3);
  ASSERT_EQ(w.green().count, 9);
  for (int k = 0; k < 3; ++k) EXPECT_TRUE(movedFields(w.green(), k) == moved[k]) << k;
  for (int k = 3; k <= 9; ++k) EXPECT_TRUE(movedFields(w.green(), k) == moved[k + 1]) << k;
  for (int k = 0; k <= 10; ++k) EXPECT_TRUE(keptFields(w.green(), k) == kept[k]) << k;
  // The vacated top slot holds the start-up values of everything that moves.
  EXPECT_EQ(w.green().soldiers[9].x, 50.0f);
  EXPECT_EQ(w.green().soldiers[9].target, NO_TARGET);
  EXPECT_EQ(w.green().soldiers[9].health, 10);

  const Army& blue = w.blue();
  EXPECT_EQ(blue.soldiers[0].target, 6);  // followed soldier 7 down
  EXPECT_EQ(blue.soldiers[1].target, NO_TARGET);  // was after soldier 3: left standing
  EXPECT_EQ(blue.soldiers[1].hasTarget, 0);
  EXPECT_EQ(blue.soldiers[1].engaged, 0);
  EXPECT_EQ(blue.soldiers[1].wandering, 0);
  EXPECT_EQ(blue.soldiers[1].vx, 0.0f);
  EXPECT_EQ(blue.soldiers[1].frame, 0);
  EXPECT_EQ(blue.soldiers[2].target, 8);  // no target held: the index is not corrected
  EXPECT_EQ(blue.soldiers[3].target, 8);
  EXPECT_EQ(blue.soldiers[4].target, 2);
  EXPECT_EQ(blue.soldiers[4].engaged, 1);
  EXPECT_EQ(blue.soldiers[5].target, 9);
}

TEST(Removal, LastSoldierIsResetInPlace) {
  SoldierWorld w;
  Soldier& s = w.add(ArmyId::Blue, 300.0f, 200.0f, 0);
  s.wandering = 1;
  s.frame = 9;
  s.engaged = 1;
  s.hasTarget = 1;
  s.target = 0;
  s.vx = 1.25f;
  w.blue().swings[0].frame = 3;
  Soldier& e = w.add(ArmyId::Green, 100.0f, 100.0f);
  e.hasTarget = 1;
  e.target = 0;
  removeSoldier(*w, ArmyId::Blue, 0);
  EXPECT_EQ(w.blue().count, 0);
  EXPECT_EQ(s.wandering, 0);
  EXPECT_EQ(s.facing, 1);
  EXPECT_EQ(s.frame, 0);
  EXPECT_EQ(s.engaged, 0);
  EXPECT_EQ(s.hasTarget, 0);
  EXPECT_EQ(s.target, NO_TARGET);
  EXPECT_EQ(w.blue().swings[0].frame, 0);
  EXPECT_EQ(s.x, 300.0f);  // the rest is left as it was
  EXPECT_EQ(s.vx, 1.25f);
  EXPECT_EQ(e.target, NO_TARGET);
  removeSoldier(*w, ArmyId::Blue, 0);  // nobody left: nothing happens
  removeSoldier(*w, ArmyId::Green, 1);
  EXPECT_EQ(w.blue().count, 0);
  EXPECT_EQ(w.green().count, 1);
}

TEST(Removal, FullArmyTakesTheCleanSpareSlotAndThe201stPlacementIsIgnored) {
  SoldierWorld w;
  for (int k = 0; k < 201; ++k) placeSoldier(*w, ArmyId::Green, true, 100 + k, 100, 0);
  ASSERT_EQ(w.green().count, ARMY_CAPACITY);
  EXPECT_EQ(w.green().soldiers[199].x, 254.0f);
  EXPECT_EQ(w.green().soldiers[200].x, 50.0f);  // the 201st click placed nothing
  removeSoldier(*w, ArmyId::Green, 0);
  EXPECT_EQ(w.green().count, 199);
  const Soldier& top = w.green().soldiers[199];
  EXPECT_EQ(top.x, 50.0f);
  EXPECT_EQ(top.y, 50.0f);
  EXPECT_EQ(top.flameSoldier, 0);
  EXPECT_EQ(top.facing, 1);
  EXPECT_EQ(top.target, NO_TARGET);
  placeSoldier(*w, ArmyId::Green, false, 100, 100, 1);
  EXPECT_EQ(w.green().soldiers[199].x, 55.0f);
  EXPECT_EQ(w.green().soldiers[199].y, 120.0f);
}

}  // namespace
}  // namespace mw::test
