// Bitmap-font text and the statistics overlay.
#include "gfx/text.h"

namespace mw {

void readFontBitmap(const std::string&, uint32_t*) {}

void drawText(Canvas, const char*, int32_t, int32_t, const BitmapFont&, uint32_t) {}

void drawStatistics(World&) {}

}  // namespace mw
