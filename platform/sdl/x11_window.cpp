// X11 window properties set directly.
#include "platform/sdl/x11_window.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <vector>

namespace mw {

bool setX11WindowIcons(SDL_Window* window, const Image* const* icons, int count) {
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
  // Format-32 properties travel as longs: width, height, then the pixels as 0xAARRGGBB.
  std::vector<unsigned long> data;
  for (int i = 0; i < count; ++i) {
    const Image& icon = *icons[i];
    if (icon.width <= 0 || icon.height <= 0) continue;
    data.push_back(static_cast<unsigned long>(icon.width));
    data.push_back(static_cast<unsigned long>(icon.height));
    data.insert(data.end(), icon.pixels.begin(), icon.pixels.end());
  }
  if (data.empty()) return false;
  Display* display = info.info.x11.display;
  const Atom netWmIcon = XInternAtom(display, "_NET_WM_ICON", False);
  XChangeProperty(display, info.info.x11.window, netWmIcon, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
  XFlush(display);
  return true;
#else
  (void)window;
  (void)icons;
  (void)count;
  return false;
#endif
}

namespace {

XErrorHandler defaultHandler = nullptr;
Display* guardedDisplay = nullptr;
Window guardedWindow = 0;
bool windowGone = false;
bool errorHeld = false;  // an error waits for the question whether the window is gone
XErrorEvent heldError{};
bool checkFailed = false;

int guardErrors(Display* display, XErrorEvent* error) {
  // Once the window is gone, what is left of it (renderer, drawables) fails quietly.
  if (windowGone) return 0;
  if (guardedWindow == 0) return defaultHandler ? defaultHandler(display, error) : 0;
  // The failed request need not name the window (a GL drawable made for it, say), so every error
  // is held until the question is asked outside the handler, where requests are allowed.
  if (!errorHeld) {
    heldError = *error;
    errorHeld = true;
  }
  return 0;
}

int noteCheckFailure(Display*, XErrorEvent*) {
  checkFailed = true;
  return 0;
}

}  // namespace

void installX11ErrorGuard() {
  XErrorHandler previous = XSetErrorHandler(guardErrors);
  if (previous != guardErrors) defaultHandler = previous;
}

void guardX11Window(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
    guardedDisplay = info.info.x11.display;
    guardedWindow = info.info.x11.window;
  }
#else
  (void)window;
#endif
}

bool x11WindowGone() {
  if (windowGone || !errorHeld || guardedDisplay == nullptr) return windowGone;
  errorHeld = false;
  XErrorHandler previous = XSetErrorHandler(noteCheckFailure);
  checkFailed = false;
  XWindowAttributes attributes;
  const Status found = XGetWindowAttributes(guardedDisplay, guardedWindow, &attributes);
  XSync(guardedDisplay, False);
  XSetErrorHandler(previous);
  windowGone = !found || checkFailed;
  // The window is there: the error was a real one and gets the handling it would have had.
  if (!windowGone && defaultHandler) defaultHandler(heldError.display, &heldError);
  return windowGone;
}

}  // namespace mw
