// World start-up, frame step and tear-down.
#include "world/frame.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "app/capture_notice.h"
#include "app/saved_picture.h"
#include "app/paths.h"
#include "app/platform.h"
#include "app/snapshot.h"
#include "audio/sound_bank.h"
#include "gfx/bands.h"
#include "gfx/compositing.h"
#include "gfx/images.h"
#include "fires/fires.h"
#include "soldiers/armies.h"
#include "tools/interaction.h"
#include "world/overlays.h"
#include "world/world.h"

namespace mw {

namespace {

void loadArmyPictures(Army& army, int32_t standing, int32_t bright, int32_t walk, int32_t swing, int32_t ticks) {
  loadImageResource(army.standingImage, standing);
  loadImageResource(army.brightImage, bright);
  loadSpriteSheet(army.walkSheet, walk, 13, 40, 40, ticks);
  loadSpriteSheet(army.swingSheet, swing, 5, 40, 40, ticks);
  resetArmy(army);
}

void loadToolPictures(World& world) {
  ToolPicture* pictures[6] = {&world.hammerUpPicture, &world.hammerDownPicture, &world.lighterPicture,
                              &world.lighterTiltedPicture, &world.riflePicture, &world.rifleFiringPicture};
  const int32_t numbers[6] = {40, 41, 50, 51, 60, 61};
  for (int i = 0; i < 6; ++i) {
    pictures[i]->pixels.assign(static_cast<size_t>(TOOL_PICTURE_SIZE) * TOOL_PICTURE_SIZE, 0);
    loadToolPicture(*pictures[i], numbers[i]);
  }
}

// Every picture, flame and soldier sheet, font and sound, in start-up's fixed order (the fires'
// reset draws random numbers in the middle of it).
void loadResources(World& world) {
  loadImageResource(world.scorchImage, 102);
  loadImageResource(world.bulletHoleImage, 101);
  loadImageResource(world.crackImage, 100);
  loadToolPictures(world);

  const int32_t fireTicks = static_cast<int32_t>(world.fireFrameTime);
  loadSpriteSheet(world.orangeFlameSheet, 52, 4, 80, 80, fireTicks);
  loadSpriteSheet(world.lighterFlameSheet, 52, 4, 80, 80, fireTicks);
  loadSpriteSheet(world.blueFlameSheet, 5, 4, 80, 80, fireTicks);
  loadSpriteSheet(world.purpleFlameSheet, 6, 4, 80, 80, fireTicks);

  loadImageResource(world.bloodStainImage, 31);
  loadImageResource(world.menuPanelImage, 2);
  loadImageResource(world.charredBodyImage, 1);
  for (int k = 0; k < 3; ++k) loadImageResource(world.green.dyingImages[k], 302 + k);
  for (int k = 0; k < 3; ++k) loadImageResource(world.blue.dyingImages[k], 202 + k);
  loadImageResource(world.blue.deadImage, 206);
  loadImageResource(world.green.deadImage, 306);

  resetFires(world);
  prepareDrawingBands();

  const int32_t soldierTicks = static_cast<int32_t>(world.soldierFrameTime);
  loadArmyPictures(world.blue, 201, 3, 200, 205, soldierTicks);
  loadArmyPictures(world.green, 301, 4, 300, 305, soldierTicks);
  loadSpriteSheet(world.redWalkSheet, 30, 13, 40, 40, soldierTicks);
  loadSpriteSheet(world.redSwingSheet, 32, 5, 40, 40, soldierTicks);
  resetRedRecords(world);

  readFontBitmap(dataPath("Files/Img/fixedsys16x28.bmp"), world.statsFontPixels, 16 * 32);
  readFontBitmap(dataPath("Files/Img/Consolas13x24-2.bmp"), world.labelFontPixels, 13 * 32);
  world.statsFont = BitmapFont{16, 28, 32, world.statsFontPixels};
  world.labelFont = BitmapFont{13, 24, 32, world.labelFontPixels};

  const struct {
    SoundSlot slot;
    const char* file;
  } soundFiles[] = {
      {SoundSlot::GlassBreak, "glassbreak.wav"}, {SoundSlot::Burning, "burning.wav"}, {SoundSlot::Zippo, "zippo.wav"},
      {SoundSlot::M4, "M4.wav"},         {SoundSlot::EqM4, "eqM4.wav"},       {SoundSlot::EqHam, "eqHam.wav"},
      {SoundSlot::Click, "click.wav"},   {SoundSlot::Death, "death.wav"},     {SoundSlot::Die, "die.wav"},
      {SoundSlot::Hi, "hi.wav"},         {SoundSlot::Sword, "sword.wav"},     {SoundSlot::Sword2, "sword2.wav"},
  };
  for (const auto& sound : soundFiles)
    loadSound(world.sounds, sound.slot, dataPath(std::string("Files/Sound/") + sound.file));
}

}  // namespace

void startUp(World& world, Platform& platform, Session& session, const uint32_t* seed,
             const StartOptions& options) {
  world.fireFrameTime = 3.0f;
  world.soldierFireLife = 400;
  world.platform = &platform;
  world.sounds.platform = &platform;
  world.session = &session;
  createPresenter(world.presenter, platform, session.screen);
  world.keys = session.keys;
  world.mouse = &session.mouse;

  world.clickLatch = world.rightLatch = world.keyLatch = world.autoFireLatch = 0;
  world.shotThisFrame = world.menuOpen = world.paused = world.burningLoopOn = 0;
  for (SoundClip& clip : world.sounds.clips) clip.bytes.clear();
  world.burstShotsLeft = 0;
  world.shotFrameCounter = 0;
  world.currentTool = Tool::Hammer;
  world.lighterFires.count = world.greenFires.count = world.blueFires.count = 0;
  world.fireMode = FireMode::Single;
  world.modeLabelTimer = 0;
  const uint8_t greenBar[3] = {0, 255, 0};
  const uint8_t blueBar[3] = {0, 0, 255};
  std::copy(greenBar, greenBar + 3, world.green.barColour);
  std::copy(blueBar, blueBar + 3, world.blue.barColour);
  world.showStats = 1;
  world.spawnFacing = 1;
  world.blue.count = 0;
  world.green.count = 0;
  world.soldierFrameTime = 4.0f;
  world.lastStrike = Strike{250, 250, HitBox{10, 12, 10, 12}, HitSource::Rifle};
  world.flameThrower = 0;
  world.lighterHoldOff = 0;
  world.options = options;
  world.sounds.off = options.mute ? 1 : 0;
  world.hintShown = options.hint ? 1 : 0;
  world.savePending = 0;
  world.noticeTimer = 0;
  world.noticeText[0] = '\0';

  world.random.seed(seed ? *seed : static_cast<uint32_t>(std::time(nullptr)));
  platform.showMenuCursor(false);

  loadResources(world);

  loadSnapshot(session.capture, world.desktop);
  // The presentation is full-screen already; this platform needs no rebuilds to settle it. A
  // windowed start ends with one switch, as F11 makes it.
  if (options.windowed) togglePresentation(world.presenter);
}

namespace {

// F12: the frame just presented, as the screen shows it, saved as a picture; the notice and one
// line on standard error say where it went or why it did not.
void saveShownFrame(World& world) {
  const Canvas canvas = world.canvas();
  const std::string folder = world.platform->picturesFolder();
  const SavedPicture saved = savePicture(folder, canvas.pixels, canvas.width, canvas.height, std::time(nullptr));
  char text[NOTICE_CHARS];
  if (saved.saved) {
    std::snprintf(text, sizeof text, "Picture saved: %s", saved.path.c_str());
    std::fprintf(stderr, "mirthwick: picture saved as %s\n", saved.path.c_str());
  } else {
    std::snprintf(text, sizeof text, "Picture not saved: %s", saved.error.c_str());
    std::fprintf(stderr, "mirthwick: picture not saved in %s: %s\n", folder.empty() ? "(no folder)" : folder.c_str(),
                 saved.error.c_str());
  }
  showNotice(world, text, SAVE_NOTICE_FRAMES);
}

// F11 switches the presentation, M every sound off or on, F12 saves the frame once it is
// presented; each once per press.
void presentationAndSoundKeys(World& world) {
  if (world.keys[VK_F11] == 1 && world.keyLatch == 0) {
    togglePresentation(world.presenter);
    world.keyLatch = 1;
  }
  if (world.keys[VK_M] && world.keyLatch == 0) {
    setSoundOff(world.sounds, world.sounds.off == 0);
    // The world kept track of the loop all along: it resumes from its start if fires burn.
    if (!world.sounds.off && world.burningLoopOn)
      playSoundLooping(world.sounds, SoundSlot::Burning, BURNING_LOOP_LEVEL);
    showNotice(world, world.sounds.off ? "Sound off" : "Sound on", SOUND_NOTICE_FRAMES);
    world.keyLatch = 1;
  }
  if (world.keys[VK_F12] && world.keyLatch == 0) {
    world.savePending = 1;
    world.keyLatch = 1;
  }
}

}  // namespace

void frameStep(World& world) {
  if (world.menuOpen == 0) world.platform->showMenuCursor(false);

  if (world.mouse->right && world.rightLatch == 0) {
    world.rightLatch = 1;
    world.menuOpen = world.menuOpen ? 0 : 1;
  }
  if (!world.mouse->right) world.rightLatch = 0;

  presentationAndSoundKeys(world);
  updateHint(world);

  // The desktop picture under the frame, rebuilt where the last frame drew or the picture changed
  // (but not under statistics that will read the same); a tracked frame puts the drawing off from here.
  drawBackground(world.presenter, world.desktop, world.forceFullRedraw, statisticsSteady(world));

  sightEnemies(world);
  if (world.random.next() % 2 == 0) {
    updateArmy(world, ArmyId::Green);
    updateArmy(world, ArmyId::Blue);
  } else {
    updateArmy(world, ArmyId::Blue);
    updateArmy(world, ArmyId::Green);
  }

  if (world.lighterFires.count > 0) advanceFires(world, world.lighterFires);
  if (world.greenFires.count > 0) advanceFires(world, world.greenFires);
  if (world.blueFires.count > 0) advanceFires(world, world.blueFires);
  // The background, soldiers and flames waited to be drawn together, band by band.
  finishDrawing(world.presenter);

  if (world.menuOpen == 1) {
    const int32_t panelX = world.session->screen.width - 500;
    const int32_t panelY = (world.session->screen.height - 600) / 2;
    blitKeyed(world.canvas(), panelX, panelY, world.menuPanelImage);
    world.platform->showMenuCursor(true);
    drawMenuPanel(world, panelX, panelY);
  }

  interactionStep(world);
  if (world.showStats) drawStatistics(world);
  drawCaptureNotice(world.canvas(), world.session->capture.notice, world.statsFont, world.frameNumber);  // why the desktop is black
  drawOverlays(world);
  present(world.presenter, world.forceFullRedraw);
  if (world.savePending) {
    world.savePending = 0;
    saveShownFrame(world);
  }
  ++world.frameNumber;
}

void tearDown(World& world) {
  ToolPicture* pictures[6] = {&world.hammerUpPicture, &world.hammerDownPicture, &world.lighterPicture,
                              &world.lighterTiltedPicture, &world.riflePicture, &world.rifleFiringPicture};
  for (ToolPicture* picture : pictures) picture->pixels = {};
  // The loaded slots, last slot first; the platform closes the sound device after tear-down.
  releaseSounds(world.sounds);
  releasePresenter(world.presenter);
  world.sounds.platform = nullptr;
  world.platform = nullptr;
}

}  // namespace mw
