// Soldier drawing: sprite blending and mirroring, the flame soldier's tint, which picture a soldier
// shows, and the health bar.
#include <gtest/gtest.h>

#include "gfx/compositing.h"
#include "tests/soldiers_world.h"

namespace mw::test {
namespace {

// A 40 x 40 picture whose pixel (r, c) has colour alpha | r << 16 | c << 8 | 0x33.
Image gradientImage(uint32_t alpha = 0xFF) {
  Image image = solidImage(40, 40, 0);
  for (uint32_t r = 0; r < 40; ++r) {
    for (uint32_t c = 0; c < 40; ++c) image.pixels[r * 40 + c] = (alpha << 24) | ((r + 30) << 16) | ((c + 30) << 8) | 0x33u;
  }
  return image;
}

TEST(SoldierSprite, DrawsOnlyPixelsAboveAlpha250AndBlendsThem) {
  SoldierWorld w(100, 100);
  Image image = solidImage(2, 1, 0);
  image.pixels[0] = 0xFAFFFFFF;  // alpha 250: skipped
  image.pixels[1] = 0xFBFFFFFF;  // alpha 251: blended
  w.clearFrame(0xFF000000u);
  drawSprite(w->canvas(), 10, 10, image, 1);
  EXPECT_EQ(w.pixel(10, 10), 0xFF000000u);
  EXPECT_EQ(w.pixel(11, 10), blendColour(0xFBFFFFFF, 0xFF000000u));
  EXPECT_EQ(w.pixel(11, 10), 0xFFFBFBFBu);
}

TEST(SoldierSprite, LeftFacingMirrorsEachRow) {
  SoldierWorld w(100, 100);
  const Image image = gradientImage();
  drawSprite(w->canvas(), 20, 30, image, 0);
  EXPECT_EQ(w.pixel(20, 30), image.pixels[39]);            // drawn column 0 shows source column 39
  EXPECT_EQ(w.pixel(59, 35), image.pixels[5 * 40 + 0]);    // drawn column 39 shows source column 0
  drawSprite(w->canvas(), 20, 30, image, 1);
  EXPECT_EQ(w.pixel(20, 30), image.pixels[0]);
  EXPECT_EQ(w.pixel(59, 69), image.pixels[39 * 40 + 39]);
}

TEST(SoldierSprite, ClipsAtEveryEdgeAndSkipsEmptyFrames) {
  SoldierWorld w(100, 80);
  const Image image = gradientImage();
  // Partly off each edge: only the visible part is drawn, and nothing is written outside the frame
  // (the sanitizer build checks the latter).
  drawSprite(w->canvas(), -10, -5, image, 1);
  EXPECT_EQ(w.pixel(0, 0), image.pixels[5 * 40 + 10]);
  drawSprite(w->canvas(), 90, 70, image, 0);
  EXPECT_EQ(w.pixel(99, 79), image.pixels[9 * 40 + 30]);  // drawn (9, 9) mirrored: source column 30
  drawFlameSprite(w->canvas(), -39, 79, image, 0);
  // Wholly off the screen, far off, and pictures without pixels: nothing at all.
  w.clearFrame(0xFF000000u);
  drawSprite(w->canvas(), 100, 0, image, 1);
  drawSprite(w->canvas(), 0, -40, image, 1);
  drawSprite(w->canvas(), -2147483647 - 1, 2147483647, image, 1);
  drawFlameSprite(w->canvas(), 2147483647, -2147483647 - 1, image, 1);
  drawSprite(w->canvas(), 0, 0, Image{}, 1);
  drawFlameSprite(w->canvas(), 0, 0, Image{}, 0);
  for (uint32_t p : w->presenter.frameBuffer) ASSERT_EQ(p, 0xFF000000u);
}

TEST(FlameSprite, DrawsOnlyOpaquePixelsWithTheBodyForcedGreen) {
  SoldierWorld w(100, 100);
  Image image = solidImage(40, 40, 0xFE112233);  // alpha 254: never drawn
  image.pixels[20 * 40 + 20] = 0xFF804060;       // body pixel
  image.pixels[3 * 40 + 5] = 0xFF804060;         // head pixel (facing right)
  drawFlameSprite(w->canvas(), 0, 0, image, 1);
  EXPECT_EQ(w.pixel(20, 20), 0xFF80FA60u);  // green channel forced to 250
  EXPECT_EQ(w.pixel(5, 3), 0xFF672747u);    // every channel 25 darker
  EXPECT_EQ(w.pixel(0, 0), 0xFF000000u);
}

TEST(FlameSprite, HeadRegionFollowsTheFacing) {
  const auto headColumns = [](uint8_t facing, int32_t row) {
    SoldierWorld w(100, 100);
    const Image image = solidImage(40, 40, 0xFF646464);
    drawFlameSprite(w->canvas(), 0, 0, image, facing);
    std::vector<int32_t> columns;
    for (int32_t c = 0; c < 40; ++c) {
      if (w.pixel(c, row) == 0xFF4B4B4Bu) columns.push_back(c);
      else EXPECT_EQ(w.pixel(c, row), 0xFF64FA64u);
    }
    return columns;
  };
  const auto range = [](int32_t from, int32_t to) {
    std::vector<int32_t> v;
    for (int32_t c = from; c <= to; ++c) v.push_back(c);
    return v;
  };
  EXPECT_EQ(headColumns(1, 0), range(1, 19));
  EXPECT_EQ(headColumns(1, 7), range(1, 19));
  EXPECT_EQ(headColumns(1, 8), std::vector<int32_t>{});
  EXPECT_EQ(headColumns(0, 7), range(16, 29));
  EXPECT_EQ(headColumns(0, 8), std::vector<int32_t>{});
}

TEST(FlameSprite, DarkChannelsDoNotSpillIntoTheirNeighbours) {
  SoldierWorld w(100, 100);
  const Image image = solidImage(40, 40, 0xFF100A30);  // red and green below 25
  drawFlameSprite(w->canvas(), 0, 0, image, 1);
  EXPECT_EQ(w.pixel(2, 2), 0xFF000017u);
}

TEST(SoldierPicture, WalkSwingAndRedPicturesByEngagedAndWound) {
  SoldierWorld w(200, 200);
  Soldier& s = w.add(ArmyId::Blue, 10.0f, 20.0f, 0);
  s.frame = 7;
  Soldier& swing = w.blue().swings[0];
  swing.frame = 3;
  swing.x = 100.9f;
  swing.y = 120.2f;
  swing.facing = 1;

  drawSoldier(*w, ArmyId::Blue, 0);  // not engaged, not wounded: walk frame at the soldier
  EXPECT_EQ(w.pixel(10, 20), BLUE_WALK + 7);

  w.clearFrame();
  s.woundTimer = 2;
  drawSoldier(*w, ArmyId::Blue, 0);  // wounded: red walk frame, through red record 201 + 0
  EXPECT_EQ(w.pixel(10, 20), RED_WALK + 7);
  const Soldier& redWalk = w->redWalkRecords[ARMY_SLOTS];
  EXPECT_EQ(redWalk.frame, 7);
  EXPECT_EQ(redWalk.x, 10.0f);
  EXPECT_EQ(redWalk.y, 20.0f);
  EXPECT_EQ(redWalk.facing, 0);

  w.clearFrame();
  s.woundTimer = 0;
  s.engaged = 1;
  drawSoldier(*w, ArmyId::Blue, 0);  // engaged: swing frame at the swing record, truncated
  EXPECT_EQ(w.pixel(100, 120), BLUE_SWING + 3);
  EXPECT_EQ(w.pixel(10, 20), 0xFF000000u);

  w.clearFrame();
  s.woundTimer = 1;
  drawSoldier(*w, ArmyId::Blue, 0);  // engaged and wounded: red swing frame
  EXPECT_EQ(w.pixel(100, 120), RED_SWING + 3);
  EXPECT_EQ(w->redSwingRecords[ARMY_SLOTS].frame, 3);
  EXPECT_EQ(w->redSwingRecords[ARMY_SLOTS].x, 100.9f);
}

TEST(SoldierPicture, FlameSoldierIsTintedUnlessWounded) {
  SoldierWorld w(200, 200);
  Soldier& s = w.add(ArmyId::Green, 50.0f, 50.0f, 1, true);
  drawSoldier(*w, ArmyId::Green, 0);
  EXPECT_EQ(w.pixel(70, 70), (GREEN_WALK & 0xFFFF00FFu) | 0xFA00u);
  w.clearFrame();
  s.woundTimer = 3;
  drawSoldier(*w, ArmyId::Green, 0);
  EXPECT_EQ(w.pixel(70, 70), RED_WALK);
  EXPECT_EQ(w->redWalkRecords[0].x, 50.0f);  // green soldier i uses red record i
}

TEST(SoldierPicture, FarOffCoordinatesDrawNothingAndStaySafe) {
  SoldierWorld w(200, 200);
  w.add(ArmyId::Green, 3.0e9f, -7.5e12f);
  w.add(ArmyId::Green, -1.0e30f, 1.0e30f);
  drawSoldier(*w, ArmyId::Green, 0);
  drawSoldier(*w, ArmyId::Green, 1);
  for (uint32_t p : w->presenter.frameBuffer) ASSERT_EQ(p, 0xFF000000u);
  EXPECT_EQ(pixelOf(-3.9f), -3);
  EXPECT_EQ(pixelOf(85.99f), 85);
  EXPECT_EQ(pixelOf(3.0e9f), 1 << 30);
  EXPECT_EQ(pixelOf(-3.0e9f), -(1 << 30));
}

// The columns of row y that hold colour.
std::vector<int32_t> columnsOf(const SoldierWorld& w, int32_t y, uint32_t colour) {
  std::vector<int32_t> out;
  for (int32_t x = 0; x < screenWidth; ++x) {
    if (w.pixel(x, y) == colour) out.push_back(x);
  }
  return out;
}

TEST(HealthBar, LengthAndColourFollowHealth) {
  SoldierWorld w(300, 200);
  Soldier& s = w.add(ArmyId::Green, 50.0f, 50.0f);
  drawHealthBar(*w, ArmyId::Green, 0);
  EXPECT_EQ(s.barLength, 100);
  std::vector<int32_t> bar = columnsOf(w, 47, 0xFF00FF00u);  // 3 above the green sprite
  ASSERT_EQ(bar.size(), 34u);
  EXPECT_EQ(bar.front(), 52);
  EXPECT_EQ(bar.back(), 85);

  const struct {
    int32_t health, barLength, last;
    uint32_t colour;
  } cases[] = {{3, 30, 62, 0xFF00FF00u}, {2, 20, 58, 0xFFFF0000u}, {7, 70, 75, 0xFF00FF00u}, {1, 10, 55, 0xFFFF0000u}};
  for (const auto& k : cases) {
    w.clearFrame();
    s.health = k.health;
    drawHealthBar(*w, ArmyId::Green, 0);
    EXPECT_EQ(s.barLength, k.barLength) << k.health;
    bar = columnsOf(w, 47, k.colour);
    ASSERT_FALSE(bar.empty()) << k.health;
    EXPECT_EQ(bar.front(), 52);
    EXPECT_EQ(bar.back(), k.last) << k.health;
  }
  const uint8_t red[3] = {255, 0, 0};
  EXPECT_TRUE(std::equal(red, red + 3, w.green().barColour));
}

TEST(HealthBar, BlueBarIsBlueAndFourPixelsUp) {
  SoldierWorld w(300, 200);
  Soldier& s = w.add(ArmyId::Blue, 50.0f, 50.0f);
  drawHealthBar(*w, ArmyId::Blue, 0);
  EXPECT_EQ(columnsOf(w, 46, 0xFF0000FFu).size(), 34u);
  EXPECT_TRUE(columnsOf(w, 47, 0xFF0000FFu).empty());
  s.health = 2;
  w.clearFrame();
  drawHealthBar(*w, ArmyId::Blue, 0);
  EXPECT_EQ(columnsOf(w, 46, 0xFFFF0000u).size(), 7u);
  // The blue army's bar colour keeps its green byte; the green army's its blue byte.
  w.blue().barColour[1] = 77;
  s.health = 10;
  drawHealthBar(*w, ArmyId::Blue, 0);
  EXPECT_EQ(w.blue().barColour[0], 0);
  EXPECT_EQ(w.blue().barColour[1], 77);
  EXPECT_EQ(w.blue().barColour[2], 255);
}

TEST(HealthBar, NotDrawnNearTheEdgesButStillComputed) {
  const struct {
    float x, y;
    bool drawn;
  } cases[] = {{50.0f, 5.0f, false},   {50.0f, 5.5f, true},    {2.0f, 50.0f, false},  {2.5f, 50.0f, true},
               {257.0f, 50.0f, true},  {258.0f, 50.0f, false}, {50.0f, 185.9f, true}, {50.0f, 186.0f, false}};
  for (const auto& k : cases) {
    SoldierWorld w(300, 200);  // bars only while x < 258 and y < 186
    Soldier& s = w.add(ArmyId::Green, k.x, k.y);
    s.health = 4;
    s.barLength = 0;
    w.green().barColour[0] = 9;
    drawHealthBar(*w, ArmyId::Green, 0);
    EXPECT_EQ(s.barLength, 40);
    EXPECT_EQ(w.green().barColour[0], 0);
    bool any = false;
    for (uint32_t p : w->presenter.frameBuffer) any = any || p == 0xFF00FF00u;
    EXPECT_EQ(any, k.drawn) << k.x << "," << k.y;
  }
}

TEST(HealthBar, HiddenWithoutShowStatsAndBarLengthKept) {
  SoldierWorld w(300, 200);
  w->showStats = 0;
  Soldier& s = w.add(ArmyId::Green, 50.0f, 50.0f);
  s.health = 4;
  s.barLength = 90;
  updateArmy(*w, ArmyId::Green);
  EXPECT_EQ(s.barLength, 90);
  EXPECT_TRUE(columnsOf(w, 47, 0xFF00FF00u).empty());
  w->showStats = 1;
  updateArmy(*w, ArmyId::Green);
  EXPECT_EQ(s.barLength, 40);
}

}  // namespace
}  // namespace mw::test
