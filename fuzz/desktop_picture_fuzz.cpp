// Fuzzes the reading of a --desktop picture (PNG, else BMP): a consistent opaque screen, or the
// one error the simulator reports.
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "sim/simulator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  try {
    const mw::ScreenCapture screen = mw::decodeDesktopPicture(bytes, "fuzz");
    if (screen.width < 0 || screen.height < 0 || screen.width > mw::MAX_SCREEN_SIDE ||
        screen.height > mw::MAX_SCREEN_SIDE ||
        screen.pixels.size() != static_cast<size_t>(screen.width) * static_cast<size_t>(screen.height))
      std::abort();
    for (uint32_t p : screen.pixels)
      if ((p >> 24) != 0xFF) std::abort();
  } catch (const std::runtime_error&) {
  }
  return 0;
}
