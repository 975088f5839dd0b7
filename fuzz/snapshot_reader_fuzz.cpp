// Fuzzes the snapshot reader: any bytes either decode into a consistent opaque picture or are refused.
#include <cstdint>
#include <cstdlib>

#include "app/snapshot.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  mw::Image image;
  const bool ok = mw::decodeBmp(data, size, image);
  if (ok) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height))
      std::abort();
    for (uint32_t p : image.pixels)
      if ((p >> 24) != 0xFF) std::abort();
  } else if (image.width != 0 || image.height != 0 || !image.pixels.empty()) {
    std::abort();
  }
  return 0;
}
