// The headless platform.
#include "platform/headless/headless_platform.h"

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
  ++soundOperations_;
  if (!soundLogging_) return;
  soundLog_.push_back(SoundEvent{framesPresented_ + 1, slot, looping ? SoundEvent::Op::Loop : SoundEvent::Op::Play, level});
}

void HeadlessPlatform::stopSound(int slot) {
  ++soundOperations_;
  if (!soundLogging_) return;
  soundLog_.push_back(SoundEvent{framesPresented_ + 1, slot, SoundEvent::Op::Stop, 0});
}

void HeadlessPlatform::showError(const char* text, const char* caption) {
  errors_.push_back(std::string(caption) + ": " + text);
  std::fprintf(stderr, "%s: %s\n", caption, text);
}

}  // namespace mw
