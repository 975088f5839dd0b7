// PNG decoding and encoding through libspng.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "gfx/image.h"

namespace mw {

// Decodes a PNG into non-premultiplied 0xAARRGGBB pixels, top row first. False on any error; the
// output is then untouched.
bool decodePng(const uint8_t* bytes, size_t size, Image& out);
// Encodes width x height 0xAARRGGBB pixels as an 8-bit RGBA PNG; opaque forces alpha 255.
std::vector<uint8_t> encodePng(const uint32_t* pixels, int32_t width, int32_t height, bool opaque);

}  // namespace mw
