// Photographing the X screen: the root window's pixels, whatever the server's visual.
#pragma once
#include <cstdint>

#include "app/platform.h"

namespace mw {

// How an X server laid out the pixels of an image (a ZPixmap XImage).
struct XPixelLayout {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bytesPerLine = 0;  // may exceed width x bytes per pixel
  int32_t bitsPerPixel = 0;  // 16, 24 or 32
  bool msbFirst = false;     // byte order of a pixel's bytes
  uint32_t redMask = 0;
  uint32_t greenMask = 0;
  uint32_t blueMask = 0;
};

// Converts an image into opaque 0xFFRRGGBB pixels, top row first, no padding (out holds
// width x height). Channels wider than 8 bits keep their top 8 bits; narrower ones are scaled
// up to 0..255. False, out untouched, for a layout it cannot read (no colour masks, odd pixel size,
// lines shorter than a row).
bool convertXPixels(const uint8_t* data, const XPixelLayout& layout, uint32_t* out);

enum class X11Capture {
  Picture,    // out holds the rectangle
  NoDisplay,  // no X server to connect to
  XWayland,   // the server is XWayland, whose root window reads black: not read
  Failed,     // the server gave no picture
};

// True when a RandR output name is one XWayland gives its outputs ("XWAYLAND0", ...).
bool isXWaylandOutputName(const char* name);

// Photographs the rectangle (x, y, width, height) of the default X screen, clipped to the root
// window. Reads through shared memory when the server offers it.
X11Capture captureX11Screen(int x, int y, int width, int height, ScreenCapture& out);

}  // namespace mw
