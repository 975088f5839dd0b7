// Frame pacing by measurement, with an own fixed schedule as the fallback.
#include "platform/common/frame_pacer.h"

#include <algorithm>

namespace mw {

FramePacer::FramePacer(int refreshHz, uint64_t ticksPerSecond)
    : refreshHz_(refreshHz > 0 ? refreshHz : 60), ticksPerSecond_(ticksPerSecond) {
  intervals_.reserve(WATCHED_FRAMES);
}

void FramePacer::restart() {
  mode_ = Mode::Measuring;
  presents_ = 0;
  havePrevious_ = false;
  intervals_.clear();
}

uint64_t FramePacer::period(int64_t frames) const {
  return static_cast<uint64_t>(frames) * ticksPerSecond_ / static_cast<uint64_t>(refreshHz_);
}

uint64_t FramePacer::presentAt(uint64_t now) {
  switch (mode_) {
    case Mode::Display:
      return now;
    case Mode::Measuring:
      // Never faster than 0.9 of the period, so a renderer that does not wait at all cannot run
      // the world fast while it is being measured, yet a real retrace still sets the interval.
      return havePrevious_ ? previous_ + period(9) / 10 : now;
    case Mode::Own:
      break;
  }
  const uint64_t due = anchor_ + period(sinceAnchor_ + 1);
  if (now > due + period(1)) {
    // More than a frame late (a stall, a slow frame): start the schedule afresh from here
    // rather than rushing frames to catch up.
    anchor_ = now;
    sinceAnchor_ = -1;
    return now;
  }
  return due;
}

uint64_t FramePacer::medianInterval() {
  std::vector<uint64_t>& v = intervals_;
  std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
  return v[v.size() / 2];
}

void FramePacer::takeOver(uint64_t now) {
  mode_ = Mode::Own;
  anchor_ = now;
  sinceAnchor_ = 0;
  intervals_.clear();
}

uint64_t FramePacer::skipAt(uint64_t now) {
  if (mode_ == Mode::Own) return presentAt(now);
  const uint64_t due = lastFrame_ + period(1);
  return now > due + period(1) ? now : due;
}

void FramePacer::skipped(uint64_t at) {
  lastFrame_ = at;
  if (mode_ == Mode::Own) {
    previous_ = at;
    havePrevious_ = true;
    ++sinceAnchor_;
    return;
  }
  // The next present's interval is not the display's: it is left out of the watch.
  havePrevious_ = false;
}

bool FramePacer::presented(uint64_t now) {
  lastFrame_ = now;
  const uint64_t interval = havePrevious_ ? now - previous_ : 0;
  const bool hadPrevious = havePrevious_;
  previous_ = now;
  havePrevious_ = true;
  ++presents_;

  if (mode_ == Mode::Own) {
    ++sinceAnchor_;
    return false;
  }
  if (!hadPrevious || presents_ <= SETTLING_FRAMES) return false;
  intervals_.push_back(interval);

  const uint64_t expected = period(1);
  if (mode_ == Mode::Measuring) {
    if (intervals_.size() < MEASURED_FRAMES) return false;
    const uint64_t median = medianInterval();
    // A retrace matches the period to well within 2.5 %; a 16 ms delay at 60 Hz is 4 % short.
    const uint64_t tolerance = expected / 40;
    if (median + tolerance >= expected && median <= expected + tolerance) {
      mode_ = Mode::Display;
      intervals_.clear();
      return false;
    }
    takeOver(now);
    return true;
  }
  // The display paces: keep watching, since a retrace wait can stop (a compositor that no longer
  // shows the window, for one). Frames slower than the period are the program's own doing.
  if (intervals_.size() < WATCHED_FRAMES) return false;
  const uint64_t median = medianInterval();
  intervals_.clear();
  if (median + expected / 40 < expected) {
    takeOver(now);
    return true;
  }
  return false;
}

}  // namespace mw
