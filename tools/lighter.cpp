// The lighter: its pour of fires, plain or as a flamethrower, and its own flame.
#include "tools/lighter.h"


#include "fires/fires.h"
#include "gfx/compositing.h"
#include "world/world.h"

namespace mw {

void lighterDown(World& world) {
  FireArray& fires = world.lighterFires;
  const bool full = fires.count >= FIRE_CAPACITY;
  const int32_t mx = world.mouse->x;
  const int32_t my = world.mouse->y;
  drawToolPicture(world.canvas(), full ? world.lighterPicture : world.lighterTiltedPicture, mx, my);
  const bool pour = world.clickLatch == 0 || world.lighterHoldOff == 0;
  if (!pour || full || fires.count < 0) return;
  Fire& fire = fires.fires[fires.count];
  fires.count = fires.count + 1;
  fire.x = static_cast<float>(mx + 40);
  fire.y = static_cast<float>(my - 22);
  fire.age = 0;
  fire.scorchTick = 0;
  const float spread = world.flameThrower ? FLAME_THROWER_SPREAD : LIGHTER_SPREAD;
  fire.vx = static_cast<float>(world.random.next() % 2601) / 1000.0f - spread;
  fire.vy = static_cast<float>(world.random.next() % 2601) / 1000.0f - spread;
}

void lighterFlameStep(World& world) {
  Fire& flame = world.lighterFlame;
  const int32_t mx = world.mouse->x;
  const int32_t my = world.mouse->y;
  // At the pouring point while pouring; otherwise over the upright lighter's chimney.
  if (world.mouse->left && world.lighterFires.count < FIRE_CAPACITY) {
    flame.x = static_cast<float>(mx + 40);
    flame.y = static_cast<float>(my - 22);
  } else {
    flame.x = static_cast<float>(mx + 80);
    flame.y = static_cast<float>(my + 22);
  }
  drawFlame(world, flame);
  animateFlame(world, flame);
}

}  // namespace mw
