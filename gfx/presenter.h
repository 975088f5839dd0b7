// The presenter: owns the frame buffer and shows it through the platform once per frame.
#pragma once
#include <cstdint>
#include <vector>

#include "gfx/image.h"

namespace mw {

class Platform;

struct Presenter {
  Platform* platform = nullptr;
  bool windowed = false;              // false: full-screen
  std::vector<uint32_t> frameBuffer;  // screenWidth x screenHeight, replaced at every rebuild
};

// Builds the full-screen presentation and a frame buffer of the screen's size.
void createPresenter(Presenter& presenter, Platform& platform);
// Switches between full-screen and windowed and rebuilds the frame buffer.
void togglePresentation(Presenter& presenter);
// Shows the finished frame.
void present(Presenter& presenter);
// Frees the frame buffer and forgets the platform.
void releasePresenter(Presenter& presenter);
// The frame buffer as a canvas of the screen's size.
Canvas frameCanvas(Presenter& presenter);

}  // namespace mw
