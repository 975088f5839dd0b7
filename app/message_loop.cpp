// Quit posting and message peeking, as one thread's message queue behaves.
#include "app/message_loop.h"

#include "app/platform.h"
#include "app/session.h"

namespace mw {

void postQuitMessage(QuitState& quit, int exitCode) {
  quit.posted = true;
  quit.exitCode = exitCode;
}

bool peekMessage(Platform& platform, QuitState& quit, WindowMessage& out) {
  if (platform.peekMessage(out)) return true;
  if (quit.posted) {
    quit.posted = false;
    out = WindowMessage{WM_QUIT, static_cast<uint32_t>(quit.exitCode), 0};
    return true;
  }
  return false;
}

}  // namespace mw
