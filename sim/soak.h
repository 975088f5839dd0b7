// The soak: a seeded random session on the simulator, with the invariants checked after every
// frame step.
#pragma once
#include <cstdint>
#include <string>

namespace mw {

struct SoakOptions {
  int32_t width = 1920;
  int32_t height = 1080;
  uint32_t seed = 1;
  uint64_t frames = 20000;
  uint64_t warmUpFrames = 4000;  // memory is expected to settle by then
  uint64_t rssSlackKb = 16384;   // how far resident memory may rise after warm-up
  std::string dataDirectory;     // the folder holding Files/
  // Counts allocations since start (a replaced operator new); null when nothing counts them.
  uint64_t (*allocations)() = nullptr;
  bool progress = false;  // a line on standard error every 10,000 frames
};

struct SoakReport {
  uint64_t frames = 0;
  uint64_t allocationsInSteps = 0;   // in frame steps that do not reload the snapshot or rebuild the presentation
  uint64_t allocationsInReloads = 0;  // in those that do (Enter, F11): allowed
  uint64_t warmRssKb = 0;
  uint64_t peakRssKb = 0;
  int32_t mostGreen = 0, mostBlue = 0;
  int32_t mostLighterFires = 0, mostGreenFires = 0, mostBlueFires = 0;
  uint64_t toolsTaken[7] = {};  // per tool, by its number
  uint64_t enterPresses = 0, spacePresses = 0, f11Presses = 0, optionClicks = 0;
  std::string failure;  // empty when every invariant held
};

// Runs the session; stops at the first broken invariant.
SoakReport runSoak(const SoakOptions& options);

}  // namespace mw
