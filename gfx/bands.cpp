// Deferred drawing, done in bands shared by the caller and one helper thread.
#include "gfx/bands.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

#include "gfx/compositing.h"

namespace mw {

namespace {

constexpr size_t BANDED_FROM = 64;                 // shorter lists are drawn whole
constexpr int BAND_BITS = 8;                       // a job has at most 255 bands
constexpr uint64_t BAND_MASK = (1u << BAND_BITS) - 1;
constexpr int64_t BAND_PIXELS = 128 * 1024;        // a band: half a megabyte of frame

// Rows top <= y < bottom of band number `band` of `pieces` over `height` rows.
std::pair<int32_t, int32_t> bandRows(int32_t height, int pieces, int band) {
  return {static_cast<int32_t>(int64_t{height} * band / pieces),
          static_cast<int32_t>(int64_t{height} * (band + 1) / pieces)};
}

std::atomic<int> helperPauseMicroseconds{0};

// Rows top <= y < bottom of some drawing: what a band of a job does.
using DrawRows = void (*)(const void* what, int32_t top, int32_t bottom);

// The helper: woken for a job, it takes bands from the same counter as the caller until none is
// left. Whoever takes a band draws all of it, so a helper that the machine does not run soon costs
// little: the caller takes the bands it has not begun. The counter carries the job's number, so a
// helper that wakes only after the caller has finished that job alone and posted the next one
// takes nothing of the next (whose data its copy of the old job does not describe). Started once;
// stopped at the program's end.
class Helper {
 public:
  ~Helper() {
    if (!thread_.joinable()) return;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
  }

  void start() {
    if (!thread_.joinable()) thread_ = std::thread([this] { run(); });
  }

  void draw(DrawRows rows, const void* what, int32_t height, int pieces) {
    start();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      job_ = Job{rows, what, height, pieces};
      ++posted_;
      next_.store(posted_ << BAND_BITS);
      finished_ = 0;
    }
    wake_.notify_one();
    const int mine = takeBands(job_, posted_);
    std::unique_lock<std::mutex> lock(mutex_);
    finished_ += mine;
    done_.wait(lock, [&] { return finished_ == job_.pieces; });
  }

 private:
  struct Job {
    DrawRows rows = nullptr;
    const void* what = nullptr;
    int32_t height = 0;
    int pieces = 0;  // bands of the job, taken one at a time
  };

  // Draws bands of job number `number` until none is left or another job has been posted;
  // returns how many it drew.
  int takeBands(const Job& job, uint64_t number) {
    int drawn = 0;
    uint64_t taken = next_.load();
    for (;;) {
      if ((taken >> BAND_BITS) != number || static_cast<int>(taken & BAND_MASK) >= job.pieces) return drawn;
      if (!next_.compare_exchange_weak(taken, taken + 1)) continue;  // taken now holds the counter
      const int band = static_cast<int>(taken & BAND_MASK);
      const auto [top, bottom] = bandRows(job.height, job.pieces, band);
      if (top < bottom) job.rows(job.what, top, bottom);
      ++drawn;
      taken = next_.load();
    }
  }

  void run() {
    uint64_t seen = 0;
    for (;;) {
      Job job;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait(lock, [&] { return stop_ || posted_ != seen; });
        if (stop_) return;
        seen = posted_;
        job = job_;
      }
      if (const int pause = helperPauseMicroseconds.load(); pause > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(pause));
      const int drawn = takeBands(job, seen);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        finished_ += drawn;
      }
      done_.notify_one();
    }
  }

  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  Job job_;
  std::atomic<uint64_t> next_{0};  // the job's number, then its next band in the low bits
  uint64_t posted_ = 0;
  int finished_ = 0;
  bool stop_ = false;
};

Helper& helper() {
  static Helper h;
  return h;
}

int& bandSetting() {
  static int bands = std::thread::hardware_concurrency() > 1 ? 2 : 1;
  return bands;
}

}  // namespace

int drawingBands() { return bandSetting(); }

void setHelperPause(int microseconds) { helperPauseMicroseconds.store(microseconds); }

void prepareDrawingBands() {
  if (bandSetting() == 2) helper().start();
}

int setDrawingBands(int bands) {
  bandSetting() = bands >= 2 ? 2 : 1;
  return bandSetting();
}

namespace {

// Every put-off draw that reaches the rows top <= y < bottom, in order, clipped to them.
void drawDeferredBand(const void* what, int32_t top, int32_t bottom) {
  const DeferredDrawing& deferred = *static_cast<const DeferredDrawing*>(what);
  uint32_t* rows = deferred.pixels + static_cast<size_t>(top) * static_cast<size_t>(deferred.width);
  for (const DeferredDraw& d : deferred.draws) {
    if (d.bottom <= top || d.top >= bottom) continue;
    d.draw(d, Canvas{rows, deferred.width, bottom - top, nullptr, d.opaque}, top);
  }
  // Then the stamps' rows here: the desktop's rows match the frame's, and the background copy of
  // this band has just read them (they are in the cache). The first and last bands also take any
  // rows beyond the frame's.
  const int32_t from = top == 0 ? INT32_MIN : top;
  const int32_t to = bottom == deferred.height ? INT32_MAX : bottom;
  for (const DeferredStamp& s : deferred.stamps) {
    if (s.bottom <= from || s.top >= to) continue;
    stampOrientedRows(s.x, s.y, *s.source, *s.target, s.screen, s.k, from, to, false);
  }
}

}  // namespace

void beginDeferred(DeferredDrawing& deferred, uint32_t* pixels, int32_t width, int32_t height) {
  deferred.pixels = pixels;
  deferred.width = width;
  deferred.height = height;
  deferred.draws.clear();
  deferred.stamps.clear();
  // Room for a battle at full size: three full fire arrays, both armies with their bars, and a
  // scorch from every fire in the same frame.
  deferred.draws.reserve(4096);
  deferred.stamps.reserve(4096);
  deferred.active = pixels != nullptr && width > 0 && height > 0;
}

void drawDeferred(DeferredDrawing& deferred) {
  if (deferred.draws.empty() && deferred.stamps.empty()) return;
  // Bands of about half a megabyte, so a band stays in the cache while all its draws run; a short
  // list (a frame with little moving) is drawn whole, on this thread.
  const int64_t rows = std::max<int64_t>(8, BAND_PIXELS / std::max(deferred.width, 1));
  const int pieces = deferred.draws.size() + deferred.stamps.size() < BANDED_FROM
                         ? 1
                         : static_cast<int>(std::clamp<int64_t>((deferred.height + rows - 1) / rows, 1, BAND_MASK));
  if (bandSetting() < 2 || pieces < 2) {
    for (int band = 0; band < pieces; ++band) {
      const auto [top, bottom] = bandRows(deferred.height, pieces, band);
      if (top < bottom) drawDeferredBand(&deferred, top, bottom);
    }
  } else {
    helper().draw(drawDeferredBand, &deferred, deferred.height, pieces);
  }
  deferred.draws.clear();
  deferred.stamps.clear();
}

void finishDeferred(DeferredDrawing& deferred) {
  drawDeferred(deferred);
  deferred.active = false;
}

bool deferDraw(const Canvas& canvas, const DeferredDraw& draw) {
  DeferredDrawing* deferred = canvas.deferred;
  if (deferred == nullptr || !deferred->active) return false;
  if (deferred->draws.size() == deferred->draws.capacity()) drawDeferred(*deferred);  // no room: draw what waits
  deferred->draws.push_back(draw);
  return true;
}

bool deferStamp(int32_t x, int32_t y, const Image& source, Image& target, ScreenSize screen, int32_t k) {
  DeferredDrawing* deferred = target.damage.deferred;
  if (deferred == nullptr || !deferred->active) return false;
  if (deferred->stamps.size() == deferred->stamps.capacity()) drawDeferred(*deferred);
  // Its damage now; its rows, a square's side at most in any orientation, band by band later.
  stampOrientedRows(x, y, source, target, screen, k, 0, 0, true);
  const int64_t side = std::max(source.width, source.height);
  const int32_t bottom = static_cast<int32_t>(std::min<int64_t>(int64_t{y} + side, INT32_MAX));
  deferred->stamps.push_back(DeferredStamp{&source, &target, screen, x, y, k, y, bottom});
  return true;
}

}  // namespace mw
