// The alpha blend: its arithmetic, the division without a divide, and the vector row kernels.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "gfx/blend_rows.h"
#include "gfx/compositing.h"
#include "tests/gfx_test_pictures.h"

namespace mw {
namespace {

TEST(Blend, DivideBy255IsExactForEveryBlendSum) {
  for (uint32_t t = 0; t <= 255u * 255u; ++t) ASSERT_EQ(divideBy255(t), t / 255) << "t = " << t;
}

TEST(Blend, HalfRedOverBlueTruncatesEachChannel) {
  // red (255 * 128) / 255 = 128, blue (255 * 127) / 255 = 127, alpha forced to 255
  EXPECT_EQ(blendColour(0x80FF0000u, 0xFF0000FFu), 0xFF80007Fu);
  EXPECT_EQ(blendColourFast(0x80FF0000u, 0xFF0000FFu), 0xFF80007Fu);
}

TEST(Blend, ClearSourceKeepsColourButMakesTargetOpaque) {
  EXPECT_EQ(blendColour(0x00123456u, 0x00ABCDEFu), 0xFFABCDEFu);
  EXPECT_EQ(blendColour(0xFF123456u, 0x00ABCDEFu), 0xFF123456u);
}

// Every kernel level the processor has, against the plain blend pixel by pixel.
class BlendKernels : public ::testing::TestWithParam<SimdLevel> {
 protected:
  void SetUp() override {
    if (setSimdLevel(GetParam()) != GetParam()) GTEST_SKIP() << "this processor lacks the level";
  }
  void TearDown() override { setSimdLevel(bestSimdLevel()); }
};

TEST_P(BlendKernels, BlendRowEqualsThePlainBlend) {
  std::mt19937 rng(11);
  for (int round = 0; round < 400; ++round) {
    const int32_t n = static_cast<int32_t>(rng() % 70);
    const auto mix = static_cast<test::AlphaMix>(round % 4);
    const std::vector<uint32_t> src = test::randomPixels(rng, static_cast<size_t>(n), mix);
    std::vector<uint32_t> dst = test::randomTarget(rng, static_cast<size_t>(n) + 2);
    std::vector<uint32_t> expected = dst;
    for (int32_t i = 0; i < n; ++i) expected[i + 1] = blendColour(src[i], expected[i + 1]);
    blendRow(dst.data() + 1, src.data(), n);
    ASSERT_EQ(dst, expected) << "round " << round << ", " << n << " pixels";
  }
}

TEST_P(BlendKernels, SolidBlendTouchesOnlyAlphaAbove250) {
  std::mt19937 rng(13);
  for (int round = 0; round < 400; ++round) {
    const int32_t n = static_cast<int32_t>(rng() % 70);
    std::vector<uint32_t> src = test::randomPixels(rng, static_cast<size_t>(n), static_cast<test::AlphaMix>(round % 4));
    for (uint32_t& p : src) {
      if (rng() % 3 == 0) p = (p & 0xFFFFFFu) | (246u + rng() % 10) << 24;  // around the threshold
    }
    std::vector<uint32_t> dst = test::randomTarget(rng, static_cast<size_t>(n) + 2);
    for (uint32_t& p : dst) p &= rng() % 2 ? 0xFFFFFFFFu : 0x00FFFFFFu;  // some targets not opaque
    std::vector<uint32_t> expected = dst;
    for (int32_t i = 0; i < n; ++i) {
      if ((src[i] >> 24) > 250) expected[i + 1] = blendColour(src[i], expected[i + 1]);
    }
    blendRowSolid(dst.data() + 1, src.data(), n);
    ASSERT_EQ(dst, expected) << "round " << round << ", " << n << " pixels";
  }
}

TEST_P(BlendKernels, KeyedCopiesSkipOnlyTheKey) {
  std::mt19937 rng(12);
  const uint32_t key = 0x010301F3u;
  for (int round = 0; round < 200; ++round) {
    const int32_t n = static_cast<int32_t>(rng() % 40);
    std::vector<uint32_t> src = test::randomPixels(rng, static_cast<size_t>(n), test::AlphaMix::Any);
    for (uint32_t& p : src) {
      if (rng() % 3 == 0) p = key;
      else if (rng() % 5 == 0) p = key ^ 0x01000000u;  // differs from the key in its alpha alone
    }
    std::vector<uint32_t> keyed = test::randomTarget(rng, static_cast<size_t>(n));
    std::vector<uint32_t> zeroed = keyed;
    std::vector<uint32_t> expectKeyed = keyed;
    std::vector<uint32_t> expectZeroed(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) {
      if (src[i] != key) expectKeyed[i] = src[i];
      expectZeroed[i] = src[i] == key ? 0 : src[i];
    }
    copyRowKeyed(keyed.data(), src.data(), n, key);
    copyRowZeroingKey(zeroed.data(), src.data(), n, key);
    ASSERT_EQ(keyed, expectKeyed);
    ASSERT_EQ(zeroed, expectZeroed);
  }
}

INSTANTIATE_TEST_SUITE_P(Levels, BlendKernels,
                         ::testing::Values(SimdLevel::Plain, SimdLevel::Scalar, SimdLevel::Sse2, SimdLevel::Avx2),
                         [](const auto& info) {
                           return info.param == SimdLevel::Plain    ? "Plain"
                                  : info.param == SimdLevel::Scalar ? "Scalar"
                                  : info.param == SimdLevel::Sse2 ? "Sse2"
                                                                  : "Avx2";
                         });

}  // namespace
}  // namespace mw
