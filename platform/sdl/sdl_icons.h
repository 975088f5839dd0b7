// The window icons and the menu cursor, compiled into the desktop program as PNG bytes.
#pragma once
#include <cstddef>
#include <cstdint>

namespace mw {

struct EmbeddedPicture {
  const uint8_t* bytes = nullptr;
  size_t size = 0;  // 0: the build had no such picture
};

// Picture 101 (small icon, 16 x 16), 103 (icon, 32 x 32) or 13 (menu cursor).
EmbeddedPicture embeddedPicture(int number);

}  // namespace mw
