// The deadline wait both desktop platforms pace their frames with.
#include "platform/common/wait_until.h"

#include <algorithm>

#if defined(_WIN32)
#include <windows.h>
#elif defined(__linux__)
#include <cerrno>
#include <ctime>
#else
#include <chrono>
#include <thread>
#endif

namespace mw {

namespace {

constexpr uint64_t NANOSECONDS = 1'000'000'000;

#if defined(_WIN32)
constexpr DWORD HIGH_RESOLUTION_TIMER = 0x00000002;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION (Windows 10)

// On a waitable timer (of high resolution where the system has one); Sleep where none can be made.
void sleepFor(uint64_t nanoseconds) {
  static const HANDLE timer = [] {
    HANDLE made = CreateWaitableTimerExW(nullptr, nullptr, HIGH_RESOLUTION_TIMER, TIMER_ALL_ACCESS);
    return made != nullptr ? made : CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
  }();
  LARGE_INTEGER due{};
  due.QuadPart = -std::max<int64_t>(static_cast<int64_t>(nanoseconds / 100), 1);  // negative: relative, in 100 ns
  if (timer != nullptr && SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
    WaitForSingleObject(timer, INFINITE);
  } else {
    Sleep(static_cast<DWORD>(std::max<uint64_t>(nanoseconds / 1'000'000, 1)));
  }
}
#elif defined(__linux__)
// Until an absolute deadline on the monotonic clock, so a signal's interruption loses nothing.
void sleepFor(uint64_t nanoseconds) {
  timespec deadline{};
  clock_gettime(CLOCK_MONOTONIC, &deadline);
  const uint64_t sum = static_cast<uint64_t>(deadline.tv_nsec) + nanoseconds;
  deadline.tv_sec += static_cast<time_t>(sum / NANOSECONDS);
  deadline.tv_nsec = static_cast<long>(sum % NANOSECONDS);
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
  }
}
#else
void sleepFor(uint64_t nanoseconds) { std::this_thread::sleep_for(std::chrono::nanoseconds(nanoseconds)); }
#endif

}  // namespace

void waitUntil(uint64_t tick, uint64_t (*counter)(), uint64_t ticksPerSecond) {
  if (ticksPerSecond == 0) return;
  for (;;) {
    const uint64_t now = counter();
    if (now >= tick) return;
    sleepFor(std::min(tick - now, ticksPerSecond) * NANOSECONDS / ticksPerSecond);  // at most 1 s
  }
}

}  // namespace mw
