// The desktop platform: one SDL2 window over one monitor, the desktop capture (screenshot portal,
// X11), SDL2_mixer sound.
#pragma once
#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/platform.h"
#include "gfx/image.h"
#include "platform/common/frame_pacer.h"
#include "platform/sdl/sdl_audio.h"
#include "platform/sdl/wayland_surface.h"

namespace mw {

class SdlPlatform : public Platform {
 public:
  // openSound false (--mute): no sound device is opened until the core first plays a sound.
  explicit SdlPlatform(bool openSound = true);
  ~SdlPlatform() override;
  SdlPlatform(const SdlPlatform&) = delete;
  SdlPlatform& operator=(const SdlPlatform&) = delete;

  // False when SDL's video could not start (no display at all); the program cannot run then.
  bool ready() const { return ready_; }
  // True when the window or its renderer could not be made: the program ends, exit code 1.
  bool failed() const { return failed_; }

  bool captureScreen(ScreenCapture& out) override;
  void createWindow(int width, int height) override;
  bool peekMessage(WindowMessage& out) override;
  void setPresentation(bool windowed) override;
  void present(const uint32_t* pixels, int width, int height) override;
  void presentRegions(const uint32_t* pixels, int width, int height, const PresentRect* rects, int count) override;
  void captureMouse(bool captured) override;
  void showMenuCursor(bool visible) override;
  void attachSound(int slot, const uint8_t* bytes, uint32_t length) override;
  void playSound(int slot, int level, bool looping) override;
  void stopSound(int slot) override;
  void showError(const char* text, const char* caption) override;
  // XDG_PICTURES_DIR, else ~/Pictures, else the home folder.
  std::string picturesFolder() override;

 private:
  bool translate(const SDL_Event& event, WindowMessage& out);
  // A window position as a frame position, packed for a mouse message.
  int32_t framePoint(int x, int y) const;
  bool reportDestroyed(WindowMessage& out);
  void createRenderer();
  // Presents through the window's surface from now on; false when the window has none.
  bool useSurface();
  // Presents through the window surface: only the changed rectangles go to the screen.
  void presentSurface(const uint32_t* pixels, int width, int height, const PresentRect* rects, int count, bool first);
  // Presents through the program's own Wayland buffers from now on; false (saying why) when it cannot.
  bool useWaylandBuffers();
  void presentWayland(const uint32_t* pixels, int width, int height, const PresentRect* rects, int count, bool first);
  bool ensureTexture(int width, int height);
  void setIcons();
  void waitUntil(uint64_t tick);
  // With MIRTHWICK_TIMING set, counts a frame and reports the totals once a second.
  void countFrame(bool shown);
  // A frame with nothing to show: no present, only the wait for its turn, so that the world keeps
  // its pace.
  void skipFrame();
  // Right after a present: reports the first frame and counts it; true when the pacer has just
  // taken over the pacing (the renderer's vsync is then to be turned off).
  bool framePresented(bool first);
  void chooseDisplay();
  bool capturePortal(ScreenCapture& out, std::string& reason);
  // Copies the rectangles of the frame into the texture.
  void upload(const uint32_t* pixels, int width, const PresentRect* rects, int count);

  bool ready_ = false;
  bool failed_ = false;
  bool waylandSession_ = false;
  SDL_Rect screen_{0, 0, 0, 0};  // the display the window covers, in desktop coordinates
  SDL_Rect layout_{0, 0, 0, 0};  // the bounding box of every display
  float displayScale_ = 1.0f;    // physical pixels per desktop coordinate on that display, as SDL says
  // The portal photographs once per start (on some desktops each screenshot flashes and clicks):
  // the second capture reuses its outcome.
  bool portalAsked_ = false;
  bool portalWorked_ = false;
  Image portalPicture_;
  std::string portalReason_;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  int textureWidth_ = 0;
  int textureHeight_ = 0;
  // Presenting through the window's surface instead of the renderer (owned by the window).
  bool surfaceMode_ = false;
  SDL_Surface* surface_ = nullptr;
  int surfaceWidth_ = 0;
  int surfaceHeight_ = 0;
  bool surfaceStale_ = true;  // the surface may be new or resized: it takes the whole frame
  // On Wayland: the program's own shared-memory buffers, unless they failed once.
  WaylandSurface wayland_;
  bool waylandFailed_ = false;
  bool shown_ = false;
  bool repaint_ = true;       // the window must be painted again (exposed, shown, resized)
  bool textureLost_ = false;  // the renderer reset its targets: the texture's content is unknown
  bool destroyed_ = false;  // the window's destruction has been reported once
  SDL_Cursor* menuCursor_ = nullptr;
  int cursorState_ = -1;  // -1 unknown, 0 hidden, 1 menu cursor shown
  bool warnedNoCapture_ = false;
  FramePacer pacer_;
  bool timing_ = false;
  uint64_t framesDone_ = 0;
  uint64_t framesShown_ = 0;
  uint64_t timingNext_ = 0;
  SdlAudio audio_;
  bool soundDeferred_ = false;  // the sound device is to be opened at the first sound played
};

}  // namespace mw
