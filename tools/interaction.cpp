// The interaction step and the menu panel.
#include "tools/interaction.h"

#include "app/message_loop.h"
#include "app/messages.h"
#include "app/snapshot.h"
#include "gfx/text.h"
#include "soldiers/armies.h"
#include "world/world.h"

namespace mw {

void drawMenuPanel(World&, int32_t, int32_t) {}

void interactionStep(World& world) {
  const uint8_t* keys = world.keys;
  if (world.menuOpen == 0) {
    // Enter restores the undamaged desktop, once per press.
    if (keys[VK_RETURN] && world.keyLatch == 0) {
      loadSnapshot(world.desktop);
      world.keyLatch = 1;
    }
    if (!keys[VK_SPACE] && !keys[VK_F12] && !keys[VK_F11] && !keys[VK_RETURN]) world.keyLatch = 0;
    checkSwings(world);
  }
  if (world.showStats) drawStatistics(world);
  if (keys[VK_ESCAPE]) postQuitMessage(0);
}

}  // namespace mw
