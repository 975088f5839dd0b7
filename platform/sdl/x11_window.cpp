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
bool windowSuspect = false;  // a request about some window failed: is it ours that is gone?
bool windowGone = false;
bool checkFailed = false;

int guardErrors(Display* display, XErrorEvent* error) {
  // The failed request need not name the window itself (it may name a child or a drawable made
  // for it), so any window error raises the question, asked outside the handler.
  if (guardedWindow != 0 && (error->error_code == BadWindow || error->error_code == BadDrawable)) {
    windowSuspect = true;
    return 0;
  }
  return defaultHandler ? defaultHandler(display, error) : 0;
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
  if (windowGone || !windowSuspect || guardedDisplay == nullptr) return windowGone;
  windowSuspect = false;
  XErrorHandler previous = XSetErrorHandler(noteCheckFailure);
  checkFailed = false;
  XWindowAttributes attributes;
  const Status found = XGetWindowAttributes(guardedDisplay, guardedWindow, &attributes);
  XSync(guardedDisplay, False);
  XSetErrorHandler(previous);
  windowGone = !found || checkFailed;
  return windowGone;
}

}  // namespace mw
