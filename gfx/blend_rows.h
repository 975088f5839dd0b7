// Row kernels under the drawing routines: the alpha blend and keyed copies over a run of pixels,
// vectorised for the processor found at run time (AVX2, else SSE2).
#pragma once
#include <cstddef>
#include <cstdint>

namespace mw {

// Exact truncating t / 255 for 0 <= t <= 65025 (any sum S * A + D * (255 - A)), without a divide.
constexpr uint32_t divideBy255(uint32_t t) { return (t + 1 + (t >> 8)) >> 8; }

// The alpha blend of src over dst with the division done by divideBy255; the result is opaque.
constexpr uint32_t blendColourFast(uint32_t src, uint32_t dst) {
  const uint32_t a = src >> 24;
  const uint32_t na = 255 - a;
  const uint32_t r = divideBy255(((src >> 16) & 0xFF) * a + ((dst >> 16) & 0xFF) * na);
  const uint32_t g = divideBy255(((src >> 8) & 0xFF) * a + ((dst >> 8) & 0xFF) * na);
  const uint32_t b = divideBy255((src & 0xFF) * a + (dst & 0xFF) * na);
  return 0xFF000000u | (r << 16) | (g << 8) | b;
}

// Scalar, Sse2 and Avx2 are the kernels; Plain is the pixel-by-pixel loop with a true division and
// no skipping at all, kept to measure the kernels against.
enum class SimdLevel { Scalar, Sse2, Avx2, Plain };

// Blends src[i] over dst[i] for i < n. A target pixel is left unwritten only when it is already
// opaque and the blend would not change it (source alpha 0).
void blendRow(uint32_t* dst, const uint32_t* src, int32_t n);
// blendRow over a block of rows: row r of the block starts at dst + r * dstStride and
// src + r * srcStride.
void blendRect(uint32_t* dst, ptrdiff_t dstStride, const uint32_t* src, ptrdiff_t srcStride, int32_t n, int32_t rows);
// blendRect over the columns c0 <= c < c1 of each row, further narrowed to that row's span in
// spans (first and one past the last column, two values a row), onto an opaque target. The source
// alpha is 0 outside each row's span, so every target pixel outside it keeps its value (the
// kernels may store that same value back). dst and src point at column c0 of the block's first row.
void blendSpans(uint32_t* dst, ptrdiff_t dstStride, const uint32_t* src, ptrdiff_t srcStride, const uint16_t* spans,
                int32_t c0, int32_t c1, int32_t rows);
// Blends src[i] over dst[i] only where the source alpha exceeds 250 (the solid strokes of a
// soldier); every other target pixel is left exactly as it is.
void blendRowSolid(uint32_t* dst, const uint32_t* src, int32_t n);
// dst[i] = src[i] wherever src[i] differs from key.
void copyRowKeyed(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t key);
// dst[i] = src[i], or 0 where src[i] equals key.
void copyRowZeroingKey(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t key);

// The kernel level in use: the best the processor has, unless lowered by setSimdLevel.
SimdLevel simdLevel();
// Chooses the kernels (tests and benchmarks compare the levels); a level the processor lacks is
// lowered to the best it has (Plain is always there). Returns the level now in use.
SimdLevel setSimdLevel(SimdLevel level);
// The best level this processor supports.
SimdLevel bestSimdLevel();

}  // namespace mw
