// BMP decoding, and the headers of the 32-bit BMPs the snapshot file is written as.
#include "gfx/bmp_codec.h"

namespace mw {

namespace {

void put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
uint32_t get16(const uint8_t* p) { return p[0] | (p[1] << 8); }
uint32_t get32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Bytes in one stored row: width x bits, rounded up to whole 32-bit words.
uint64_t rowBytes(uint64_t width, uint32_t bitsPerPixel) {
  return ((width * bitsPerPixel + 31) / 32) * 4;
}

}  // namespace

std::vector<uint8_t> bmpHeader(int32_t width, int32_t height) {
  const uint32_t imageSize =
      static_cast<uint32_t>(rowBytes(static_cast<uint32_t>(width), 32) * static_cast<uint32_t>(height));
  std::vector<uint8_t> h(BMP_HEADERS_SIZE, 0);
  h[0] = 'B';
  h[1] = 'M';
  put32(h, 2, imageSize + BMP_HEADERS_SIZE);  // file size
  put32(h, 10, BMP_HEADERS_SIZE);             // offset of the pixel data
  put32(h, 14, 40);                           // information header size
  put32(h, 18, static_cast<uint32_t>(width));
  put32(h, 22, static_cast<uint32_t>(height));  // positive: bottom row first
  put16(h, 26, 1);                              // planes
  put16(h, 28, 32);                             // bits per pixel
  put32(h, 30, 0);                              // uncompressed
  put32(h, 34, imageSize);
  return h;
}

bool decodeBmp(const uint8_t* bytes, size_t size, Image& out) {
  out = Image{};
  if (size < BMP_HEADERS_SIZE || bytes[0] != 'B' || bytes[1] != 'M') return false;
  const uint32_t dataOffset = get32(bytes + 10);
  const uint32_t infoSize = get32(bytes + 14);
  if (infoSize < 40 || 14ull + infoSize > size) return false;
  const int32_t width = static_cast<int32_t>(get32(bytes + 18));
  const int32_t rawHeight = static_cast<int32_t>(get32(bytes + 22));
  const uint32_t bits = get16(bytes + 28);
  const uint32_t compression = get32(bytes + 30);
  // Uncompressed, or 32-bit with plain channel masks (BI_BITFIELDS) as some writers use.
  if (!(compression == 0 || (compression == 3 && bits == 32))) return false;
  if ((bits != 24 && bits != 32) || width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN) return false;
  const bool bottomUp = rawHeight > 0;
  const int64_t height = bottomUp ? rawHeight : -static_cast<int64_t>(rawHeight);
  const uint64_t stride = rowBytes(static_cast<uint64_t>(width), bits);
  // Refuse pictures no screen has, before allocating for them.
  if (static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > (1ull << 28)) return false;
  if (dataOffset > size || stride * static_cast<uint64_t>(height) > size - dataOffset) return false;

  out.width = width;
  out.height = static_cast<int32_t>(height);
  out.key = TRANSPARENT_KEY;
  out.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  const size_t bytesPerPixel = bits / 8;
  for (int64_t y = 0; y < height; ++y) {
    const int64_t stored = bottomUp ? height - 1 - y : y;
    const uint8_t* src = bytes + dataOffset + static_cast<size_t>(stored) * stride;
    uint32_t* dst = out.pixels.data() + static_cast<size_t>(y) * width;
    for (int32_t x = 0; x < width; ++x, src += bytesPerPixel) {
      dst[x] = 0xFF000000u | (static_cast<uint32_t>(src[2]) << 16) | (static_cast<uint32_t>(src[1]) << 8) | src[0];
    }
  }
  return true;
}

}  // namespace mw
