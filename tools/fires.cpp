// Fires: start state; movement comes with the lighter.
#include "tools/fires.h"

#include <cstdlib>

#include "world/world.h"

namespace mw {

void resetFires(World& world) {
  world.lighterFlame = Fire{};
  world.lighterFlame.sheet = &world.lighterFlameSheet;
  world.lighterFlame.frame = std::rand() % world.lighterFlameSheet.frameCount;
  FireArray* arrays[3] = {&world.lighterFires, &world.greenFires, &world.blueFires};
  SpriteSheet* sheets[3] = {&world.orangeFlameSheet, &world.blueFlameSheet, &world.purpleFlameSheet};
  // Record by record across the three arrays: one draw per slot per array, in that order.
  for (int32_t i = 0; i < FIRE_SLOTS; ++i) {
    for (int a = 0; a < 3; ++a) {
      Fire& f = arrays[a]->fires[i];
      f = Fire{};
      f.sheet = sheets[a];
      f.frame = std::rand() % 4;
      f.x = 50.0f;
      f.y = 0.0f;
    }
  }
  for (FireArray* fires : arrays) fires->count = 0;
}

void advanceFires(World&, FireArray&) {}

}  // namespace mw
