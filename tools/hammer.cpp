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
  stampOriented(mx - 95, my - 90, world.crackImage, world.desktop, world.session->screen,
                world.random.next() % 8);
  resolveStrike(world, Strike{mx, my + HAMMER_HIT_DROP, HAMMER_HIT_BOX, HitSource::Hammer});
  playSound(world.sounds, SoundSlot::GlassBreak, GLASS_BREAK_LEVEL);
}

}  // namespace mw
