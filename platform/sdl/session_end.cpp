// Hang-up and a lost X server end the program cleanly.
#include "platform/sdl/session_end.h"

#include <X11/Xlib.h>
#include <signal.h>
#include <unistd.h>

namespace mw {

namespace {

// SDL turns SIGTERM into its quit event; a hang-up is passed on as one.
void onHangup(int) { ::kill(::getpid(), SIGTERM); }

int onDisplayGone(Display*) {
  static const char message[] = "Mirthwick: the X display went away; quitting\n";
  (void)!::write(STDERR_FILENO, message, sizeof message - 1);
  ::_exit(0);  // Xlib allows no return, and the display can no longer be used to clean up
}

}  // namespace

void quitOnHangup() {
  struct sigaction action {};
  action.sa_handler = onHangup;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGHUP, &action, nullptr);
}

void endQuietlyWhenDisplayGoes() { XSetIOErrorHandler(onDisplayGone); }

}  // namespace mw
