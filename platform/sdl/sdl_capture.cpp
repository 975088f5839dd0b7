// The desktop capture's policy on SDL: which source photographs the monitor the window covers (the
// screenshot portal, the X root window), and a black desktop saying why when none can.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "platform/sdl/portal_capture.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/x11_capture.h"

namespace mw {

bool SdlPlatform::capturePortal(ScreenCapture& out, std::string& reason) {
  if (!portalAsked_) {
    portalAsked_ = true;
    portalWorked_ = capturePortalScreenshot(portalTimeoutMs(), portalPicture_, portalReason_) == PortalCapture::Picture;
  }
  if (!portalWorked_) {
    reason = portalReason_;
    return false;
  }
  // The picture spans every monitor at one scale: cut out the one the window covers.
  cropMonitor(portalPicture_, DesktopRect{layout_.x, layout_.y, layout_.w, layout_.h},
              DesktopRect{screen_.x, screen_.y, screen_.w, screen_.h}, out);
  return true;
}

bool SdlPlatform::captureScreen(ScreenCapture& out) {
  out = ScreenCapture{};
  // First that works: the screenshot portal on a Wayland session; the X root window of a real X
  // server; the portal after all when the X server is XWayland; else black, saying why.
  std::string reason;
  bool captured = waylandSession_ && capturePortal(out, reason);
  if (!captured) {
    const bool portalTried = waylandSession_;
    switch (captureX11Screen(screen_.x, screen_.y, screen_.w, screen_.h, out)) {
      case X11Capture::Picture:
        captured = true;
        break;
      case X11Capture::XWayland:
        captured = !portalTried && capturePortal(out, reason);
        if (!portalTried && !captured) reason = "the X server is XWayland, whose screen reads black,\nand " + reason;
        break;
      case X11Capture::NoDisplay:
        if (reason.empty()) reason = "no X display and no Wayland session";
        break;
      case X11Capture::Failed:
        if (reason.empty()) reason = "the X server gave no picture";
        break;
    }
  }
  if (!captured) {
    if (!warnedNoCapture_) {
      std::string line = reason;  // one line on standard error; a line each on the screen
      std::replace(line.begin(), line.end(), '\n', ' ');
      std::fprintf(stderr, "Mirthwick: cannot photograph the desktop: %s; it shows black.\n", line.c_str());
      warnedNoCapture_ = true;
    }
    // A black desktop of the monitor's size in physical pixels, so the program still runs.
    int width = static_cast<int>(std::lround(screen_.w * displayScale_));
    int height = static_cast<int>(std::lround(screen_.h * displayScale_));
    if (renderer_ != nullptr) SDL_GetRendererOutputSize(renderer_, &width, &height);
    if (width <= 0 || height <= 0) return false;
    out = ScreenCapture{};
    out.width = width;
    out.height = height;
    out.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0xFF000000u);
    out.notice = "Cannot photograph the desktop:\n" + reason;
  }
  return true;
}

}  // namespace mw
