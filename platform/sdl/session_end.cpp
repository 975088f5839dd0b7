// Signals, a display that does not answer, and the X server going away end the program cleanly.
#include "platform/sdl/session_end.h"

#include <X11/Xlib.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace mw {

namespace {

volatile sig_atomic_t mainLoopRunning = 0;
volatile sig_atomic_t quitAsked = 0;

// During start-up nothing is left half done by ending at once: the snapshot is replaced whole or
// not at all, and the lock goes with the process. Later the main loop quits as for Escape.
void onQuitSignal(int) {
  if (mainLoopRunning == 0) ::_exit(0);
  quitAsked = 1;
}

int onDisplayGone(Display*) {
  static const char message[] = "Mirthwick: the X display went away; quitting\n";
  (void)!::write(STDERR_FILENO, message, sizeof message - 1);
  ::_exit(0);  // Xlib allows no return, and the display can no longer be used to clean up
}

}  // namespace

void endOnQuitSignals() {
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    struct sigaction action {};
    ::sigaction(signal, nullptr, &action);
    if (action.sa_handler == SIG_IGN) continue;  // a background job's SIGINT stays ignored
    action = {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
  }
}

void quitThroughMainLoop() { mainLoopRunning = 1; }

bool quitSignalled() { return quitAsked != 0; }

bool xDisplayAnswers(int seconds) {
  const char* name = ::getenv("DISPLAY");
  if (name == nullptr || name[0] == '\0') return true;  // nothing to wait for
  // Xlib waits for the server's answer without end: the connection is tried on a thread of its
  // own, left behind when it does not come back in time.
  struct Attempt {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
  };
  auto attempt = std::make_shared<Attempt>();
  std::thread([attempt] {
    if (Display* display = XOpenDisplay(nullptr)) XCloseDisplay(display);
    std::lock_guard<std::mutex> hold(attempt->mutex);
    attempt->finished = true;
    attempt->done.notify_one();
  }).detach();
  std::unique_lock<std::mutex> hold(attempt->mutex);
  return attempt->done.wait_for(hold, std::chrono::seconds(seconds), [&] { return attempt->finished; });
}

void endQuietlyWhenDisplayGoes() { XSetIOErrorHandler(onDisplayGone); }

}  // namespace mw
