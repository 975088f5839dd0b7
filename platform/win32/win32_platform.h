// The Windows platform: one popup window over the monitor under the pointer, GDI screen capture,
// Direct3D 9 presentation with frame pacing, DirectSound, and window messages for the core.
#pragma once
// The core's message names first: windows.h defines the same names as macros of the same values.
#include "app/platform.h"
#include "platform/common/frame_pacer.h"

#include <windows.h>

#include <cstdint>

#include "platform/win32/d3d9_presenter.h"
#include "platform/win32/dsound_audio.h"

namespace mw {

class Win32Platform : public Platform {
 public:
  // openSound false (--mute): no sound device is opened until the core first plays a sound.
  explicit Win32Platform(HINSTANCE instance, bool openSound = true);
  ~Win32Platform() override;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  bool captureScreen(ScreenCapture& out) override;
  void createWindow(int width, int height) override;
  bool peekMessage(WindowMessage& out) override;
  void setPresentation(bool windowed) override;
  void present(const uint32_t* pixels, int width, int height) override;
  void presentRegions(const uint32_t* pixels, int width, int height, const PresentRect* rects, int count) override;
  void captureMouse(bool captured) override;
  void showMenuCursor(bool visible) override;
  void attachSound(int slot, const uint8_t* bytes, uint32_t length) override;
  void playSound(int slot, int level, bool looping) override;
  void stopSound(int slot) override;
  void showError(const char* text, const char* caption) override;
  std::string picturesFolder() override;

  // The monitor the program covers, in desktop coordinates.
  const RECT& monitorRect() const { return monitorRect_; }

 private:
  static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void queue(uint32_t message, WPARAM wParam, LPARAM lParam);
  void waitUntil(int64_t tick);
  // With MIRTHWICK_TIMING set, counts a frame and reports the totals once a second.
  void countFrame(bool shown);
  int64_t now() const;

  HINSTANCE instance_;
  HMONITOR monitor_ = nullptr;
  RECT monitorRect_{};
  HWND window_ = nullptr;
  bool classRegistered_ = false;
  bool created_ = false;  // the core sees messages only after the window exists
  bool shown_ = false;
  bool cursorVisible_ = false;
  bool repaint_ = true;  // the window was painted over (WM_PAINT): the next frame is presented whole
  RECT dirty_[48];       // the changed rectangles of a frame, as Direct3D takes them
  HCURSOR menuCursor_ = nullptr;
  HICON largeIcon_ = nullptr;
  HICON smallIcon_ = nullptr;

  // Messages for the core, in arrival order: a fixed ring, so nothing is allocated per message.
  static constexpr int QUEUE_CAPACITY = 256;
  WindowMessage queue_[QUEUE_CAPACITY];
  int queueHead_ = 0;
  int queueCount_ = 0;

  D3d9Presenter presenter_;
  DirectSoundAudio audio_;
  bool soundDeferred_ = false;  // the sound device is to be opened at the first sound played
  FramePacer pacer_;
  int64_t ticksPerSecond_ = 1;
  int timing_ = -1;  // -1 not asked yet
  uint64_t framesDone_ = 0;
  uint64_t framesShown_ = 0;
  int64_t timingNext_ = 0;
};

}  // namespace mw
