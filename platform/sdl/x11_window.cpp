// X11 window properties set directly.
#include "platform/sdl/x11_window.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
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

namespace {

// The window a window's _NET_SUPPORTING_WM_CHECK property names, or 0.
Window supportingWindowOf(Display* display, Window window, Atom check) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, left = 0;
  unsigned char* data = nullptr;
  Window named = 0;
  if (XGetWindowProperty(display, window, check, 0, 1, False, XA_WINDOW, &type, &format, &count, &left, &data) ==
          Success &&
      type == XA_WINDOW && format == 32 && count == 1 && data != nullptr) {
    named = static_cast<Window>(*reinterpret_cast<unsigned long*>(data));
  }
  if (data != nullptr) XFree(data);
  return named;
}

}  // namespace

bool x11WindowManagerRunning(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
  Display* display = info.info.x11.display;
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
  const Window named = supportingWindowOf(display, DefaultRootWindow(display), check);
  if (named == 0) return false;
  // A window manager that died leaves the property naming a window that is gone: its errors
  // are noted here rather than reported.
  XSync(display, False);
  XErrorHandler previous = XSetErrorHandler(noteCheckFailure);
  checkFailed = false;
  const bool alive = supportingWindowOf(display, named, check) == named;
  XSync(display, False);
  XSetErrorHandler(previous);
  return alive && !checkFailed;
#else
  (void)window;
  return false;
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
