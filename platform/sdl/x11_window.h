// What SDL does not offer for a window on X11.
#pragma once
#include <SDL_video.h>

#include "gfx/image.h"

namespace mw {

// Sets the window's icon list (_NET_WM_ICON) to all the given pictures, so the window manager
// picks the size it needs. False when the window is not an X11 window.
bool setX11WindowIcons(SDL_Window* window, const Image* const* icons, int count);

}  // namespace mw

namespace mw {

// Xlib's default error handler ends the process. Another client may destroy the program's window
// (as a window is destroyed on other systems); the errors that follow about that window are then
// only noted, so the program can end as for any closed window. Install before SDL starts its
// video, so SDL's own handler passes errors on to this one.
void installX11ErrorGuard();
// The window whose errors mean "gone".
void guardX11Window(SDL_Window* window);
// True once an error said the guarded window no longer exists.
bool x11WindowGone();

}  // namespace mw
