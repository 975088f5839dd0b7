// The headless platform.
#include "platform/headless/headless_platform.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>

namespace mw {

HeadlessPlatform::HeadlessPlatform(ScreenCapture screen) : screen_(std::move(screen)) {}

bool HeadlessPlatform::captureScreen(ScreenCapture& out) {
  ++captures_;
  out = screen_;
  return out.width > 0 && out.height > 0;
}

void HeadlessPlatform::createWindow(int, int) {}

bool HeadlessPlatform::peekMessage(WindowMessage& out) {
  if (queue_.empty()) return false;
  out = queue_.front();
  queue_.pop_front();
  return true;
}

void HeadlessPlatform::setPresentation(bool windowed) {
  windowed_ = windowed;
  ++presentationChanges_;
}

void HeadlessPlatform::present(const uint32_t* pixels, int width, int height) {
  lastFrame_.assign(pixels, pixels + static_cast<size_t>(width) * height);
  frameWidth_ = width;
  frameHeight_ = height;
  ++framesPresented_;
  pixelsReceived_ += static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
}

void HeadlessPlatform::presentRegions(const uint32_t* pixels, int width, int height, const PresentRect* rects,
                                      int count) {
  if (width != frameWidth_ || height != frameHeight_ || lastFrame_.size() != static_cast<size_t>(width) * height) {
    // A screen of another size shows nothing of the old frame.
    lastFrame_.assign(static_cast<size_t>(width) * height, 0);
    frameWidth_ = width;
    frameHeight_ = height;
  }
  for (int i = 0; i < count; ++i) {
    const PresentRect& r = rects[i];
    const int x0 = std::max(r.x, 0), y0 = std::max(r.y, 0);
    const int x1 = std::min(r.x + r.width, width), y1 = std::min(r.y + r.height, height);
    for (int y = y0; y < y1; ++y) {
      const size_t at = static_cast<size_t>(y) * width;
      std::copy(pixels + at + x0, pixels + at + x1, lastFrame_.begin() + static_cast<std::ptrdiff_t>(at + x0));
    }
    if (x1 > x0 && y1 > y0) pixelsReceived_ += static_cast<uint64_t>(x1 - x0) * static_cast<uint64_t>(y1 - y0);
  }
  if (count == 0) ++unchangedFrames_;
  ++framesPresented_;
}

const char* soundOpName(SoundEvent::Op op) {
  switch (op) {
    case SoundEvent::Op::Play:
      return "play";
    case SoundEvent::Op::Loop:
      return "loop";
    case SoundEvent::Op::Stop:
      return "stop";
  }
  return "play";
}

void HeadlessPlatform::attachSound(int slot, const uint8_t* bytes, uint32_t length) {
  if (bytes == nullptr) length = 0;
  soundAttachLog_.push_back(SoundAttach{slot, length});
  if (slot >= 0 && slot < SOUND_SLOTS) soundLengths_[slot] = length;
}

// Sounds are played inside frame steps, and every frame step ends with one present: the step now
// running is the one after the frames presented so far.
void HeadlessPlatform::playSound(int slot, int level, bool looping) {
  if (!soundLogging_) return;
  soundLog_.push_back(SoundEvent{framesPresented_ + 1, slot, looping ? SoundEvent::Op::Loop : SoundEvent::Op::Play, level});
}

void HeadlessPlatform::stopSound(int slot) {
  if (!soundLogging_) return;
  soundLog_.push_back(SoundEvent{framesPresented_ + 1, slot, SoundEvent::Op::Stop, 0});
}

void HeadlessPlatform::showError(const char* text, const char* caption) {
  errors_.push_back(std::string(caption) + ": " + text);
  std::fprintf(stderr, "%s: %s\n", caption, text);
}

}  // namespace mw
