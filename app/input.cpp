// The window procedure and the input state it writes.
#include "app/input.h"

#include <algorithm>

#include "app/message_loop.h"
#include "app/platform.h"
#include "app/session.h"
#include "app/snapshot.h"

namespace mw {

namespace {

void onMouseMove(Session& session, Platform& window, uint32_t wParam, int32_t lParam) {
  Mouse& mouse = session.mouse;
  const int32_t screenWidth = session.screen.width;
  const int32_t screenHeight = session.screen.height;
  const int x = static_cast<int16_t>(static_cast<uint32_t>(lParam) & 0xFFFF);
  const int y = static_cast<int16_t>((static_cast<uint32_t>(lParam) >> 16) & 0xFFFF);
  // Column 0 and row 0 count as outside.
  if (x > 0 && x < screenWidth && y > 0 && y < screenHeight) {
    mouse.x = x;
    mouse.y = y;
    if (mouse.captured == 0) {
      window.captureMouse(true);
      mouse.captured = 1;
    }
  } else if (wParam & (MK_LBUTTON | MK_RBUTTON)) {
    // A held button pins the pointer to the nearest edge pixel.
    mouse.x = std::clamp(x, 0, std::max(screenWidth - 1, 0));
    mouse.y = std::clamp(y, 0, std::max(screenHeight - 1, 0));
  } else {
    window.captureMouse(false);
    mouse.right = 0;
    mouse.captured = 0;
    mouse.left = 0;
  }
}

}  // namespace

int64_t windowProc(Session& session, Platform& window, uint32_t message, uint32_t wParam, int32_t lParam) {
  if (!session.firstMessageSeen) {
    // Arrives while the window is being created: the photo the world loads is taken here.
    captureDesktop(session, window);
    session.firstMessageSeen = true;
  }
  Mouse& mouse = session.mouse;
  switch (message) {
    case WM_DESTROY: postQuitMessage(session.quit, 0); break;
    case WM_KEYDOWN: session.keys[wParam & 0xFF] = 1; break;
    case WM_KEYUP: session.keys[wParam & 0xFF] = 0; break;
    case WM_MOUSEMOVE: onMouseMove(session, window, wParam, lParam); break;
    case WM_LBUTTONDOWN: mouse.left = 1; break;
    case WM_LBUTTONUP: mouse.left = 0; break;
    case WM_RBUTTONDOWN: mouse.right = 1; break;
    case WM_RBUTTONUP: mouse.right = 0; break;
    default: break;
  }
  return 0;  // the default handling has nothing to add on these platforms
}

}  // namespace mw
