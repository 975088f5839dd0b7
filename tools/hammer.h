// The hammer: one blow per press cracks the desktop and strikes down the soldiers under its head.
#pragma once
#include <cstdint>

namespace mw {

struct World;

inline constexpr int32_t GLASS_BREAK_LEVEL = -300;

// The left button is down with the hammer in hand: the striking picture, and on the first step of
// the press the blow.
void hammerDown(World& world);

}  // namespace mw
