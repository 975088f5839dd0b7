// A small world for the soldier tests: screen-sized frame and desktop, both armies in their
// start-up state with synthetic sheets (frame k of a sheet is one opaque colour, base + k), and a
// headless platform that logs sounds.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/session.h"
#include "platform/headless/headless_platform.h"
#include "soldiers/armies.h"
#include "world/world.h"

namespace mw::test {

inline Image solidImage(int32_t w, int32_t h, uint32_t colour) {
  Image image;
  image.width = w;
  image.height = h;
  image.pixels.assign(static_cast<size_t>(w) * h, colour);
  return image;
}

inline void solidSheet(SpriteSheet& sheet, int32_t frames, uint32_t base) {
  sheet.frames.clear();
  for (int32_t k = 0; k < frames; ++k) sheet.frames.push_back(solidImage(40, 40, base + static_cast<uint32_t>(k)));
  sheet.frameCount = frames;
}

inline constexpr uint32_t DESKTOP_COLOUR = 0xFF406080, BLACK = 0xFF000000;
inline constexpr uint32_t GREEN_WALK = 0xFF00A000, GREEN_SWING = 0xFF00C000;
inline constexpr uint32_t BLUE_WALK = 0xFF0000A0, BLUE_SWING = 0xFF0000C0;
inline constexpr uint32_t RED_WALK = 0xFFA00000, RED_SWING = 0xFFC00000;

struct SoldierWorld {
  HeadlessPlatform platform{ScreenCapture{}};
  std::unique_ptr<World> world = std::make_unique<World>();
  Mouse mouse;
  Session session;

  explicit SoldierWorld(int32_t width = 640, int32_t height = 480) {
    session.screen = ScreenSize{width, height};
    World& w = *world;
    w.session = &session;
    w.presenter.screen = session.screen;
    w.platform = &platform;
    w.sounds.platform = &platform;
    w.mouse = &mouse;
    w.presenter.frameBuffer.assign(static_cast<size_t>(width) * height, BLACK);
    w.desktop = solidImage(width, height, DESKTOP_COLOUR);
    w.showStats = 1;
    w.currentTool = Tool::Lighter;  // leaves the hit point alone
    w.green.barColour[1] = 255;
    w.blue.barColour[2] = 255;
    solidSheet(w.green.walkSheet, 13, GREEN_WALK);
    solidSheet(w.green.swingSheet, 5, GREEN_SWING);
    solidSheet(w.blue.walkSheet, 13, BLUE_WALK);
    solidSheet(w.blue.swingSheet, 5, BLUE_SWING);
    solidSheet(w.redWalkSheet, 13, RED_WALK);
    solidSheet(w.redSwingSheet, 5, RED_SWING);
    resetArmy(w.green);
    resetArmy(w.blue);
    resetRedRecords(w);
  }

  World& operator*() { return *world; }
  World* operator->() { return world.get(); }
  Army& green() { return world->green; }
  Army& blue() { return world->blue; }

  // Appends a soldier with its corner exactly at (x, y).
  Soldier& add(ArmyId id, float x, float y, uint8_t facing = 1, bool flame = false) {
    Army& army = world->army(id);
    placeSoldier(*world, id, flame, 0, 0, facing);
    Soldier& s = army.soldiers[army.count - 1];
    s.x = x;
    s.y = y;
    return s;
  }
  // Appends soldier 0 of `id` (or the next one) already going for enemy `target`.
  Soldier& hunter(ArmyId id, float x, float y, uint8_t facing, int32_t target, bool flame = false) {
    Soldier& s = add(id, x, y, facing, flame);
    s.hasTarget = 1;
    s.target = target;
    return s;
  }

  uint32_t pixel(int32_t x, int32_t y) const {
    return world->presenter.frameBuffer[static_cast<size_t>(y) * session.screen.width + x];
  }
  uint32_t desktopPixel(int32_t x, int32_t y) const {
    return world->desktop.pixels[static_cast<size_t>(y) * world->desktop.width + x];
  }
  bool frameHas(uint32_t colour) const {
    const auto& f = world->presenter.frameBuffer;
    return std::find(f.begin(), f.end(), colour) != f.end();
  }
  void clearFrame() { std::fill(world->presenter.frameBuffer.begin(), world->presenter.frameBuffer.end(), BLACK); }
  std::vector<std::pair<SoundSlot, int>> sounds() const {
    std::vector<std::pair<SoundSlot, int>> out;
    for (const SoundEvent& e : platform.soundLog()) out.emplace_back(static_cast<SoundSlot>(e.slot), e.level);
    return out;
  }
};

// The first n values of the generator after seeding it with seed; it is left freshly seeded again.
inline std::vector<int> randomValues(RandomGenerator& random, unsigned seed, int n) {
  random.seed(seed);
  std::vector<int> out;
  for (int k = 0; k < n; ++k) out.push_back(random.next());
  random.seed(seed);
  return out;
}

// Seeds the generator so that an army update draws M = m and then N = n.
inline void seedForDraws(RandomGenerator& random, int m, int n) {
  for (unsigned seed = 1;; ++seed) {
    const std::vector<int> d = randomValues(random, seed, 2);
    if (d[0] % 200 == m && d[1] % 500 == n) return;
  }
}

// A wandering speed as the army update draws it.
inline float speedOf(int draw) { return static_cast<float>(draw % 3701) / 1000.0f - 1.85f; }

}  // namespace mw::test
