// Plain reference loops of the drawing routines, written straight from their definitions. The fast
// routines of compositing.h must give exactly these pixels; tests and benchmarks compare the two.
#pragma once
#include <cstdint>

#include "gfx/image.h"

namespace mw::reference {

void blitKeyed(Canvas canvas, int32_t x, int32_t y, const Image& image);
void blendImage(Canvas canvas, int32_t x, int32_t y, const Image& image);
void drawToolPicture(Canvas canvas, const ToolPicture& picture, int32_t x, int32_t y);
void stampImage(int32_t x, int32_t y, const Image& source, Image& target, ScreenSize screen);
void stampImageFacing(int32_t x, int32_t y, const Image& source, Image& target, ScreenSize screen, uint8_t facing);
// Stamps in orientation k (0 to 7).
void stampOriented(int32_t x, int32_t y, const Image& source, Image& target, ScreenSize screen, int k);
// The frame step's background: clear the canvas to 0, then copy the desktop picture's pixels that
// fall on it, except those equal to its key.
void copyBackground(Canvas canvas, const Image& desktop);

}  // namespace mw::reference
