// Input state recorded by the window procedure into the session and read once per frame by the world.
#pragma once
#include <cstdint>

#include "app/messages.h"

namespace mw {

class Platform;
struct Session;

struct Mouse {
  int32_t x = 0;         // pointer column, 0 .. screen width - 1
  int32_t y = 0;         // pointer row, 0 .. screen height - 1
  uint8_t left = 0;      // 1 while the left button is down
  uint8_t right = 0;     // 1 while the right button is down
  uint8_t captured = 0;  // 1 while the window holds the mouse capture
};

// The window procedure: records keys and mouse in the session, runs the second capture on the very
// first message, and turns the window's destruction into the quit message.
int64_t windowProc(Session& session, Platform& window, uint32_t message, uint32_t wParam, int32_t lParam);

}  // namespace mw
