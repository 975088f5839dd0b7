// The desktop platform on SDL2: window, presentation and pacing, events as window messages,
// cursor and icons (the desktop capture's choice of source is in sdl_capture.cpp).
#include "platform/sdl/sdl_platform.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(__linux__)
#include <time.h>
#include <unistd.h>
#endif

#include "app/saved_picture.h"
#include "gfx/png_codec.h"
#include "gfx/resources.h"
#include "platform/common/wait_until.h"
#include "platform/sdl/key_map.h"
#include "platform/sdl/session_end.h"
#include "platform/sdl/window_surface.h"
#include "platform/sdl/x11_window.h"

namespace mw {

namespace {

// The menu cursor's hot spot: the middle of its 32 x 32 picture.
constexpr int CURSOR_HOT_X = 16;
constexpr int CURSOR_HOT_Y = 16;
// How long the X display may take to answer a connection.
constexpr int DISPLAY_ANSWER_SECONDS = 5;
// More changed rectangles than this are uploaded as one band of rows.
constexpr int MAX_UPLOAD_RECTS = 48;

bool decodeEmbedded(int number, Image& out) {
  const ResourceBytes picture = iconResource(number);
  return picture.size > 0 && decodePng(picture.bytes, picture.size, out) && out.width > 0 && out.height > 0;
}

// A surface over an image's pixels (0xAARRGGBB is SDL's ARGB8888); it borrows the pixels.
SDL_Surface* surfaceOf(Image& image) {
  return SDL_CreateRGBSurfaceWithFormatFrom(image.pixels.data(), image.width, image.height, 32, image.width * 4,
                                            SDL_PIXELFORMAT_ARGB8888);
}

bool isWaylandSession() {
  const char* display = std::getenv("WAYLAND_DISPLAY");
  const char* type = std::getenv("XDG_SESSION_TYPE");
  return (display != nullptr && display[0] != '\0') || (type != nullptr && std::strcmp(type, "wayland") == 0);
}

// Whether a Wayland client could reach a compositor at all: libwayland finds its socket through
// WAYLAND_SOCKET, an absolute WAYLAND_DISPLAY, or an absolute XDG_RUNTIME_DIR (and prints an
// error of its own on standard error when none is there).
bool waylandReachable() {
  const char* socket = std::getenv("WAYLAND_SOCKET");
  const char* display = std::getenv("WAYLAND_DISPLAY");
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  return (socket != nullptr && socket[0] != '\0') || (display != nullptr && display[0] == '/') ||
         (runtime != nullptr && runtime[0] == '/');
}

bool videoDriverIs(const char* name) {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver != nullptr && std::strcmp(driver, name) == 0;
}

// SDL falls back to a driver that shows nothing when no display answers; unless the user asked
// for it, the reason why there is no screen to show on, else empty.
std::string noScreenReason() {
  if (!videoDriverIs("offscreen") && !videoDriverIs("dummy")) return {};
  const char* asked = SDL_getenv("SDL_VIDEODRIVER");
  if (asked != nullptr && std::strstr(asked, SDL_GetCurrentVideoDriver()) != nullptr) return {};
  const char* display = SDL_getenv("DISPLAY");
  const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
  std::string reason;
  if (wayland != nullptr && wayland[0] != '\0') reason = std::string("the Wayland display ") + wayland + " did not answer";
  if (display != nullptr && display[0] != '\0')
    reason += (reason.empty() ? "" : " and ") + std::string("the X display ") + display + " did not answer";
  return reason.empty() ? "neither DISPLAY nor WAYLAND_DISPLAY is set" : reason;
}

// With MIRTHWICK_TIMING set, one line on standard error saying how long after the process
// started its first frame was presented, for measuring start-up.
void reportFirstFrame() {
#if defined(__linux__)
  const char* asked = std::getenv("MIRTHWICK_TIMING");
  if (asked == nullptr || asked[0] == '\0') return;
  // The process's start in clock ticks since boot: field 22 of /proc/self/stat, the 20th after
  // the command name's closing parenthesis.
  std::FILE* stat = std::fopen("/proc/self/stat", "r");
  if (stat == nullptr) return;
  char line[1024] = {};
  const bool read = std::fgets(line, sizeof line, stat) != nullptr;
  std::fclose(stat);
  const char* fields = read ? std::strrchr(line, ')') : nullptr;
  unsigned long long startTicks = 0;
  if (fields == nullptr ||
      std::sscanf(fields + 1, " %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %llu",
                  &startTicks) != 1)
    return;
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  const double started = static_cast<double>(startTicks) / static_cast<double>(sysconf(_SC_CLK_TCK));
  const double elapsed = static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9 - started;
  std::fprintf(stderr, "Mirthwick: first frame shown %.0f ms after the start\n", elapsed * 1000.0);
#endif
}

int refreshRateOf(int display) {
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(display, &mode) != 0) return 0;
  return mode.refresh_rate;
}

}  // namespace

SdlPlatform::SdlPlatform(bool openSound) : pacer_(0, 1), soundDeferred_(!openSound) {
  const char* timing = std::getenv("MIRTHWICK_TIMING");
  timing_ = timing != nullptr && timing[0] != '\0';
  // The first click on the window counts as a click, and losing focus leaves the window alone.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  // On a Wayland session a native Wayland window (exact scale, real fullscreen); X11 through
  // XWayland only when that fails. Where no compositor can be reached, SDL's own order without
  // Wayland, so that SDL does not try it when X11 fails (libwayland would print its complaint
  // before ours). SDL_VIDEODRIVER in the environment still decides.
  waylandSession_ = isWaylandSession();
  if (!waylandReachable()) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11,KMSDRM,offscreen");
  } else if (waylandSession_) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "wayland,x11");
  }
  installX11ErrorGuard();
  if (const char* driver = SDL_getenv("SDL_VIDEODRIVER");
      !waylandSession_ && (driver == nullptr || std::strstr(driver, "x11") != nullptr) && !xDisplayAnswers(DISPLAY_ANSWER_SECONDS)) {
    std::fprintf(stderr, "Mirthwick: no screen to show on: the X display %s does not answer.\n", SDL_getenv("DISPLAY"));
    return;
  }
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "Mirthwick: SDL could not start its video: %s\n", SDL_GetError());
    return;
  }
  if (const std::string reason = noScreenReason(); !reason.empty()) {
    // Running on unseen, it could be neither watched nor stopped with a key.
    std::fprintf(stderr, "Mirthwick: no screen to show on: %s.\n", reason.c_str());
    SDL_Quit();
    return;
  }
  ready_ = true;
  SDL_StopTextInput();  // keys only; no text input or input method
  chooseDisplay();
}

void SdlPlatform::chooseDisplay() {
  const int count = SDL_GetNumVideoDisplays();
  std::vector<SDL_Rect> bounds;
  for (int i = 0; i < count; ++i) {
    SDL_Rect rect{0, 0, 0, 0};
    SDL_GetDisplayBounds(i, &rect);
    bounds.push_back(rect);
    if (i == 0) layout_ = rect; else SDL_UnionRect(&layout_, &rect, &layout_);
  }
  // The monitor under the pointer; Wayland tells no client where the pointer is before it has a
  // window, so there the first monitor.
  int chosen = 0;
  if (videoDriverIs("x11")) {
    SDL_Point pointer{0, 0};
    SDL_GetGlobalMouseState(&pointer.x, &pointer.y);
    for (int i = 0; i < count; ++i) {
      if (SDL_PointInRect(&pointer, &bounds[static_cast<size_t>(i)])) chosen = i;
    }
  }
  screen_ = count > 0 ? bounds[static_cast<size_t>(chosen)] : SDL_Rect{0, 0, 0, 0};
  // Wayland bounds are in scaled desktop units; the display mode is in physical pixels.
  SDL_DisplayMode mode;
  if (screen_.w > 0 && SDL_GetDesktopDisplayMode(chosen, &mode) == 0 && mode.w > screen_.w) {
    displayScale_ = static_cast<float>(mode.w) / static_cast<float>(screen_.w);
  }
  pacer_ = FramePacer(refreshRateOf(chosen), SDL_GetPerformanceFrequency());
}

SdlPlatform::~SdlPlatform() {
  audio_.close();
  wayland_.close();  // before the window and the display go
  if (window_ && videoDriverIs("wayland")) settleWaylandWindow(window_);
  if (menuCursor_) SDL_FreeCursor(menuCursor_);
  if (texture_) SDL_DestroyTexture(texture_);
  if (renderer_) SDL_DestroyRenderer(renderer_);
  if (window_) SDL_DestroyWindow(window_);
  if (ready_) SDL_Quit();
}

void SdlPlatform::createWindow(int width, int height) {
  if (!ready_) return;
  // The monitor's size in desktop units; on a HiDPI monitor the frame (width x height) is larger
  // and the renderer's output, one pixel per physical pixel, matches it.
  if (screen_.w > 0 && screen_.h > 0) {
    width = screen_.w;
    height = screen_.h;
  }
  width = std::max(width, 1);
  height = std::max(height, 1);
  // Hidden until the first presentation: the second photograph is taken meanwhile and must not
  // show this window.
  window_ = SDL_CreateWindow("Mirthwick", screen_.x, screen_.y, width, height,
                             SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI);
  if (window_ == nullptr) {
    std::fprintf(stderr, "Mirthwick: no window: %s\n", SDL_GetError());
    failed_ = true;  // nothing could show the program or take its keys
    return;
  }
  createRenderer();
  setIcons();
  if (!soundDeferred_) audio_.open();
}

void SdlPlatform::setIcons() {
  Image small, large;
  const bool haveSmall = decodeEmbedded(101, small);
  const bool haveLarge = decodeEmbedded(103, large);
  Image* preferred = haveLarge ? &large : haveSmall ? &small : nullptr;
  if (preferred == nullptr) return;
  if (SDL_Surface* surface = surfaceOf(*preferred)) {
    SDL_SetWindowIcon(window_, surface);
    SDL_FreeSurface(surface);
  }
  // SDL sets one icon; on X11 the window gets both sizes, as the two icons of a window class.
  const Image* both[2] = {&small, &large};
  if (haveSmall && haveLarge) setX11WindowIcons(window_, both, 2);
}

void SdlPlatform::createRenderer() {
  if (texture_) SDL_DestroyTexture(texture_);
  texture_ = nullptr;
  textureWidth_ = textureHeight_ = 0;
  if (renderer_) SDL_DestroyRenderer(renderer_);
  renderer_ = nullptr;
  // MIRTHWICK_PRESENT=surface or =renderer decides; otherwise the window surface where X11 would
  // only have a software rasterizer draw the whole window each frame: an X server without direct
  // rendering, known before any OpenGL is loaded, or an OpenGL renderer that turns out to be
  // software. With a GPU the renderer stays, with its vertical sync; on Wayland SDL's window
  // surface is itself a renderer's texture, so the renderer stays there too.
  const char* asked = std::getenv("MIRTHWICK_PRESENT");
  const bool askedSurface = asked != nullptr && std::strcmp(asked, "surface") == 0;
  const bool choose = !askedSurface && (asked == nullptr || std::strcmp(asked, "renderer") != 0);
  const bool x11 = videoDriverIs("x11");
  // On Wayland the program's own shared-memory buffers (MIRTHWICK_PRESENT=wayland, or unasked),
  // unless they failed once.
  if (choose && !waylandFailed_ && videoDriverIs("wayland") && useWaylandBuffers()) return;
  if ((askedSurface || (choose && x11 && x11WithoutDirectRendering(window_))) && useSurface()) return;
  renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_PRESENTVSYNC);
  if (renderer_ == nullptr) renderer_ = SDL_CreateRenderer(window_, -1, 0);
  // A renderer may rebuild the window underneath (for OpenGL): watch the window it leaves.
  guardX11Window(window_);
  if (renderer_ != nullptr && choose && x11 && rendererIsSoftware(renderer_)) {
    // The window's own surface instead: the renderer goes, its window stays.
    SDL_DestroyRenderer(renderer_);
    renderer_ = nullptr;
    if (useSurface()) return;
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_PRESENTVSYNC);
    if (renderer_ == nullptr) renderer_ = SDL_CreateRenderer(window_, -1, 0);
    guardX11Window(window_);
  }
  if (renderer_ == nullptr) {
    // An unshown window takes no keys: the program could be neither seen nor stopped.
    std::fprintf(stderr, "Mirthwick: no renderer: %s\n", SDL_GetError());
    failed_ = true;
    return;
  }
  pacer_.restart();
}

bool SdlPlatform::useSurface() {
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");  // X11's shared memory, not a renderer's texture
  surface_ = SDL_GetWindowSurface(window_);
  if (surface_ == nullptr) {
    // Not a fault of its own: a renderer is tried next, and says so if it fails too.
    if (timing_) std::fprintf(stderr, "Mirthwick: no window surface (%s); presenting through a renderer\n", SDL_GetError());
    return false;
  }
  guardX11Window(window_);
  if (timing_) std::fprintf(stderr, "Mirthwick: presenting through the window surface\n");
  surfaceMode_ = true;
  surfaceStale_ = true;
  pacer_.restart();
  return true;
}

bool SdlPlatform::useWaylandBuffers() {
  std::string reason;
  if (!wayland_.open(window_, reason)) {
    std::fprintf(stderr, "Mirthwick: no Wayland buffers of its own (%s); presenting through a renderer\n",
                 reason.c_str());
    waylandFailed_ = true;
    return false;
  }
  if (timing_) std::fprintf(stderr, "Mirthwick: presenting through its own Wayland buffers\n");
  surfaceStale_ = true;
  pacer_.restart();
  return true;
}

void SdlPlatform::presentWayland(const uint32_t* pixels, int width, int height, const PresentRect* rects, int count,
                                 bool first) {
  const bool whole = surfaceStale_ || repaint_;  // the window's picture is gone: damage all of it
  if (count == 0 && !whole && pacer_.canSkip()) {
    skipFrame();
    return;
  }
  std::string reason;
  if (!wayland_.prepare(pixels, width, height, rects, count, whole, reason)) {
    std::fprintf(stderr, "Mirthwick: its Wayland buffers failed (%s); presenting through a renderer\n",
                 reason.c_str());
    waylandFailed_ = true;
    createRenderer();
    if (renderer_ != nullptr) presentRegions(pixels, width, height, rects, count);
    return;
  }
  surfaceStale_ = repaint_ = false;
  waitUntil(pacer_.presentAt(SDL_GetPerformanceCounter()));
  wayland_.commit();
  framePresented(first);  // nothing waits for the compositor: the pacer paces
}

bool SdlPlatform::ensureTexture(int width, int height) {
  if (renderer_ == nullptr) return false;
  if (texture_ && textureWidth_ == width && textureHeight_ == height) return true;
  if (texture_) SDL_DestroyTexture(texture_);
  texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, width, height);
  if (texture_ == nullptr) {
    textureWidth_ = textureHeight_ = 0;
    return false;
  }
  SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_NONE);  // the top byte is not alpha
  // The frame maps onto the window pixel for pixel; should a window manager size the window
  // differently, the frame is scaled to fit and mouse positions with it.
  SDL_RenderSetLogicalSize(renderer_, width, height);
  textureWidth_ = width;
  textureHeight_ = height;
  return true;
}

void SdlPlatform::setPresentation(bool windowed) {
  if (window_ == nullptr) return;
  if (windowed) {
    // A borderless window of the screen's size at the screen's corner.
    SDL_SetWindowFullscreen(window_, 0);
    SDL_SetWindowBordered(window_, SDL_FALSE);
    SDL_SetWindowSize(window_, screen_.w > 0 ? screen_.w : textureWidth_, screen_.h > 0 ? screen_.h : textureHeight_);
    SDL_SetWindowPosition(window_, screen_.x, screen_.y);
  } else if (!videoDriverIs("x11") || x11WindowManagerRunning(window_)) {
    // Covers the display at its current mode: no mode change. With no window manager on X11 the
    // borderless window covers the monitor already, and a request for full screen would go
    // unanswered while SDL waits a tenth of a second for the answer.
    SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
  }
  // A new texture for the new presentation, and the present interval measured anew.
  if (texture_) SDL_DestroyTexture(texture_);
  texture_ = nullptr;
  textureWidth_ = textureHeight_ = 0;
  surfaceStale_ = true;
  if (renderer_) SDL_RenderSetVSync(renderer_, 1);
  pacer_.restart();
}

void SdlPlatform::waitUntil(uint64_t tick) {
  mw::waitUntil(tick, [] { return static_cast<uint64_t>(SDL_GetPerformanceCounter()); }, SDL_GetPerformanceFrequency());
}

void SdlPlatform::skipFrame() {
  waitUntil(pacer_.skipAt(SDL_GetPerformanceCounter()));
  pacer_.skipped(SDL_GetPerformanceCounter());
  countFrame(false);
}

bool SdlPlatform::framePresented(bool first) {
  if (first) reportFirstFrame();
  countFrame(true);
  return pacer_.presented(SDL_GetPerformanceCounter());
}

void SdlPlatform::countFrame(bool shown) {
  if (!timing_) return;
  ++framesDone_;
  if (shown) ++framesShown_;
  const uint64_t now = SDL_GetPerformanceCounter();
  if (now < timingNext_) return;
  const uint64_t frequency = SDL_GetPerformanceFrequency();
  timingNext_ = now + frequency;
  // Running totals once a second: frames done (presented or skipped as unchanged) and presented.
  std::fprintf(stderr, "Mirthwick: %llu frames, %llu presented, at %.3f s\n",
               static_cast<unsigned long long>(framesDone_), static_cast<unsigned long long>(framesShown_),
               static_cast<double>(now) / static_cast<double>(frequency));
}

void SdlPlatform::present(const uint32_t* pixels, int width, int height) {
  const PresentRect whole{0, 0, width, height};
  presentRegions(pixels, width, height, &whole, 1);
}

void SdlPlatform::upload(const uint32_t* pixels, int width, const PresentRect* rects, int count) {
  const auto put = [&](int x, int y, int w, int h) {
    const SDL_Rect area{x, y, w, h};
    SDL_UpdateTexture(texture_, &area, pixels + static_cast<size_t>(y) * width + x, width * 4);
  };
  if (count <= MAX_UPLOAD_RECTS) {
    for (int i = 0; i < count; ++i) put(rects[i].x, rects[i].y, rects[i].width, rects[i].height);
    return;
  }
  // Many small pieces: one band of whole rows holding them all.
  int top = rects[0].y, bottom = rects[0].y + rects[0].height;
  for (int i = 1; i < count; ++i) {
    top = std::min(top, rects[i].y);
    bottom = std::max(bottom, rects[i].y + rects[i].height);
  }
  put(0, top, width, bottom - top);
}

void SdlPlatform::presentRegions(const uint32_t* pixels, int width, int height, const PresentRect* rects, int count) {
  if ((renderer_ == nullptr && !surfaceMode_ && !wayland_.isOpen()) || pixels == nullptr || width <= 0 || height <= 0)
    return;
  const bool first = !shown_;
  if (first) {
    // The window appears with its first frame; until then the desktop it photographed shows.
    shown_ = true;
    SDL_ShowWindow(window_);
    SDL_RaiseWindow(window_);
  }
  if (surfaceMode_) {
    presentSurface(pixels, width, height, rects, count, first);
    return;
  }
  if (wayland_.isOpen()) {
    presentWayland(pixels, width, height, rects, count, first);
    return;
  }
  // A new texture holds nothing yet, a reset one may have lost what it held: it takes the whole frame.
  const bool fresh = texture_ == nullptr || textureWidth_ != width || textureHeight_ != height || textureLost_;
  const bool haveTexture = ensureTexture(width, height);
  if (haveTexture && count == 0 && !fresh && !repaint_ && pacer_.canSkip()) {
    skipFrame();  // nothing changed and nothing needs painting again
    return;
  }
  if (haveTexture) {
    const PresentRect whole{0, 0, width, height};
    if (fresh) {
      upload(pixels, width, &whole, 1);
    } else {
      upload(pixels, width, rects, count);
    }
    textureLost_ = false;
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
  }
  repaint_ = false;
  waitUntil(pacer_.presentAt(SDL_GetPerformanceCounter()));
  SDL_RenderPresent(renderer_);
  // The renderer's own vsync did not hold the period: pace here alone.
  if (framePresented(first)) SDL_RenderSetVSync(renderer_, 0);
}

void SdlPlatform::presentSurface(const uint32_t* pixels, int width, int height, const PresentRect* rects, int count,
                                 bool first) {
  // A new surface after the window's size changed: it holds nothing yet and takes the whole frame.
  SDL_Surface* surface = SDL_GetWindowSurface(window_);
  if (surface == nullptr) return;
  const bool fresh =
      surfaceStale_ || surface != surface_ || surface->w != surfaceWidth_ || surface->h != surfaceHeight_;
  if (count == 0 && !fresh && !repaint_ && pacer_.canSkip()) {
    skipFrame();
    return;
  }
  surface_ = surface;
  surfaceWidth_ = surface->w;
  surfaceHeight_ = surface->h;
  surfaceStale_ = false;
  const PresentRect whole{0, 0, width, height};
  SDL_Rect put[MAX_SURFACE_RECTS];
  int n = 0;
  if (surface->w == width && surface->h == height) {
    n = copyToSurface(pixels, width, height, fresh ? &whole : rects, fresh ? 1 : count, surface, put);
    // The window's picture is gone (exposed, shown): the surface holds the whole frame; put all of it.
    if (repaint_) {
      n = 1;
      put[0] = SDL_Rect{0, 0, width, height};
    }
  } else if (SDL_Surface* frame = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(pixels), width, height, 32,
                                                                      width * 4, SDL_PIXELFORMAT_ARGB8888)) {
    // A window of another size than the frame (a window manager's doing): the frame at its
    // top-left corner, one pixel per pixel, as the mouse positions are; black around it.
    SDL_SetSurfaceBlendMode(frame, SDL_BLENDMODE_NONE);
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    SDL_BlitSurface(frame, nullptr, surface, nullptr);
    SDL_FreeSurface(frame);
    n = 1;
    put[0] = SDL_Rect{0, 0, surface->w, surface->h};
  }
  repaint_ = false;
  waitUntil(pacer_.presentAt(SDL_GetPerformanceCounter()));
  if (n > 0) SDL_UpdateWindowSurfaceRects(window_, put, n);
  framePresented(first);  // nothing waits for the retrace: the pacer paces
}

bool SdlPlatform::peekMessage(WindowMessage& out) {
  // No window to run in, or a quit signal: the window is destroyed, as Escape ends it.
  if (failed_ || quitSignalled()) return reportDestroyed(out);
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    if (translate(event, out)) return true;
  }
  // Another client destroyed the window.
  if (x11WindowGone()) return reportDestroyed(out);
  return false;
}

bool SdlPlatform::reportDestroyed(WindowMessage& out) {
  if (destroyed_) return false;  // reported once, however it was learnt
  destroyed_ = true;
  out = WindowMessage{WM_DESTROY, 0, 0};
  return true;
}

int32_t SdlPlatform::framePoint(int x, int y) const {
  // Without a renderer to map them, window coordinates become frame pixels here (HiDPI on Wayland).
  if (wayland_.isOpen()) {
    int w = 0, h = 0, pixelW = 0, pixelH = 0;
    SDL_GetWindowSize(window_, &w, &h);
    SDL_GetWindowSizeInPixels(window_, &pixelW, &pixelH);
    if (w > 0 && h > 0 && (pixelW != w || pixelH != h)) {
      x = static_cast<int>(static_cast<int64_t>(x) * pixelW / w);
      y = static_cast<int>(static_cast<int64_t>(y) * pixelH / h);
    }
  }
  return packPoint(x, y);
}

bool SdlPlatform::translate(const SDL_Event& event, WindowMessage& out) {
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      return keyMessageFor(event.key, out);
    case SDL_MOUSEMOTION: {
      uint32_t buttons = 0;
      if (event.motion.state & SDL_BUTTON_LMASK) buttons |= MK_LBUTTON;
      if (event.motion.state & SDL_BUTTON_RMASK) buttons |= MK_RBUTTON;
      out = WindowMessage{WM_MOUSEMOVE, buttons, framePoint(event.motion.x, event.motion.y)};
      return true;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      const bool down = event.type == SDL_MOUSEBUTTONDOWN;
      const int32_t where = framePoint(event.button.x, event.button.y);
      if (event.button.button == SDL_BUTTON_LEFT) {
        out = WindowMessage{down ? WM_LBUTTONDOWN : WM_LBUTTONUP, down ? MK_LBUTTON : 0u, where};
        return true;
      }
      if (event.button.button == SDL_BUTTON_RIGHT) {
        out = WindowMessage{down ? WM_RBUTTONDOWN : WM_RBUTTONUP, down ? MK_RBUTTON : 0u, where};
        return true;
      }
      return false;
    }
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) break;
      // The window's picture may be gone: the next frame is presented even when unchanged.
      if (event.window.event == SDL_WINDOWEVENT_EXPOSED || event.window.event == SDL_WINDOWEVENT_SHOWN ||
          event.window.event == SDL_WINDOWEVENT_RESTORED || event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED ||
          event.window.event == SDL_WINDOWEVENT_MAXIMIZED)
        repaint_ = true;
      if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) surfaceStale_ = true;
      return false;
    case SDL_QUIT:
      break;
    case SDL_RENDER_DEVICE_RESET:
      // The renderer is gone with its device: build both anew.
      if (window_ && renderer_) createRenderer();
      return false;
    case SDL_RENDER_TARGETS_RESET:
      textureLost_ = true;
      repaint_ = true;
      return false;
    default:
      return false;
  }
  // Closing the window (or a quit request to the process, such as SIGTERM) destroys it.
  return reportDestroyed(out);
}

void SdlPlatform::captureMouse(bool captured) { SDL_CaptureMouse(captured ? SDL_TRUE : SDL_FALSE); }

void SdlPlatform::showMenuCursor(bool visible) {
  const int state = visible ? 1 : 0;
  if (state == cursorState_) return;  // called every frame; the cursor changes rarely
  cursorState_ = state;
  if (!visible) {
    SDL_ShowCursor(SDL_DISABLE);
    return;
  }
  if (menuCursor_ == nullptr) {
    Image picture;
    if (decodeEmbedded(13, picture)) {
      if (SDL_Surface* surface = surfaceOf(picture)) {
        const int hotX = std::min(CURSOR_HOT_X, picture.width - 1);
        const int hotY = std::min(CURSOR_HOT_Y, picture.height - 1);
        menuCursor_ = SDL_CreateColorCursor(surface, hotX, hotY);
        SDL_FreeSurface(surface);
      }
    }
    if (menuCursor_ == nullptr) menuCursor_ = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
  }
  if (menuCursor_) SDL_SetCursor(menuCursor_);
  SDL_ShowCursor(SDL_ENABLE);
}

void SdlPlatform::attachSound(int slot, const uint8_t* bytes, uint32_t length) { audio_.attach(slot, bytes, length); }

void SdlPlatform::playSound(int slot, int level, bool looping) {
  if (soundDeferred_ && window_ != nullptr) {
    soundDeferred_ = false;
    audio_.open();
  }
  audio_.play(slot, level, looping);
}

void SdlPlatform::stopSound(int slot) { audio_.stop(slot); }

void SdlPlatform::showError(const char* text, const char* caption) {
  std::fprintf(stderr, "%s: %s\n", caption, text);
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr);
}

std::string SdlPlatform::picturesFolder() { return freedesktopPicturesFolder(); }

}  // namespace mw
