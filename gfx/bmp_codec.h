// BMP decoding, and the headers of 32-bit BMPs (the snapshot file's format).
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "gfx/image.h"

namespace mw {

inline constexpr size_t BMP_HEADERS_SIZE = 54;

// The 54 header bytes of an uncompressed 32-bit BMP of this size, bottom row first.
std::vector<uint8_t> bmpHeader(int32_t width, int32_t height);

// Decodes an uncompressed 24- or 32-bit BMP (bottom-up or top-down) into opaque 0xFFRRGGBB
// pixels, top row first. False (and an empty image) for anything it cannot read safely.
bool decodeBmp(const uint8_t* bytes, size_t size, Image& out);

}  // namespace mw
