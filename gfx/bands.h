// Drawing shared by two processors: the frame is cut into horizontal bands, and each band runs
// every blend of a list in the list's order, clipped to itself, so the pixels are the same as one
// processor drawing the list in order; a background copy is shared the same way. The bands are
// shared between the caller and one helper thread, started at start-up and kept; with one
// processor the caller draws everything.
#pragma once
#include <cstddef>
#include <cstdint>

#include "gfx/image.h"

namespace mw {

// One blendImage: the picture's corner at (x, y).
struct QueuedBlend {
  const Image* image = nullptr;
  int32_t x = 0;
  int32_t y = 0;
};

// Draws blendImage(canvas, x, y, *image) for every item, in order; records their damage on the
// canvas. Long lists are split into bands when more than one band is allowed. Allocates nothing.
void blendQueued(Canvas canvas, const QueuedBlend* items, size_t count);

// copyBackground(canvas, desktop), its rows shared with the helper on a large screen. Records no
// damage, as copyBackground records none.
void copyBackgroundShared(Canvas canvas, const Image& desktop);

// 2 when long lists and large copies are shared with the helper (the default when the processor has more than one
// core), else 1. Tests and benchmarks set it to compare; returns the setting now in use.
int drawingBands();
// At start-up: starts the helper now when lists will be shared, so no frame step creates it.
void prepareDrawingBands();
int setDrawingBands(int bands);
// Tests: the helper waits this long after taking each job, so that the caller finishes jobs alone.
void setHelperPause(int microseconds);

}  // namespace mw
