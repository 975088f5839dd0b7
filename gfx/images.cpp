// Loading the pictures compiled into the program.
#include "gfx/images.h"

#include <cstddef>

namespace mw {

bool loadImageResource(Image&, int32_t) { return false; }

bool loadFrameFromStrip(Image&, int32_t, int32_t, int32_t, int32_t) { return false; }

void loadSpriteSheet(SpriteSheet& out, int32_t number, int32_t frameCount, int32_t frameWidth, int32_t frameHeight,
                     int32_t ticksPerFrame) {
  out.frames.assign(static_cast<std::size_t>(frameCount), Image{});
  for (int32_t k = 0; k < frameCount; ++k) loadFrameFromStrip(out.frames[k], number, k * frameWidth, frameWidth, frameHeight);
  out.frameCount = frameCount;
  out.ticksPerFrame = ticksPerFrame;
}

bool loadToolPicture(ToolPicture&, int32_t) { return false; }

}  // namespace mw
