// Quit posting and message peeking, as one thread's message queue behaves.
#include "app/message_loop.h"

#include "app/platform.h"

namespace mw {

namespace {
bool quitPosted = false;
int quitExitCode = 0;
}  // namespace

void postQuitMessage(int exitCode) {
  quitPosted = true;
  quitExitCode = exitCode;
}

bool peekMessage(Platform& platform, WindowMessage& out) {
  if (platform.peekMessage(out)) return true;
  if (quitPosted) {
    quitPosted = false;
    out = WindowMessage{WM_QUIT, static_cast<uint32_t>(quitExitCode), 0};
    return true;
  }
  return false;
}

void resetQuitState() {
  quitPosted = false;
  quitExitCode = 0;
}

}  // namespace mw
