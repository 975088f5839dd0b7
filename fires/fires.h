// Fires: the three fire arrays moving, burning, scorching and drawn; soldiers' fires; the burning
// loop. The lighter pours its fires as a tool (tools/lighter.h).
#pragma once
#include <cstdint>

#include "soldiers/soldier.h"
#include "fires/fire.h"

namespace mw {

struct World;

inline constexpr int32_t FIRE_MAX_AGE = 1500;      // a fire dies when its age reaches this
inline constexpr int32_t SCORCH_STEPS = 12;        // a scorch mark every 12 steps

// Puts every slot of the three fire arrays and the lighter's flame into their start state.
void resetFires(World& world);
// Moves, burns, ages, removes and draws the live fires of one array (frozen but drawn while the
// panel is open or the world paused), then starts or stops the burning loop.
void advanceFires(World& world, FireArray& fires);
// The burning sound loops while this array holds fires and the world runs; otherwise it stops.
void updateBurningLoop(World& world, const FireArray& fires);
// A flame's current frame with its corner at (x + 45, y - 10); nothing when the record names no
// frame of its sheet.
void drawFlame(World& world, const Fire& fire);
// One animation step of a flame, at the world's frame steps per flame frame.
void animateFlame(World& world, Fire& fire);
// A flame soldier at its strike frame throws a fire at its target, when its army's array has room.
void launchSoldierFire(World& world, ArmyId army, Soldier& soldier);

}  // namespace mw
