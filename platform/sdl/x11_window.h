// What SDL does not offer for a window on X11.
#pragma once
#include <SDL_video.h>

#include "gfx/image.h"

namespace mw {

// Sets the window's icon list (_NET_WM_ICON) to all the given pictures, so the window manager
// picks the size it needs. False when the window is not an X11 window.
bool setX11WindowIcons(SDL_Window* window, const Image* const* icons, int count);

}  // namespace mw
