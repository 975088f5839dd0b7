// The program's own shared-memory buffers on SDL's Wayland surface, kept in step with the frame.
#include "platform/sdl/wayland_surface.h"

#include <SDL_syswm.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

namespace mw {

namespace {

PresentRect bounding(const PresentRect& a, const PresentRect& b) {
  const int x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
  const int x1 = std::max(a.x + a.width, b.x + b.width), y1 = std::max(a.y + a.height, b.y + b.height);
  return PresentRect{x0, y0, x1 - x0, y1 - y0};
}

bool clip(PresentRect& r, int width, int height) {
  const int x0 = std::max(r.x, 0), y0 = std::max(r.y, 0);
  const int x1 = std::min(r.x + r.width, width), y1 = std::min(r.y + r.height, height);
  if (x1 <= x0 || y1 <= y0) return false;
  r = PresentRect{x0, y0, x1 - x0, y1 - y0};
  return true;
}

}  // namespace

void DamageRing::reset() {
  for (int i = 0; i < WAYLAND_BUFFERS; ++i) forget(i);
}

void DamageRing::forget(int buffer) {
  stale_[buffer].count = 0;
  stale_[buffer].whole = true;
}

int DamageRing::normalise(const PresentRect* rects, int count, int width, int height, PresentRect* changed) {
  if (count > CHANGED_RECTS) {
    // Many small pieces: one band of whole rows holding them all.
    int top = height, bottom = 0;
    for (int i = 0; i < count; ++i) {
      top = std::min(top, rects[i].y);
      bottom = std::max(bottom, rects[i].y + rects[i].height);
    }
    PresentRect band{0, top, width, bottom - top};
    if (!clip(band, width, height)) return 0;
    changed[0] = band;
    return 1;
  }
  int n = 0;
  for (int i = 0; i < count; ++i) {
    PresentRect r = rects[i];
    if (clip(r, width, height)) changed[n++] = r;
  }
  return n;
}

void DamageRing::add(Stale& stale, const PresentRect& rect) {
  if (stale.whole) return;
  if (stale.count < STALE_RECTS) {
    stale.rects[stale.count++] = rect;
    return;
  }
  // Full: everything it misses, and this, in one box.
  PresentRect box = rect;
  for (int i = 0; i < stale.count; ++i) box = bounding(box, stale.rects[i]);
  stale.rects[0] = box;
  stale.count = 1;
}

int DamageRing::draw(int buffer, const PresentRect* changed, int count, int width, int height, PresentRect* copy) {
  int n = 0;
  if (buffer >= 0 && buffer < WAYLAND_BUFFERS) {
    Stale& own = stale_[buffer];
    if (own.whole) {
      copy[n++] = PresentRect{0, 0, width, height};
    } else {
      for (int i = 0; i < own.count; ++i) copy[n++] = own.rects[i];
      for (int i = 0; i < count; ++i) copy[n++] = changed[i];
    }
    own.count = 0;
    own.whole = false;
  }
  for (int b = 0; b < WAYLAND_BUFFERS; ++b) {
    if (b == buffer) continue;
    for (int i = 0; i < count; ++i) add(stale_[b], changed[i]);
  }
  return n;
}

void settleWaylandWindow(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window == nullptr || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_WAYLAND ||
      info.info.wl.display == nullptr)
    return;
  // Every answer to what was sent is handled, by SDL's own listeners, while the window is whole.
  wl_display_roundtrip(info.info.wl.display);
}

WaylandSurface::~WaylandSurface() { close(); }

bool WaylandSurface::open(SDL_Window* window, std::string& reason) {
  close();
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_WAYLAND) {
    reason = "not a Wayland window";
    return false;
  }
  if (info.info.wl.display == nullptr || info.info.wl.surface == nullptr) {
    reason = "SDL gave no Wayland surface";
    return false;
  }
  display_ = info.info.wl.display;
  surface_ = info.info.wl.surface;
  window_ = window;
  // The buffers' events (release) arrive on a queue of their own, dispatched here, never by SDL.
  queue_ = wl_display_create_queue(display_);
  auto* wrapped = static_cast<wl_display*>(wl_proxy_create_wrapper(display_));
  if (queue_ == nullptr || wrapped == nullptr) {
    if (wrapped != nullptr) wl_proxy_wrapper_destroy(wrapped);
    reason = "no event queue";
    close();
    return false;
  }
  wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapped), queue_);
  wl_registry* registry = wl_display_get_registry(wrapped);
  wl_proxy_wrapper_destroy(wrapped);
  static const wl_registry_listener listener = {
      [](void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
        auto* self = static_cast<WaylandSurface*>(data);
        if (self->shm_ == nullptr && std::strcmp(interface, wl_shm_interface.name) == 0)
          self->shm_ = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
      },
      [](void*, wl_registry*, uint32_t) {}};
  if (registry != nullptr) wl_registry_add_listener(registry, &listener, this);
  const bool answered = registry != nullptr && wl_display_roundtrip_queue(display_, queue_) >= 0;
  if (registry != nullptr) wl_registry_destroy(registry);
  if (!answered || shm_ == nullptr) {
    reason = answered ? "the compositor offers no shared memory (wl_shm)" : "the compositor did not answer";
    close();
    return false;
  }
  damageBuffer_ = wl_proxy_get_version(reinterpret_cast<wl_proxy*>(surface_)) >= WL_SURFACE_DAMAGE_BUFFER_SINCE_VERSION;
  ring_.reset();
  return true;
}

void WaylandSurface::close() {
  for (Buffer& b : buffers_) drop(b);
  if (shm_ != nullptr) wl_shm_destroy(shm_);
  shm_ = nullptr;
  if (queue_ != nullptr) wl_event_queue_destroy(queue_);
  queue_ = nullptr;
  display_ = nullptr;
  surface_ = nullptr;
  window_ = nullptr;
  prepared_ = -1;
}

void WaylandSurface::released(void* data, wl_buffer* buffer) {
  auto* self = static_cast<WaylandSurface*>(data);
  for (Buffer& b : self->buffers_) {
    if (b.buffer == buffer) b.busy = false;
  }
}

bool WaylandSurface::allocate(Buffer& buffer, int width, int height, std::string& reason) {
  drop(buffer);
  const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
  if (bytes > static_cast<size_t>(INT32_MAX)) {
    reason = "the window is too large for one shared-memory buffer";
    return false;
  }
  const int fd = memfd_create("mirthwick-frame", MFD_CLOEXEC);
  if (fd < 0) {
    reason = std::string("memfd_create: ") + std::strerror(errno);
    return false;
  }
  // Allocated now, not at the first touch, so that a full /dev/shm fails here and not as SIGBUS.
  int failed = 0;
  while ((failed = posix_fallocate(fd, 0, static_cast<off_t>(bytes))) == EINTR) {
  }
  if (failed == EOPNOTSUPP || failed == EINVAL) failed = ftruncate(fd, static_cast<off_t>(bytes)) == 0 ? 0 : errno;
  void* mapped = failed == 0 ? mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0) : MAP_FAILED;
  if (mapped == MAP_FAILED) {
    reason = std::string("shared memory for a frame: ") + std::strerror(failed != 0 ? failed : errno);
    ::close(fd);
    return false;
  }
  wl_shm_pool* pool = wl_shm_create_pool(shm_, fd, static_cast<int32_t>(bytes));
  ::close(fd);  // the compositor has its own descriptor once the request is sent
  wl_buffer* made =
      pool != nullptr ? wl_shm_pool_create_buffer(pool, 0, width, height, width * 4, WL_SHM_FORMAT_XRGB8888) : nullptr;
  if (pool != nullptr) wl_shm_pool_destroy(pool);
  if (made == nullptr) {
    munmap(mapped, bytes);
    reason = "no wl_buffer";
    return false;
  }
  static const wl_buffer_listener listener = {released};
  wl_buffer_add_listener(made, &listener, this);
  buffer.buffer = made;
  buffer.pixels = static_cast<uint32_t*>(mapped);  // zero: black, as XRGB8888
  buffer.bytes = bytes;
  buffer.width = width;
  buffer.height = height;
  buffer.busy = false;
  return true;
}

void WaylandSurface::drop(Buffer& buffer) {
  // A buffer the compositor still shows may go: it keeps what it last took from it.
  if (buffer.buffer != nullptr) wl_buffer_destroy(buffer.buffer);
  if (buffer.pixels != nullptr) munmap(buffer.pixels, buffer.bytes);
  buffer = Buffer{};
}

int WaylandSurface::freeBuffer(int width, int height, std::string& reason) {
  // Two buffers take turns; a third only when the compositor still holds both after a round trip.
  for (int attempt = 0; attempt < 2; ++attempt) {
    int made = 0;
    for (int i = 0; i < WAYLAND_BUFFERS; ++i) {
      if (buffers_[i].buffer == nullptr) continue;
      if (!buffers_[i].busy) return i;
      ++made;
    }
    if (made < (attempt == 0 ? 2 : WAYLAND_BUFFERS)) {
      for (int i = 0; i < WAYLAND_BUFFERS; ++i) {
        if (buffers_[i].buffer != nullptr) continue;
        if (!allocate(buffers_[i], width, height, reason)) return -1;
        ring_.forget(i);
        return i;
      }
    }
    if (attempt == 0 && wl_display_roundtrip_queue(display_, queue_) < 0) {
      reason = "the compositor connection failed";
      return -1;
    }
  }
  return WAYLAND_BUFFERS;  // none free yet: this frame waits
}

bool WaylandSurface::prepare(const uint32_t* pixels, int width, int height, const PresentRect* rects, int count,
                             bool whole, std::string& reason) {
  prepared_ = -1;
  if (display_ == nullptr) {
    reason = "not open";
    return false;
  }
  if (wl_display_dispatch_queue_pending(display_, queue_) < 0 || wl_display_get_error(display_) != 0) {
    reason = "the compositor connection failed";
    close();
    return false;
  }
  // The buffer has the window's size in physical pixels; SDL sets the surface's buffer scale.
  int bufferWidth = 0, bufferHeight = 0;
  SDL_GetWindowSizeInPixels(window_, &bufferWidth, &bufferHeight);
  if (bufferWidth <= 0 || bufferHeight <= 0) {
    bufferWidth = width;
    bufferHeight = height;
  }
  for (Buffer& b : buffers_) {
    if (b.buffer != nullptr && (b.width != bufferWidth || b.height != bufferHeight || frameWidth_ != width ||
                                frameHeight_ != height)) {
      drop(b);
      owedWhole_ = true;
    }
  }
  frameWidth_ = width;
  frameHeight_ = height;
  PresentRect changed[CHANGED_RECTS];
  const int changedCount = DamageRing::normalise(rects, count, width, height, changed);
  const int chosen = freeBuffer(bufferWidth, bufferHeight, reason);
  if (chosen < 0) {
    close();
    return false;
  }
  if (chosen == WAYLAND_BUFFERS) {
    // Nothing to draw into this time: every buffer misses this frame's changes, and the next
    // commit damages everything.
    PresentRect unused[COPY_RECTS];
    ring_.draw(-1, changed, changedCount, width, height, unused);
    owedWhole_ = true;
    return true;
  }
  Buffer& b = buffers_[chosen];
  PresentRect copy[COPY_RECTS];
  const int copies = ring_.draw(chosen, changed, changedCount, width, height, copy);
  // The frame sits at the buffer's top-left corner, one pixel per pixel, as the mouse positions do;
  // should the window be larger, the rest stays black.
  for (int i = 0; i < copies; ++i) {
    PresentRect r = copy[i];
    if (!clip(r, bufferWidth, bufferHeight)) continue;
    for (int row = r.y; row < r.y + r.height; ++row) {
      std::memcpy(b.pixels + static_cast<size_t>(row) * bufferWidth + r.x,
                  pixels + static_cast<size_t>(row) * width + r.x, static_cast<size_t>(r.width) * 4);
    }
  }
  damageWhole_ = whole || owedWhole_;
  owedWhole_ = false;
  damageCount_ = 0;
  for (int i = 0; i < changedCount; ++i) {
    PresentRect r = changed[i];
    if (clip(r, bufferWidth, bufferHeight)) damage_[damageCount_++] = r;
  }
  prepared_ = chosen;
  return true;
}

void WaylandSurface::commit() {
  if (display_ == nullptr || prepared_ < 0) return;
  Buffer& b = buffers_[prepared_];
  prepared_ = -1;
  wl_surface_attach(surface_, b.buffer, 0, 0);
  if (!damageBuffer_) {
    wl_surface_damage(surface_, 0, 0, INT32_MAX, INT32_MAX);
  } else if (damageWhole_) {
    wl_surface_damage_buffer(surface_, 0, 0, b.width, b.height);
  } else {
    for (int i = 0; i < damageCount_; ++i)
      wl_surface_damage_buffer(surface_, damage_[i].x, damage_[i].y, damage_[i].width, damage_[i].height);
  }
  wl_surface_commit(surface_);
  b.busy = true;
  wl_display_flush(display_);
}

}  // namespace mw
