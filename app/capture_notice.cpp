// The capture notice over the first frames.
#include "app/capture_notice.h"

#include <algorithm>
#include <vector>

namespace mw {

namespace {
std::string notice;
constexpr uint32_t NOTICE_TEXT = 0xFFFFFFFFu;
constexpr uint32_t NOTICE_BAND = 0xFF000000u;
constexpr int32_t NOTICE_MARGIN = 8;
}  // namespace

void setCaptureNotice(const std::string& text) { notice = text; }

const std::string& captureNotice() { return notice; }

void drawCaptureNotice(Canvas canvas, const BitmapFont& font, uint64_t frame) {
  if (notice.empty() || frame >= CAPTURE_NOTICE_FRAMES || canvas.pixels == nullptr) return;
  if (font.glyphWidth <= 0 || font.glyphHeight <= 0) return;
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= notice.size()) {
    const size_t end = std::min(notice.find('\n', start), notice.size());
    lines.push_back(notice.substr(start, end - start));
    start = end + 1;
  }
  size_t longest = 0;
  for (const std::string& line : lines) longest = std::max(longest, line.size());
  const int64_t textHeight = static_cast<int64_t>(lines.size()) * font.glyphHeight;
  const int64_t top = (canvas.height - textHeight) / 2;
  // A black band behind the text, so it reads over any picture.
  const int64_t bandWidth = static_cast<int64_t>(longest) * font.glyphWidth + 2 * NOTICE_MARGIN;
  const int64_t x0 = std::max<int64_t>(0, (canvas.width - bandWidth) / 2);
  const int64_t x1 = std::min<int64_t>(canvas.width, x0 + bandWidth);
  const int64_t y0 = std::max<int64_t>(0, top - NOTICE_MARGIN);
  const int64_t y1 = std::min<int64_t>(canvas.height, top + textHeight + NOTICE_MARGIN);
  for (int64_t y = y0; y < y1; ++y) {
    std::fill(canvas.pixels + y * canvas.width + x0, canvas.pixels + y * canvas.width + x1, NOTICE_BAND);
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    const int64_t width = static_cast<int64_t>(lines[i].size()) * font.glyphWidth;
    drawText(canvas, lines[i].c_str(), static_cast<int32_t>((canvas.width - width) / 2),
             static_cast<int32_t>(top + static_cast<int64_t>(i) * font.glyphHeight), font, NOTICE_TEXT);
  }
}

}  // namespace mw
