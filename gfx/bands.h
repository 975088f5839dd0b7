// Drawing in horizontal bands: each band runs every draw of a list in the list's order, clipped to
// itself, so the pixels are the same as drawing the list in order. Bands are shared between the
// caller and one helper thread, started at start-up and kept; with one processor the caller draws
// them all.
//
// The frame's drawing can be put off (deferred) while the simulation runs: the background copy, the
// soldiers and the flames are recorded, then drawn band by band, a band small enough to stay in the
// processor's cache from its background copy to its last flame. Stamps into the desktop picture
// asked for meanwhile wait too, as the background copy reads that picture: each band stamps its
// rows of the desktop after its draws.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "gfx/image.h"

namespace mw {

// A draw put off: draw(d, band, top) does it into a canvas of the frame's rows from top on (band
// row 0 is frame row top), with no damage recorded (that was recorded when it was put off).
struct DeferredDraw {
  void (*draw)(const DeferredDraw& d, const Canvas& band, int32_t top) = nullptr;
  const Image* image = nullptr;
  const void* data = nullptr;
  int32_t x = 0;
  int32_t y = 0;
  int32_t x2 = 0;               // a line's other end
  uint32_t value = 0;           // a facing or a colour
  int32_t top = 0;              // the frame rows it may change: top <= row < bottom
  int32_t bottom = 0;
  bool opaque = false;          // the frame was known to be opaque when it was asked for
};

// A stamp put off: stampOriented(x, y, *source, *target, screen, k), which changes at most the target rows
// top <= row < bottom. The target's rows are the frame's: a band stamps the rows it covers.
struct DeferredStamp {
  const Image* source = nullptr;
  Image* target = nullptr;
  ScreenSize screen;
  int32_t x = 0;
  int32_t y = 0;
  int32_t k = 0;
  int32_t top = 0;
  int32_t bottom = 0;
};

// The frame's put-off drawing. Its lists keep their capacity; a full list is drawn at once to make room.
struct DeferredDrawing {
  bool active = false;
  uint32_t* pixels = nullptr;  // the frame, width x height
  int32_t width = 0;
  int32_t height = 0;
  std::vector<DeferredDraw> draws;
  std::vector<DeferredStamp> stamps;
};

// Starts putting off the drawing into a frame (the canvases made meanwhile carry the list).
void beginDeferred(DeferredDrawing& deferred, uint32_t* pixels, int32_t width, int32_t height);
// Does what was put off, band by band: each band runs the draws in order, then the stamps in
// order, clipped to its rows; the list goes on recording while active. Allocates nothing.
void drawDeferred(DeferredDrawing& deferred);
// drawDeferred, and stops putting off.
void finishDeferred(DeferredDrawing& deferred);
// Routines that cannot be put off call this first, so that what was put off comes before them.
inline void drawDeferredFirst(const Canvas& canvas) {
  if (canvas.deferred != nullptr && (!canvas.deferred->draws.empty() || !canvas.deferred->stamps.empty()))
    drawDeferred(*canvas.deferred);
}
// Puts a draw off when the canvas defers its drawing; false when it draws at once.
bool deferDraw(const Canvas& canvas, const DeferredDraw& draw);
// Puts a stamp into target off while target's drawing is deferred; false when it is stamped at once.
bool deferStamp(int32_t x, int32_t y, const Image& source, Image& target, ScreenSize screen, int32_t k);

// 2 when bands are shared with the helper (the default when the processor has more than one
// core), else 1. Tests and benchmarks set it to compare; returns the setting now in use.
int drawingBands();
// At start-up: starts the helper now when lists will be shared, so no frame step creates it.
void prepareDrawingBands();
int setDrawingBands(int bands);
// Tests: the helper waits this long after taking each job, so that the caller finishes jobs alone.
void setHelperPause(int microseconds);

}  // namespace mw
