// Row kernels: the alpha blend and keyed copies, in plain C++, SSE2 and AVX2.
//
// The blend works on 16-bit lanes: S * A + D * (255 - A) never exceeds 65025, and divideBy255 stays
// below 65536 on the way, so the truncating division by 255 is exact in 16 bits. Groups whose
// source alpha is all 0 (nothing to do once the target is opaque) or all 255 (a plain store) are
// handled without blending; sprites are mostly made of such groups.
#include "gfx/blend_rows.h"

#include "gfx/compositing.h"

#include <cstddef>

#if defined(__x86_64__)
#define MIRTHWICK_X86 1
#include <immintrin.h>
#endif

namespace mw {

namespace {

constexpr uint32_t OPAQUE = 0xFF000000u;

// The plain-C++ blend of one run, with the same skips as the vector kernels.
inline void blendScalar(uint32_t* dst, const uint32_t* src, int32_t n) {
  for (int32_t i = 0; i < n; ++i) {
    const uint32_t s = src[i];
    const uint32_t a = s >> 24;
    if (a == 0) {
      dst[i] |= OPAQUE;
    } else if (a == 255) {
      dst[i] = s;
    } else {
      dst[i] = blendColourFast(s, dst[i]);
    }
  }
}

void blendRectScalar(uint32_t* dst, ptrdiff_t dstStride, const uint32_t* src, ptrdiff_t srcStride, int32_t n,
                     int32_t rows) {
  for (int32_t r = 0; r < rows; ++r, dst += dstStride, src += srcStride) blendScalar(dst, src, n);
}

constexpr uint32_t SOLID_ABOVE = 250;  // blendRowSolid blends sources whose alpha exceeds this

void blendSolidScalar(uint32_t* dst, const uint32_t* src, int32_t n) {
  for (int32_t i = 0; i < n; ++i) {
    if ((src[i] >> 24) > SOLID_ABOVE) dst[i] = blendColourFast(src[i], dst[i]);
  }
}

void copyRowKeyedScalar(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t key) {
  for (int32_t i = 0; i < n; ++i) {
    if (src[i] != key) dst[i] = src[i];
  }
}

void copyRowZeroingKeyScalar(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t key) {
  for (int32_t i = 0; i < n; ++i) dst[i] = src[i] == key ? 0u : src[i];
}

// Asks for the target rows of a block of spans all at once: the rows lie a screen row apart, too far
// for the processor to guess, and waiting for them one by one costs more than the blending.
inline void prefetchSpans(const uint32_t* dst, ptrdiff_t dstStride, const uint16_t* spans, int32_t c0, int32_t c1,
                          int32_t rows) {
  for (int32_t r = 0; r < rows; ++r, dst += dstStride, spans += 2) {
    const int32_t first = spans[0] > c0 ? spans[0] : c0;
    const int32_t end = spans[1] < c1 ? spans[1] : c1;
    if (first >= end) continue;
    __builtin_prefetch(dst + (first - c0), 1);
    __builtin_prefetch(dst + (end - 1 - c0), 1);
  }
}

// A row's span first <= c < end widened to a whole number of groups of `group` pixels lying in
// c0 <= c < c1: its first column, or -1 when the clipped row is narrower than that. On an opaque
// target the columns added change nothing, as their source alpha is 0, and whole groups need no
// tail loop.
inline int32_t groupsStart(int32_t first, int32_t end, int32_t c0, int32_t c1, int32_t group, int32_t& width) {
  width = (end - first + group - 1) / group * group;
  if (width > c1 - c0) return -1;
  return first < c1 - width ? first : c1 - width;
}

// blendSpans on top of a row kernel.
template <void (*Row)(uint32_t*, const uint32_t*, int32_t)>
inline void spansWith(uint32_t* dst, ptrdiff_t dstStride, const uint32_t* src, ptrdiff_t srcStride,
                      const uint16_t* spans, int32_t c0, int32_t c1, int32_t rows) {
  prefetchSpans(dst, dstStride, spans, c0, c1, rows);
  for (int32_t r = 0; r < rows; ++r, dst += dstStride, src += srcStride, spans += 2) {
    const int32_t first = spans[0] > c0 ? spans[0] : c0;
    const int32_t end = spans[1] < c1 ? spans[1] : c1;
    if (first < end) Row(dst + (first - c0), src + (first - c0), end - first);
  }
}

void blendSpansScalar(uint32_t* dst, ptrdiff_t dstStride, const uint32_t* src, ptrdiff_t srcStride,
                      const uint16_t* spans, int32_t c0, int32_t c1, int32_t rows) {
  spansWith<blendScalar>(dst, dstStride, src, srcStride, spans, c0, c1, rows);
}

// ---- Plain: one pixel at a time through the divide, every pixel of every row ----

void blendRectPlain(uint32_t* dst, ptrdiff_t dstStride, const uint32_t* src, ptrdiff_t srcStride, int32_t n,
                    int32_t rows) {
  for (int32_t r = 0; r < rows; ++r, dst += dstStride, src += srcStride) {
    for (int32_t i = 0; i < n; ++i) dst[i] = blendColour(src[i], dst[i]);
  }
}

void blendSpansPlain(uint32_t* dst, ptrdiff_t dstStride, const uint32_t* src, ptrdiff_t srcStride, const uint16_t*,
                     int32_t c0, int32_t c1, int32_t rows) {
  blendRectPlain(dst, dstStride, src, srcStride, c1 - c0, rows);
}

void blendSolidPlain(uint32_t* dst, const uint32_t* src, int32_t n) {
  for (int32_t i = 0; i < n; ++i) {
    if ((src[i] >> 24) > SOLID_ABOVE) dst[i] = blendColour(src[i], dst[i]);
  }
}

#ifdef MIRTHWICK_X86

// ---- SSE2: four pixels at a time ----

inline __m128i load4(const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void store4(uint32_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// Exact per-channel blend of four pixels; alpha bytes of the result are 0xFF.
inline __m128i blend4(__m128i s, __m128i d) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i c255 = _mm_set1_epi16(255);
  const __m128i one = _mm_set1_epi16(1);
  const __m128i sl = _mm_unpacklo_epi8(s, zero);
  const __m128i sh = _mm_unpackhi_epi8(s, zero);
  const __m128i dl = _mm_unpacklo_epi8(d, zero);
  const __m128i dh = _mm_unpackhi_epi8(d, zero);
  // Each pixel's alpha (word 3 of its four) into all four of its words.
  const __m128i al = _mm_shufflehi_epi16(_mm_shufflelo_epi16(sl, 0xFF), 0xFF);
  const __m128i ah = _mm_shufflehi_epi16(_mm_shufflelo_epi16(sh, 0xFF), 0xFF);
  __m128i tl = _mm_add_epi16(_mm_mullo_epi16(sl, al), _mm_mullo_epi16(dl, _mm_sub_epi16(c255, al)));
  __m128i th = _mm_add_epi16(_mm_mullo_epi16(sh, ah), _mm_mullo_epi16(dh, _mm_sub_epi16(c255, ah)));
  tl = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(tl, one), _mm_srli_epi16(tl, 8)), 8);
  th = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(th, one), _mm_srli_epi16(th, 8)), 8);
  return _mm_or_si128(_mm_packus_epi16(tl, th), _mm_set1_epi32(static_cast<int>(OPAQUE)));
}

// One group of four, with the skips.
inline void blendGroup4(uint32_t* dst, const uint32_t* src) {
  const __m128i alphaMask = _mm_set1_epi32(static_cast<int>(OPAQUE));
  const __m128i s = load4(src);
  const __m128i a = _mm_and_si128(s, alphaMask);
  if (_mm_movemask_epi8(_mm_cmpeq_epi32(a, alphaMask)) == 0xFFFF) {
    store4(dst, s);
    return;
  }
  const __m128i d = load4(dst);
  if (_mm_movemask_epi8(_mm_cmpeq_epi32(a, _mm_setzero_si128())) == 0xFFFF) {
    // Nothing to blend; a target that is not yet opaque still becomes opaque.
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(d, alphaMask), alphaMask)) != 0xFFFF)
      store4(dst, _mm_or_si128(d, alphaMask));
    return;
  }
  store4(dst, blend4(s, d));
}

inline void blendRowSse2(uint32_t* dst, const uint32_t* src, int32_t n) {
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) blendGroup4(dst + i, src + i);
  blendScalar(dst + i, src + i, n - i);
}

void blendRectSse2(uint32_t* dst, ptrdiff_t dstStride, const uint32_t* src, ptrdiff_t srcStride, int32_t n,
                   int32_t rows) {
  for (int32_t r = 0; r < rows; ++r, dst += dstStride, src += srcStride) blendRowSse2(dst, src, n);
}

void blendSpansSse2(uint32_t* dst, ptrdiff_t dstStride, const uint32_t* src, ptrdiff_t srcStride,
                    const uint16_t* spans, int32_t c0, int32_t c1, int32_t rows) {
  prefetchSpans(dst, dstStride, spans, c0, c1, rows);
  for (int32_t r = 0; r < rows; ++r, dst += dstStride, src += srcStride, spans += 2) {
    const int32_t first = spans[0] > c0 ? spans[0] : c0;
    const int32_t end = spans[1] < c1 ? spans[1] : c1;
    if (first >= end) continue;
    int32_t width = 0;
    const int32_t start = groupsStart(first, end, c0, c1, 4, width);
    if (start < 0) {
      blendRowSse2(dst + (first - c0), src + (first - c0), end - first);
      continue;
    }
    for (int32_t i = start - c0; i < start - c0 + width; i += 4) blendGroup4(dst + i, src + i);
  }
}

void blendSolidSse2(uint32_t* dst, const uint32_t* src, int32_t n) {
  const __m128i limit = _mm_set1_epi32(static_cast<int>(SOLID_ABOVE));
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i s = load4(src + i);
    const __m128i solid = _mm_cmpgt_epi32(_mm_srli_epi32(s, 24), limit);
    if (_mm_movemask_epi8(solid) == 0) continue;
    const __m128i d = load4(dst + i);
    store4(dst + i, _mm_or_si128(_mm_and_si128(solid, blend4(s, d)), _mm_andnot_si128(solid, d)));
  }
  blendSolidScalar(dst + i, src + i, n - i);
}

void copyRowKeyedSse2(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t key) {
  const __m128i k = _mm_set1_epi32(static_cast<int>(key));
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i s = load4(src + i);
    const __m128i isKey = _mm_cmpeq_epi32(s, k);
    store4(dst + i, _mm_or_si128(_mm_and_si128(isKey, load4(dst + i)), _mm_andnot_si128(isKey, s)));
  }
  copyRowKeyedScalar(dst + i, src + i, n - i, key);
}

void copyRowZeroingKeySse2(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t key) {
  const __m128i k = _mm_set1_epi32(static_cast<int>(key));
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i s = load4(src + i);
    store4(dst + i, _mm_andnot_si128(_mm_cmpeq_epi32(s, k), s));
  }
  copyRowZeroingKeyScalar(dst + i, src + i, n - i, key);
}

// ---- AVX2: eight pixels at a time, chosen at run time ----

#define MIRTHWICK_AVX2 __attribute__((target("avx2")))

MIRTHWICK_AVX2 inline __m256i load8(const uint32_t* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
MIRTHWICK_AVX2 inline void store8(uint32_t* p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }

// As blend4 for eight pixels; unpack and pack work within each 128-bit half, so the order holds.
MIRTHWICK_AVX2 inline __m256i blend8(__m256i s, __m256i d) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i c255 = _mm256_set1_epi16(255);
  const __m256i one = _mm256_set1_epi16(1);
  const __m256i sl = _mm256_unpacklo_epi8(s, zero);
  const __m256i sh = _mm256_unpackhi_epi8(s, zero);
  const __m256i dl = _mm256_unpacklo_epi8(d, zero);
  const __m256i dh = _mm256_unpackhi_epi8(d, zero);
  const __m256i al = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(sl, 0xFF), 0xFF);
  const __m256i ah = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(sh, 0xFF), 0xFF);
  __m256i tl = _mm256_add_epi16(_mm256_mullo_epi16(sl, al), _mm256_mullo_epi16(dl, _mm256_sub_epi16(c255, al)));
  __m256i th = _mm256_add_epi16(_mm256_mullo_epi16(sh, ah), _mm256_mullo_epi16(dh, _mm256_sub_epi16(c255, ah)));
  tl = _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(tl, one), _mm256_srli_epi16(tl, 8)), 8);
  th = _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(th, one), _mm256_srli_epi16(th, 8)), 8);
  return _mm256_or_si256(_mm256_packus_epi16(tl, th), _mm256_set1_epi32(static_cast<int>(OPAQUE)));
}

MIRTHWICK_AVX2 inline void blendRowAvx2(uint32_t* dst, const uint32_t* src, int32_t n) {
  const __m256i alphaMask = _mm256_set1_epi32(static_cast<int>(OPAQUE));
  int32_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i s = load8(src + i);
    const __m256i a = _mm256_and_si256(s, alphaMask);
    if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(a, alphaMask)) == -1) {
      store8(dst + i, s);
      continue;
    }
    const __m256i d = load8(dst + i);
    if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(a, _mm256_setzero_si256())) == -1) {
      if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(_mm256_and_si256(d, alphaMask), alphaMask)) != -1)
        store8(dst + i, _mm256_or_si256(d, alphaMask));
      continue;
    }
    store8(dst + i, blend8(s, d));
  }
  if (i + 4 <= n) {
    blendGroup4(dst + i, src + i);
    i += 4;
  }
  blendScalar(dst + i, src + i, n - i);
}

MIRTHWICK_AVX2 void blendRectAvx2(uint32_t* dst, ptrdiff_t dstStride, const uint32_t* src, ptrdiff_t srcStride,
                                  int32_t n, int32_t rows) {
  for (int32_t r = 0; r < rows; ++r, dst += dstStride, src += srcStride) blendRowAvx2(dst, src, n);
}

MIRTHWICK_AVX2 void blendSpansAvx2(uint32_t* dst, ptrdiff_t dstStride, const uint32_t* src, ptrdiff_t srcStride,
                                   const uint16_t* spans, int32_t c0, int32_t c1, int32_t rows) {
  prefetchSpans(dst, dstStride, spans, c0, c1, rows);
  const __m256i alphaMask = _mm256_set1_epi32(static_cast<int>(OPAQUE));
  for (int32_t r = 0; r < rows; ++r, dst += dstStride, src += srcStride, spans += 2) {
    const int32_t first = spans[0] > c0 ? spans[0] : c0;
    const int32_t end = spans[1] < c1 ? spans[1] : c1;
    if (first >= end) continue;
    int32_t width = 0;
    const int32_t start = groupsStart(first, end, c0, c1, 8, width);
    if (start < 0) {
      blendRowAvx2(dst + (first - c0), src + (first - c0), end - first);
      continue;
    }
    // The target is opaque: a group of alpha 0 blends to what is there, so only solid groups are
    // told apart (a plain store, without reading the target).
    for (int32_t i = start - c0; i < start - c0 + width; i += 8) {
      const __m256i s = load8(src + i);
      if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(_mm256_and_si256(s, alphaMask), alphaMask)) == -1) {
        store8(dst + i, s);
      } else {
        store8(dst + i, blend8(s, load8(dst + i)));
      }
    }
  }
}

MIRTHWICK_AVX2 void blendSolidAvx2(uint32_t* dst, const uint32_t* src, int32_t n) {
  const __m256i limit = _mm256_set1_epi32(static_cast<int>(SOLID_ABOVE));
  int32_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i s = load8(src + i);
    const __m256i solid = _mm256_cmpgt_epi32(_mm256_srli_epi32(s, 24), limit);
    if (_mm256_movemask_epi8(solid) == 0) continue;
    const __m256i d = load8(dst + i);
    store8(dst + i, _mm256_blendv_epi8(d, blend8(s, d), solid));
  }
  blendSolidSse2(dst + i, src + i, n - i);
}

MIRTHWICK_AVX2 void copyRowKeyedAvx2(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t key) {
  const __m256i k = _mm256_set1_epi32(static_cast<int>(key));
  int32_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i s = load8(src + i);
    store8(dst + i, _mm256_blendv_epi8(s, load8(dst + i), _mm256_cmpeq_epi32(s, k)));
  }
  copyRowKeyedScalar(dst + i, src + i, n - i, key);
}

MIRTHWICK_AVX2 void copyRowZeroingKeyAvx2(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t key) {
  const __m256i k = _mm256_set1_epi32(static_cast<int>(key));
  int32_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i s = load8(src + i);
    store8(dst + i, _mm256_andnot_si256(_mm256_cmpeq_epi32(s, k), s));
  }
  copyRowZeroingKeyScalar(dst + i, src + i, n - i, key);
}

#endif  // MIRTHWICK_X86

struct Kernels {
  SimdLevel level;
  void (*blend)(uint32_t*, ptrdiff_t, const uint32_t*, ptrdiff_t, int32_t, int32_t);
  void (*keyed)(uint32_t*, const uint32_t*, int32_t, uint32_t);
  void (*zeroingKey)(uint32_t*, const uint32_t*, int32_t, uint32_t);
  void (*solid)(uint32_t*, const uint32_t*, int32_t);
  void (*spans)(uint32_t*, ptrdiff_t, const uint32_t*, ptrdiff_t, const uint16_t*, int32_t, int32_t, int32_t);
};

Kernels kernelsFor(SimdLevel level) {
  if (level == SimdLevel::Plain)
    return {SimdLevel::Plain, blendRectPlain, copyRowKeyedScalar, copyRowZeroingKeyScalar, blendSolidPlain,
            blendSpansPlain};
#ifdef MIRTHWICK_X86
  if (level == SimdLevel::Avx2)
    return {SimdLevel::Avx2, blendRectAvx2, copyRowKeyedAvx2, copyRowZeroingKeyAvx2, blendSolidAvx2, blendSpansAvx2};
  if (level == SimdLevel::Sse2)
    return {SimdLevel::Sse2, blendRectSse2, copyRowKeyedSse2, copyRowZeroingKeySse2, blendSolidSse2, blendSpansSse2};
#else
  (void)level;
#endif
  return {SimdLevel::Scalar, blendRectScalar, copyRowKeyedScalar, copyRowZeroingKeyScalar, blendSolidScalar, blendSpansScalar};
}

Kernels& active() {
  static Kernels kernels = kernelsFor(bestSimdLevel());
  return kernels;
}

}  // namespace

SimdLevel bestSimdLevel() {
#ifdef MIRTHWICK_X86
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") ? SimdLevel::Avx2 : SimdLevel::Sse2;
#else
  return SimdLevel::Scalar;
#endif
}

SimdLevel simdLevel() { return active().level; }

SimdLevel setSimdLevel(SimdLevel level) {
  const SimdLevel best = bestSimdLevel();
  active() = kernelsFor(level != SimdLevel::Plain && static_cast<int>(level) > static_cast<int>(best) ? best : level);
  return active().level;
}

void blendRow(uint32_t* dst, const uint32_t* src, int32_t n) { active().blend(dst, 0, src, 0, n, 1); }

void blendRect(uint32_t* dst, ptrdiff_t dstStride, const uint32_t* src, ptrdiff_t srcStride, int32_t n,
               int32_t rows) {
  active().blend(dst, dstStride, src, srcStride, n, rows);
}

void blendSpans(uint32_t* dst, ptrdiff_t dstStride, const uint32_t* src, ptrdiff_t srcStride, const uint16_t* spans,
                int32_t c0, int32_t c1, int32_t rows) {
  active().spans(dst, dstStride, src, srcStride, spans, c0, c1, rows);
}

void blendRowSolid(uint32_t* dst, const uint32_t* src, int32_t n) { active().solid(dst, src, n); }

void copyRowKeyed(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t key) { active().keyed(dst, src, n, key); }

void copyRowZeroingKey(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t key) {
  active().zeroingKey(dst, src, n, key);
}

}  // namespace mw
