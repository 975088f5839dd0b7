// Presenting on Wayland through the program's own shared-memory buffers: only the changed
// rectangles are copied and declared damaged, and the compositor draws nothing else (no renderer,
// no OpenGL in this process).
#pragma once
#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/platform.h"

struct wl_buffer;
struct wl_display;
struct wl_event_queue;
struct wl_shm;
struct wl_surface;

namespace mw {

// At most this many buffers: two take turns (one shown, one drawn), a third only while the
// compositor is late releasing.
inline constexpr int WAYLAND_BUFFERS = 3;
// Stale rectangles a buffer remembers; more are folded into their bounding box.
inline constexpr int STALE_RECTS = 32;
// Changed rectangles taken one by one; more become one band of whole rows.
inline constexpr int CHANGED_RECTS = 48;
// Room for the rectangles copied into a buffer: its stale ones and the frame's changed ones.
inline constexpr int COPY_RECTS = STALE_RECTS + CHANGED_RECTS;

// Keeps each buffer of a ring in step with the frame. A buffer that was not drawn for some frames
// misses what changed in them; it remembers those rectangles and gets them, with the new frame's
// own, when it is drawn next.
class DamageRing {
 public:
  // Every buffer is stale as a whole (new, or of another size).
  void reset();
  // Marks one buffer stale as a whole (just allocated).
  void forget(int buffer);
  // Normalises a frame's changed rectangles to a width x height frame (clipped; more than
  // CHANGED_RECTS become one band of whole rows) into `changed` (room for CHANGED_RECTS); returns
  // their number.
  static int normalise(const PresentRect* rects, int count, int width, int height, PresentRect* changed);
  // The frame with these (normalised) changed rectangles is drawn into `buffer`: writes the
  // rectangles to copy from the frame into it to `copy` (room for COPY_RECTS) and returns their
  // number; every other buffer now misses the changed rectangles too.
  int draw(int buffer, const PresentRect* changed, int count, int width, int height, PresentRect* copy);

 private:
  struct Stale {
    PresentRect rects[STALE_RECTS];
    int count = 0;
    bool whole = true;
  };
  void add(Stale& stale, const PresentRect& rect);
  Stale stale_[WAYLAND_BUFFERS];
};

// Before a Wayland window is destroyed: lets SDL finish what it has asked the compositor (an
// activation token for raising the window). Were the token's answer handled while SDL takes the
// window down, SDL would ask to activate a surface whose window role is gone, which sway 1.7
// answers by crashing.
void settleWaylandWindow(SDL_Window* window);

// The program's own buffers on SDL's Wayland surface. SDL keeps the window (its xdg role,
// configure acknowledgements, buffer scale, full screen); this attaches, damages and commits.
class WaylandSurface {
 public:
  WaylandSurface() = default;
  ~WaylandSurface();
  WaylandSurface(const WaylandSurface&) = delete;
  WaylandSurface& operator=(const WaylandSurface&) = delete;

  // Takes the window's Wayland display and surface; false, saying why in `reason`, when the window
  // is not a Wayland one or the compositor offers no shared memory.
  bool open(SDL_Window* window, std::string& reason);
  // Copies what changed of the frame into a free buffer, ready to be committed; `whole` when the
  // window's picture is gone (exposed, resized) and the whole buffer is to be damaged. False, saying
  // why, when the buffers fail; the surface is then closed.
  bool prepare(const uint32_t* pixels, int width, int height, const PresentRect* rects, int count, bool whole,
               std::string& reason);
  // Attaches the prepared buffer, damages its changed rectangles and commits.
  void commit();
  // Lets every buffer go; the surface is SDL's again.
  void close();
  bool isOpen() const { return display_ != nullptr; }

 private:
  struct Buffer {
    wl_buffer* buffer = nullptr;
    uint32_t* pixels = nullptr;
    size_t bytes = 0;
    int width = 0;
    int height = 0;
    bool busy = false;  // attached and not yet released by the compositor
  };
  static void released(void* data, wl_buffer* buffer);
  bool allocate(Buffer& buffer, int width, int height, std::string& reason);
  void drop(Buffer& buffer);
  int freeBuffer(int width, int height, std::string& reason);

  SDL_Window* window_ = nullptr;
  wl_display* display_ = nullptr;
  wl_surface* surface_ = nullptr;
  wl_event_queue* queue_ = nullptr;
  wl_shm* shm_ = nullptr;
  bool damageBuffer_ = false;  // wl_surface 4: damage in buffer pixels
  Buffer buffers_[WAYLAND_BUFFERS];
  DamageRing ring_;
  int prepared_ = -1;
  PresentRect damage_[CHANGED_RECTS];
  int damageCount_ = 0;
  bool damageWhole_ = false;
  bool owedWhole_ = false;  // a frame went uncommitted, or the size changed: damage everything next
  int frameWidth_ = 0;
  int frameHeight_ = 0;
};

}  // namespace mw
