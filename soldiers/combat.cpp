// Sword strokes, tool blows and fire burns on soldiers, and the removal of the dead.
#include "soldiers/combat.h"

#include <algorithm>

#include "audio/sound_bank.h"
#include "fires/fires.h"
#include "gfx/compositing.h"
#include "soldiers/armies.h"
#include "world/world.h"

namespace mw {

namespace {

// Whether a stroke from attacker a lands on target t. Facing left, a sword reaches a little further
// at a target that faces it than at one that turns its back.
bool swordReaches(const Soldier& a, const Soldier& t) {
  if (a.facing == 1) return a.x + 10.0f <= t.x && t.x <= a.x + 60.0f;
  if (!(t.x <= a.x + 20.0f)) return false;
  return t.facing == 1 ? t.x >= a.x - 42.0f : t.x >= a.x - 38.0f;
}

void playSwordSound(World& world) {
  const int32_t r = world.random.next() % 2;
  playSound(world.sounds, r == 1 ? SoundSlot::Sword : SoundSlot::Sword2, SWORD_LEVEL);
}

// Soldier `index` of army `side` swings at its target.
void swingAt(World& world, ArmyId side, int32_t index) {
  Army& own = world.army(side);
  Army& enemies = world.army(otherArmy(side));
  Soldier* attacker = liveSoldier(own, index);
  if (attacker == nullptr) return;
  Soldier& a = *attacker;
  // A flame soldier's sword hurts nobody: its fire does.
  if (a.engaged != 1 || a.flameSoldier != 0) return;
  // A target index that names no live soldier (possible once a soldier has given up a target
  // while still swinging) is struck by no one.
  Soldier* target = liveSoldier(enemies, a.target);
  if (target == nullptr) return;
  Soldier& t = *target;
  if (swordReaches(a, t)) {
    t.health = t.health - 1;
    a.struck = 1;
    // Struck from behind while idle, it turns round; struck while idle, it fights back.
    if (t.facing == a.facing && t.engaged == 0) t.facing = a.facing == 1 ? 0 : 1;
    if (t.hasTarget == 0) {
      t.hasTarget = 1;
      t.target = index;
    }
  }
  if (t.health <= 0) {
    t.dead = 1;
    a.hasTarget = 0;
    stampImageFacing(pixelOf(t.x), pixelOf(t.y + 12.0f), enemies.deadImage, world.desktop, world.session->screen,
                     t.facing);
    playSwordSound(world);
    playSound(world.sounds, SoundSlot::Die, DIE_LEVEL);
  } else if (a.struck == 1) {
    t.woundTimer = WOUND_STEPS;
    playSwordSound(world);
  }
}

// Whether the strike's point lies in a soldier's hit area, widened by its box; all bounds inclusive.
// `inset` is where the area starts across the sprite: 7 for blows, 9 for fires.
bool underHitPoint(const Strike& strike, const Soldier& s, int32_t inset) {
  const int32_t o = s.facing == 1 ? 0 : 15;
  const HitBox& b = strike.box;
  const float hx = static_cast<float>(strike.x);
  const float hy = static_cast<float>(strike.y);
  return s.x + inset + o - b.left <= hx && hx <= s.x + 17 + o + b.right && s.y - b.up <= hy &&
         hy <= s.y + 40 + b.down;
}

// The mark a hammer or a bullet leaves where it struck soldier s down.
void strikeDown(World& world, const Strike& strike, Army& army, const Soldier& s) {
  if (strike.source == HitSource::Hammer) {
    playSound(world.sounds, SoundSlot::Hi, HI_LEVEL);
    stampImage(strike.x, strike.y - 10, world.bloodStainImage, world.desktop, world.session->screen);
  } else if (strike.source == HitSource::Rifle) {
    playSound(world.sounds, SoundSlot::Hi, HI_LEVEL);
    const float hy = static_cast<float>(strike.y);
    const int32_t x = s.facing == 1 ? strike.x - 13 : strike.x - 29;
    int32_t picture = 2;  // the legs
    int32_t y = strike.y - 15;
    if (hy <= s.y + 6) {
      picture = 0;  // the head
      y = strike.y - 5;
    } else if (hy <= s.y + 25) {
      picture = 1;  // the body
    }
    stampImageFacing(x, y, army.dyingImages[picture], world.desktop, world.session->screen, s.facing);
  }
}

// Removes the dead of one army; with a strike, first strikes down whoever stands under its point.
// After a removal the soldier that moved into slot j is not looked at again.
void removalPass(World& world, ArmyId id, const Strike* strike) {
  Army& army = world.army(id);
  for (int32_t j = 0; j < liveCount(army); ++j) {
    Soldier& s = army.soldiers[j];
    if (strike != nullptr && underHitPoint(*strike, s, 7)) {
      strikeDown(world, *strike, army, s);
      s.dead = 1;
    }
    if (s.dead == 1) {
      s.dead = 0;
      removeSoldier(world, id, j);
    }
  }
}

// Slot `from` moves into slot `to`. Animation ticks, wound time, frame time, the dead and struck
// flags, the bar length and the swing record's own timing and position stay with the slot.
void moveSlot(Army& army, int32_t from, int32_t to) {
  const Soldier& src = army.soldiers[from];
  Soldier& dst = army.soldiers[to];
  dst.x = src.x;
  dst.y = src.y;
  dst.frame = src.frame;
  dst.wandering = src.wandering;
  dst.flameSoldier = src.flameSoldier;
  dst.facing = src.facing;
  dst.vx = src.vx;
  dst.vy = src.vy;
  dst.engaged = src.engaged;
  dst.hasTarget = src.hasTarget;
  dst.health = src.health;
  dst.target = src.target;
  army.swings[to].frame = army.swings[from].frame;
}

}  // namespace

Strike aimedByToolInHand(const World& world, Strike strike) {
  if (world.currentTool == Tool::Hammer) {
    if (world.mouse != nullptr) {
      strike.x = world.mouse->x;
      strike.y = world.mouse->y + HAMMER_HIT_DROP;
    }
    strike.box = HAMMER_HIT_BOX;
  } else if (world.currentTool == Tool::Rifle) {
    strike.box = RIFLE_HIT_BOX;
  } else {
    strike.box = world.lastStrike.box;
  }
  return strike;
}

void resolveStrike(World& world, Strike strike) {
  world.lastStrike = aimedByToolInHand(world, strike);
  const Strike aimed = world.lastStrike;
  removalPass(world, ArmyId::Green, &aimed);
  removalPass(world, ArmyId::Blue, &aimed);
}

void resolveSwing(World& world, ArmyId side, int32_t index) {
  // A swing strikes at no point, yet the tool in hand aims the last strike as for any other.
  world.lastStrike = aimedByToolInHand(world, world.lastStrike);
  swingAt(world, side, index);
  removalPass(world, ArmyId::Green, nullptr);
  removalPass(world, ArmyId::Blue, nullptr);
}

void checkSwings(World& world) {
  for (ArmyId id : {ArmyId::Green, ArmyId::Blue}) {
    Army& army = world.army(id);
    for (int32_t i = 0; i < liveCount(army); ++i) {
      Soldier& s = army.soldiers[i];
      Soldier& w = army.swings[i];
      if (s.engaged == 1 && w.frame == STRIKE_FRAME && s.struck == 0) {
        resolveSwing(world, id, i);
        if (s.flameSoldier != 0) launchSoldierFire(world, id, s);
      }
      // Back at the start of the stroke, the next one may land again.
      if (w.frame == 0 && s.struck == 1) s.struck = 0;
      if (s.woundTimer > 0) s.woundTimer = s.woundTimer - 1;
    }
  }
}

void findSoldierBounds(const World& world, SoldierBounds bounds[2]) {
  for (ArmyId id : {ArmyId::Green, ArmyId::Blue}) {
    const Army& army = id == ArmyId::Green ? world.green : world.blue;
    SoldierBounds b;
    for (int32_t j = 0; j < liveCount(army); ++j) {
      const Soldier& s = army.soldiers[j];
      if (s.x != s.x || s.y != s.y) continue;  // NaN: under no hit point
      if (b.empty) {
        b = SoldierBounds{false, s.x, s.x, s.y, s.y};
        continue;
      }
      b.minX = std::min(b.minX, s.x);
      b.maxX = std::max(b.maxX, s.x);
      b.minY = std::min(b.minY, s.y);
      b.maxY = std::max(b.maxY, s.y);
    }
    bounds[id == ArmyId::Green ? 0 : 1] = b;
  }
}

namespace {

// Whether a soldier within the bounds may be under the strike's point: underHitPoint's sums, each
// rounded the same way, grow with the position and the facing offset, so the least position with
// offset 0 and the greatest with offset 15 bound them.
bool mayBeUnder(const Strike& strike, const SoldierBounds& b, int32_t inset) {
  if (b.empty) return false;
  const float hx = static_cast<float>(strike.x);
  const float hy = static_cast<float>(strike.y);
  return b.minX + inset + 0 - strike.box.left <= hx && hx <= b.maxX + 17 + 15 + strike.box.right &&
         b.minY - strike.box.up <= hy && hy <= b.maxY + 40 + strike.box.down;
}

}  // namespace

void killInHitBox(World& world, const Strike& strike, const SoldierBounds* bounds) {
  world.lastStrike = strike;
  for (ArmyId id : {ArmyId::Green, ArmyId::Blue}) {
    if (bounds != nullptr && !mayBeUnder(strike, bounds[id == ArmyId::Green ? 0 : 1], 9)) continue;
    Army& army = world.army(id);
    for (int32_t j = 0; j < liveCount(army); ++j) {
      const Soldier& s = army.soldiers[j];
      if (!underHitPoint(strike, s, 9)) continue;
      if (strike.source == HitSource::Fire) {
        playSound(world.sounds, SoundSlot::Death, DEATH_LEVEL);
        stampImageFacing(strike.x - 25, strike.y - 20, world.charredBodyImage, world.desktop, world.session->screen,
                         s.facing);
      }
      removeSoldier(world, id, j);
    }
  }
}

void removeSoldier(World& world, ArmyId id, int32_t j) {
  Army& army = world.army(id);
  Army& enemies = world.army(otherArmy(id));
  const int32_t n = liveCount(army);
  if (j < 0 || j >= n) return;
  // Whoever was after soldier j is left standing.
  for (int32_t e = 0; e < liveCount(enemies); ++e) {
    if (enemies.soldiers[e].target == j) forgetTarget(enemies.soldiers[e]);
  }
  if (n == 1) {
    Soldier& s = army.soldiers[j];
    s.wandering = 0;
    s.facing = 1;
    s.frame = 0;
    s.engaged = 0;
    s.hasTarget = 0;
    army.swings[j].frame = 0;
    s.target = NO_TARGET;
  } else {
    // The last copy takes the first slot that is not live, which holds start-up values, so the
    // vacated top slot is clean for the next soldier placed.
    for (int32_t m = j; m < n; ++m) {
      for (int32_t e = 0; e < liveCount(enemies); ++e) {
        Soldier& enemy = enemies.soldiers[e];
        if (enemy.hasTarget == 1 && enemy.target == m + 1) enemy.target = m;
      }
      moveSlot(army, m + 1, m);
    }
  }
  army.count = n - 1;
}

}  // namespace mw
