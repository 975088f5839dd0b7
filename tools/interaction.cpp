// The interaction step and the menu panel.
#include "tools/interaction.h"

#include "app/message_loop.h"
#include "app/messages.h"
#include "app/snapshot.h"
#include "audio/sound_bank.h"
#include "gfx/compositing.h"
#include "soldiers/armies.h"
#include "tools/hammer.h"
#include "tools/lighter.h"
#include "tools/rifle.h"
#include "world/world.h"

namespace mw {

namespace {

struct Point {
  int32_t x, y;
};

// One tool item of the panel: its rectangle (bounds inclusive), the two corner brackets drawn while
// the mouse is over it, and what a click on it takes. Panel coordinates throughout.
struct ToolItem {
  int32_t x0, x1, y0, y1;
  Point topLeft, topLeftArms[2];
  Point bottomRight, bottomRightArms[2];
  Tool tool;
  SoundSlot sound;
  int32_t level;
  bool hasSound;
  FireMode fireMode;
};

// The brackets are not always at the rectangle's corners: they follow the pictures painted inside.
constexpr ToolItem TOOL_ITEMS[] = {
    {73, 242, 48, 228, {73, 48}, {{113, 48}, {73, 88}}, {243, 228}, {{203, 228}, {243, 188}},
     Tool::Hammer, SoundSlot::EqHam, -350, true, FireMode::Single},
    {243, 400, 48, 228, {240, 48}, {{280, 48}, {240, 88}}, {400, 228}, {{360, 228}, {400, 188}},
     Tool::Lighter, SoundSlot::Zippo, 0, true, FireMode::Single},
    {73, 242, 229, 409, {73, 225}, {{113, 225}, {73, 265}}, {243, 405}, {{203, 405}, {243, 365}},
     Tool::Rifle, SoundSlot::EqM4, 0, true, FireMode::FullAuto},
    {245, 295, 235, 314, {250, 235}, {{270, 235}, {250, 255}}, {300, 315}, {{280, 315}, {300, 295}},
     Tool::GreenSoldier, SoundSlot::Unused, 0, false, FireMode::Single},
    {245, 295, 315, 394, {250, 315}, {{270, 315}, {250, 335}}, {300, 395}, {{280, 395}, {300, 375}},
     Tool::BlueSoldier, SoundSlot::Unused, 0, false, FireMode::Single},
    {300, 350, 235, 314, {305, 235}, {{325, 235}, {305, 255}}, {355, 315}, {{335, 315}, {355, 295}},
     Tool::GreenFlameSoldier, SoundSlot::Unused, 0, false, FireMode::Single},
    {300, 350, 315, 394, {305, 315}, {{325, 315}, {305, 335}}, {355, 395}, {{335, 395}, {355, 375}},
     Tool::BlueFlameSoldier, SoundSlot::Unused, 0, false, FireMode::Single},
};

// One check box: its rectangle and the two lines of its cross (the Pause cross sits a pixel higher).
struct CheckBox {
  int32_t x0, x1, y0, y1;
  Point crossA[2], crossB[2];
};

constexpr CheckBox SHOW_STATS_BOX = {384, 394, 488, 498, {{384, 488}, {392, 496}}, {{384, 496}, {392, 488}}};
constexpr CheckBox FLAME_THROWER_BOX = {384, 394, 456, 466, {{384, 456}, {392, 464}}, {{384, 464}, {392, 456}}};
constexpr CheckBox PAUSE_BOX = {384, 394, 472, 482, {{384, 471}, {392, 479}}, {{384, 479}, {392, 471}}};

constexpr int32_t CLOSE_X0 = 405, CLOSE_X1 = 422, CLOSE_Y0 = 2, CLOSE_Y1 = 23;
constexpr int32_t MODE_LABEL_STEPS = 25;
constexpr int32_t LIGHTER_HOLD_OFF_STEPS = 30;

bool inside(int32_t x, int32_t y, int32_t x0, int32_t x1, int32_t y0, int32_t y1) {
  return x >= x0 && x <= x1 && y >= y0 && y <= y1;
}

bool isSoldierTool(Tool tool) {
  return tool == Tool::GreenSoldier || tool == Tool::BlueSoldier || tool == Tool::GreenFlameSoldier ||
         tool == Tool::BlueFlameSoldier;
}

ArmyId soldierToolArmy(Tool tool) {
  return tool == Tool::GreenSoldier || tool == Tool::GreenFlameSoldier ? ArmyId::Green : ArmyId::Blue;
}

bool soldierToolIsFlame(Tool tool) { return tool == Tool::GreenFlameSoldier || tool == Tool::BlueFlameSoldier; }

void panelLine(World& world, int32_t panelX, int32_t panelY, Point a, Point b, int32_t red, int32_t green,
               int32_t blue) {
  drawLine(world.canvas(), panelX + a.x, panelY + a.y, panelX + b.x, panelY + b.y, red, green, blue);
}

void takeTool(World& world, const ToolItem& item) {
  world.currentTool = item.tool;
  if (item.hasSound) playSound(world.sounds, item.sound, item.level);
  world.menuOpen = 0;
  world.clickLatch = 1;
  world.fireMode = item.fireMode;
  if (item.tool == Tool::Lighter) world.lighterHoldOff = LIGHTER_HOLD_OFF_STEPS;
  if (isSoldierTool(item.tool)) world.spawnFacing = 1;
}

// A check box inverts its option once per press and shows a cross while the option is on.
void checkBox(World& world, int32_t panelX, int32_t panelY, int32_t mx, int32_t my, const CheckBox& box,
              uint8_t& option) {
  if (inside(mx, my, box.x0, box.x1, box.y0, box.y1) && world.mouse->left) {
    if (world.clickLatch == 0) {
      playSound(world.sounds, SoundSlot::Click, 0);
      option = option ? 0 : 1;
    }
    world.clickLatch = 1;
  }
  if (option) {
    panelLine(world, panelX, panelY, box.crossA[0], box.crossA[1], 0, 0, 0);
    panelLine(world, panelX, panelY, box.crossB[0], box.crossB[1], 0, 0, 0);
  }
}

const Image& soldierPreview(World& world, Tool tool) {
  Army& army = world.army(soldierToolArmy(tool));
  return soldierToolIsFlame(tool) ? army.brightImage : army.standingImage;
}

// The soldier tools place one soldier per press, while the army has room; no sound.
void placeFromTool(World& world) {
  if (world.clickLatch != 0) return;
  const Tool tool = world.currentTool;
  const ArmyId id = soldierToolArmy(tool);
  if (world.army(id).count >= ARMY_CAPACITY) return;
  placeSoldier(world, id, soldierToolIsFlame(tool), world.mouse->x, world.mouse->y, world.spawnFacing);
}

// The left button is down: the tool in hand acts.
void useTool(World& world) {
  switch (world.currentTool) {
    case Tool::Hammer:
      hammerDown(world);
      break;
    case Tool::Lighter:
      lighterDown(world);
      break;
    case Tool::Rifle:
      rifleDown(world);
      break;
    default:
      placeFromTool(world);
      break;
  }
}

// The left button is up: the tool in hand follows the mouse.
void drawToolInHand(World& world) {
  const Canvas canvas = world.canvas();
  const int32_t mx = world.mouse->x;
  const int32_t my = world.mouse->y;
  switch (world.currentTool) {
    case Tool::Hammer:
      drawToolPicture(canvas, world.hammerUpPicture, mx, my);
      break;
    case Tool::Lighter:
      drawToolPicture(canvas, world.lighterPicture, mx, my);
      break;
    case Tool::Rifle:
      drawToolPicture(canvas, world.riflePicture, mx, my);
      break;
    default:
      drawSprite(canvas, mx, my, soldierPreview(world, world.currentTool), world.spawnFacing);
      break;
  }
}

}  // namespace

void drawMenuPanel(World& world, int32_t panelX, int32_t panelY) {
  const int32_t mx = world.mouse->x - panelX;
  const int32_t my = world.mouse->y - panelY;

  for (const ToolItem& item : TOOL_ITEMS) {
    if (!inside(mx, my, item.x0, item.x1, item.y0, item.y1)) continue;
    for (const Point& arm : item.topLeftArms) panelLine(world, panelX, panelY, item.topLeft, arm, 0, 255, 255);
    for (const Point& arm : item.bottomRightArms)
      panelLine(world, panelX, panelY, item.bottomRight, arm, 0, 255, 255);
    // A click on a tool is taken at once, even from a press that began before the panel opened.
    if (world.mouse->left) takeTool(world, item);
  }

  if (inside(mx, my, CLOSE_X0, CLOSE_X1, CLOSE_Y0, CLOSE_Y1) && world.mouse->left) {
    playSound(world.sounds, SoundSlot::Click, 0);
    world.menuOpen = 0;
    world.clickLatch = 1;
  }

  checkBox(world, panelX, panelY, mx, my, SHOW_STATS_BOX, world.showStats);
  checkBox(world, panelX, panelY, mx, my, FLAME_THROWER_BOX, world.flameThrower);
  checkBox(world, panelX, panelY, mx, my, PAUSE_BOX, world.paused);

  if (!world.mouse->left) world.clickLatch = 0;
}

void interactionStep(World& world) {
  const uint8_t* keys = world.keys;
  if (world.menuOpen == 0) {
    if (world.lighterHoldOff > 0) world.lighterHoldOff = world.lighterHoldOff - 1;

    if (world.modeLabelTimer > 0) {
      if (world.currentTool == Tool::Rifle) drawModeLabel(world);
      world.modeLabelTimer = world.modeLabelTimer - 1;
    }

    // Enter restores the undamaged desktop, once per press.
    if (keys[VK_RETURN] && world.keyLatch == 0) {
      loadSnapshot(world.session->capture, world.desktop);
      world.keyLatch = 1;
    }

    if (keys[VK_SPACE] && world.keyLatch == 0) {
      if (world.currentTool == Tool::Rifle) advanceFireMode(world);
      if (isSoldierTool(world.currentTool)) world.spawnFacing = world.spawnFacing ? 0 : 1;
      world.modeLabelTimer = MODE_LABEL_STEPS;
      world.keyLatch = 1;
    }

    if (!keys[VK_SPACE] && !keys[VK_F12] && !keys[VK_F11] && !keys[VK_RETURN] && !keys[VK_M]) world.keyLatch = 0;

    if (world.mouse->left) {
      useTool(world);
      world.clickLatch = 1;
    }

    rifleFollowUpShots(world);

    if (world.currentTool == Tool::Lighter) lighterFlameStep(world);

    if (!world.mouse->left) {
      drawToolInHand(world);
      world.clickLatch = 0;
    }

    checkSwings(world);

    drawRifleLast(world);
  }
  if (keys[VK_ESCAPE]) postQuitMessage(world.session->quit, 0);
}

}  // namespace mw
