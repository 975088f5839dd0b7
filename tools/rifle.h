// The rifle: bullet holes and shot soldiers in three fire modes, and its mode label.
#pragma once
#include <cstdint>

namespace mw {

struct World;

inline constexpr int32_t M4_LEVEL = -100;
inline constexpr int32_t FOLLOW_UP_STEPS = 5;  // steps between follow-up shots
inline constexpr int32_t BURST_FOLLOW_UPS = 2;
inline constexpr uint32_t MODE_LABEL_COLOUR = 0xFFFF00FF;

// Space with the rifle in hand: Single, Burst, Full-Auto, Single, ... with a click.
void advanceFireMode(World& world);
// The current fire mode's label near the bottom-right corner.
void drawModeLabel(World& world);
// The left button is down with the rifle in hand: the first shot of a press.
void rifleDown(World& world);
// Every interaction step: the follow-up shots of a burst, then of automatic fire.
void rifleFollowUpShots(World& world);
// End of the interaction step: the plain rifle over whatever was drawn, while it is in hand or
// after a shot.
void drawRifleLast(World& world);
// One shot at the mouse offset by (dx, dy); `firstOfPress` tells the press's own shot from a
// follow-up.
void fireShot(World& world, int32_t dx, int32_t dy, bool firstOfPress);

}  // namespace mw
