// Loading the pictures compiled into the program.
#include "gfx/images.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "gfx/png_codec.h"
#include "gfx/resources.h"

namespace mw {

namespace {

enum class Decoded { Missing, Broken, Ok };

// Decodes picture resource `number`: Missing when there is no such resource or it is empty, Broken
// when its bytes are not a PNG the decoder accepts.
Decoded decodeResource(int32_t number, Image& picture) {
  const ResourceBytes resource = imageResource(number);
  if (resource.bytes == nullptr || resource.size == 0) return Decoded::Missing;
  return decodePng(resource.bytes, resource.size, picture) ? Decoded::Ok : Decoded::Broken;
}

// Cuts the columns xStart .. xStart + frameWidth - 1 of a decoded strip into out. Only the part that
// lies inside both the strip and the frame is copied; the rest of the frame is transparent black.
void cutFrame(const Image& strip, Image& out, int32_t xStart, int32_t frameWidth, int32_t frameHeight) {
  Image frame;
  frame.width = frameWidth;
  frame.height = frameHeight;
  frame.key = TRANSPARENT_KEY;
  frame.pixels.assign(static_cast<size_t>(frameWidth) * static_cast<size_t>(frameHeight), 0u);
  const int64_t first = std::max<int64_t>(xStart, 0);
  const int64_t end = std::min<int64_t>(int64_t{xStart} + frameWidth, strip.width);
  const int32_t rows = std::min(strip.height, frameHeight);
  if (first < end) {
    for (int32_t y = 0; y < rows; ++y) {
      const uint32_t* src = strip.pixels.data() + static_cast<size_t>(y) * strip.width;
      uint32_t* dst = frame.pixels.data() + static_cast<size_t>(y) * frameWidth;
      std::memcpy(dst + (first - xStart), src + first, static_cast<size_t>(end - first) * sizeof(uint32_t));
    }
  }
  out = std::move(frame);
}

}  // namespace

void findVisibleSpans(Image& image) {
  image.visibleSpans.clear();
  if (image.width <= 0 || image.height <= 0 || image.width > 65535 ||
      image.pixels.size() < static_cast<size_t>(image.width) * static_cast<size_t>(image.height))
    return;
  image.visibleSpans.resize(static_cast<size_t>(image.height) * 2);
  int32_t left = image.width, right = 0, top = image.height, bottom = 0;
  for (int32_t y = 0; y < image.height; ++y) {
    const uint32_t* row = image.pixels.data() + static_cast<size_t>(y) * image.width;
    int32_t first = 0;
    int32_t end = image.width;
    while (first < end && (row[first] >> 24) == 0) ++first;
    while (end > first && (row[end - 1] >> 24) == 0) --end;
    if (first == end) {
      first = end = 0;
    } else {
      left = std::min(left, first);
      right = std::max(right, end);
      top = std::min(top, y);
      bottom = y + 1;
    }
    image.visibleSpans[static_cast<size_t>(y) * 2] = static_cast<uint16_t>(first);
    image.visibleSpans[static_cast<size_t>(y) * 2 + 1] = static_cast<uint16_t>(end);
  }
  if (left >= right) left = right = top = bottom = 0;
  image.visibleLeft = left;
  image.visibleTop = top;
  image.visibleRight = right;
  image.visibleBottom = bottom;
}

bool loadImageResource(Image& out, int32_t number) {
  Image picture;
  if (decodeResource(number, picture) != Decoded::Ok) return false;
  out = std::move(picture);
  return true;
}

bool loadFrameFromStrip(Image& out, int32_t number, int32_t xStart, int32_t frameWidth, int32_t frameHeight) {
  if (frameWidth < 0 || frameHeight < 0) return false;
  Image strip;
  if (decodeResource(number, strip) != Decoded::Ok) return false;
  cutFrame(strip, out, xStart, frameWidth, frameHeight);
  return true;
}

void loadSpriteSheet(SpriteSheet& out, int32_t number, int32_t frameCount, int32_t frameWidth, int32_t frameHeight,
                     int32_t ticksPerFrame) {
  const int32_t count = std::max(frameCount, 0);
  out.frames.assign(static_cast<size_t>(count), Image{});
  // The strip is decoded once and cut into its frames; the frames equal separate loads.
  Image strip;
  if (frameWidth >= 0 && frameHeight >= 0 && decodeResource(number, strip) == Decoded::Ok) {
    for (int32_t k = 0; k < count; ++k) {
      cutFrame(strip, out.frames[static_cast<size_t>(k)], static_cast<int32_t>(int64_t{k} * frameWidth), frameWidth,
               frameHeight);
    }
  }
  for (Image& frame : out.frames) findVisibleSpans(frame);
  out.frameCount = count;
  out.ticksPerFrame = ticksPerFrame;
}

bool loadToolPicture(ToolPicture& out, int32_t number) {
  Image picture;
  const Decoded result = decodeResource(number, picture);
  if (result == Decoded::Missing) return false;
  // An undecodable picture, or one larger than the store the caller gave, draws nothing.
  const size_t needed = static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height);
  if (result == Decoded::Broken || needed > out.pixels.size()) {
    out.width = 0;
    out.height = 0;
    return false;
  }
  std::copy(picture.pixels.begin(), picture.pixels.end(), out.pixels.begin());
  out.width = picture.width;
  out.height = picture.height;
  return true;
}

}  // namespace mw
