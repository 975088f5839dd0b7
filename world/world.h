// The world: the one record of the whole program state. The frame step that drives it is in
// world/frame.h.
#pragma once
#include <cstdint>

#include "app/input.h"
#include "app/options.h"
#include "app/session.h"
#include "audio/sound_bank.h"
#include "fires/fire.h"
#include "gfx/image.h"
#include "gfx/presenter.h"
#include "gfx/text.h"
#include "soldiers/soldier.h"
#include "world/random.h"

namespace mw {

class Platform;

enum class Tool : int32_t { Hammer, Lighter, Rifle, GreenSoldier, BlueSoldier, GreenFlameSoldier, BlueFlameSoldier };
enum class FireMode : int32_t { Single, Burst, FullAuto };
enum class HitSource : int32_t { Hammer, Fire, Rifle };

// How far a hit area widens around the soldier's own: left, right, up, down.
struct HitBox {
  int32_t left = 0, right = 0, up = 0, down = 0;
};

// One strike at a point: a hammer blow, a bullet, or a fire burning where it passes.
struct Strike {
  int32_t x = 0;  // the hit point
  int32_t y = 0;
  HitBox box;
  HitSource source = HitSource::Hammer;
};

// Room for a notice's text; longer text is cut.
inline constexpr int32_t NOTICE_CHARS = 200;

// Fixed capacities inside, nothing allocated per frame. Large: allocate it once, on the heap.
struct World {
  float fireFrameTime = 0.0f;  // frame steps per flame animation frame
  int32_t soldierFireLife = 0;  // life of a fire launched by a flame soldier
  uint32_t statsFontPixels[FONT_STORE_PIXELS] = {};
  uint32_t labelFontPixels[FONT_STORE_PIXELS] = {};
  Presenter presenter;
  Session* session = nullptr;  // the run's screen size, input, quit and capture state
  uint8_t* keys = nullptr;     // the session's key states
  Mouse* mouse = nullptr;      // the session's mouse
  Platform* platform = nullptr;
  BitmapFont statsFont;
  BitmapFont labelFont;
  FireArray lighterFires;
  SpriteSheet orangeFlameSheet;
  Fire lighterFlame;
  SpriteSheet lighterFlameSheet;
  FireArray greenFires;
  SpriteSheet blueFlameSheet;
  FireArray blueFires;
  SpriteSheet purpleFlameSheet;
  Image desktop;  // the desktop photograph, into which lasting damage is stamped
  Image menuPanelImage;
  Image scorchImage;
  Image crackImage;
  Image bulletHoleImage;
  uint8_t clickLatch = 0;
  uint8_t rightLatch = 0;
  uint8_t keyLatch = 0;
  uint8_t autoFireLatch = 0;
  uint8_t shotThisFrame = 0;
  uint8_t menuOpen = 0;
  uint8_t paused = 0;
  uint8_t burningLoopOn = 0;
  SoundBank sounds;
  int32_t burstShotsLeft = 0;
  int32_t shotFrameCounter = 0;
  Tool currentTool = Tool::Hammer;
  FireMode fireMode = FireMode::Single;
  int32_t modeLabelTimer = 0;
  uint8_t showStats = 0;
  uint8_t spawnFacing = 0;  // facing of the next soldier placed: 1 right, 0 left
  ToolPicture hammerUpPicture;
  ToolPicture hammerDownPicture;
  ToolPicture lighterPicture;
  ToolPicture lighterTiltedPicture;
  ToolPicture riflePicture;
  ToolPicture rifleFiringPicture;
  Army blue;
  Army green;
  SpriteSheet redWalkSheet;
  Soldier redWalkRecords[RED_SLOTS];
  SpriteSheet redSwingSheet;
  Soldier redSwingRecords[RED_SLOTS];
  Image bloodStainImage;
  Image charredBodyImage;
  float soldierFrameTime = 0.0f;  // frame steps per soldier animation frame
  // The last strike resolved, as the dump shows it; a strike whose tool in hand sets no hit area
  // keeps this one's.
  Strike lastStrike;
  char statisticsText[3][16] = {};
  // Menu options kept with the rest of the state.
  uint8_t flameThrower = 0;
  int32_t lighterHoldOff = 0;
  // Frame steps run so far.
  uint64_t frameNumber = 0;
  // What the command line asked for, and the state it sets.
  StartOptions options;
  uint8_t hintShown = 0;    // the start hint is still on screen
  uint8_t savePending = 0;  // F12: the frame is saved once it is presented
  int32_t noticeTimer = 0;  // frame steps the notice still shows
  char noticeText[NOTICE_CHARS] = {};
  // Every frame rebuilt and presented whole, as if nothing were known of what changed (tests
  // compare the two ways).
  bool forceFullRedraw = false;
  // Every random choice of the game, in the order the frame step makes them.
  RandomGenerator random;

  Army& army(ArmyId id) { return id == ArmyId::Green ? green : blue; }
  Canvas canvas() { return frameCanvas(presenter); }
};

}  // namespace mw
