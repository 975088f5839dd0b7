// The hammer's strike branch.
#include "tools/hammer.h"

#include "audio/sound_bank.h"
#include "gfx/compositing.h"
#include "soldiers/combat.h"
#include "world/world.h"

namespace mw {

void hammerDown(World& world) {
  const int32_t mx = world.mouse->x;
  const int32_t my = world.mouse->y;
  drawToolPicture(world.canvas(), world.hammerDownPicture, mx, my);
  if (world.clickLatch != 0) return;  // this press has struck already
  // The crack's centre falls on the striking face at the left end of the head.
  stampRandomOrientation(mx - 95, my - 90, world.crackImage, world.desktop, world.session->screen);
  world.hitSource = HitSource::Hammer;
  resolveStrike(world, StrikeSource::ToolPoint, 99);
  playSound(world, SoundSlot::GlassBreak, GLASS_BREAK_LEVEL);
}

}  // namespace mw
