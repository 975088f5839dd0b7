// Fuzzes the decoding of compiled-in pictures: the bytes stand in for a picture resource and go
// through every loader the start-up uses, with the frame sizes it uses.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "gfx/images.h"
#include "gfx/resources.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr int32_t NUMBER = 9999;  // no real picture has this number
  mw::overrideImageResource(NUMBER, std::vector<uint8_t>(data, data + size));

  mw::Image image;
  if (mw::loadImageResource(image, NUMBER) &&
      image.pixels.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height))
    std::abort();

  // The sheets as start-up cuts them: flames 4 x 80, soldiers 13 x 40 and 5 x 40.
  static const struct {
    int32_t frames, side;
  } sheets[] = {{4, 80}, {13, 40}, {5, 40}};
  for (const auto& s : sheets) {
    mw::SpriteSheet sheet;
    mw::loadSpriteSheet(sheet, NUMBER, s.frames, s.side, s.side, 3);
    if (sheet.frameCount != s.frames || sheet.frames.size() != static_cast<size_t>(s.frames)) std::abort();
    for (const mw::Image& frame : sheet.frames) {
      if (!frame.pixels.empty() && frame.pixels.size() != static_cast<size_t>(s.side) * s.side) std::abort();
    }
  }
  mw::Image frame;
  mw::loadFrameFromStrip(frame, NUMBER, 40, 40, 40);

  mw::ToolPicture tool;
  tool.pixels.assign(static_cast<size_t>(mw::TOOL_PICTURE_SIZE) * mw::TOOL_PICTURE_SIZE, 0);
  if (mw::loadToolPicture(tool, NUMBER) &&
      static_cast<size_t>(tool.width) * static_cast<size_t>(tool.height) > tool.pixels.size())
    std::abort();
  mw::clearImageResourceOverrides();
  return 0;
}
