// Photographing the desktop through the XDG desktop portal's Screenshot method (Wayland sessions).
#pragma once
#include <string>

#include "app/platform.h"
#include "gfx/image.h"

namespace mw {

enum class PortalCapture {
  Picture,   // picture holds the whole layout, in physical pixels
  NoPortal,  // no session bus, or no portal on it that offers Screenshot
  Refused,   // permission refused, or the request cancelled
  TimedOut,  // no answer within the time allowed
  Failed,    // any other failure; reason says which
};

// How long a screenshot may take: long enough for a user to answer a permission question.
inline constexpr int PORTAL_TIMEOUT_MS = 30000;
// MIRTHWICK_PORTAL_TIMEOUT (whole seconds, 1 to 600) when set and valid, else PORTAL_TIMEOUT_MS.
int portalTimeoutMs();
// The largest picture file read from the portal (an 8K screen's PNG is far smaller).
inline constexpr long long PORTAL_FILE_LIMIT = 256ll << 20;

// Asks the portal on the session bus for a non-interactive screenshot and waits for its answer.
// The file the portal wrote is read (a plain file only, within PORTAL_FILE_LIMIT), deleted and
// decoded. reason: one line saying why, on failure.
PortalCapture capturePortalScreenshot(int timeoutMs, Image& picture, std::string& reason);

struct DesktopRect {
  int x = 0, y = 0, width = 0, height = 0;
};

// Cuts one monitor out of a picture of the whole layout. The layout (the bounding box of every
// monitor) and the monitor are in desktop units; the picture spans the layout at one scale, so the
// monitor's part is scaled alike (a 2x picture gives the monitor's physical pixels). An unknown
// layout or a monitor outside the picture gives the whole picture. The pixels come out opaque.
void cropMonitor(const Image& picture, DesktopRect layout, DesktopRect monitor, ScreenCapture& out);

// The local path a file URI names ("file:///tmp/a%20b.png" gives "/tmp/a b.png"); empty for any
// other URI.
std::string pathOfFileUri(const std::string& uri);

}  // namespace mw
