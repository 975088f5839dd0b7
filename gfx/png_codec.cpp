// PNG decoding and encoding through libspng.
#include "gfx/png_codec.h"

#include <spng.h>

#include <memory>
#include <new>

#include "gfx/png_limits.h"

namespace mw {

namespace {
struct ContextDeleter {
  void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};
using Context = std::unique_ptr<spng_ctx, ContextDeleter>;
}  // namespace

bool decodePng(const uint8_t* bytes, size_t size, Image& out) {
  if (bytes == nullptr || size == 0) return false;
  Context ctx(spng_ctx_new(0));
  if (!ctx) return false;
  spng_set_crc_action(ctx.get(), SPNG_CRC_USE, SPNG_CRC_USE);
  // Refuse absurd sizes before anything is allocated for them: no screen is wider or taller.
  spng_set_image_limits(ctx.get(), LARGEST_PNG_SIDE, LARGEST_PNG_SIDE);
  spng_set_chunk_limits(ctx.get(), 1u << 26, 1u << 26);
  if (spng_set_png_buffer(ctx.get(), bytes, size) != 0) return false;
  spng_ihdr ihdr{};
  if (spng_get_ihdr(ctx.get(), &ihdr) != 0) return false;
  if (!pngSizeAcceptable(ihdr.width, ihdr.height, ihdr.bit_depth, ihdr.color_type, size)) return false;
  size_t decodedSize = 0;
  if (spng_decoded_image_size(ctx.get(), SPNG_FMT_RGBA8, &decodedSize) != 0) return false;
  if (decodedSize != static_cast<size_t>(ihdr.width) * ihdr.height * 4) return false;
  // Decoded straight into the picture's own pixels, then turned from RGBA bytes into 0xAARRGGBB
  // where they lie: one picture's memory, not two.
  Image image;
  try {
    image.pixels.resize(static_cast<size_t>(ihdr.width) * ihdr.height);
  } catch (const std::bad_alloc&) {
    return false;
  }
  uint8_t* rgba = reinterpret_cast<uint8_t*>(image.pixels.data());
  if (spng_decode_image(ctx.get(), rgba, decodedSize, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS) != 0) return false;
  image.width = static_cast<int32_t>(ihdr.width);
  image.height = static_cast<int32_t>(ihdr.height);
  image.key = TRANSPARENT_KEY;
  for (size_t i = 0; i < image.pixels.size(); ++i) {
    const uint8_t* p = rgba + i * 4;
    image.pixels[i] = (static_cast<uint32_t>(p[3]) << 24) | (static_cast<uint32_t>(p[0]) << 16) |
                      (static_cast<uint32_t>(p[1]) << 8) | p[2];
  }
  out = std::move(image);
  return true;
}

std::vector<uint8_t> encodePng(const uint32_t* pixels, int32_t width, int32_t height, bool opaque) {
  if (width <= 0 || height <= 0) return {};
  std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
  for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
    const uint32_t p = pixels[i];
    rgba[i * 4 + 0] = static_cast<uint8_t>(p >> 16);
    rgba[i * 4 + 1] = static_cast<uint8_t>(p >> 8);
    rgba[i * 4 + 2] = static_cast<uint8_t>(p);
    rgba[i * 4 + 3] = opaque ? 0xFF : static_cast<uint8_t>(p >> 24);
  }
  Context ctx(spng_ctx_new(SPNG_CTX_ENCODER));
  if (!ctx) return {};
  spng_set_option(ctx.get(), SPNG_ENCODE_TO_BUFFER, 1);
  spng_ihdr ihdr{};
  ihdr.width = static_cast<uint32_t>(width);
  ihdr.height = static_cast<uint32_t>(height);
  ihdr.bit_depth = 8;
  ihdr.color_type = SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
  spng_set_ihdr(ctx.get(), &ihdr);
  if (spng_encode_image(ctx.get(), rgba.data(), rgba.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE) != 0) return {};
  size_t length = 0;
  int error = 0;
  void* buffer = spng_get_png_buffer(ctx.get(), &length, &error);
  if (buffer == nullptr) return {};
  std::vector<uint8_t> png(static_cast<uint8_t*>(buffer), static_cast<uint8_t*>(buffer) + length);
  std::free(buffer);
  return png;
}

}  // namespace mw
