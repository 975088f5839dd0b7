// Sword strokes, tool blows and fire burns on soldiers, and the removal of the dead.
#pragma once
#include <cstdint>

#include "soldiers/soldier.h"
#include "world/world.h"

namespace mw {

// The hit areas the tools in hand give every strike.
inline constexpr HitBox HAMMER_HIT_BOX = {30, 3, 10, 1};
inline constexpr HitBox RIFLE_HIT_BOX = {0, 0, 3, 0};
// The hammer's hit point lies this far below the mouse.
inline constexpr int32_t HAMMER_HIT_DROP = 20;

inline constexpr int32_t WOUND_STEPS = 3;     // steps a struck soldier is drawn red
inline constexpr int32_t STRIKE_FRAME = 4;    // the swing frame on which a stroke lands
inline constexpr int32_t SWORD_LEVEL = -400;  // sound levels in hundredths of a decibel
inline constexpr int32_t DIE_LEVEL = -100;
inline constexpr int32_t DEATH_LEVEL = -100;
inline constexpr int32_t HI_LEVEL = 0;

// The tool in hand decides the hit area of every strike and swing, as it always has: the hammer
// gives its own point and area, the rifle its area, any other tool keeps the last strike's area (a
// burst that runs on after the panel changed the tool strikes so).
Strike aimedByToolInHand(const World& world, Strike strike);
// A blow at the strike's point: every soldier under it is struck down, then the dead of both
// armies are removed. The strike is aimed by the tool in hand first and kept as the last strike.
void resolveStrike(World& world, Strike strike);
// Soldier `index` of army `side` swings at its target, then the dead of both armies are removed.
void resolveSwing(World& world, ArmyId side, int32_t index);
// The strike pass: swings at their strike frame land, flame soldiers launch, wound timers run down.
void checkSwings(World& world);
// Where the live soldiers of one army stand: the least and greatest x and y (NaN positions left
// out; empty when there are none).
struct SoldierBounds {
  bool empty = true;
  float minX = 0, maxX = 0, minY = 0, maxY = 0;
};
// The bounds of the green army (0) and the blue army (1).
void findSoldierBounds(const World& world, SoldierBounds bounds[2]);
// A fire at the strike's point burns every soldier of either army under it; the strike is kept as
// the last strike. With bounds found since the soldiers last moved, an army none of whose soldiers
// can be under the point is not searched.
void killInHitBox(World& world, const Strike& strike, const SoldierBounds* bounds = nullptr);
// Takes soldier j out of its army: later soldiers move down one slot and the enemies' targets follow.
void removeSoldier(World& world, ArmyId army, int32_t j);

}  // namespace mw
