// Sighting and movement: soldiers without an enemy look for one; each army pursues, wanders,
// swings and is drawn.
#include <cmath>

#include "soldiers/armies.h"
#include "world/world.h"

namespace mw {

namespace {

constexpr int32_t REAIM_RANGE = 200;   // a draw % 200 picks the wandering soldier that re-aims
constexpr int32_t TOGGLE_RANGE = 500;  // a draw % 500 picks the soldier that starts or stops
constexpr int32_t APPROACH_FRAME_TIME = 3;
constexpr int32_t SWORD_SWING_FRAME_TIME = 10;
constexpr int32_t FLAME_SWING_FRAME_TIME = 16;

// Whether a looker sees a candidate: a window ahead of it (mostly), 100 pixels up and down. All
// bounds are inclusive.
bool inSightWindow(const Soldier& looker, const Soldier& candidate) {
  const bool across = looker.facing == 1
                          ? looker.x + 15.0f <= candidate.x && candidate.x <= looker.x + 400.0f + 15.0f
                          : looker.x - 375.0f <= candidate.x && candidate.x <= looker.x + 25.0f;
  return across && looker.y - 100.0f <= candidate.y && candidate.y <= looker.y + 100.0f;
}

// A sword soldier must stand almost on its enemy; a flame soldier throws from afar.
bool inReach(const Soldier& s, const Soldier& e) {
  if (s.flameSoldier != 0) {
    return e.x - 270.0f <= s.x && s.x <= e.x + 270.0f && e.y - 44.0f <= s.y && s.y <= e.y + 44.0f;
  }
  return e.x - 14.0f <= s.x && s.x <= e.x + 14.0f && e.y - 2.0f <= s.y && s.y <= e.y + 2.0f;
}

// A wandering speed for one axis: -1.85 to 1.85 pixels per step in steps of 0.001.
float randomSpeed(RandomGenerator& random) { return static_cast<float>(random.next() % 3701) / 1000.0f - 1.85f; }

void newVelocity(Soldier& s, RandomGenerator& random) {
  s.vx = randomSpeed(random);
  s.vy = randomSpeed(random);
}

// One step toward the enemy, or into the fight when it is within reach.
void pursue(Soldier& s, Soldier& swing, Army& enemies) {
  const Soldier* e = liveSoldier(enemies, s.target);
  // An enemy above the screen is given up; so is a target index that names nobody.
  if (e == nullptr || e->y < 0.0f) {
    s.hasTarget = 0;
    return;
  }
  const bool reached = inReach(s, *e);
  s.engaged = reached ? 1 : 0;
  if (reached) return;
  swing.frame = 0;
  s.facing = s.x <= e->x + 10.0f ? 1 : 0;
  if (s.facing == 1) {
    if (s.x <= e->x - 14.0f) s.x = s.x + 1.0f;
  } else if (s.x > e->x + 14.0f) {
    s.x = s.x - 1.0f;
  }
  if (s.y <= e->y) s.y = s.y + 1.0f;
  if (s.y > e->y) s.y = s.y - 1.0f;
  s.frameTime = APPROACH_FRAME_TIME;
  advanceAnimation(s);
}

// Faster soldiers step their legs faster.
int32_t walkFrameTime(const Soldier& s) {
  const float a = std::fabs(s.vx);
  const float b = std::fabs(s.vy);
  if (a > 1.0f || b > 1.0f) return 3;
  if (a > 0.5f || b > 0.5f) return 4;
  return 6;
}

// A wanderer turns back at the edges. The right limit keeps 80 pixels clear, twice the sprite.
void bounce(Soldier& s, ScreenSize screen) {
  if (s.x < 1.0f) {
    s.x = 1.0f;
    s.vx = -s.vx;
  } else if (s.x + 80.0f > static_cast<float>(screen.width - 1)) {
    s.x = static_cast<float>(screen.width - 81);
    s.vx = -s.vx;
  }
  if (s.y < 0.0f) {
    s.y = 0.0f;
    s.vy = -s.vy;
  } else if (s.y + 40.0f > static_cast<float>(screen.height - 1)) {
    s.y = static_cast<float>(screen.height - 41);
    s.vy = -s.vy;
  }
}

void wander(Soldier& s, int32_t i, int32_t reaim, int32_t toggle, ScreenSize screen, RandomGenerator& random) {
  if (i == toggle) {
    if (s.wandering == 1) {
      s.wandering = 0;
      s.frame = 0;  // stands on the first walk frame
    } else {
      s.wandering = 1;
      newVelocity(s, random);
    }
  }
  if (i == reaim && s.wandering == 1 && s.engaged == 0) newVelocity(s, random);
  if (s.wandering == 1 && s.engaged == 0) {
    s.x = s.x + s.vx;
    s.y = s.y + s.vy;
    s.facing = s.vx >= 0.0f ? 1 : 0;
    s.frameTime = walkFrameTime(s);
    bounce(s, screen);
    advanceAnimation(s);
  }
}

void swing(Soldier& s, Soldier& w) {
  w.x = s.x;
  w.y = s.y;
  w.facing = s.facing;
  s.vx = 0.0f;
  s.vy = 0.0f;
  w.frameTime = s.flameSoldier != 0 ? FLAME_SWING_FRAME_TIME : SWORD_SWING_FRAME_TIME;
  advanceAnimation(w);
}

}  // namespace

void sightEnemies(World& world) {
  Army& green = world.green;
  Army& blue = world.blue;
  // Each soldier keeps the first enemy it finds: the one of lowest index in its window.
  for (int32_t g = 0; g < liveCount(green); ++g) {
    Soldier& gs = green.soldiers[g];
    for (int32_t b = 0; b < liveCount(blue); ++b) {
      Soldier& bs = blue.soldiers[b];
      if (gs.hasTarget == 0 && inSightWindow(gs, bs)) {
        gs.hasTarget = 1;
        gs.target = b;
      }
      if (bs.hasTarget == 0 && inSightWindow(bs, gs)) {
        bs.hasTarget = 1;
        bs.target = g;
      }
    }
  }
}

void updateArmy(World& world, ArmyId id) {
  // Both draws happen every update, even for an empty army, so the random sequence never depends
  // on the counts.
  const int32_t reaim = world.random.next() % REAIM_RANGE;
  const int32_t toggle = world.random.next() % TOGGLE_RANGE;
  Army& army = world.army(id);
  Army& enemies = world.army(otherArmy(id));
  for (int32_t i = 0; i < liveCount(army); ++i) {
    Soldier& s = army.soldiers[i];
    Soldier& w = army.swings[i];
    if (world.showStats == 1) drawHealthBar(world, id, i);
    // With the menu open or paused, soldiers stand frozen but are still drawn.
    if (world.menuOpen != 1 && world.paused != 1) {
      if (s.hasTarget == 1) pursue(s, w, enemies);
      if (s.hasTarget == 0) wander(s, i, reaim, toggle, world.session->screen, world.random);
      if (s.engaged == 1) swing(s, w);
    }
    drawSoldier(world, id, i);
  }
}

}  // namespace mw
