// Input state recorded by the window procedure and read once per frame by the world.
#pragma once
#include <cstdint>

#include "app/messages.h"

namespace mw {

class Platform;

struct Mouse {
  int32_t x = 0;         // pointer column, 0 .. screenWidth - 1
  int32_t y = 0;         // pointer row, 0 .. screenHeight - 1
  uint8_t left = 0;      // 1 while the left button is down
  uint8_t right = 0;     // 1 while the right button is down
  uint8_t captured = 0;  // 1 while the window holds the mouse capture
};

extern uint8_t KeyStates[256];
extern Mouse MouseState;
extern bool firstMessageSeen;

// The window procedure: records keys and mouse, runs the second capture on the very first message,
// and turns the window's destruction into the quit message.
int64_t windowProc(Platform& window, uint32_t message, uint32_t wParam, int32_t lParam);

// Puts every input global back to its program-start value (zero).
void resetInputState();

}  // namespace mw
