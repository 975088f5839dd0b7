// The headless platform: messages come from a queue, frames and sounds are recorded, nothing is shown.
#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "app/platform.h"

namespace mw {

// One recorded sound operation.
struct SoundEvent {
  uint64_t frame = 0;  // the frame step in which it happened, counting from 1
  int slot = 0;
  enum class Op { Play, Loop, Stop } op = Op::Play;
  int level = 0;  // 0 for a stop
};

// One hand-over of a slot's samples; length 0 when the slot is released.
struct SoundAttach {
  int slot = 0;
  uint32_t length = 0;
};

// Op names as the simulator's dump writes them: "play", "loop", "stop".
const char* soundOpName(SoundEvent::Op op);

class HeadlessPlatform : public Platform {
 public:
  explicit HeadlessPlatform(ScreenCapture screen);

  // Queues a message as if the window system had sent it.
  void post(const WindowMessage& message) { queue_.push_back(message); }
  // Whether sound operations are kept in the log (on by default); off, they leave no trace.
  void setSoundLogging(bool on) { soundLogging_ = on; }
  // Replaces the picture the next capture photographs.
  void setScreen(ScreenCapture screen) { screen_ = std::move(screen); }

  bool captureScreen(ScreenCapture& out) override;
  void createWindow(int width, int height) override;
  bool peekMessage(WindowMessage& out) override;
  void setPresentation(bool windowed) override;
  void present(const uint32_t* pixels, int width, int height) override;
  // Keeps the last frame and replaces only the changed rectangles in it, as a screen would.
  void presentRegions(const uint32_t* pixels, int width, int height, const PresentRect* rects, int count) override;
  void captureMouse(bool captured) override { mouseCaptured_ = captured; }
  void showMenuCursor(bool visible) override { menuCursorVisible_ = visible; }
  void attachSound(int slot, const uint8_t* bytes, uint32_t length) override;
  void playSound(int slot, int level, bool looping) override;
  void stopSound(int slot) override;
  void showError(const char* text, const char* caption) override;
  // The folder set below (none by default: a save then fails and says so).
  std::string picturesFolder() override { return picturesFolder_; }
  void setPicturesFolder(std::string folder) { picturesFolder_ = std::move(folder); }

  // What the platform saw.
  const std::vector<uint32_t>& lastFrame() const { return lastFrame_; }
  int frameWidth() const { return frameWidth_; }
  int frameHeight() const { return frameHeight_; }
  uint64_t framesPresented() const { return framesPresented_; }
  // Pixels handed over in all presents so far, and the presents that changed nothing.
  uint64_t pixelsReceived() const { return pixelsReceived_; }
  uint64_t unchangedFrames() const { return unchangedFrames_; }
  bool windowed() const { return windowed_; }
  int presentationChanges() const { return presentationChanges_; }
  bool menuCursorVisible() const { return menuCursorVisible_; }
  bool mouseCaptured() const { return mouseCaptured_; }
  size_t pendingMessages() const { return queue_.size(); }
  int captures() const { return captures_; }
  const std::vector<std::string>& errors() const { return errors_; }
  const std::vector<SoundEvent>& soundLog() const { return soundLog_; }
  const std::vector<SoundAttach>& soundAttachLog() const { return soundAttachLog_; }
  // The sample bytes the slot holds now (0 when silent or released).
  uint32_t soundLength(int slot) const { return slot >= 0 && slot < SOUND_SLOTS ? soundLengths_[slot] : 0; }

 private:
  ScreenCapture screen_;
  std::deque<WindowMessage> queue_;
  std::vector<uint32_t> lastFrame_;
  int frameWidth_ = 0;
  int frameHeight_ = 0;
  uint64_t framesPresented_ = 0;
  uint64_t pixelsReceived_ = 0;
  uint64_t unchangedFrames_ = 0;
  bool windowed_ = false;
  int presentationChanges_ = 0;
  bool menuCursorVisible_ = false;
  bool mouseCaptured_ = false;
  int captures_ = 0;
  std::vector<std::string> errors_;
  static constexpr int SOUND_SLOTS = 16;  // room for the core's thirteen
  std::vector<SoundEvent> soundLog_;
  std::vector<SoundAttach> soundAttachLog_;
  uint32_t soundLengths_[SOUND_SLOTS] = {};
  std::string picturesFolder_;
  bool soundLogging_ = true;
};

}  // namespace mw
