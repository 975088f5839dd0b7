// Moving fires and the fixed arrays that hold them.
#pragma once
#include <cstdint>

#include "gfx/image.h"

namespace mw {

inline constexpr int32_t FIRE_CAPACITY = 800;  // live fires at most per array
inline constexpr int32_t FIRE_SLOTS = 801;

struct Fire {
  SpriteSheet* sheet = nullptr;  // fixed per slot
  int32_t frame = 0;
  int32_t frameTick = 0;
  float x = 0.0f;  // the flame is drawn at (x + 45, y - 10)
  float y = 0.0f;
  float vx = 0.0f;
  float vy = 0.0f;
  int32_t age = 0;         // dies at 1500
  int32_t scorchTick = 0;  // a scorch mark every 12 steps
};

struct FireArray {
  Fire fires[FIRE_SLOTS];
  int32_t count = 0;  // live fires are slots 0 .. count - 1, in order of birth
};

}  // namespace mw
