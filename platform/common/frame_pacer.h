// Frame pacing: one frame per display refresh, whether or not the renderer's vsync really waits.
#pragma once
#include <cstdint>
#include <vector>

namespace mw {

// Every speed in the program counts frames, so frames must come at the display's refresh rate.
// A renderer may claim vsync and only approximate it (a whole-millisecond delay) or not wait at
// all. The pacer first measures the present interval; when it matches the refresh period the
// display paces the loop, otherwise the pacer does, on a fixed schedule that never drifts.
class FramePacer {
 public:
  enum class Mode { Measuring, Display, Own };

  // refreshHz 0 (unknown) counts as 60. Times are counter ticks, ticksPerSecond of them a second.
  FramePacer(int refreshHz, uint64_t ticksPerSecond);

  // Forgets what was measured (the presentation changed) and measures again.
  void restart();
  // Before presenting at `now`: the tick to wait for; `now` or earlier means present at once.
  uint64_t presentAt(uint64_t now);
  // Right after a present returned at `now`. True when the pacer has just taken over the pacing,
  // so the caller stops asking the renderer for vsync.
  bool presented(uint64_t now);
  // A frame with nothing new to show may skip its present while the interval is not being measured.
  bool canSkip() const { return mode_ != Mode::Measuring; }
  // Before skipping a frame's present at `now`: the tick to wait for instead, where the frame's
  // present would have been (one period after the last frame; at once when more than a frame late).
  uint64_t skipAt(uint64_t now);
  // After waiting for a skipped present, at `at`.
  void skipped(uint64_t at);

  Mode mode() const { return mode_; }
  int refreshHz() const { return refreshHz_; }

  static constexpr int SETTLING_FRAMES = 5;      // presents ignored after a (re)start
  static constexpr int MEASURED_FRAMES = 30;     // intervals measured before deciding
  static constexpr int WATCHED_FRAMES = 60;      // intervals per check while the display paces

 private:
  uint64_t period(int64_t frames) const;  // exact ticks of `frames` refresh periods
  uint64_t medianInterval();
  void takeOver(uint64_t now);

  int refreshHz_;
  uint64_t ticksPerSecond_;
  Mode mode_ = Mode::Measuring;
  int presents_ = 0;
  bool havePrevious_ = false;
  uint64_t previous_ = 0;
  uint64_t lastFrame_ = 0;  // when the last frame, presented or skipped, was done
  std::vector<uint64_t> intervals_;
  uint64_t anchor_ = 0;     // own pacing: the present that frame 0 of the schedule was
  int64_t sinceAnchor_ = 0;  // presents since the anchor
};

}  // namespace mw
