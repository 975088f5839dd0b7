// The simulator's state dump.
#pragma once
#include "sim/json.h"

namespace mw {

class Simulator;
struct World;

// The whole dump: frame count, quit flag, screen, desktop, mouse, keys and the world's state.
Json dumpState(Simulator& simulator);
// The world's own flags and fields, by their names in the program.
Json dumpWorld(const World& world);

}  // namespace mw
