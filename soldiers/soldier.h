// The soldier record and the army that holds a fixed array of them.
#pragma once
#include <cstdint>

#include "gfx/image.h"

namespace mw {

inline constexpr int32_t ARMY_CAPACITY = 200;  // live soldiers at most
inline constexpr int32_t ARMY_SLOTS = 201;     // the last slot is never live and stays clean
inline constexpr int32_t RED_SLOTS = 402;      // red record i serves green i, 201 + i serves blue i
inline constexpr int32_t NO_TARGET = 999;

// One soldier; the same record also serves as a plain animation record (sheet, frame, tick, x, y,
// facing, frameTime) for the swing and red records.
struct Soldier {
  SpriteSheet* sheet = nullptr;
  int32_t frame = 0;
  int32_t tick = 0;
  float x = 0.0f;
  float y = 0.0f;
  float vx = 0.0f;
  float vy = 0.0f;
  int32_t woundTimer = 0;
  uint8_t wandering = 0;
  uint8_t facing = 1;  // 1 right, 0 left (drawn mirrored)
  int32_t frameTime = 0;
  uint8_t hasTarget = 0;
  int32_t target = NO_TARGET;
  int32_t health = 0;
  uint8_t engaged = 0;
  uint8_t dead = 0;
  uint8_t struck = 0;
  int32_t barLength = 0;
  uint8_t flameSoldier = 0;
};

enum class ArmyId : int32_t { Green = 0, Blue = 1 };

// One army's pictures and records.
struct Army {
  SpriteSheet walkSheet;         // 13 frames of 40 x 40: one stride
  Soldier soldiers[ARMY_SLOTS];  // live: 0 .. count - 1
  SpriteSheet swingSheet;        // 5 frames of 40 x 40: one stroke
  Soldier swings[ARMY_SLOTS];    // swing animation of soldier i
  Image standingImage;           // preview while the sword-soldier tool is in hand
  Image brightImage;             // preview while the flame-soldier tool is in hand
  int32_t count = 0;
  Image dyingImages[3];  // shot in the head, the body, the legs
  Image deadImage;       // killed by a sword
  uint8_t barColour[3] = {0, 0, 0};  // red, green, blue
};

}  // namespace mw
