// Sighting and movement: the sighting windows, reach and approach, wandering and its bounce, frame
// times, the order of the random draws, and the order in which the armies move.
#include <gtest/gtest.h>

#include "tests/soldiers_world.h"
#include "tests/test_support.h"

namespace mw::test {
namespace {

TEST(Sighting, WindowBoundsAreInclusiveAndTheLowestIndexIsKept) {
  // A green soldier at (100, 300) and one blue soldier at (x, y).
  const struct {
    uint8_t facing;
    float x, y;
    bool seen;
  } cases[] = {{1, 115, 300, true},   {1, 515, 300, true},  {1, 114, 300, false},  {1, 516, 300, false},
               {1, 90, 300, false},   {0, -275, 300, true}, {0, 125, 300, true},   {0, -276, 300, false},
               {0, 126, 300, false},  {1, 200, 200, true},  {1, 200, 400, true},   {1, 200, 199, false},
               {1, 200, 401, false},  {0, 100, 400, true},  {1, 114.99f, 300, false}};
  for (const auto& k : cases) {
    SoldierWorld w;
    w.add(ArmyId::Green, 100.0f, 300.0f, k.facing);
    w.add(ArmyId::Blue, k.x, k.y);
    sightEnemies(*w);
    EXPECT_EQ(w.green().soldiers[0].hasTarget == 1, k.seen) << int(k.facing) << " " << k.x << "," << k.y;
  }
  SoldierWorld w;
  w.add(ArmyId::Green, 100.0f, 300.0f, 1);
  w.add(ArmyId::Green, 120.0f, 300.0f, 1);
  w.add(ArmyId::Blue, 400.0f, 300.0f, 1);  // looks away from the greens
  w.add(ArmyId::Blue, 200.0f, 300.0f, 0);  // nearer, but of higher index
  sightEnemies(*w);
  EXPECT_EQ(w.green().soldiers[1].target, 0);
  EXPECT_EQ(w.blue().soldiers[0].hasTarget, 0);
  EXPECT_EQ(w.blue().soldiers[1].target, 0);
  // A soldier with a target keeps it.
  w.green().soldiers[1].target = 1;
  sightEnemies(*w);
  EXPECT_EQ(w.green().soldiers[1].target, 1);
}

TEST(Pursuit, ReachAndApproachNearTheTarget) {
  // A green soldier at (sx, sy) goes for a blue one at (200, 300) for one army update.
  const struct {
    float sx, sy;
    bool flame;
    uint8_t engaged, facing;
    float x, y;  // afterwards
  } cases[] = {
      {214, 302, false, 1, 1, 214, 302},   {186, 298, false, 1, 1, 186, 298},  // sword: 14 across, 2 up or down
      {215, 300, false, 0, 0, 214, 300},   {185, 300, false, 0, 1, 186, 300},  {200, 303, false, 0, 1, 200, 302},
      {470, 344, true, 1, 1, 470, 344},    {-70, 256, true, 1, 1, -70, 256},   // flame: 270 across, 44 up or down
      {471, 300, true, 0, 0, 470, 300},    {200, 345, true, 0, 1, 200, 344},
      {212, 310, false, 0, 0, 212, 309},   // right by 12: faces left, close enough across
      {210, 310, false, 0, 1, 210, 309},   {210.5f, 310, false, 0, 0, 210.5f, 309},
      {186, 290, false, 0, 1, 187, 291},   {186.5f, 320, false, 0, 1, 186.5f, 319}, {100, 299.5f, false, 0, 1, 101, 299.5f},  // under a pixel: down, then up
      {100, 299, false, 0, 1, 101, 300},   {0.5f, -30, false, 0, 1, 1.5f, -29},  // never clamped to the screen
  };
  for (const auto& k : cases) {
    SoldierWorld w;
    Soldier& s = w.hunter(ArmyId::Green, k.sx, k.sy, 1, 0, k.flame);
    w.add(ArmyId::Blue, 200.0f, 300.0f, 0);
    w.green().swings[0].frame = 3;
    updateArmy(*w, ArmyId::Green);
    EXPECT_EQ(s.engaged, k.engaged) << k.sx << "," << k.sy;
    EXPECT_EQ(s.facing, k.facing) << k.sx << "," << k.sy;
    EXPECT_EQ(s.x, k.x) << k.sx << "," << k.sy;
    EXPECT_EQ(s.y, k.y) << k.sx << "," << k.sy;
    if (!k.engaged) {
      EXPECT_EQ(s.frameTime, 3);
      EXPECT_EQ(w.green().swings[0].frame, 0);
    }
  }
}

TEST(Pursuit, EngagedSoldiersSwingAtTheirOwnPace) {
  SoldierWorld w;
  Soldier& s = w.hunter(ArmyId::Green, 190.0f, 300.0f, 0, 0);  // in reach: keeps facing left
  s.wandering = 1;
  s.vx = 1.5f;
  w.add(ArmyId::Blue, 200.0f, 300.0f, 0);
  const Soldier& swing = w.green().swings[0];
  for (int k = 0; k < 10; ++k) updateArmy(*w, ArmyId::Green);
  EXPECT_EQ(s.vx, 0.0f);
  EXPECT_EQ(s.x, 190.0f);
  EXPECT_EQ(std::tie(swing.x, swing.y, swing.facing), std::make_tuple(190.0f, 300.0f, uint8_t{0}));
  EXPECT_EQ(swing.frame, 1);  // 10 steps a frame for a sword: 50 a stroke
  for (int k = 0; k < 40; ++k) updateArmy(*w, ArmyId::Green);
  EXPECT_EQ(swing.frame, 0);
  s.flameSoldier = 1;
  updateArmy(*w, ArmyId::Green);
  EXPECT_EQ(swing.frameTime, 16);
}

TEST(Pursuit, TargetsAboveTheScreenOrNamingNobodyAreGivenUp) {
  SoldierWorld w;
  Soldier& above = w.hunter(ArmyId::Green, 100.0f, 100.0f, 1, 0);
  Soldier& none = w.hunter(ArmyId::Green, 100.0f, 200.0f, 1, NO_TARGET);
  Soldier& gone = w.hunter(ArmyId::Green, 100.0f, 300.0f, 1, 3);  // past the blue count
  w.add(ArmyId::Blue, 300.0f, -0.5f);
  seedForDraws(w->random, 150, 400);
  updateArmy(*w, ArmyId::Green);
  for (const Soldier* s : {&above, &none, &gone}) {
    EXPECT_EQ(s->hasTarget, 0);
    EXPECT_EQ(s->x, 100.0f);
  }
  EXPECT_EQ(above.target, 0);  // the index itself is left
}

TEST(Wandering, FrameTimeFollowsSpeedAndTheEdgesBounce) {
  // One step of a lone wanderer on a 640 x 480 screen.
  const struct {
    float x, y, vx, vy;
    int32_t frameTime;
    float x2, y2, vx2, vy2;
  } cases[] = {
      {300, 300, 0.4f, -0.6f, 4, 300.4f, 299.4f, 0.4f, -0.6f}, {300, 300, 1.2f, 0, 3, 301.2f, 300, 1.2f, 0},
      {300, 300, 0.3f, 0.3f, 6, 300.3f, 300.3f, 0.3f, 0.3f},   {300, 300, 0.5f, -0.5f, 6, 300.5f, 299.5f, 0.5f, -0.5f},
      {300, 300, 0, -1.0f, 4, 300, 299, 0, -1.0f},             {300, 300, -1.001f, 0, 3, 298.999f, 300, -1.001f, 0},
      {1.5f, 100, -1.0f, 0, 4, 1, 100, 1.0f, 0},               {2, 100, -1.0f, 0, 4, 1, 100, -1.0f, 0},
      {558.5f, 100, 0.5f, 0, 6, 559, 100, 0.5f, 0},            {559, 100, 0.5f, 0, 6, 559, 100, -0.5f, 0},  // 80, not 40
      {100, 0.5f, 0, -1.0f, 4, 100, 0, 0, 1.0f},               {100, 438.5f, 0, 0.5f, 6, 100, 439, 0, 0.5f},
      {100, 439, 0, 0.5f, 6, 100, 439, 0, -0.5f},
  };
  for (const auto& k : cases) {
    SoldierWorld w;
    Soldier& s = w.add(ArmyId::Blue, k.x, k.y);
    s.wandering = 1;
    s.vx = k.vx;
    s.vy = k.vy;
    seedForDraws(w->random, 150, 400);
    updateArmy(*w, ArmyId::Blue);
    EXPECT_EQ(s.frameTime, k.frameTime) << k.vx << "," << k.vy;
    EXPECT_EQ(s.x, k.x2) << k.x;
    EXPECT_EQ(s.y, k.y2) << k.y;
    EXPECT_EQ(s.vx, k.vx2) << k.x;
    EXPECT_EQ(s.vy, k.vy2) << k.y;
    EXPECT_EQ(s.facing, k.vx >= 0.0f ? 1 : 0);  // a bounce does not turn it
  }
}

TEST(Wandering, DrawsComeMThenNAndVxThenVy) {
  SoldierWorld w;
  const std::vector<int> d = randomValues(w->random, 42, 3);
  updateArmy(*w, ArmyId::Green);  // an empty army still draws M and N
  EXPECT_EQ(w->random.next(), d[2]);

  for (int k = 0; k < 3; ++k) w.add(ArmyId::Green, 300.0f, 300.0f);
  seedForDraws(w->random, 150, 2);  // N picks soldier 2: it starts wandering, vx drawn before vy
  w->random.next();  // M
  w->random.next();  // N
  const float vx = speedOf(w->random.next()), vy = speedOf(w->random.next());
  seedForDraws(w->random, 150, 2);
  updateArmy(*w, ArmyId::Green);
  const Soldier& s = w.green().soldiers[2];
  EXPECT_EQ(s.wandering, 1);
  EXPECT_EQ(s.vx, vx);
  EXPECT_EQ(s.vy, vy);
  EXPECT_EQ(w.green().soldiers[1].wandering, 0);

  seedForDraws(w->random, 2, 150);  // M picks it: a new velocity replaces the old one
  w->random.next();  // M
  w->random.next();  // N
  const float vx2 = speedOf(w->random.next()), vy2 = speedOf(w->random.next());
  seedForDraws(w->random, 2, 150);
  updateArmy(*w, ArmyId::Green);
  EXPECT_EQ(s.vx, vx2);
  EXPECT_EQ(s.vy, vy2);

  w.green().soldiers[2].frame = 5;
  seedForDraws(w->random, 150, 2);  // N again: it stops on the first walk frame
  updateArmy(*w, ArmyId::Green);
  EXPECT_EQ(s.wandering, 0);
  EXPECT_EQ(s.frame, 0);

  // An engaged wanderer is not re-aimed; a soldier with a target is not toggled.
  w.green().soldiers[0].wandering = 1;
  w.green().soldiers[0].engaged = 1;
  w.hunter(ArmyId::Green, 300.0f, 300.0f, 1, 0);
  w.add(ArmyId::Blue, 300.0f, 300.0f);
  seedForDraws(w->random, 0, 3);
  updateArmy(*w, ArmyId::Green);
  EXPECT_EQ(w.green().soldiers[0].vx, 0.0f);
  EXPECT_EQ(w.green().soldiers[3].wandering, 0);
}

TEST(ArmyUpdate, PausedOrMenuOpenFreezesSoldiersButDrawsThem) {
  for (const bool menu : {false, true}) {
    SoldierWorld w;
    (menu ? w->menuOpen : w->paused) = 1;
    Soldier& s = w.add(ArmyId::Green, 300.0f, 300.0f);
    s.wandering = 1;
    s.vx = 1.0f;
    s.health = 2;
    w.add(ArmyId::Blue, 500.0f, 300.0f, 0);
    sightEnemies(*w);
    EXPECT_EQ(s.hasTarget, 1);
    updateArmy(*w, ArmyId::Green);
    EXPECT_EQ(s.x, 300.0f);
    EXPECT_EQ(s.tick, 0);
    EXPECT_EQ(w.pixel(320, 320), GREEN_WALK);
    EXPECT_EQ(w.pixel(305, 297), 0xFFFF0000u);  // the red bar
  }
  // A sheet without frames does not stop an animation from advancing safely.
  SpriteSheet empty;
  Soldier r;
  r.sheet = &empty;
  r.frameTime = 1;
  advanceAnimation(r);
  EXPECT_EQ(r.frame, 0);
}

TEST(FrameStep, EvenDrawMovesGreenFirstSoBlueIsDrawnOverIt) {
  for (const bool even : {true, false}) {
    SimRun run(320, 200, 1);
    World& world = run.sim->world();
    solidSheet(world.green.walkSheet, 13, GREEN_WALK);
    solidSheet(world.blue.walkSheet, 13, BLUE_WALK);
    // Back to back on one spot: neither sees the other.
    run.run("place green sword 145 80\nplace blue sword 145 80\nstep 1");
    unsigned seed = 1;
    while ((randomValues(world.random, seed, 1)[0] % 2 == 0) != even) ++seed;
    run.run("step 1");
    EXPECT_EQ(run.sim->platform().lastFrame()[120 * 320 + 120], even ? BLUE_WALK : GREEN_WALK) << even;
  }
}

}  // namespace
}  // namespace mw::test
