// Why the desktop shows black: the reason a capture gave, drawn over the first frames.
#pragma once
#include <cstdint>
#include <string>

#include "gfx/image.h"
#include "gfx/text.h"

namespace mw {

// Frames that show the notice after start: ten seconds at 60 Hz.
inline constexpr uint64_t CAPTURE_NOTICE_FRAMES = 600;

// Draws the notice of the latest capture (empty: the capture worked, nothing to say), one line of
// text per line of the notice, centred on the canvas in white on a black band, while frame
// (counting from 0) is below CAPTURE_NOTICE_FRAMES.
void drawCaptureNotice(Canvas canvas, const std::string& notice, const BitmapFont& font, uint64_t frame);

}  // namespace mw
