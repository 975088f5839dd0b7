// Drawing routines, fast paths against the plain reference loops: each routine alone, and a whole
// frame of 1920 x 1080 with 2,400 flames of 80 x 80, 400 soldier sprites of 40 x 40, 200 scorch
// marks and one tool picture.
//
// The pictures are synthetic and fixed, so figures stay comparable from run to run:
//   build/mirthwick_bench --benchmark_filter=Frame --benchmark_min_time=0.5
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "gfx/blend_rows.h"
#include "gfx/compositing.h"
#include "gfx/compositing_reference.h"

namespace mw {
namespace {

constexpr int32_t WIDTH = 1920;
constexpr int32_t HEIGHT = 1080;
constexpr int FLAMES = 2400;
constexpr int SOLDIERS = 400;
constexpr int SCORCHES = 200;  // 2,400 fires leave a scorch mark every 12 steps

Image blank(int32_t width, int32_t height) {
  Image image;
  image.width = width;
  image.height = height;
  image.pixels.assign(static_cast<size_t>(width) * height, 0u);
  return image;
}

// A flame: transparent around, a soft rim, an opaque core; frame k flickers a little.
Image flame(int k) {
  Image image = blank(80, 80);
  for (int32_t y = 0; y < 80; ++y)
    for (int32_t x = 0; x < 80; ++x) {
      const float dx = (x - 40.0f) / (22.0f + 2.0f * k);
      const float dy = (y - 50.0f) / (30.0f - k);
      const float d = std::sqrt(dx * dx + dy * dy);
      const float a = std::clamp((1.0f - d) * 3.0f, 0.0f, 1.0f);
      const uint32_t alpha = static_cast<uint32_t>(a * 255.0f);
      const uint32_t green = static_cast<uint32_t>(80 + 150 * (1.0f - std::min(d, 1.0f)));
      image.pixels[y * 80 + x] = alpha << 24 | 0xFF0000u | green << 8 | 0x20u;
    }
  return image;
}

// A stick soldier: a few opaque strokes with soft edges on a transparent square.
Image soldier() {
  Image image = blank(40, 40);
  const auto ink = [&](int32_t x, int32_t y, uint32_t alpha) {
    if (x < 0 || y < 0 || x >= 40 || y >= 40) return;
    uint32_t& p = image.pixels[y * 40 + x];
    if ((p >> 24) < alpha) p = alpha << 24 | 0x207020u;
  };
  const auto stroke = [&](int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    for (int i = 0; i <= 32; ++i) {
      const int32_t x = x0 + (x1 - x0) * i / 32;
      const int32_t y = y0 + (y1 - y0) * i / 32;
      ink(x, y, 255);
      ink(x + 1, y, 255);
      ink(x - 1, y, 120);
      ink(x + 2, y, 120);
    }
  };
  for (int32_t y = 2; y < 12; ++y)
    for (int32_t x = 15; x < 25; ++x)
      if ((x - 20) * (x - 20) + (y - 7) * (y - 7) <= 20) ink(x, y, 255);
  stroke(20, 12, 20, 27);
  stroke(20, 27, 13, 38);
  stroke(20, 27, 27, 38);
  stroke(20, 16, 12, 22);
  stroke(20, 16, 30, 12);
  stroke(30, 12, 36, 2);  // the sword
  return image;
}

Image scorch() {
  Image image = blank(18, 18);
  for (int32_t y = 0; y < 18; ++y)
    for (int32_t x = 0; x < 18; ++x) {
      const int32_t d = (x - 9) * (x - 9) + (y - 9) * (y - 9);
      image.pixels[y * 18 + x] = (d < 49 ? 230u : d < 81 ? 90u : 0u) << 24 | 0x101010u;
    }
  return image;
}

Image desktopPicture() {
  Image image = blank(WIDTH, HEIGHT);
  for (int32_t y = 0; y < HEIGHT; ++y)
    for (int32_t x = 0; x < WIDTH; ++x)
      image.pixels[y * WIDTH + x] = 0xFF000000u | static_cast<uint32_t>((x * 7) & 0xFF) << 16 |
                                    static_cast<uint32_t>((y * 3) & 0xFF) << 8 | 0x80u;
  return image;
}

struct Placement {
  int32_t x, y;
};

// Positions over the whole screen, some cut off at its edges.
std::vector<Placement> placements(int count, int32_t size, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<Placement> out(static_cast<size_t>(count));
  for (Placement& p : out) {
    p.x = static_cast<int32_t>(rng() % (WIDTH + size)) - size / 2;
    p.y = static_cast<int32_t>(rng() % (HEIGHT + size)) - size / 2;
  }
  return out;
}

struct Scene {
  Image desktop = desktopPicture();
  Image flames[4] = {flame(0), flame(1), flame(2), flame(3)};
  Image soldierSprite = soldier();
  Image scorchMark = scorch();
  Image crack = [] {
    std::mt19937 rng(5);
    Image image = blank(230, 230);
    for (uint32_t& p : image.pixels) p = (rng() % 10 == 0 ? 255u : 0u) << 24;
    return image;
  }();
  ToolPicture tool = [] {
    ToolPicture picture{256, 256, std::vector<uint32_t>(65536, 0)};
    for (int32_t y = 40; y < 220; ++y)
      for (int32_t x = 100; x < 150; ++x) picture.pixels[y * 256 + x] = 0xFF806040u;
    return picture;
  }();
  std::vector<Placement> flameAt = placements(FLAMES, 80, 1);
  std::vector<Placement> soldierAt = placements(SOLDIERS, 40, 2);
  std::vector<Placement> scorchAt = placements(SCORCHES, 18, 3);
  std::vector<uint32_t> frame = std::vector<uint32_t>(static_cast<size_t>(WIDTH) * HEIGHT, 0u);
  Canvas canvas() { return Canvas{frame.data(), WIDTH, HEIGHT}; }
  ScreenSize screen{WIDTH, HEIGHT};
};

Scene& scene() {
  static Scene s;
  return s;
}

// One frame's drawing with either set of routines.
template <bool FAST>
void drawFrame(Scene& s) {
  const Canvas canvas = s.canvas();
  if constexpr (FAST) {
    copyBackground(canvas, s.desktop);
  } else {
    reference::copyBackground(canvas, s.desktop);
  }
  std::srand(1);
  for (int i = 0; i < SCORCHES; ++i) {
    if constexpr (FAST) {
      stampOriented(s.scorchAt[i].x, s.scorchAt[i].y, s.scorchMark, s.desktop, s.screen, std::rand() % 8);
    } else {
      reference::stampOriented(s.scorchAt[i].x, s.scorchAt[i].y, s.scorchMark, s.desktop, s.screen, std::rand() % 8);
    }
  }
  for (int i = 0; i < SOLDIERS; ++i) {
    if constexpr (FAST) {
      blendImage(canvas, s.soldierAt[i].x, s.soldierAt[i].y, s.soldierSprite);
    } else {
      reference::blendImage(canvas, s.soldierAt[i].x, s.soldierAt[i].y, s.soldierSprite);
    }
  }
  for (int i = 0; i < FLAMES; ++i) {
    if constexpr (FAST) {
      blendImage(canvas, s.flameAt[i].x, s.flameAt[i].y, s.flames[i % 4]);
    } else {
      reference::blendImage(canvas, s.flameAt[i].x, s.flameAt[i].y, s.flames[i % 4]);
    }
  }
  if constexpr (FAST) {
    drawToolPicture(canvas, s.tool, 900, 500);
  } else {
    reference::drawToolPicture(canvas, s.tool, 900, 500);
  }
}

// Runs a fast-path benchmark at the kernel level given as its argument (1 SSE2, 2 AVX2).
bool useLevel(benchmark::State& state) {
  const auto wanted = static_cast<SimdLevel>(state.range(0));
  if (setSimdLevel(wanted) != wanted) {
    state.SkipWithError("this processor lacks the level");
    return false;
  }
  state.SetLabel(wanted == SimdLevel::Avx2 ? "avx2" : "sse2");
  return true;
}

void Frame_Reference(benchmark::State& state) {
  Scene& s = scene();
  for (auto _ : state) {
    drawFrame<false>(s);
    benchmark::DoNotOptimize(s.frame.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(Frame_Reference)->Unit(benchmark::kMillisecond);

void Frame_Fast(benchmark::State& state) {
  if (!useLevel(state)) return;
  Scene& s = scene();
  for (auto _ : state) {
    drawFrame<true>(s);
    benchmark::DoNotOptimize(s.frame.data());
    benchmark::ClobberMemory();
  }
  setSimdLevel(bestSimdLevel());
}
BENCHMARK(Frame_Fast)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// ---- one routine at a time ----

template <bool FAST>
void BlendFlames(benchmark::State& state) {
  if (FAST && !useLevel(state)) return;
  Scene& s = scene();
  copyBackground(s.canvas(), s.desktop);
  for (auto _ : state) {
    for (int i = 0; i < 100; ++i) {
      const Placement p = s.flameAt[i];
      if constexpr (FAST) {
        blendImage(s.canvas(), p.x, p.y, s.flames[i % 4]);
      } else {
        reference::blendImage(s.canvas(), p.x, p.y, s.flames[i % 4]);
      }
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 100);
  setSimdLevel(bestSimdLevel());
}
BENCHMARK(BlendFlames<false>)->Name("BlendImage_100Flames_Reference");
BENCHMARK(BlendFlames<true>)->Name("BlendImage_100Flames_Fast")->Arg(1)->Arg(2);

template <bool FAST>
void ToolPictures(benchmark::State& state) {
  if (FAST && !useLevel(state)) return;
  Scene& s = scene();
  for (auto _ : state) {
    if constexpr (FAST) {
      drawToolPicture(s.canvas(), s.tool, 700, 300);
    } else {
      reference::drawToolPicture(s.canvas(), s.tool, 700, 300);
    }
    benchmark::ClobberMemory();
  }
  setSimdLevel(bestSimdLevel());
}
BENCHMARK(ToolPictures<false>)->Name("DrawToolPicture_Reference");
BENCHMARK(ToolPictures<true>)->Name("DrawToolPicture_Fast")->Arg(1)->Arg(2);

template <bool FAST>
void StampCrack(benchmark::State& state) {
  if (FAST && !useLevel(state)) return;
  Scene& s = scene();
  int k = 0;
  for (auto _ : state) {
    if constexpr (FAST) {
      stampOriented(800, 400, s.crack, s.desktop, s.screen, k);
    } else {
      reference::stampOriented(800, 400, s.crack, s.desktop, s.screen, k);
    }
    k = (k + 1) % 8;  // every orientation in turn
    benchmark::ClobberMemory();
  }
  setSimdLevel(bestSimdLevel());
}
BENCHMARK(StampCrack<false>)->Name("StampCrack_Reference");
BENCHMARK(StampCrack<true>)->Name("StampCrack_Fast")->Arg(1)->Arg(2);

template <bool FAST>
void StampScorches(benchmark::State& state) {
  if (FAST && !useLevel(state)) return;
  Scene& s = scene();
  std::srand(1);
  for (auto _ : state) {
    for (int i = 0; i < SCORCHES; ++i) {
      if constexpr (FAST) {
        stampOriented(s.scorchAt[i].x, s.scorchAt[i].y, s.scorchMark, s.desktop, s.screen, std::rand() % 8);
      } else {
        reference::stampOriented(s.scorchAt[i].x, s.scorchAt[i].y, s.scorchMark, s.desktop, s.screen, std::rand() % 8);
      }
    }
    benchmark::ClobberMemory();
  }
  setSimdLevel(bestSimdLevel());
}
BENCHMARK(StampScorches<false>)->Name("Stamp200Scorches_Reference");
BENCHMARK(StampScorches<true>)->Name("Stamp200Scorches_Fast")->Arg(1)->Arg(2);

template <bool FAST>
void SoldiersFacing(benchmark::State& state) {
  if (FAST && !useLevel(state)) return;
  Scene& s = scene();
  for (auto _ : state) {
    for (int i = 0; i < 50; ++i) {
      if constexpr (FAST) {
        stampImageFacing(s.soldierAt[i].x, s.soldierAt[i].y, s.soldierSprite, s.desktop, s.screen,
                         static_cast<uint8_t>(i & 1));
      } else {
        reference::stampImageFacing(s.soldierAt[i].x, s.soldierAt[i].y, s.soldierSprite, s.desktop, s.screen,
                                    static_cast<uint8_t>(i & 1));
      }
    }
    benchmark::ClobberMemory();
  }
  setSimdLevel(bestSimdLevel());
}
BENCHMARK(SoldiersFacing<false>)->Name("Stamp50BodiesFacing_Reference");
BENCHMARK(SoldiersFacing<true>)->Name("Stamp50BodiesFacing_Fast")->Arg(1)->Arg(2);

template <bool FAST>
void Background(benchmark::State& state) {
  if (FAST && !useLevel(state)) return;
  Scene& s = scene();
  for (auto _ : state) {
    if constexpr (FAST) {
      copyBackground(s.canvas(), s.desktop);
    } else {
      reference::copyBackground(s.canvas(), s.desktop);
    }
    benchmark::ClobberMemory();
  }
  setSimdLevel(bestSimdLevel());
}
BENCHMARK(Background<false>)->Name("ClearAndCopyBackground_Reference")->Unit(benchmark::kMicrosecond);
BENCHMARK(Background<true>)->Name("ClearAndCopyBackground_Fast")->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace mw
