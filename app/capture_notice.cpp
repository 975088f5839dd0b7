// The capture notice over the first frames.
#include "app/capture_notice.h"

#include <algorithm>
#include <string_view>

#include "gfx/bands.h"
#include "gfx/compositing.h"

namespace mw {

namespace {
constexpr uint32_t NOTICE_TEXT = 0xFFFFFFFFu;
constexpr uint32_t NOTICE_BAND = 0xFF000000u;
constexpr int32_t NOTICE_MARGIN = 8;
constexpr size_t NOTICE_LINE_CHARS = 255;  // longer lines are cut
}  // namespace

void drawCaptureNotice(Canvas canvas, const std::string& notice, const BitmapFont& font, uint64_t frame) {
  if (notice.empty() || frame >= CAPTURE_NOTICE_FRAMES || canvas.pixels == nullptr) return;
  if (font.glyphWidth <= 0 || font.glyphHeight <= 0) return;
  // Lines are measured and drawn straight from the notice: nothing is allocated per frame.
  const std::string_view text = notice;
  size_t lineCount = 0, longest = 0;
  for (size_t start = 0; start <= text.size();) {
    const size_t end = std::min(text.find('\n', start), text.size());
    longest = std::max(longest, end - start);
    ++lineCount;
    start = end + 1;
  }
  const int64_t textHeight = static_cast<int64_t>(lineCount) * font.glyphHeight;
  const int64_t top = (canvas.height - textHeight) / 2;
  // A black band behind the text, so it reads over any picture.
  const int64_t bandWidth = static_cast<int64_t>(longest) * font.glyphWidth + 2 * NOTICE_MARGIN;
  const int64_t x0 = std::max<int64_t>(0, (canvas.width - bandWidth) / 2);
  const int64_t x1 = std::min<int64_t>(canvas.width, x0 + bandWidth);
  const int64_t y0 = std::max<int64_t>(0, top - NOTICE_MARGIN);
  const int64_t y1 = std::min<int64_t>(canvas.height, top + textHeight + NOTICE_MARGIN);
  drawDeferredFirst(canvas);
  for (int64_t y = y0; y < y1; ++y) {
    std::fill(canvas.pixels + y * canvas.width + x0, canvas.pixels + y * canvas.width + x1, NOTICE_BAND);
  }
  noteDrawn(canvas, x0, y0, x1, y1);
  char line[NOTICE_LINE_CHARS + 1];
  size_t i = 0;
  for (size_t start = 0; start <= text.size(); ++i) {
    const size_t end = std::min(text.find('\n', start), text.size());
    const size_t length = std::min(end - start, NOTICE_LINE_CHARS);
    text.copy(line, length, start);
    line[length] = '\0';
    const int64_t width = static_cast<int64_t>(end - start) * font.glyphWidth;
    drawText(canvas, line, static_cast<int32_t>((canvas.width - width) / 2),
             static_cast<int32_t>(top + static_cast<int64_t>(i) * font.glyphHeight), font, NOTICE_TEXT);
    start = end + 1;
  }
}

}  // namespace mw
