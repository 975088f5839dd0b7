// Frame pacing against simulated displays: a real retrace, a whole-millisecond imitation of one,
// and none at all.
#include "platform/common/frame_pacer.h"
#include "platform/common/wait_until.h"

#include <gtest/gtest.h>

#include <functional>

namespace mw {
namespace {

constexpr uint64_t SECOND = 1'000'000'000;  // nanosecond ticks
constexpr uint64_t MS = SECOND / 1000;

// Runs frames through the pacer: each frame takes `work` ticks, the program waits as the pacer
// says, and `display` turns the moment of the present call into the moment it returns.
struct Loop {
  FramePacer pacer{60, SECOND};
  uint64_t now = 5 * SECOND;
  std::function<uint64_t(uint64_t)> display;
  std::function<uint64_t(int)> work = [](int) { return 2 * MS; };
  int frame = 0;
  int takeovers = 0;
  std::vector<uint64_t> presents;

  void run(int frames) {
    for (int i = 0; i < frames; ++i, ++frame) {
      now += work(frame);
      now = std::max(now, pacer.presentAt(now));
      now = display(now);
      presents.push_back(now);
      if (pacer.presented(now)) ++takeovers;
    }
  }
};

uint64_t retrace(uint64_t at) { return (at / (SECOND / 60) + 1) * (SECOND / 60); }

TEST(FramePacer, RealRetraceIsTrustedAndSetsThePace) {
  Loop loop;
  loop.display = retrace;
  loop.run(1 + FramePacer::SETTLING_FRAMES + FramePacer::MEASURED_FRAMES);
  EXPECT_EQ(loop.pacer.mode(), FramePacer::Mode::Display);
  loop.run(200 - loop.frame);
  EXPECT_EQ(loop.pacer.mode(), FramePacer::Mode::Display);
  EXPECT_EQ(loop.takeovers, 0);
  // From the first present on, one frame per retrace: none skipped, none doubled.
  EXPECT_EQ(loop.presents.back() - loop.presents.front(), 199 * (SECOND / 60));
}

TEST(FramePacer, ImitatedOrMissingVsyncIsReplacedByAnExactSchedule) {
  uint64_t lastReturn = 0;
  // Whole-millisecond imitation: 16 ms after the previous present, 62.5 frames a second.
  const std::function<uint64_t(uint64_t)> imitation = [&](uint64_t at) {
    const uint64_t back = lastReturn && at < lastReturn + 16 * MS ? lastReturn + 16 * MS : at;
    lastReturn = back;
    return back;
  };
  for (const bool imitated : {true, false}) {
    Loop loop;
    lastReturn = 0;
    bool vsyncOn = true;
    // After the take-over the renderer's vsync is off: presents return at once.
    loop.display = [&](uint64_t at) { return vsyncOn && imitated ? imitation(at) : at; };
    // Decided at the end of the measurement, not later.
    loop.run(1 + FramePacer::SETTLING_FRAMES + FramePacer::MEASURED_FRAMES);
    EXPECT_EQ(loop.pacer.mode(), FramePacer::Mode::Own) << imitated;
    EXPECT_EQ(loop.takeovers, 1);
    vsyncOn = false;
    const size_t from = loop.presents.size();
    loop.run(6000);
    // 6000 frames take exactly 100 s: the schedule never drifts (within one tick of rounding).
    const uint64_t span = loop.presents.back() - loop.presents[from - 1];
    EXPECT_NEAR(static_cast<double>(span), 100.0 * SECOND, 1.0) << imitated;
  }
}

TEST(FramePacer, LateFrameRestartsTheScheduleInsteadOfRushing) {
  Loop loop;
  loop.display = [](uint64_t at) { return at; };
  loop.run(100);
  ASSERT_EQ(loop.pacer.mode(), FramePacer::Mode::Own);
  // One frame stalls for a quarter of a second; the frames after it keep the period.
  loop.work = [](int frame) { return frame == 150 ? 250 * MS : 2 * MS; };
  loop.run(100);
  const uint64_t period = SECOND / 60;
  for (size_t i = 152; i < loop.presents.size(); ++i) {
    const uint64_t gap = loop.presents[i] - loop.presents[i - 1];
    EXPECT_GE(gap + 1, period) << i;
    EXPECT_LE(gap, period + 1) << i;
  }
  // A frame slightly late is caught up by the next one: the period holds on average.
  Loop slight;
  slight.display = [](uint64_t at) { return at; };
  slight.run(100);
  slight.work = [](int frame) { return frame % 10 == 0 ? 20 * MS : 2 * MS; };
  const size_t from = slight.presents.size();
  slight.run(600);
  EXPECT_NEAR(static_cast<double>(slight.presents.back() - slight.presents[from - 1]), 10.0 * SECOND, 1.0);
}

TEST(FramePacer, MeasuringNeverRunsFasterThanNineTenthsOfThePeriod) {
  Loop loop;
  loop.display = [](uint64_t at) { return at; };
  loop.run(FramePacer::SETTLING_FRAMES + FramePacer::MEASURED_FRAMES);
  for (size_t i = 1; i < loop.presents.size(); ++i) EXPECT_GE(loop.presents[i] - loop.presents[i - 1], 15 * MS);
}

TEST(FramePacer, DisplayThatStopsWaitingIsNoticedAndRestartRemeasures) {
  Loop loop;
  bool waiting = true;
  loop.display = [&](uint64_t at) { return waiting ? retrace(at) : at; };
  loop.run(100);
  ASSERT_EQ(loop.pacer.mode(), FramePacer::Mode::Display);
  waiting = false;  // say, a compositor stops showing the window
  loop.run(2 * FramePacer::WATCHED_FRAMES);
  EXPECT_EQ(loop.pacer.mode(), FramePacer::Mode::Own);
  EXPECT_EQ(loop.takeovers, 1);

  waiting = true;
  loop.pacer.restart();
  EXPECT_EQ(loop.pacer.mode(), FramePacer::Mode::Measuring);
  loop.run(100);
  EXPECT_EQ(loop.pacer.mode(), FramePacer::Mode::Display);
}

TEST(FramePacer, SkippedPresentsKeepThePeriod) {
  for (const bool display : {true, false}) {
    Loop loop;
    loop.display = display ? retrace : [](uint64_t at) { return at; };
    loop.run(100);
    ASSERT_TRUE(loop.pacer.canSkip());
    // Runs of skipped frames between presents: every frame, skipped or not, one period apart.
    std::vector<uint64_t> frames;
    for (int i = 0; i < 600; ++i) {
      loop.now += 2 * MS;
      if (i % 7 == 3) {
        loop.run(1);
        frames.push_back(loop.now);
      } else {
        loop.now = std::max(loop.now, loop.pacer.skipAt(loop.now));
        loop.pacer.skipped(loop.now);
        frames.push_back(loop.now);
      }
    }
    EXPECT_EQ(loop.pacer.mode(), display ? FramePacer::Mode::Display : FramePacer::Mode::Own);
    EXPECT_EQ(loop.takeovers, display ? 0 : 1);
    for (size_t i = 1; i < frames.size(); ++i) {
      EXPECT_NEAR(static_cast<double>(frames[i] - frames[i - 1]), SECOND / 60.0, display ? 0.1 * MS : 1.0) << i;
    }
  }
  // While the interval is measured, every frame is presented.
  EXPECT_FALSE(FramePacer(60, SECOND).canSkip());
}

TEST(FramePacer, UnknownRefreshRateCountsAsSixtyHertz) {
  EXPECT_EQ(FramePacer(0, SECOND).refreshHz(), 60);
  EXPECT_EQ(FramePacer(144, SECOND).refreshHz(), 144);
}

// The deadline wait reads the counter until it reaches the tick, sleeping between reads; a tick
// already passed costs one read; a counter that does not tick (0 a second) is not waited on.
TEST(WaitUntil, ReturnsOnceTheCounterReachesTheTick) {
  static uint64_t ticks = 0;
  static int reads = 0;
  const auto counter = [] {
    ++reads;
    return ticks += 1000;  // a microsecond a read, at a counter of 1 GHz
  };
  waitUntil(20'000, counter, SECOND);
  EXPECT_EQ(ticks, 20'000u);
  EXPECT_EQ(reads, 20);
  waitUntil(5'000, counter, SECOND);
  EXPECT_EQ(reads, 21);
  waitUntil(UINT64_MAX, counter, 0);
  EXPECT_EQ(reads, 21);
}

}  // namespace
}  // namespace mw
