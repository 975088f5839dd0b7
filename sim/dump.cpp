// The simulator's state dump.
#include "sim/dump.h"

#include "app/input.h"
#include "sim/simulator.h"
#include "world/world.h"

namespace mw {

namespace {

Json colour(const uint8_t rgb[3]) { return Json::array({rgb[0], rgb[1], rgb[2]}); }

// Each slot's sample bytes, and every sound operation so far in order.
Json dumpSounds(const World& world, const HeadlessPlatform& platform) {
  Json slots = Json::object();
  for (int slot = 0; slot < SOUND_SLOT_COUNT; ++slot)
    slots[soundSlotName(static_cast<SoundSlot>(slot))] = world.sounds.clips[slot].bytes.size();
  Json log = Json::array();
  for (const SoundEvent& event : platform.soundLog()) {
    log.push_back(Json{{"frame", event.frame},
                       {"slot", soundSlotName(static_cast<SoundSlot>(event.slot))},
                       {"op", soundOpName(event.op)},
                       {"level", event.level}});
  }
  return Json{{"slots", slots}, {"log", log}};
}

// One army: its count and every live soldier with its swing record.
Json dumpArmy(const Army& army) {
  Json soldiers = Json::array();
  for (int32_t i = 0; i < army.count && i < ARMY_SLOTS; ++i) {
    const Soldier& s = army.soldiers[i];
    const Soldier& w = army.swings[i];
    Json j;
    j["x"] = s.x;
    j["y"] = s.y;
    j["vx"] = s.vx;
    j["vy"] = s.vy;
    j["frame"] = s.frame;
    j["tick"] = s.tick;
    j["frameTime"] = s.frameTime;
    j["woundTimer"] = s.woundTimer;
    j["wandering"] = s.wandering;
    j["facing"] = s.facing;
    j["hasTarget"] = s.hasTarget;
    j["target"] = s.target;
    j["health"] = s.health;
    j["engaged"] = s.engaged;
    j["dead"] = s.dead;
    j["struck"] = s.struck;
    j["barLength"] = s.barLength;
    j["flameSoldier"] = s.flameSoldier;
    j["swing"] = Json{{"frame", w.frame}, {"tick", w.tick},     {"x", w.x},
                      {"y", w.y},         {"facing", w.facing}, {"frameTime", w.frameTime}};
    soldiers.push_back(j);
  }
  return Json{{"count", army.count}, {"soldiers", soldiers}};
}

// One fire array: its count and every live fire in slot order.
Json dumpFires(const FireArray& array) {
  Json fires = Json::array();
  for (int32_t i = 0; i < array.count && i < FIRE_SLOTS; ++i) {
    const Fire& f = array.fires[i];
    fires.push_back(Json{{"x", f.x},
                         {"y", f.y},
                         {"vx", f.vx},
                         {"vy", f.vy},
                         {"age", f.age},
                         {"scorchTick", f.scorchTick},
                         {"frame", f.frame},
                         {"frameTick", f.frameTick}});
  }
  return Json{{"count", array.count}, {"fires", fires}};
}

}  // namespace

Json dumpWorld(const World& w) {
  Json j;
  j["presentation"] = w.presenter.windowed ? "windowed" : "fullscreen";
  j["fireFrameTime"] = w.fireFrameTime;
  j["soldierFireLife"] = w.soldierFireLife;
  j["clickLatch"] = w.clickLatch;
  j["rightLatch"] = w.rightLatch;
  j["keyLatch"] = w.keyLatch;
  j["autoFireLatch"] = w.autoFireLatch;
  j["shotThisFrame"] = w.shotThisFrame;
  j["menuOpen"] = w.menuOpen;
  j["paused"] = w.paused;
  j["burningLoopOn"] = w.burningLoopOn;
  j["soundOff"] = w.sounds.off;
  j["hintShown"] = w.hintShown;
  j["noticeTimer"] = w.noticeTimer;
  const Strike& hit = w.lastStrike;
  j["hitX"] = hit.x;
  j["hitY"] = hit.y;
  j["hitBox"] = Json::array({hit.box.left, hit.box.right, hit.box.up, hit.box.down});
  j["hitSource"] = static_cast<int32_t>(hit.source);
  j["burstShotsLeft"] = w.burstShotsLeft;
  j["shotFrameCounter"] = w.shotFrameCounter;
  j["currentTool"] = static_cast<int32_t>(w.currentTool);
  j["fireMode"] = static_cast<int32_t>(w.fireMode);
  j["modeLabelTimer"] = w.modeLabelTimer;
  j["greenBarColour"] = colour(w.green.barColour);
  j["blueBarColour"] = colour(w.blue.barColour);
  j["showStats"] = w.showStats;
  j["spawnFacing"] = w.spawnFacing;
  j["flameThrower"] = w.flameThrower;
  j["lighterHoldOff"] = w.lighterHoldOff;
  j["soldierFrameTime"] = w.soldierFrameTime;
  j["greenCount"] = w.green.count;
  j["blueCount"] = w.blue.count;
  j["lighterFires"] = w.lighterFires.count;
  j["greenFires"] = w.greenFires.count;
  j["blueFires"] = w.blueFires.count;
  return j;
}

Json dumpState(Simulator& simulator) {
  World& world = simulator.world();
  Json j;
  j["frame"] = world.frameNumber;
  j["quit"] = simulator.application().quitTaken();
  const Session& session = simulator.application().session();
  j["screen"] = Json{{"width", session.screen.width}, {"height", session.screen.height}};
  j["desktop"] = Json{{"width", world.desktop.width}, {"height", world.desktop.height}};
  const Mouse& mouse = session.mouse;
  j["mouse"] = Json{{"x", mouse.x},
                    {"y", mouse.y},
                    {"left", mouse.left},
                    {"right", mouse.right},
                    {"captured", mouse.captured}};
  Json keys = Json::array();
  for (int vk = 0; vk < 256; ++vk) {
    if (session.keys[vk]) keys.push_back(vk);
  }
  j["keys"] = keys;
  j["world"] = dumpWorld(world);
  j["sounds"] = dumpSounds(world, simulator.platform());
  j["green"] = dumpArmy(world.green);
  j["blue"] = dumpArmy(world.blue);
  j["fires"] = Json{{"lighter", dumpFires(world.lighterFires)},
                    {"green", dumpFires(world.greenFires)},
                    {"blue", dumpFires(world.blueFires)}};
  const Fire& flame = world.lighterFlame;
  j["lighterFlame"] = Json{{"x", flame.x}, {"y", flame.y}, {"frame", flame.frame}, {"frameTick", flame.frameTick}};
  return j;
}

}  // namespace mw
