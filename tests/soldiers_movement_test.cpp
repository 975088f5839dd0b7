// Sighting and movement: the sighting windows, pursuit and reach, wandering, bouncing, frame times,
// the order of random draws and the order in which the armies move.
#include <gtest/gtest.h>

#include "tests/soldiers_world.h"
#include "tests/test_support.h"

namespace mw::test {
namespace {

// Whether a green soldier at (100, 300) with the given facing sights a lone blue soldier at (x, y).
bool greenSights(uint8_t facing, float x, float y) {
  SoldierWorld w;
  w.add(ArmyId::Green, 100.0f, 300.0f, facing);
  w.add(ArmyId::Blue, x, y, 1);
  sightEnemies(*w);
  return w.green().soldiers[0].hasTarget == 1;
}

TEST(Sighting, WindowAheadHasInclusiveBounds) {
  EXPECT_TRUE(greenSights(1, 115.0f, 300.0f));
  EXPECT_TRUE(greenSights(1, 515.0f, 300.0f));
  EXPECT_FALSE(greenSights(1, 114.0f, 300.0f));
  EXPECT_FALSE(greenSights(1, 516.0f, 300.0f));
  EXPECT_FALSE(greenSights(1, 90.0f, 300.0f));  // behind
  EXPECT_FALSE(greenSights(1, 114.99f, 300.0f));
  // Facing left the window runs from 375 behind-left to 25 right.
  EXPECT_TRUE(greenSights(0, -275.0f, 300.0f));
  EXPECT_TRUE(greenSights(0, 125.0f, 300.0f));
  EXPECT_TRUE(greenSights(0, 100.0f, 300.0f));
  EXPECT_FALSE(greenSights(0, -276.0f, 300.0f));
  EXPECT_FALSE(greenSights(0, 126.0f, 300.0f));
  // 100 pixels up or down, not 101.
  EXPECT_TRUE(greenSights(1, 200.0f, 200.0f));
  EXPECT_TRUE(greenSights(1, 200.0f, 400.0f));
  EXPECT_FALSE(greenSights(1, 200.0f, 199.0f));
  EXPECT_FALSE(greenSights(1, 200.0f, 401.0f));
}

TEST(Sighting, LowestIndexIsKeptAndTargetsAreNeverChanged) {
  SoldierWorld w;
  w.add(ArmyId::Green, 100.0f, 300.0f, 1);
  w.add(ArmyId::Green, 120.0f, 300.0f, 1);
  w.add(ArmyId::Blue, 400.0f, 300.0f, 1);  // behind the greens' backs... facing away from them
  w.add(ArmyId::Blue, 300.0f, 300.0f, 0);  // the nearer one, but of higher index
  w.add(ArmyId::Blue, 200.0f, 300.0f, 0);
  sightEnemies(*w);
  EXPECT_EQ(w.green().soldiers[0].target, 0);
  EXPECT_EQ(w.green().soldiers[1].target, 0);
  EXPECT_EQ(w.blue().soldiers[0].hasTarget, 0);  // faces right, away from them
  EXPECT_EQ(w.blue().soldiers[1].target, 0);     // both greens in its window: the lower index
  EXPECT_EQ(w.blue().soldiers[2].target, 0);
  // A soldier with a target keeps it, whoever comes into view.
  w.green().soldiers[1].target = 2;
  w.add(ArmyId::Blue, 130.0f, 300.0f, 0);
  sightEnemies(*w);
  EXPECT_EQ(w.green().soldiers[1].target, 2);
}

// One green soldier S pursuing blue soldier E at (200, 300); returns S after one army update.
Soldier pursueOnce(float sx, float sy, bool flame, uint8_t engaged = 0) {
  SoldierWorld w;
  Soldier& s = w.add(ArmyId::Green, sx, sy, 1, flame);
  s.hasTarget = 1;
  s.target = 0;
  s.engaged = engaged;
  w.add(ArmyId::Blue, 200.0f, 300.0f, 0);
  w.green().swings[0].frame = 3;
  updateArmy(*w, ArmyId::Green);
  Soldier out = s;
  out.sheet = nullptr;
  out.frameTime = s.engaged ? w.green().swings[0].frameTime : s.frameTime;
  out.tick = w.green().swings[0].frame;  // swing frame, for the tests below
  return out;
}

TEST(Pursuit, SwordReachIsFourteenAcrossAndTwoUpOrDown) {
  EXPECT_EQ(pursueOnce(214.0f, 302.0f, false).engaged, 1);
  EXPECT_EQ(pursueOnce(186.0f, 298.0f, false).engaged, 1);
  EXPECT_EQ(pursueOnce(215.0f, 300.0f, false).engaged, 0);
  EXPECT_EQ(pursueOnce(185.0f, 300.0f, false).engaged, 0);
  EXPECT_EQ(pursueOnce(200.0f, 303.0f, false).engaged, 0);
  EXPECT_EQ(pursueOnce(200.0f, 297.0f, false).engaged, 0);
}

TEST(Pursuit, FlameReachIsTwoHundredSeventyAcrossAndFortyFourUpOrDown) {
  EXPECT_EQ(pursueOnce(470.0f, 344.0f, true).engaged, 1);
  EXPECT_EQ(pursueOnce(-70.0f, 256.0f, true).engaged, 1);
  EXPECT_EQ(pursueOnce(471.0f, 300.0f, true).engaged, 0);
  EXPECT_EQ(pursueOnce(200.0f, 345.0f, true).engaged, 0);
}

TEST(Pursuit, ApproachFacesAndStepsByTheMargins) {
  // Right of the target by 12: turns left but is close enough across; only the height changes.
  Soldier s = pursueOnce(212.0f, 310.0f, false);
  EXPECT_EQ(s.facing, 0);
  EXPECT_EQ(s.x, 212.0f);
  EXPECT_EQ(s.y, 309.0f);
  // Right by 15: steps left.
  s = pursueOnce(215.0f, 300.0f, false);
  EXPECT_EQ(s.facing, 0);
  EXPECT_EQ(s.x, 214.0f);
  EXPECT_EQ(s.y, 300.0f);
  // Right by exactly 10 still faces right; by 10.5 faces left.
  EXPECT_EQ(pursueOnce(210.0f, 310.0f, false).facing, 1);
  EXPECT_EQ(pursueOnce(210.5f, 310.0f, false).facing, 0);
  // Left of the target: faces right and steps right while 14 or more away.
  s = pursueOnce(186.0f, 290.0f, false);
  EXPECT_EQ(s.facing, 1);
  EXPECT_EQ(s.x, 187.0f);
  EXPECT_EQ(s.y, 291.0f);
  s = pursueOnce(186.5f, 320.0f, false);
  EXPECT_EQ(s.x, 186.5f);
  // Less than a pixel above the target: moves down, then back up.
  s = pursueOnce(100.0f, 299.5f, false);
  EXPECT_EQ(s.y, 299.5f);
  s = pursueOnce(100.0f, 299.0f, false);
  EXPECT_EQ(s.y, 300.0f);
  // Approaching: walk frame time 3, swing back on frame 0, not engaged.
  s = pursueOnce(100.0f, 100.0f, false);
  EXPECT_EQ(s.frameTime, 3);
  EXPECT_EQ(s.tick, 0);
}

TEST(Pursuit, EngagedSoldierSwingsWithItsFrameTimeAndStopsDrifting) {
  SoldierWorld w;
  Soldier& s = w.add(ArmyId::Green, 190.0f, 300.0f, 1, false);
  s.hasTarget = 1;
  s.target = 0;
  s.wandering = 1;
  s.vx = 1.5f;
  s.vy = -1.0f;
  w.add(ArmyId::Blue, 200.0f, 300.0f, 0);
  Soldier& swing = w.green().swings[0];
  for (int k = 0; k < 10; ++k) updateArmy(*w, ArmyId::Green);
  EXPECT_EQ(s.engaged, 1);
  EXPECT_EQ(s.x, 190.0f);
  EXPECT_EQ(s.vx, 0.0f);
  EXPECT_EQ(s.vy, 0.0f);
  EXPECT_EQ(swing.x, 190.0f);
  EXPECT_EQ(swing.facing, 1);
  EXPECT_EQ(swing.frameTime, 10);
  EXPECT_EQ(swing.frame, 1);  // 10 steps a frame: a stroke of 5 frames takes 50 steps
  EXPECT_EQ(swing.tick, 0);
  for (int k = 0; k < 40; ++k) updateArmy(*w, ArmyId::Green);
  EXPECT_EQ(swing.frame, 0);
  s.flameSoldier = 1;
  updateArmy(*w, ArmyId::Green);
  EXPECT_EQ(swing.frameTime, 16);
}

TEST(Pursuit, TargetAboveTheScreenIsGivenUp) {
  SoldierWorld w;
  Soldier& s = w.add(ArmyId::Green, 100.0f, 100.0f, 1);
  s.hasTarget = 1;
  s.target = 0;
  w.add(ArmyId::Blue, 300.0f, -0.5f);
  updateArmy(*w, ArmyId::Green);
  EXPECT_EQ(s.hasTarget, 0);
  EXPECT_EQ(s.x, 100.0f);
  EXPECT_EQ(s.target, 0);  // the index is left as it was
}

TEST(Pursuit, TargetIndexNamingNobodyIsGivenUpSafely) {
  SoldierWorld w;
  Soldier& a = w.add(ArmyId::Green, 100.0f, 100.0f, 1);
  a.hasTarget = 1;
  a.target = NO_TARGET;
  Soldier& b = w.add(ArmyId::Green, 100.0f, 200.0f, 1);
  b.hasTarget = 1;
  b.target = 3;  // past the blue count
  w.add(ArmyId::Blue, 900.0f, 600.0f);
  updateArmy(*w, ArmyId::Green);
  EXPECT_EQ(a.hasTarget, 0);
  EXPECT_EQ(b.hasTarget, 0);
  EXPECT_EQ(a.x, 100.0f);
  EXPECT_EQ(b.x, 100.0f);
}

TEST(Wandering, FrameTimeFollowsTheSpeed) {
  const struct {
    float vx, vy;
    int32_t frameTime;
  } cases[] = {{0.4f, -0.6f, 4}, {1.2f, 0.0f, 3}, {0.3f, 0.3f, 6},  {0.5f, -0.5f, 6},
               {0.0f, -1.0f, 4}, {-1.001f, 0.0f, 3}, {0.501f, 0.0f, 4}};
  for (const auto& k : cases) {
    SoldierWorld w;
    Soldier& s = w.add(ArmyId::Blue, 300.0f, 300.0f);
    s.wandering = 1;
    s.vx = k.vx;
    s.vy = k.vy;
    std::srand(1);  // keeps the draws away from index 0: checked below
    updateArmy(*w, ArmyId::Blue);
    EXPECT_EQ(s.frameTime, k.frameTime) << k.vx << "," << k.vy;
    EXPECT_EQ(s.x, 300.0f + k.vx);
    EXPECT_EQ(s.facing, k.vx >= 0.0f ? 1 : 0);
  }
  const std::vector<int> draws = randomValues(1, 2);
  ASSERT_NE(draws[0] % 200, 0);
  ASSERT_NE(draws[1] % 500, 0);
}

// One wandering step of a lone soldier at (x, y) with velocity (vx, vy) on a 640 x 480 screen.
Soldier wanderOnce(float x, float y, float vx, float vy) {
  SoldierWorld w(640, 480);
  Soldier& s = w.add(ArmyId::Green, x, y);
  s.wandering = 1;
  s.vx = vx;
  s.vy = vy;
  std::srand(1);
  updateArmy(*w, ArmyId::Green);
  Soldier out = s;
  out.sheet = nullptr;
  return out;
}

TEST(Wandering, BouncesAtTheEdgeLimits) {
  Soldier s = wanderOnce(1.5f, 100.0f, -1.0f, 0.0f);
  EXPECT_EQ(s.x, 1.0f);
  EXPECT_EQ(s.vx, 1.0f);
  EXPECT_EQ(s.facing, 0);  // a bounce does not turn it; the next step does
  s = wanderOnce(2.0f, 100.0f, -1.0f, 0.0f);
  EXPECT_EQ(s.x, 1.0f);
  EXPECT_EQ(s.vx, -1.0f);
  // The right limit keeps 80 pixels clear: x + 80 may reach 639 but not pass it.
  s = wanderOnce(558.5f, 100.0f, 0.5f, 0.0f);
  EXPECT_EQ(s.x, 559.0f);
  EXPECT_EQ(s.vx, 0.5f);
  s = wanderOnce(559.0f, 100.0f, 0.5f, 0.0f);
  EXPECT_EQ(s.x, 559.0f);
  EXPECT_EQ(s.vx, -0.5f);
  s = wanderOnce(580.0f, 100.0f, 0.5f, 0.0f);  // beyond 40 from the edge: still put back
  EXPECT_EQ(s.x, 559.0f);
  s = wanderOnce(100.0f, 0.5f, 0.0f, -1.0f);
  EXPECT_EQ(s.y, 0.0f);
  EXPECT_EQ(s.vy, 1.0f);
  s = wanderOnce(100.0f, 438.5f, 0.0f, 0.5f);
  EXPECT_EQ(s.y, 439.0f);
  EXPECT_EQ(s.vy, 0.5f);
  s = wanderOnce(100.0f, 439.0f, 0.0f, 0.5f);
  EXPECT_EQ(s.y, 439.0f);
  EXPECT_EQ(s.vy, -0.5f);
}

TEST(Wandering, ApproachingSoldiersAreNotClamped) {
  SoldierWorld w(640, 480);
  Soldier& s = w.add(ArmyId::Green, 0.5f, -3.0f, 0);
  s.hasTarget = 1;
  s.target = 0;
  w.add(ArmyId::Blue, -100.0f, 0.0f);
  updateArmy(*w, ArmyId::Green);
  EXPECT_EQ(s.x, -0.5f);
  EXPECT_EQ(s.y, -2.0f);
}

// The seed whose first two draws give M = m and N = n is searched for; then the draws go on.
unsigned seedFor(int m, int n) {
  for (unsigned seed = 1; seed < 2000000; ++seed) {
    const std::vector<int> d = randomValues(seed, 2);
    if (d[0] % 200 == m && d[1] % 500 == n) return seed;
  }
  ADD_FAILURE() << "no seed for " << m << "," << n;
  return 0;
}

TEST(Wandering, ToggleStartsWithVelocityDrawnXThenY) {
  SoldierWorld w;
  for (int k = 0; k < 3; ++k) w.add(ArmyId::Green, 300.0f, 300.0f);
  const unsigned seed = seedFor(150, 2);
  const std::vector<int> d = randomValues(seed, 4);
  const float vx = static_cast<float>(d[2] % 3701) / 1000.0f - 1.85f;
  const float vy = static_cast<float>(d[3] % 3701) / 1000.0f - 1.85f;
  updateArmy(*w, ArmyId::Green);
  const Soldier& s = w.green().soldiers[2];
  EXPECT_EQ(s.wandering, 1);
  EXPECT_EQ(s.vx, vx);
  EXPECT_EQ(s.vy, vy);
  EXPECT_EQ(s.x, 300.0f + vx);
  EXPECT_EQ(w.green().soldiers[0].wandering, 0);
  EXPECT_EQ(w.green().soldiers[1].wandering, 0);
}

TEST(Wandering, ToggleStopsAWandererOnFrameZero) {
  SoldierWorld w;
  w.add(ArmyId::Blue, 300.0f, 300.0f);
  Soldier& s = w.add(ArmyId::Blue, 300.0f, 300.0f);
  s.wandering = 1;
  s.vx = 1.0f;
  s.frame = 5;
  std::srand(seedFor(150, 1));
  updateArmy(*w, ArmyId::Blue);
  EXPECT_EQ(s.wandering, 0);
  EXPECT_EQ(s.frame, 0);
  EXPECT_EQ(s.x, 300.0f);
}

TEST(Wandering, ReaimReplacesTheVelocityOfAWanderer) {
  SoldierWorld w;
  Soldier& s = w.add(ArmyId::Green, 300.0f, 300.0f);
  const unsigned seed = seedFor(0, 0);  // toggled on and re-aimed in the same step
  const std::vector<int> d = randomValues(seed, 6);
  updateArmy(*w, ArmyId::Green);
  EXPECT_EQ(s.vx, static_cast<float>(d[4] % 3701) / 1000.0f - 1.85f);
  EXPECT_EQ(s.vy, static_cast<float>(d[5] % 3701) / 1000.0f - 1.85f);
  // An engaged wanderer is not re-aimed.
  SoldierWorld v;
  Soldier& e = v.add(ArmyId::Green, 300.0f, 300.0f);
  e.wandering = 1;
  e.engaged = 1;
  e.vx = 0.25f;
  std::srand(seedFor(0, 7));
  updateArmy(*v, ArmyId::Green);
  EXPECT_EQ(e.vx, 0.0f);  // zeroed by the swing, not re-drawn
  EXPECT_EQ(v.green().swings[0].tick, 1);
}

TEST(Wandering, SoldierWithATargetIsNeitherToggledNorReaimed) {
  SoldierWorld w;
  Soldier& s = w.add(ArmyId::Green, 300.0f, 300.0f);
  s.hasTarget = 1;
  s.target = 0;
  w.add(ArmyId::Blue, 300.0f, 300.0f);
  std::srand(seedFor(0, 0));
  updateArmy(*w, ArmyId::Green);
  EXPECT_EQ(s.wandering, 0);
  EXPECT_EQ(s.engaged, 1);
}

TEST(ArmyUpdate, DrawsMThenNEvenForAnEmptyArmy) {
  SoldierWorld w;
  const std::vector<int> d = randomValues(42, 3);
  updateArmy(*w, ArmyId::Green);
  EXPECT_EQ(std::rand(), d[2]);
  // With soldiers but nothing to toggle or re-aim, still exactly two draws.
  w.add(ArmyId::Green, 300.0f, 300.0f).hasTarget = 0;
  const unsigned seed = seedFor(7, 9);
  const std::vector<int> e = randomValues(seed, 3);
  updateArmy(*w, ArmyId::Green);
  EXPECT_EQ(std::rand(), e[2]);
}

TEST(ArmyUpdate, PausedOrMenuOpenFreezesButDrawsAndSightingGoesOn) {
  for (int which = 0; which < 2; ++which) {
    SoldierWorld w;
    (which == 0 ? w->paused : w->menuOpen) = 1;
    Soldier& s = w.add(ArmyId::Green, 300.0f, 300.0f);
    s.wandering = 1;
    s.vx = 1.0f;
    s.health = 2;
    w.add(ArmyId::Blue, 500.0f, 300.0f, 0);
    sightEnemies(*w);
    EXPECT_EQ(s.hasTarget, 1);
    std::srand(seedFor(0, 0));
    updateArmy(*w, ArmyId::Green);
    EXPECT_EQ(s.x, 300.0f);
    EXPECT_EQ(s.tick, 0);
    EXPECT_EQ(s.barLength, 20);
    EXPECT_EQ(w.pixel(320, 320), GREEN_WALK);
    EXPECT_EQ(w.pixel(305, 297), 0xFFFF0000u);  // the red bar
  }
}

TEST(ArmyUpdate, AnimationAdvancesByTheRecordsOwnFrameTime) {
  SpriteSheet sheet;
  sheet.frameCount = 13;
  sheet.ticksPerFrame = 4;
  Soldier r;
  r.sheet = &sheet;
  r.frameTime = 3;
  r.frame = 12;
  r.tick = 1;
  advanceAnimation(r);
  EXPECT_EQ(sheet.ticksPerFrame, 3);
  EXPECT_EQ(r.tick, 2);
  advanceAnimation(r);
  EXPECT_EQ(r.frame, 0);  // wraps around the strip
  EXPECT_EQ(r.tick, 0);
  SpriteSheet empty;
  r.sheet = &empty;
  advanceAnimation(r);  // a sheet without frames does not divide by zero
  r.sheet = nullptr;
  advanceAnimation(r);
}

TEST(ArmyUpdate, HigherIndexIsDrawnOverLower) {
  SoldierWorld w;
  w.add(ArmyId::Green, 300.0f, 300.0f).frame = 1;
  w.add(ArmyId::Green, 310.0f, 300.0f).frame = 2;
  std::srand(seedFor(150, 400));
  updateArmy(*w, ArmyId::Green);
  EXPECT_EQ(w.pixel(320, 320), GREEN_WALK + 2);
  EXPECT_EQ(w.pixel(305, 320), GREEN_WALK + 1);
}

// The frame step: sighting, then one draw chooses which army moves (and is drawn) first.
TEST(FrameStep, EvenDrawMovesGreenFirstAndDrawsBlueOverIt) {
  for (const bool even : {true, false}) {
    SimRun run(320, 200, 1);
    World& world = run.sim->world();
    solidSheet(world.green.walkSheet, 13, GREEN_WALK);
    solidSheet(world.blue.walkSheet, 13, BLUE_WALK);
    // Back to back on one spot: neither sees the other, both stand still.
    run.run("place green sword 145 80\nplace blue sword 145 80\nstep 1");
    unsigned seed = 1;
    while ((randomValues(seed, 1)[0] % 2 == 0) != even) ++seed;
    std::srand(seed);
    run.run("step 1");
    const std::vector<uint32_t>& frame = run.sim->platform().lastFrame();
    const uint32_t shown = frame[static_cast<size_t>(120) * 320 + 120];
    EXPECT_EQ(shown, even ? BLUE_WALK : GREEN_WALK) << even;
  }
}

}  // namespace
}  // namespace mw::test
