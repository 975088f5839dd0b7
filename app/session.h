// The state of one run of the program outside the world's play: the screen's size, the input the
// window procedure records, the posted quit and the desktop photograph. The application owns it
// (a test may own one of its own); the world reads it through its `session` pointer.
#pragma once
#include <cstdint>
#include <string>

#include "app/input.h"
#include "gfx/image.h"

namespace mw {

// A posted quit, waiting to be taken as WM_QUIT once no other message waits.
struct QuitState {
  bool posted = false;
  int exitCode = 0;
};

// The photograph of the last capture, opaque, kept for the run: the load that follows the capture
// at start-up takes it instead of reading back the file just written, and a later load takes it
// when the file can no longer be read. When the file could not be written, Enter later has
// nothing to restore from.
struct CaptureState {
  Image keptPhoto;
  bool fresh = false;            // the next load takes keptPhoto
  bool lastWriteFailed = false;  // the last capture's file could not be written
  bool writeFailureReported = false;
  bool readFailureReported = false;
  std::string notice;  // why the desktop shows black (empty: the capture worked)
};

struct Session {
  ScreenSize screen;  // set only by the desktop capture
  uint8_t keys[256] = {};
  Mouse mouse;
  bool firstMessageSeen = false;
  QuitState quit;
  CaptureState capture;
};

}  // namespace mw
