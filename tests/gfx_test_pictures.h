// Synthetic pictures for the graphics tests: random pixels with the alpha mixes that sprites have.
#pragma once
#include <cstdint>
#include <random>
#include <vector>

#include "gfx/image.h"

namespace mw::test {

// How a random picture's alphas are spread.
enum class AlphaMix {
  Any,     // every alpha 0 to 255
  Sprite,  // runs of alpha 0 and 255 with soft edges, as flames and soldiers have
  Clear,   // all alpha 0
  Solid,   // all alpha 255
};

inline uint32_t randomPixel(std::mt19937& rng, uint32_t alpha) {
  return (alpha << 24) | (rng() & 0xFFFFFFu);
}

inline std::vector<uint32_t> randomPixels(std::mt19937& rng, size_t count, AlphaMix mix) {
  std::vector<uint32_t> pixels(count);
  uint32_t runAlpha = 0;
  size_t runLeft = 0;
  for (uint32_t& p : pixels) {
    uint32_t alpha = 0;
    switch (mix) {
      case AlphaMix::Any: alpha = rng() & 0xFF; break;
      case AlphaMix::Clear: alpha = 0; break;
      case AlphaMix::Solid: alpha = 255; break;
      case AlphaMix::Sprite:
        if (runLeft == 0) {
          runLeft = 1 + rng() % 24;
          const uint32_t pick = rng() % 8;
          runAlpha = pick < 4 ? 0 : pick < 7 ? 255 : 1000;  // 1000: a soft run
        }
        --runLeft;
        alpha = runAlpha == 1000 ? rng() & 0xFF : runAlpha;
        break;
    }
    p = randomPixel(rng, alpha);
  }
  return pixels;
}

inline Image randomImage(std::mt19937& rng, int32_t width, int32_t height, AlphaMix mix) {
  Image image;
  image.width = width;
  image.height = height;
  image.pixels = randomPixels(rng, static_cast<size_t>(width) * height, mix);
  return image;
}

// A target as the frame or the desktop may hold it: mostly opaque, some pixels not.
inline std::vector<uint32_t> randomTarget(std::mt19937& rng, size_t count) {
  std::vector<uint32_t> pixels(count);
  for (uint32_t& p : pixels) p = randomPixel(rng, rng() % 4 == 0 ? rng() & 0xFF : 255);
  return pixels;
}

}  // namespace mw::test
