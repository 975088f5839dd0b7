// Sword strokes, tool blows and fire burns on soldiers, and the removal of the dead.
#pragma once
#include <cstdint>

#include "soldiers/soldier.h"

namespace mw {

struct World;

// What a strike comes from: the tool's hit point, or one soldier's sword.
enum class StrikeSource : int32_t { ToolPoint = 0, BlueSwing = 1, GreenSwing = 2 };

inline constexpr int32_t WOUND_STEPS = 3;     // steps a struck soldier is drawn red
inline constexpr int32_t STRIKE_FRAME = 4;    // the swing frame on which a stroke lands
inline constexpr int32_t SWORD_LEVEL = -400;  // sound levels in hundredths of a decibel
inline constexpr int32_t DIE_LEVEL = -100;
inline constexpr int32_t DEATH_LEVEL = -100;
inline constexpr int32_t HI_LEVEL = 0;

// One swing (soldier `index` of the swinging army at its target) or one blow at the hit point
// (ToolPoint; index unused), then the removal of every dead soldier of both armies.
void resolveStrike(World& world, StrikeSource source, int32_t index);
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
// A fire at the hit point burns every soldier of either army under it. With bounds found since the
// soldiers last moved, an army none of whose soldiers can be under the hit point is not searched.
void killInHitBox(World& world, const SoldierBounds* bounds = nullptr);
// Takes soldier j out of its army: later soldiers move down one slot and the enemies' targets follow.
void removeSoldier(World& world, ArmyId army, int32_t j);

}  // namespace mw
