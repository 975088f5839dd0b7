// X11 window properties set directly.
#include "platform/sdl/x11_window.h"

#include <SDL_syswm.h>

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

}  // namespace mw
