// Drawing soldiers into the frame: sprites, the flame soldier's tint, the red wound picture and the
// health bar.
#pragma once
#include <cstdint>

#include "gfx/image.h"
#include "soldiers/soldier.h"

namespace mw {

struct World;

// A soldier coordinate truncated toward zero for drawing. Values far off the screen saturate to a
// bound that is still far off the screen, so the conversion is always defined.
int32_t pixelOf(float coordinate);

// Blends one frame (or a preview picture) into the canvas, mirrored when facing is 0. Pixels with
// alpha 250 or less are not drawn.
void drawSprite(Canvas canvas, int32_t x, int32_t y, const Image& image, uint8_t facing);
// As drawSprite, for a healthy flame soldier: only opaque pixels, the head darkened, the rest with
// its green channel forced to 250.
void drawFlameSprite(Canvas canvas, int32_t x, int32_t y, const Image& image, uint8_t facing);
// Soldier i's picture for this frame: walking or swinging, red while wounded.
void drawSoldier(World& world, ArmyId army, int32_t i);
// Recomputes soldier i's bar length and its army's bar colour, and draws the bar above it.
void drawHealthBar(World& world, ArmyId army, int32_t i);

}  // namespace mw
