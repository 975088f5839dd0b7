// Waiting for a frame's deadline on a platform's counter: asleep, not spinning.
#pragma once
#include <cstdint>

namespace mw {

// Returns once counter() reaches tick (counter ticks, ticksPerSecond of them a second). Sleeps at
// most a second at a time and reads the counter afresh after each sleep, so a counter on another
// clock than the sleep's is still honoured; a sleep may overshoot by tens of microseconds, far
// below a frame, since the frame pacer keeps a fixed schedule.
void waitUntil(uint64_t tick, uint64_t (*counter)(), uint64_t ticksPerSecond);

}  // namespace mw
