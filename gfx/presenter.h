// The presenter: owns the frame buffer, rebuilds its background and shows it through the platform
// once per frame. Only what changed is rebuilt and handed over: every drawing routine records what
// it draws into the frame (the canvas's damage grid) and every stamp what it changes in the
// desktop picture, and the frame buffer keeps the last frame's pixels in between.
#pragma once
#include <cstdint>
#include <vector>

#include "app/platform.h"
#include "gfx/bands.h"
#include "gfx/damage.h"
#include "gfx/image.h"

namespace mw {

struct Presenter {
  Platform* platform = nullptr;
  bool windowed = false;              // false: full-screen
  ScreenSize screen;                  // the frame's size: the screen's
  std::vector<uint32_t> frameBuffer;  // screen.width x screen.height, replaced at every rebuild

  DamageGrid drawn;      // drawn into the frame buffer since this frame's background
  DamageGrid lastDrawn;  // drawn into it during the last frame
  DamageGrid stamped;    // the desktop picture's changes since the last background
  DamageGrid rebuilt;    // rebuilt from the desktop picture at this frame's start
  // A steady overlay (the statistics) is drawn last, through its own canvas, mostly the same from
  // frame to frame. Where only it drew last frame, the frame buffer still holds it: a frame that
  // will draw it unchanged keeps those tiles instead of rebuilding them and drawing it again.
  DamageGrid overlay;      // drawn this frame through overlayCanvas
  DamageGrid overlayHeld;  // kept this frame as the last frame left them (holdOverlayBox)
  DamageGrid lastOverlay;  // the overlay's tiles last frame, drawn or kept
  bool overlayKept = false;  // this frame keeps lastOverlay's tiles where nothing else needs them
  bool rebuildAll = true;                 // the frame buffer's content is unknown
  std::vector<uint32_t> shown;            // the frame as the platform last received it
  bool shownValid = false;                // false: the platform must receive the whole frame
  std::vector<PresentRect> changed;       // this frame's changed rectangles (capacity kept)
  const uint32_t* desktopPixels = nullptr;  // the desktop picture as the last background saw it
  int32_t desktopWidth = -1;
  int32_t desktopHeight = -1;
  bool desktopOpaque = false;     // the desktop picture covers the screen with alpha 255 throughout
  bool backgroundOpaque = false;  // the frame buffer holds such a background, drawn over opaquely
  uint64_t pixelsHandedOver = 0;  // pixels inside the rectangles given to the platform, all frames
  uint64_t overlayBoxesHeld = 0;  // overlay boxes left as the last frame drew them, all frames
  DeferredDrawing deferred;       // a tracked frame's drawing, from the background to the fires
};

// Builds the full-screen presentation and a frame buffer of the screen's size.
void createPresenter(Presenter& presenter, Platform& platform, ScreenSize screen);
// Switches between full-screen and windowed and rebuilds the frame buffer.
void togglePresentation(Presenter& presenter);
// The background stage: the frame buffer becomes the desktop picture (0 where the picture does not
// cover it or holds its key), rebuilt only where it may differ, or all of it when full is set. A
// full rebuild also leaves the frame not known to be opaque, so that its frame is drawn the plain way.
// Without full, the drawing from here on is put off (the copy among it) until finishDrawing or
// present, or until a routine that cannot wait draws. With keepOverlay the caller promises that
// the overlay will draw exactly what it drew last frame: where only it drew, nothing is rebuilt.
void drawBackground(Presenter& presenter, Image& desktop, bool full = false, bool keepOverlay = false);
// Draws what was put off since the background stage.
void finishDrawing(Presenter& presenter);
// Shows the finished frame: only the rectangles that changed since the last one, or the whole
// frame when full is set.
void present(Presenter& presenter, bool full = false);
// Frees the frame buffer and forgets the platform.
void releasePresenter(Presenter& presenter);
// The frame buffer as a canvas of the screen's size, recording what is drawn into it.
Canvas frameCanvas(Presenter& presenter);
// The same canvas for the steady overlay, recording into the overlay's own grid.
Canvas overlayCanvas(Presenter& presenter);
// The overlay is about to draw into the pixels x0 <= x < x1, y0 <= y < y1 what it drew there last
// frame. True when the frame still holds exactly that (the tiles were kept and nothing has drawn
// there since): the drawing is then left out, and the tiles are kept for the next frame too.
bool holdOverlayBox(Presenter& presenter, int64_t x0, int64_t y0, int64_t x1, int64_t y1);

}  // namespace mw
