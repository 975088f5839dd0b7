// X11 screen capture: XShmGetImage where the server shares memory, XGetImage otherwise.
#include "platform/sdl/x11_capture.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xrandr.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>
#include <vector>

namespace mw {

namespace {

struct Channel {
  uint32_t mask = 0;
  int shift = 0;  // of the channel's lowest bit
  int bits = 0;
};

Channel channelOf(uint32_t mask) {
  Channel c;
  c.mask = mask;
  c.shift = mask ? std::countr_zero(mask) : 0;
  c.bits = std::popcount(mask);
  return c;
}

// A channel's value as 0..255: wide channels keep their top bits, narrow ones are widened so that
// their largest value becomes 255.
inline uint32_t to8Bits(uint32_t pixel, const Channel& c) {
  const uint32_t value = (pixel & c.mask) >> c.shift;
  if (c.bits >= 8) return value >> (c.bits - 8);
  const uint32_t maximum = (1u << c.bits) - 1;
  return (value * 255 + maximum / 2) / maximum;
}

inline uint32_t readPixel(const uint8_t* p, int bytes, bool msbFirst) {
  uint32_t v = 0;
  if (msbFirst) {
    for (int i = 0; i < bytes; ++i) v = (v << 8) | p[i];
  } else {
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  }
  return v;
}

}  // namespace

bool convertXPixels(const uint8_t* data, const XPixelLayout& layout, uint32_t* out) {
  const int bytes = layout.bitsPerPixel / 8;
  if (data == nullptr || layout.width <= 0 || layout.height <= 0) return false;
  if (layout.bitsPerPixel % 8 != 0 || bytes < 2 || bytes > 4) return false;
  if (layout.bytesPerLine < static_cast<int64_t>(layout.width) * bytes) return false;
  const Channel red = channelOf(layout.redMask);
  const Channel green = channelOf(layout.greenMask);
  const Channel blue = channelOf(layout.blueMask);
  if (red.bits == 0 || green.bits == 0 || blue.bits == 0) return false;

  // The common case, 32-bit pixels B, G, R, pad in memory: the pad byte only needs replacing.
  const bool plain = bytes == 4 && !layout.msbFirst && layout.redMask == 0x00FF0000u &&
                     layout.greenMask == 0x0000FF00u && layout.blueMask == 0x000000FFu;
  for (int32_t y = 0; y < layout.height; ++y) {
    const uint8_t* src = data + static_cast<size_t>(y) * static_cast<size_t>(layout.bytesPerLine);
    uint32_t* dst = out + static_cast<size_t>(y) * static_cast<size_t>(layout.width);
    if (plain) {
      for (int32_t x = 0; x < layout.width; ++x) {
        uint32_t pixel;
        std::memcpy(&pixel, src + static_cast<size_t>(x) * 4, 4);
        dst[x] = pixel | 0xFF000000u;
      }
      continue;
    }
    for (int32_t x = 0; x < layout.width; ++x, src += bytes) {
      const uint32_t pixel = readPixel(src, bytes, layout.msbFirst);
      dst[x] = 0xFF000000u | (to8Bits(pixel, red) << 16) | (to8Bits(pixel, green) << 8) | to8Bits(pixel, blue);
    }
  }
  return true;
}

namespace {

bool xErrorSeen = false;

int noteXError(Display*, XErrorEvent*) {
  xErrorSeen = true;
  return 0;
}

// Waits for the server to handle every request so far; false when one of them failed.
bool syncedWithoutError(Display* display) {
  XSync(display, False);
  return !xErrorSeen;
}

// Reads the rectangle through a shared-memory segment; null when the server cannot share memory
// with us (a remote display, or no MIT-SHM). The caller frees the image with releaseShmImage.
XImage* grabShared(Display* display, Window root, Visual* visual, int depth, int x, int y, int width, int height,
                   XShmSegmentInfo& segment) {
  if (!XShmQueryExtension(display)) return nullptr;
  XImage* image = XShmCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &segment,
                                  static_cast<unsigned>(width), static_cast<unsigned>(height));
  if (image == nullptr) return nullptr;
  const size_t size = static_cast<size_t>(image->bytes_per_line) * static_cast<size_t>(image->height);
  segment.shmid = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
  if (segment.shmid < 0) {
    XDestroyImage(image);
    return nullptr;
  }
  segment.shmaddr = static_cast<char*>(shmat(segment.shmid, nullptr, 0));
  if (segment.shmaddr == reinterpret_cast<char*>(-1)) {
    shmctl(segment.shmid, IPC_RMID, nullptr);
    XDestroyImage(image);
    return nullptr;
  }
  image->data = segment.shmaddr;
  segment.readOnly = False;
  xErrorSeen = false;
  const bool attached = XShmAttach(display, &segment) && syncedWithoutError(display);
  // Marked for removal now, so the segment goes away with the last detach whatever happens.
  shmctl(segment.shmid, IPC_RMID, nullptr);
  if (attached && XShmGetImage(display, root, image, x, y, AllPlanes) && syncedWithoutError(display)) {
    return image;
  }
  if (attached) XShmDetach(display, &segment);
  XSync(display, False);
  image->data = nullptr;
  XDestroyImage(image);
  shmdt(segment.shmaddr);
  return nullptr;
}

// XWayland names its RandR outputs XWAYLAND0, XWAYLAND1, ... (and announces itself with an
// extension of that name in newer versions).
bool serverIsXWayland(Display* display) {
  int opcode = 0, event = 0, error = 0;
  if (XQueryExtension(display, "XWAYLAND", &opcode, &event, &error)) return true;
  if (!XRRQueryExtension(display, &event, &error)) return false;
  XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
  if (resources == nullptr) return false;
  bool xwayland = false;
  for (int i = 0; i < resources->noutput && !xwayland; ++i) {
    if (XRROutputInfo* output = XRRGetOutputInfo(display, resources, resources->outputs[i])) {
      xwayland = isXWaylandOutputName(output->name);
      XRRFreeOutputInfo(output);
    }
  }
  XRRFreeScreenResources(resources);
  return xwayland;
}

void releaseShmImage(Display* display, XImage* image, XShmSegmentInfo& segment) {
  XShmDetach(display, &segment);
  XSync(display, False);
  image->data = nullptr;  // the segment is not XDestroyImage's to free
  XDestroyImage(image);
  shmdt(segment.shmaddr);
}

}  // namespace

bool isXWaylandOutputName(const char* name) { return name != nullptr && std::strncmp(name, "XWAYLAND", 8) == 0; }

X11Capture captureX11Screen(int x, int y, int width, int height, ScreenCapture& out) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return X11Capture::NoDisplay;
  // Errors of the requests below are noted, not fatal (Xlib's default handler would exit).
  XErrorHandler previous = XSetErrorHandler(noteXError);
  XImage* image = nullptr;
  XShmSegmentInfo segment{};
  bool shared = false;
  // Runs on every way out, an allocation failure included.
  struct Cleanup {
    std::function<void()> run;
    ~Cleanup() { run(); }
  } cleanup{[&] {
    if (image != nullptr) {
      if (shared) releaseShmImage(display, image, segment); else XDestroyImage(image);
    }
    XSetErrorHandler(previous);
    XCloseDisplay(display);
  }};

  if (serverIsXWayland(display)) return X11Capture::XWayland;
  const Window root = DefaultRootWindow(display);
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, root, &attributes)) return X11Capture::Failed;
  // Clip the rectangle to the root window; an empty one means the whole root.
  int left = std::max(x, 0), top = std::max(y, 0);
  int right = std::min(x + width, attributes.width), bottom = std::min(y + height, attributes.height);
  if (width <= 0 || height <= 0 || right <= left || bottom <= top) {
    left = top = 0;
    right = attributes.width;
    bottom = attributes.height;
  }
  const int w = right - left, h = bottom - top;

  image = grabShared(display, root, attributes.visual, attributes.depth, left, top, w, h, segment);
  shared = image != nullptr;
  if (!shared) {
    xErrorSeen = false;
    image = XGetImage(display, root, left, top, static_cast<unsigned>(w), static_cast<unsigned>(h), AllPlanes, ZPixmap);
  }
  if (image == nullptr) return X11Capture::Failed;

  XPixelLayout layout;
  layout.width = image->width;
  layout.height = image->height;
  layout.bytesPerLine = image->bytes_per_line;
  layout.bitsPerPixel = image->bits_per_pixel;
  layout.msbFirst = image->byte_order == MSBFirst;
  const Visual* visual = attributes.visual;
  layout.redMask = static_cast<uint32_t>(image->red_mask ? image->red_mask : visual->red_mask);
  layout.greenMask = static_cast<uint32_t>(image->green_mask ? image->green_mask : visual->green_mask);
  layout.blueMask = static_cast<uint32_t>(image->blue_mask ? image->blue_mask : visual->blue_mask);
  std::vector<uint32_t> pixels(static_cast<size_t>(layout.width) * static_cast<size_t>(layout.height));
  if (!convertXPixels(reinterpret_cast<const uint8_t*>(image->data), layout, pixels.data())) return X11Capture::Failed;
  out.width = layout.width;
  out.height = layout.height;
  out.pixels = std::move(pixels);
  return X11Capture::Picture;
}

}  // namespace mw
