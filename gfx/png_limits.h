// The sizes a PNG may declare before anything is decoded: the same rule for every decoder.
#pragma once
#include <cstddef>
#include <cstdint>

namespace mw {

// The largest side of a picture read: that of the largest screen.
constexpr uint32_t LARGEST_PNG_SIDE = 16384;

// Whether a PNG of fileSize bytes may hold a width x height picture of the header's bit depth and
// colour type (0 grey, 2 RGB, 3 palette, 4 grey and alpha, 6 RGBA). Deflate packs at most 1032
// bytes into one: a picture whose rows could not fit in the file is broken, and is refused before
// its size is allocated. So is one whose RGBA output would exceed four times that (what 8-bit grey
// or a palette gives), which only a bomb of a few bits a pixel reaches: 32 KB of 1-bit zeros would
// be 1 GiB.
inline bool pngSizeAcceptable(uint32_t width, uint32_t height, uint32_t bitDepth, uint32_t colourType,
                              size_t fileSize) {
  if (width == 0 || height == 0 || width > LARGEST_PNG_SIDE || height > LARGEST_PNG_SIDE) return false;
  const uint64_t channels = colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
  const uint64_t rowBits = uint64_t{width} * channels * bitDepth;
  const uint64_t storedBytes = uint64_t{height} * ((rowBits + 7) / 8);
  const uint64_t outputBytes = uint64_t{width} * height * 4;
  return storedBytes <= static_cast<uint64_t>(fileSize) * 1032 + 1024 &&
         outputBytes <= static_cast<uint64_t>(fileSize) * 1032 * 4 + 4096;
}

// The same rule read from the file's own header (the signature, then IHDR first, big-endian);
// false when there is no such header.
inline bool pngHeaderAcceptable(const uint8_t* bytes, size_t size) {
  if (bytes == nullptr || size < 33) return false;
  const uint8_t* ihdr = bytes + 8;
  if (ihdr[4] != 'I' || ihdr[5] != 'H' || ihdr[6] != 'D' || ihdr[7] != 'R') return false;
  auto big32 = [](const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
  };
  return pngSizeAcceptable(big32(ihdr + 8), big32(ihdr + 12), ihdr[16], ihdr[17], size);
}

}  // namespace mw
