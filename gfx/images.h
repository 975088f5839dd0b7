// Loading the pictures compiled into the program.
#pragma once
#include <cstdint>

#include "gfx/image.h"

namespace mw {

// Decodes picture resource `number` into out. False (out untouched) when it is missing or broken.
bool loadImageResource(Image& out, int32_t number);
// Decodes the columns xStart .. xStart + frameWidth - 1 of a strip into out.
bool loadFrameFromStrip(Image& out, int32_t number, int32_t xStart, int32_t frameWidth, int32_t frameHeight);
// Cuts a horizontal strip into frameCount equal frames.
void loadSpriteSheet(SpriteSheet& out, int32_t number, int32_t frameCount, int32_t frameWidth, int32_t frameHeight,
                     int32_t ticksPerFrame);
// Decodes a 256 x 256 tool picture into its store.
bool loadToolPicture(ToolPicture& out, int32_t number);

// One animation step of a record drawn from a sheet: the sheet's frame time is rewritten to the
// record's (sheets are shared and the value is read back at once), the tick counts up, and at the
// frame time the record moves to the next frame, round the sheet. Nothing without a sheet.
inline void stepAnimation(SpriteSheet* sheet, int32_t ticksPerFrame, int32_t& frame, int32_t& tick) {
  if (sheet == nullptr) return;
  sheet->ticksPerFrame = ticksPerFrame;
  tick = tick + 1;
  if (tick >= sheet->ticksPerFrame) {
    frame = sheet->frameCount > 0 ? (frame + 1) % sheet->frameCount : 0;
    tick = 0;
  }
}

}  // namespace mw
