// Soldier drawing: sprite blending, mirroring and clipping, the flame soldier's tint, which picture
// a soldier shows, and the health bar.
#include <gtest/gtest.h>

#include <random>

#include "gfx/blend_rows.h"
#include "gfx/compositing.h"
#include "tests/soldiers_world.h"

namespace mw::test {
namespace {

// Pixel (r, c) of this 40 x 40 picture is 0xFF, r + 30, c + 30, 0x33.
Image gradientImage() {
  Image image = solidImage(40, 40, 0);
  for (uint32_t r = 0; r < 40; ++r) {
    for (uint32_t c = 0; c < 40; ++c) image.pixels[r * 40 + c] = 0xFF000033u | ((r + 30) << 16) | ((c + 30) << 8);
  }
  return image;
}

TEST(SoldierDrawing, SpriteBlendsAboveAlpha250MirrorsAndClips) {
  SoldierWorld w(100, 80);
  Image faint = solidImage(2, 1, 0xFAFFFFFF);  // alpha 250: not drawn
  faint.pixels[1] = 0xFBFFFFFF;                // alpha 251: blended
  drawSprite(w->canvas(), 10, 10, faint, 1);
  EXPECT_EQ(w.pixel(10, 10), BLACK);
  EXPECT_EQ(w.pixel(11, 10), blendColour(0xFBFFFFFF, BLACK));

  const Image image = gradientImage();
  drawSprite(w->canvas(), 20, 30, image, 0);
  EXPECT_EQ(w.pixel(20, 30), image.pixels[39]);  // drawn column 0 shows source column 39
  EXPECT_EQ(w.pixel(59, 35), image.pixels[5 * 40]);
  drawSprite(w->canvas(), -10, -5, image, 1);  // cut at the top left
  EXPECT_EQ(w.pixel(0, 0), image.pixels[5 * 40 + 10]);
  drawSprite(w->canvas(), 90, 70, image, 0);  // cut at the bottom right
  EXPECT_EQ(w.pixel(99, 79), image.pixels[9 * 40 + 30]);

  // Off the screen, however far, and frames without pixels draw nothing.
  w.clearFrame();
  drawSprite(w->canvas(), 100, 0, image, 1);
  drawSprite(w->canvas(), 0, -40, image, 0);
  drawSprite(w->canvas(), INT32_MIN, INT32_MAX, image, 1);
  drawFlameSprite(w->canvas(), INT32_MAX, INT32_MIN, image, 0);
  drawSprite(w->canvas(), 0, 0, Image{}, 1);
  drawFlameSprite(w->canvas(), 0, 0, Image{}, 0);
  EXPECT_FALSE(w.frameHas(image.pixels[0]));
  EXPECT_EQ(std::count(w->presenter.frameBuffer.begin(), w->presenter.frameBuffer.end(), BLACK), 8000);
}

TEST(SoldierDrawing, SpriteEqualsThePlainLoopAtEveryKernelLevel) {
  SoldierWorld w(90, 70);
  std::mt19937 rng(21);
  Image image = solidImage(40, 40, 0);
  for (uint32_t& p : image.pixels) p = rng() % 4 ? (rng() % 3 ? 0u : 0xFF000000u | rng()) : (245u + rng() % 11) << 24 | rng() % 0x1000000;
  for (const SimdLevel level : {SimdLevel::Scalar, SimdLevel::Sse2, SimdLevel::Avx2}) {
    setSimdLevel(level);
    for (int round = 0; round < 40; ++round) {
      const int32_t x = static_cast<int32_t>(rng() % 140) - 45, y = static_cast<int32_t>(rng() % 120) - 45;
      const uint8_t facing = static_cast<uint8_t>(rng() % 3);
      for (uint32_t& p : w->presenter.frameBuffer) p = rng();
      std::vector<uint32_t> expected = w->presenter.frameBuffer;
      for (int32_t r = 0; r < 40; ++r) {
        for (int32_t c = 0; c < 40; ++c) {
          if (x + c < 0 || x + c >= 90 || y + r < 0 || y + r >= 70) continue;
          const uint32_t s = facing ? image.pixels[r * 40 + c] : image.pixels[r * 40 + 39 - c];
          uint32_t& d = expected[static_cast<size_t>(y + r) * 90 + x + c];
          if ((s >> 24) > 250) d = blendColour(s, d);
        }
      }
      drawSprite(w->canvas(), x, y, image, facing);
      ASSERT_EQ(w->presenter.frameBuffer, expected) << "at " << x << ", " << y << " facing " << int(facing);
    }
  }
  setSimdLevel(bestSimdLevel());
}

TEST(SoldierDrawing, FlameSpriteDarkensTheHeadAndForcesTheBodyGreen) {
  SoldierWorld w(100, 100);
  Image image = solidImage(40, 40, 0xFF646464);
  for (const uint8_t facing : {uint8_t{1}, uint8_t{0}}) {
    drawFlameSprite(w->canvas(), 0, 0, image, facing);
    const int32_t first = facing ? 1 : 16, last = facing ? 19 : 29;  // the head, rows 0 to 7
    for (int32_t r = 0; r < 40; ++r) {
      for (int32_t c = 0; c < 40; ++c) {
        const bool head = r <= 7 && c >= first && c <= last;
        ASSERT_EQ(w.pixel(c, r), head ? 0xFF4B4B4Bu : 0xFF64FA64u) << int(facing) << " " << r << "," << c;
      }
    }
  }
  image.pixels[39 * 40] = 0xFE646464;  // not opaque: skipped
  w.clearFrame();
  drawFlameSprite(w->canvas(), 0, 0, image, 1);
  EXPECT_EQ(w.pixel(0, 39), BLACK);
  // A channel darker than 25 stays at 0 instead of spilling into its neighbours.
  drawFlameSprite(w->canvas(), 0, 0, solidImage(40, 40, 0xFF100A30), 1);
  EXPECT_EQ(w.pixel(2, 2), 0xFF000017u);
}

TEST(SoldierDrawing, PictureFollowsEngagedAndWound) {
  SoldierWorld w(200, 200);
  Soldier& s = w.add(ArmyId::Blue, 10.0f, 20.0f, 0);
  s.frame = 7;
  Soldier& swing = w.blue().swings[0];
  swing = Soldier{swing.sheet, 3, 0, 100.9f, 120.2f};
  const struct {
    uint8_t engaged;
    int32_t woundTimer;
    int32_t x, y;
    uint32_t colour;
  } cases[] = {{0, 0, 10, 20, BLUE_WALK + 7},
               {0, 2, 10, 20, RED_WALK + 7},
               {1, 0, 100, 120, BLUE_SWING + 3},
               {1, 1, 100, 120, RED_SWING + 3}};
  for (const auto& k : cases) {
    w.clearFrame();
    s.engaged = k.engaged;
    s.woundTimer = k.woundTimer;
    drawSoldier(*w, ArmyId::Blue, 0);
    EXPECT_EQ(w.pixel(k.x, k.y), k.colour);
    EXPECT_EQ(w.pixel(k.x + 40, k.y + 40), BLACK);
  }
  // The red records of blue soldier i are 201 + i; they take the frame, place and facing shown.
  EXPECT_EQ(w->redWalkRecords[201].frame, 7);
  EXPECT_EQ(w->redWalkRecords[201].facing, 0);
  EXPECT_EQ(w->redSwingRecords[201].x, 100.9f);

  // A flame soldier is tinted, but drawn plain red while wounded; green i uses red record i.
  Soldier& f = w.add(ArmyId::Green, 50.0f, 50.0f, 1, true);
  w.clearFrame();
  drawSoldier(*w, ArmyId::Green, 0);
  EXPECT_EQ(w.pixel(70, 70), 0xFF00FA00u);
  f.woundTimer = 3;
  drawSoldier(*w, ArmyId::Green, 0);
  EXPECT_EQ(w.pixel(70, 70), RED_WALK);
  EXPECT_EQ(w->redWalkRecords[0].x, 50.0f);

  // Coordinates far off the screen convert safely and draw nothing.
  f.x = 3.0e9f;
  f.y = -1.0e30f;
  w.clearFrame();
  drawSoldier(*w, ArmyId::Green, 0);
  EXPECT_FALSE(w.frameHas(RED_WALK));
  EXPECT_EQ(pixelOf(-3.9f), -3);
  EXPECT_EQ(pixelOf(3.0e9f), 1 << 30);
  EXPECT_EQ(pixelOf(-3.0e9f), -(1 << 30));
}

// The first and last column of colour in row y, or (-1, -1).
std::pair<int32_t, int32_t> span(const SoldierWorld& w, int32_t y, uint32_t colour) {
  int32_t first = -1, last = -1;
  for (int32_t x = 0; x < w.session.screen.width; ++x) {
    if (w.pixel(x, y) != colour) continue;
    if (first < 0) first = x;
    last = x;
  }
  return {first, last};
}

TEST(HealthBar, LengthColourAndPlaceFollowHealthAndArmy) {
  SoldierWorld w(300, 200);
  Soldier& g = w.add(ArmyId::Green, 50.0f, 50.0f);
  const struct {
    int32_t health, barLength, last;
    uint32_t colour;
  } cases[] = {{10, 100, 85, 0xFF00FF00}, {3, 30, 62, 0xFF00FF00}, {7, 70, 75, 0xFF00FF00}, {2, 20, 58, 0xFFFF0000}};
  for (const auto& k : cases) {
    w.clearFrame();
    g.health = k.health;
    drawHealthBar(*w, ArmyId::Green, 0);
    EXPECT_EQ(g.barLength, k.barLength);
    EXPECT_EQ(span(w, 47, k.colour), std::make_pair(52, k.last)) << k.health;  // 3 above the sprite
  }
  Soldier& b = w.add(ArmyId::Blue, 50.0f, 50.0f);
  w.blue().barColour[1] = 77;  // the blue army never touches its green byte
  drawHealthBar(*w, ArmyId::Blue, 0);
  EXPECT_EQ(span(w, 46, 0xFF004DFF), std::make_pair(52, 85));  // 4 above the sprite
  b.health = 1;
  drawHealthBar(*w, ArmyId::Blue, 0);
  EXPECT_EQ(w.blue().barColour[0], 255);
  EXPECT_EQ(w.blue().barColour[2], 0);
}

TEST(HealthBar, DrawnWhereTheSoldierStoodBeforeItMoves) {
  SoldierWorld w(300, 200);
  Soldier& s = w.add(ArmyId::Green, 100.0f, 50.0f);
  s.wandering = 1;
  s.vx = 1.5f;
  seedForDraws(w->random, 150, 400);
  updateArmy(*w, ArmyId::Green);
  EXPECT_EQ(s.x, 101.5f);
  EXPECT_EQ(span(w, 47, 0xFF00FF00), std::make_pair(102, 135));
}

TEST(HealthBar, OnlyDrawnWellInsideTheScreenButAlwaysComputed) {
  const struct {
    float x, y;
    bool drawn;
  } cases[] = {{50.0f, 5.0f, false},  {50.0f, 5.5f, true},    {2.0f, 50.0f, false},  {2.5f, 50.0f, true},
               {257.0f, 50.0f, true}, {258.0f, 50.0f, false}, {50.0f, 185.9f, true}, {50.0f, 186.0f, false}};
  for (const auto& k : cases) {
    SoldierWorld w(300, 200);
    Soldier& s = w.add(ArmyId::Green, k.x, k.y);
    s.health = 4;
    drawHealthBar(*w, ArmyId::Green, 0);
    EXPECT_EQ(s.barLength, 40);
    EXPECT_EQ(w.frameHas(0xFF00FF00u), k.drawn) << k.x << "," << k.y;
  }
  // Without Show Stats the army update draws no bar and leaves barLength alone.
  SoldierWorld w(300, 200);
  w->showStats = 0;
  Soldier& s = w.add(ArmyId::Green, 50.0f, 50.0f);
  s.health = 4;
  updateArmy(*w, ArmyId::Green);
  EXPECT_EQ(s.barLength, 100);
  EXPECT_FALSE(w.frameHas(0xFF00FF00u));
}

}  // namespace
}  // namespace mw::test
