// Fires: moving, burning, scorching and drawing.
#pragma once

#include "tools/fire.h"

namespace mw {

struct World;

// Puts every slot of the three fire arrays and the lighter's flame into their start state.
void resetFires(World& world);
// Moves, burns, ages, removes and draws the live fires of one array.
void advanceFires(World& world, FireArray& fires);

}  // namespace mw
