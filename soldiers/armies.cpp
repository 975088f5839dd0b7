// The two armies: start-up state, placing a soldier and advancing an animation record.
#include "soldiers/armies.h"

#include "gfx/images.h"
#include "world/world.h"

namespace mw {

void resetArmy(Army& army) {
  for (int32_t i = 0; i < ARMY_SLOTS; ++i) {
    Soldier& s = army.soldiers[i];
    s = Soldier{};
    s.sheet = &army.walkSheet;
    s.x = 50.0f;
    s.y = 50.0f;
    s.facing = 1;
    s.frameTime = 2;
    s.target = NO_TARGET;
    s.health = 10;
    s.barLength = 100;
    Soldier& w = army.swings[i];
    w = Soldier{};
    w.sheet = &army.swingSheet;
    w.frameTime = 6;
  }
  army.count = 0;
}

void resetRedRecords(World& world) {
  for (int32_t i = 0; i < RED_SLOTS; ++i) {
    world.redWalkRecords[i] = Soldier{};
    world.redWalkRecords[i].sheet = &world.redWalkSheet;
    world.redSwingRecords[i] = Soldier{};
    world.redSwingRecords[i].sheet = &world.redSwingSheet;
  }
}

void placeSoldier(World& world, ArmyId id, bool flame, int32_t mouseX, int32_t mouseY, uint8_t facing) {
  Army& army = world.army(id);
  if (army.count < 0 || army.count >= ARMY_CAPACITY) return;
  const int32_t n = army.count;
  army.count = n + 1;
  // A slot freed by a removal keeps its old tick and wound time: both start afresh here, so a new
  // soldier neither flashes red nor strides early.
  Soldier& s = army.soldiers[n];
  s.x = static_cast<float>(mouseX - 45);
  s.y = static_cast<float>(mouseY + 20);
  s.health = 10;
  forgetTarget(s);  // no target, not engaged, standing at frame 0
  s.dead = 0;
  s.struck = 0;
  army.swings[n].frame = 0;
  s.flameSoldier = flame ? 1 : 0;
  s.facing = facing;
  s.woundTimer = 0;
  s.tick = 0;
}

void forgetTarget(Soldier& s) {
  s.hasTarget = 0;
  s.engaged = 0;
  s.frame = 0;
  s.wandering = 0;
  s.vx = 0.0f;
  s.vy = 0.0f;
  s.target = NO_TARGET;
}

void advanceAnimation(Soldier& record) { stepAnimation(record.sheet, record.frameTime, record.frame, record.tick); }

}  // namespace mw
