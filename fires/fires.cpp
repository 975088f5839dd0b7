// Fires: start state, soldiers' fires, the advance of an array and the burning loop.
#include "fires/fires.h"

#include <cmath>

#include "audio/sound_bank.h"
#include "gfx/compositing.h"
#include "gfx/images.h"
#include "soldiers/combat.h"
#include "soldiers/armies.h"
#include "world/world.h"

namespace mw {

namespace {

constexpr HitBox FIRE_HIT_BOX = {8, 8, 8, 0};

bool offScreen(const Fire& fire, ScreenSize screen) {
  return fire.x < -90.0f || fire.y < -90.0f || fire.x > static_cast<float>(screen.width) ||
         fire.y > static_cast<float>(screen.height);
}

// Takes fire i out: later fires move down one slot, each slot keeping its sheet and frame tick.
void removeFire(FireArray& fires, int32_t i) {
  if (fires.count == 1) {
    fires.fires[i].age = 0;
    fires.fires[i].scorchTick = 0;
  } else {
    for (int32_t m = i; m + 1 < fires.count; ++m) {
      Fire& to = fires.fires[m];
      const Fire& from = fires.fires[m + 1];
      to.x = from.x;
      to.y = from.y;
      to.vx = from.vx;
      to.vy = from.vy;
      to.frame = from.frame;
      to.age = from.age;
      to.scorchTick = from.scorchTick;
    }
  }
  fires.count = fires.count - 1;
}

// One step of a running fire: move, burn whoever stands at its hit point, scorch, die.
void moveFire(World& world, FireArray& fires, int32_t i, const SoldierBounds bounds[2]) {
  Fire& fire = fires.fires[i];
  fire.x = fire.x + fire.vx;
  fire.y = fire.y + fire.vy;
  fire.age = fire.age + 1;
  fire.scorchTick = fire.scorchTick + 1;
  const Strike burn{pixelOf(fire.x + 90.0f), pixelOf(fire.y + 50.0f), FIRE_HIT_BOX, HitSource::Fire};
  if (fire.scorchTick == SCORCH_STEPS) {
    stampOriented(pixelOf(fire.x + 75.0f), pixelOf(fire.y + 54.0f), world.scorchImage, world.desktop, world.session->screen,
                  world.random.next() % 8);
    fire.scorchTick = 0;
  }
  killInHitBox(world, burn, bounds);
  if (fire.age == FIRE_MAX_AGE || offScreen(fire, world.session->screen)) removeFire(fires, i);
}

}  // namespace

void drawFlame(World& world, const Fire& fire) {
  const SpriteSheet* sheet = fire.sheet;
  if (sheet == nullptr || fire.frame < 0 || fire.frame >= static_cast<int32_t>(sheet->frames.size())) return;
  blendImage(world.canvas(), pixelOf(fire.x) + 45, pixelOf(fire.y) - 10, sheet->frames[fire.frame]);
}

void animateFlame(World& world, Fire& fire) {
  stepAnimation(fire.sheet, static_cast<int32_t>(world.fireFrameTime), fire.frame, fire.frameTick);
}

void resetFires(World& world) {
  world.lighterFlame = Fire{};
  world.lighterFlame.sheet = &world.lighterFlameSheet;
  world.lighterFlame.frame = world.random.next() % world.lighterFlameSheet.frameCount;
  FireArray* arrays[3] = {&world.lighterFires, &world.greenFires, &world.blueFires};
  SpriteSheet* sheets[3] = {&world.orangeFlameSheet, &world.blueFlameSheet, &world.purpleFlameSheet};
  // Record by record across the three arrays: one draw per slot per array, in that order.
  for (int32_t i = 0; i < FIRE_SLOTS; ++i) {
    for (int a = 0; a < 3; ++a) {
      Fire& f = arrays[a]->fires[i];
      f = Fire{};
      f.sheet = sheets[a];
      f.frame = world.random.next() % 4;
      f.x = 50.0f;
      f.y = 0.0f;
    }
  }
  for (FireArray* fires : arrays) fires->count = 0;
}

void advanceFires(World& world, FireArray& fires) {
  const bool running = world.menuOpen == 0 && world.paused == 0;
  // Nobody moves during the pass, and a burnt soldier only leaves: bounds found now hold for it.
  SoldierBounds bounds[2];
  if (running) findSoldierBounds(world, bounds);
  // The count is read again before each slot: a removal shortens the pass.
  for (int32_t i = 0; i < fires.count && i < FIRE_SLOTS; ++i) {
    if (running) {
      moveFire(world, fires, i, bounds);
      // The fire that moved down into slot i after a removal is animated and drawn here, and
      // moves in the next pass.
      animateFlame(world, fires.fires[i]);
    }
    if (i < fires.count) drawFlame(world, fires.fires[i]);
  }
  updateBurningLoop(world, fires);
}

void updateBurningLoop(World& world, const FireArray& fires) {
  const bool running = world.paused == 0 && world.menuOpen == 0;
  if (fires.count == 0 || !running) {
    stopSound(world.sounds, SoundSlot::Burning);
    world.burningLoopOn = 0;
  }
  if (fires.count > 0 && running) {
    if (world.burningLoopOn == 0) playSoundLooping(world.sounds, SoundSlot::Burning, BURNING_LOOP_LEVEL);
    world.burningLoopOn = 1;
  }
}

void launchSoldierFire(World& world, ArmyId army, Soldier& soldier) {
  FireArray& fires = army == ArmyId::Green ? world.greenFires : world.blueFires;
  if (fires.count < 0 || fires.count >= FIRE_CAPACITY) return;
  const Soldier* target = liveSoldier(world.army(otherArmy(army)), soldier.target);
  if (target == nullptr) return;  // nobody to aim at
  soldier.struck = 1;
  Fire& fire = fires.fires[fires.count];
  fires.count = fires.count + 1;
  fire.y = soldier.y - 20.0f;
  float dx, dy;
  if (soldier.facing == 1) {
    fire.x = soldier.x - 50.0f;
    dx = (target->x + 20.0f) - fire.x;
    dy = (target->y - 40.0f) - fire.y;
  } else {
    fire.x = soldier.x - 80.0f;
    dx = target->x - (soldier.x - 40.0f);
    dy = target->y - (fire.y + 20.0f);
  }
  const float d = std::sqrt(dx * dx + dy * dy);
  if (d > 0.0f && std::isfinite(d)) {
    fire.vx = dx / d;
    fire.vy = dy / d;
  } else {
    // The target stands exactly where the fire aims from: it flies the way the soldier faces.
    fire.vx = soldier.facing == 1 ? 1.0f : -1.0f;
    fire.vy = 0.0f;
  }
  fire.age = FIRE_MAX_AGE - world.soldierFireLife;
  fire.scorchTick = 0;
}

}  // namespace mw
