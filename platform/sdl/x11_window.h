// What SDL does not offer for a window on X11.
#pragma once
#include <SDL_video.h>

#include "gfx/image.h"

namespace mw {

// Sets the window's icon list (_NET_WM_ICON) to all the given pictures, so the window manager
// picks the size it needs. False when the window is not an X11 window.
bool setX11WindowIcons(SDL_Window* window, const Image* const* icons, int count);

// True when a window manager runs on the window's X display (it announces itself with
// _NET_SUPPORTING_WM_CHECK on the root window, naming a live window that names itself back).
// False also when the window is not an X11 window.
bool x11WindowManagerRunning(SDL_Window* window);

// Xlib's default error handler ends the process. Another client may destroy the program's window
// (as a window is destroyed on other systems), and the requests about it then fail. So every X
// error is held until the next message peek asks whether the window is gone: if it is, the
// program ends as for any closed window; if not, the error gets the default handling after all.
// Install before SDL starts its video, so SDL's own handler passes errors on to this one.
void installX11ErrorGuard();
// The window to ask about; again whenever SDL may have rebuilt it.
void guardX11Window(SDL_Window* window);
// True once the window is known to be gone (checked only after an error).
bool x11WindowGone();

}  // namespace mw
