// Presentation of the software frame buffer.
#include "gfx/presenter.h"

#include "app/platform.h"
#include "app/screen.h"

#include <cstddef>

namespace mw {

namespace {

void allocateFrameBuffer(Presenter& presenter) {
  const std::size_t pixels = static_cast<std::size_t>(screenWidth > 0 ? screenWidth : 0) *
                        static_cast<std::size_t>(screenHeight > 0 ? screenHeight : 0);
  presenter.frameBuffer.assign(pixels, 0);
}

}  // namespace

void createPresenter(Presenter& presenter, Platform& platform) {
  presenter.platform = &platform;
  presenter.windowed = false;
  allocateFrameBuffer(presenter);
  platform.setPresentation(false);
}

void togglePresentation(Presenter& presenter) {
  presenter.frameBuffer = {};
  presenter.windowed = !presenter.windowed;
  if (presenter.platform) presenter.platform->setPresentation(presenter.windowed);
  allocateFrameBuffer(presenter);
}

void present(Presenter& presenter) {
  if (presenter.platform && !presenter.frameBuffer.empty())
    presenter.platform->present(presenter.frameBuffer.data(), screenWidth, screenHeight);
}

void releasePresenter(Presenter& presenter) {
  presenter.frameBuffer = {};
  presenter.platform = nullptr;
}

Canvas frameCanvas(Presenter& presenter) {
  if (presenter.frameBuffer.empty()) return Canvas{};
  return Canvas{presenter.frameBuffer.data(), screenWidth, screenHeight};
}

}  // namespace mw
