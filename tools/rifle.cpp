// The rifle: shots, follow-up shots, fire modes and the mode label.
#include "tools/rifle.h"


#include "audio/sound_bank.h"
#include "gfx/compositing.h"
#include "gfx/text.h"
#include "soldiers/combat.h"
#include "world/world.h"

namespace mw {

namespace {

// Nine characters each, padded on the left so that the three line up on the right.
const char* const MODE_LABELS[3] = {"   Single", "    Burst", "Full-Auto"};

// A follow-up shot scatters up to 9 pixels each way: two sizes, then two signs.
void followUpShot(World& world) {
  const int32_t a = world.random.next() % 10;
  const int32_t b = world.random.next() % 10;
  const int32_t dx = world.random.next() % 2 != 0 ? a : -a;
  const int32_t dy = world.random.next() % 2 != 0 ? b : -b;
  fireShot(world, dx, dy, false);
}

}  // namespace

void advanceFireMode(World& world) {
  const int32_t next = (static_cast<int32_t>(world.fireMode) + 1) % 3;
  world.fireMode = static_cast<FireMode>(next);
  playSound(world.sounds, SoundSlot::Click, 0);
}

void drawModeLabel(World& world) {
  const int32_t mode = static_cast<int32_t>(world.fireMode);
  if (mode < 0 || mode > 2) return;
  const ScreenSize screen = world.session->screen;
  drawText(world.canvas(), MODE_LABELS[mode], screen.width - 190, screen.height - 90, world.labelFont,
           MODE_LABEL_COLOUR);
}

void fireShot(World& world, int32_t dx, int32_t dy, bool firstOfPress) {
  const int32_t mx = world.mouse->x;
  const int32_t my = world.mouse->y;
  // The hole's centre falls on the hit point.
  stampOriented(mx - 9 + dx, my + 9 + dy, world.bulletHoleImage, world.desktop, world.session->screen,
                world.random.next() % 8);
  resolveStrike(world, Strike{mx + dx, my + 17 + dy, RIFLE_HIT_BOX, HitSource::Rifle});
  drawToolPicture(world.canvas(), world.rifleFiringPicture, mx, my);
  world.shotThisFrame = 1;
  if (firstOfPress) {
    if (world.fireMode == FireMode::Burst) world.burstShotsLeft = BURST_FOLLOW_UPS;
    if (world.fireMode == FireMode::FullAuto) world.autoFireLatch = 1;
  } else {
    world.shotFrameCounter = 0;
  }
  playSound(world.sounds, SoundSlot::M4, M4_LEVEL);
}

void rifleDown(World& world) {
  if (world.clickLatch == 0) fireShot(world, 0, 0, true);
}

void rifleFollowUpShots(World& world) {
  // A burst runs to its end whatever the button and the mode do.
  if (world.burstShotsLeft > 0) {
    world.shotFrameCounter = world.shotFrameCounter + 1;
    if (world.shotFrameCounter == FOLLOW_UP_STEPS) {
      world.burstShotsLeft = world.burstShotsLeft - 1;
      followUpShot(world);
    }
  }
  // Automatic fire needs one press made in Full-Auto since the program started.
  if (world.mouse->left && world.fireMode == FireMode::FullAuto && world.autoFireLatch != 0) {
    world.shotFrameCounter = world.shotFrameCounter + 1;
    if (world.shotFrameCounter == FOLLOW_UP_STEPS) followUpShot(world);
  }
}

void drawRifleLast(World& world) {
  if (world.shotThisFrame != 0 || world.currentTool == Tool::Rifle) {
    drawToolPicture(world.canvas(), world.riflePicture, world.mouse->x, world.mouse->y);
    world.shotThisFrame = 0;
  }
}

}  // namespace mw
