// Photographing the desktop through the XDG desktop portal's Screenshot method (Wayland sessions).
#pragma once
#include <string>

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

// Asks the portal on the session bus for a non-interactive screenshot and waits for its answer.
// The file the portal wrote is read, deleted and decoded. reason: one line saying why, on failure.
PortalCapture capturePortalScreenshot(int timeoutMs, Image& picture, std::string& reason);

// The local path a file URI names ("file:///tmp/a%20b.png" gives "/tmp/a b.png"); empty for any
// other URI.
std::string pathOfFileUri(const std::string& uri);

}  // namespace mw
