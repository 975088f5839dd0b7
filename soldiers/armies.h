// The two armies: start-up state, placing, animation, sighting, movement and the strike pass.
#pragma once
#include <algorithm>
#include <cstdint>

#include "soldiers/combat.h"
#include "soldiers/drawing.h"
#include "soldiers/soldier.h"

namespace mw {

struct World;

// Puts all 201 records of an army (and its swing records) into their start-up state.
void resetArmy(Army& army);
// Puts all red records into their start-up state.
void resetRedRecords(World& world);
// Appends one soldier placed with the mouse at (mouseX, mouseY); a full army places nothing.
void placeSoldier(World& world, ArmyId army, bool flame, int32_t mouseX, int32_t mouseY, uint8_t facing);
// A soldier gives up its target: no target, not engaged, not wandering, standing at frame 0.
void forgetTarget(Soldier& s);
// One step of an animation record: its frame time becomes its sheet's ticks per frame, then the
// tick counts up and the frame moves on when the tick reaches it.
void advanceAnimation(Soldier& record);
// Every soldier without an enemy looks for one.
void sightEnemies(World& world);
// Moves and draws every live soldier of one army, in index order.
void updateArmy(World& world, ArmyId army);

inline ArmyId otherArmy(ArmyId id) { return id == ArmyId::Green ? ArmyId::Blue : ArmyId::Green; }

// The number of live soldiers, never more than the records hold.
inline int32_t liveCount(const Army& army) { return std::clamp(army.count, 0, ARMY_CAPACITY); }

// Soldier `index` of an army when it is live; null for a target index that names nobody (999, or a
// slot past the live count).
inline Soldier* liveSoldier(Army& army, int32_t index) {
  return index >= 0 && index < liveCount(army) ? &army.soldiers[index] : nullptr;
}

}  // namespace mw
