// The two armies: start-up state, placing, sighting, movement, drawing and the strike pass.
#pragma once
#include <cstdint>

#include "soldiers/soldier.h"

namespace mw {

struct World;

// Puts all 201 records of an army (and its swing records) into their start-up state.
void resetArmy(Army& army);
// Puts all red records into their start-up state.
void resetRedRecords(World& world);
// Appends one soldier placed with the mouse at (mouseX, mouseY); the caller checks the army is not full.
void placeSoldier(World& world, ArmyId army, bool flame, int32_t mouseX, int32_t mouseY, uint8_t facing);
// Every soldier without an enemy looks for one.
void sightEnemies(World& world);
// Moves and draws every live soldier of one army.
void updateArmy(World& world, ArmyId army);
// The strike pass: swings at their strike frame land, wound timers count down.
void checkSwings(World& world);

}  // namespace mw
