// Shared pieces of the fuzz targets: a platform that records nothing, so memory stays flat over
// millions of runs.
#pragma once
#include <cstdint>
#include <cstddef>

#include "app/platform.h"

namespace mw::fuzz {

class QuietPlatform final : public Platform {
 public:
  bool captureScreen(ScreenCapture&) override { return false; }
  void createWindow(int, int) override {}
  bool peekMessage(WindowMessage&) override { return false; }
  void setPresentation(bool) override {}
  void present(const uint32_t*, int, int) override {}
  void captureMouse(bool) override {}
  void showMenuCursor(bool) override {}
  // Touches every attached byte, so a length that overstates the buffer is caught.
  void attachSound(int, const uint8_t* bytes, uint32_t length) override {
    uint32_t sum = 0;
    for (uint32_t i = 0; bytes != nullptr && i < length; ++i) sum += bytes[i];
    checksum_ = checksum_ + sum;
  }
  void playSound(int, int, bool) override {}
  void stopSound(int) override {}
  void showError(const char*, const char*) override {}

 private:
  volatile uint32_t checksum_ = 0;
};

}  // namespace mw::fuzz
