// The window procedure and the input globals it writes.
#include "app/input.h"

#include <algorithm>
#include <cstring>

#include "app/message_loop.h"
#include "app/platform.h"
#include "app/screen.h"
#include "app/snapshot.h"

namespace mw {

uint8_t KeyStates[256];
Mouse MouseState;
bool firstMessageSeen = false;

void resetInputState() {
  std::memset(KeyStates, 0, sizeof KeyStates);
  MouseState = Mouse{};
  firstMessageSeen = false;
}

namespace {

void onMouseMove(Platform& window, uint32_t wParam, int32_t lParam) {
  const int x = static_cast<int16_t>(static_cast<uint32_t>(lParam) & 0xFFFF);
  const int y = static_cast<int16_t>((static_cast<uint32_t>(lParam) >> 16) & 0xFFFF);
  // Column 0 and row 0 count as outside.
  if (x > 0 && x < screenWidth && y > 0 && y < screenHeight) {
    MouseState.x = x;
    MouseState.y = y;
    if (MouseState.captured == 0) {
      window.captureMouse(true);
      MouseState.captured = 1;
    }
  } else if (wParam & (MK_LBUTTON | MK_RBUTTON)) {
    // A held button pins the pointer to the nearest edge pixel.
    MouseState.x = std::clamp(x, 0, std::max(screenWidth - 1, 0));
    MouseState.y = std::clamp(y, 0, std::max(screenHeight - 1, 0));
  } else {
    window.captureMouse(false);
    MouseState.right = 0;
    MouseState.captured = 0;
    MouseState.left = 0;
  }
}

}  // namespace

int64_t windowProc(Platform& window, uint32_t message, uint32_t wParam, int32_t lParam) {
  if (!firstMessageSeen) {
    // Arrives while the window is being created: the photo the world loads is taken here.
    captureDesktop(window);
    firstMessageSeen = true;
  }
  switch (message) {
    case WM_DESTROY: postQuitMessage(0); break;
    case WM_KEYDOWN: KeyStates[wParam & 0xFF] = 1; break;
    case WM_KEYUP: KeyStates[wParam & 0xFF] = 0; break;
    case WM_MOUSEMOVE: onMouseMove(window, wParam, lParam); break;
    case WM_LBUTTONDOWN: MouseState.left = 1; break;
    case WM_LBUTTONUP: MouseState.left = 0; break;
    case WM_RBUTTONDOWN: MouseState.right = 1; break;
    case WM_RBUTTONUP: MouseState.right = 0; break;
    default: break;
  }
  return 0;  // the default handling has nothing to add on these platforms
}

}  // namespace mw
