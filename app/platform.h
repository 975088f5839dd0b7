// The narrow interface through which the core uses a platform (SDL desktop, headless, later Windows).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "app/messages.h"

namespace mw {

// A photograph of the whole screen: 32-bit pixels 0xXXRRGGBB, top row first, no padding.
struct ScreenCapture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;
  std::string notice;  // when the picture is black because none could be had: why; the core shows it
};

// A rectangle of the frame: columns x .. x + width - 1, rows y .. y + height - 1.
struct PresentRect {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // At start, before the window exists and again while it is being created: photograph the screen.
  // Returns false when no picture could be had (the capture then writes an empty snapshot).
  virtual bool captureScreen(ScreenCapture& out) = 0;
  // At start: create the one borderless window covering the screen, not yet shown.
  virtual void createWindow(int width, int height) = 0;
  // Every main-loop pass: take one waiting window message without blocking; false when none waits.
  virtual bool peekMessage(WindowMessage& out) = 0;
  // At start-up and on F11: present full-screen (windowed false) or in a window of the screen's size.
  virtual void setPresentation(bool windowed) = 0;
  // Last stage of every frame step: show the finished frame (width x height pixels 0xXXRRGGBB).
  virtual void present(const uint32_t* pixels, int width, int height) = 0;
  // Last stage of a frame step instead of present, when the core knows what changed: show the
  // finished frame, which differs from the frame shown before only inside the count rectangles
  // (none: it is unchanged, yet the call still takes a frame's time). By default it is presented whole.
  virtual void presentRegions(const uint32_t* pixels, int width, int height, const PresentRect* rects, int count) {
    (void)rects;
    (void)count;
    present(pixels, width, height);
  }
  // On the first mouse move inside the screen (true) and the first outside it with no button held
  // (false): hold or release the mouse capture, so moves outside the window still arrive.
  virtual void captureMouse(bool captured) = 0;
  // Every frame step: hide the cursor (menu closed) or show the menu cursor (menu open).
  virtual void showMenuCursor(bool visible) = 0;
  // At start-up: hand over the raw samples of a sound slot (16-bit signed stereo at 44100 Hz).
  // The bytes stay owned by the core; at tear-down the core releases each slot by attaching nothing.
  virtual void attachSound(int slot, const uint8_t* bytes, uint32_t length) = 0;
  // When a sound plays: rewind the slot and play it once or looping at a level in
  // hundredths of a decibel (0 full volume, -10000 silent).
  virtual void playSound(int slot, int level, bool looping) = 0;
  // When the burning loop stops: stop the slot.
  virtual void stopSound(int slot) = 0;
  // When the desktop capture fails: show an error message box.
  virtual void showError(const char* text, const char* caption) = 0;
  // On F12: the folder the user keeps pictures in (UTF-8); empty when there is none.
  virtual std::string picturesFolder() { return {}; }
};

}  // namespace mw
