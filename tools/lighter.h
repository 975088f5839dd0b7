// The lighter: a fire poured at the mouse, or thrown fast with the flamethrower, and its own flame.
#pragma once

namespace mw {

struct World;

inline constexpr float LIGHTER_SPREAD = 1.3f;        // lighter fires: each axis in [-1.3, 1.3]
inline constexpr float FLAME_THROWER_SPREAD = 7.8f;  // flamethrower fires: each axis in [-7.8, -5.2]

// The left button is down with the lighter in hand: the tilted lighter, and a fire poured on the
// first step of a press or on every step once the hold-off after taking the lighter is over.
void lighterDown(World& world);
// Every step with the lighter in hand: its own flame, at the pouring point or over the chimney.
void lighterFlameStep(World& world);

}  // namespace mw
