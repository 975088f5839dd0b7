// Fires: the lighter and the flamethrower, soldiers' fires, and moving, burning, scorching and
// drawing them.
#pragma once
#include <cstdint>

#include "soldiers/soldier.h"
#include "tools/fire.h"

namespace mw {

struct World;

inline constexpr int32_t FIRE_MAX_AGE = 1500;      // a fire dies when its age reaches this
inline constexpr int32_t SCORCH_STEPS = 12;        // a scorch mark every 12 steps
inline constexpr float LIGHTER_SPREAD = 1.3f;      // lighter fires: each axis in [-1.3, 1.3]
inline constexpr float FLAME_THROWER_SPREAD = 7.8f;  // flamethrower fires: each axis in [-7.8, -5.2]

// Puts every slot of the three fire arrays and the lighter's flame into their start state.
void resetFires(World& world);
// Moves, burns, ages, removes and draws the live fires of one array (frozen but drawn while the
// panel is open or the world paused), then starts or stops the burning loop.
void advanceFires(World& world, FireArray& fires);
// The burning sound loops while this array holds fires and the world runs; otherwise it stops.
void updateBurningLoop(World& world, const FireArray& fires);
// The left button is down with the lighter in hand: the tilted lighter, and a fire poured on the
// first step of a press or on every step once the hold-off after taking the lighter is over.
void lighterDown(World& world);
// Every step with the lighter in hand: its own flame, at the pouring point or over the chimney.
void lighterFlameStep(World& world);
// A flame soldier at its strike frame throws a fire at its target, when its army's array has room.
void launchSoldierFire(World& world, ArmyId army, Soldier& soldier);

}  // namespace mw
