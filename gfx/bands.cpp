// Banded drawing of blend lists: the caller draws the top band, one helper thread the bottom.
#include "gfx/bands.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "gfx/compositing.h"

namespace mw {

namespace {

constexpr size_t BANDED_FROM = 64;  // shorter lists are not worth a hand-over

// Every item of the list drawn into the rows top <= y < bottom of the canvas.
void drawBand(const Canvas& canvas, const QueuedBlend* items, size_t count, int32_t top, int32_t bottom) {
  const Canvas band{canvas.pixels + static_cast<size_t>(top) * static_cast<size_t>(canvas.width), canvas.width,
                    bottom - top, nullptr, canvas.opaque};
  for (size_t i = 0; i < count; ++i) {
    if (i + 1 < count) prefetchBlend(band, items[i + 1].x, items[i + 1].y - top, *items[i + 1].image);
    blendImage(band, items[i].x, items[i].y - top, *items[i].image);
  }
}

// The helper: woken for a list, it takes bands from the same counter as the caller until none is
// left. Whoever takes a band draws all of it, so a helper that the machine does not run soon costs
// little: the caller takes the bands it has not begun. Started once; stopped at the program's end.
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

  void draw(const Canvas& canvas, const QueuedBlend* items, size_t count) {
    start();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      job_ = Job{canvas, items, count};
      next_.store(0);
      finished_ = 0;
      ++posted_;
    }
    wake_.notify_one();
    const int mine = takeBands(job_);
    std::unique_lock<std::mutex> lock(mutex_);
    finished_ += mine;
    done_.wait(lock, [&] { return finished_ == PIECES; });
  }

 private:
  static constexpr int PIECES = 8;  // bands of a list, taken one at a time

  struct Job {
    Canvas canvas;
    const QueuedBlend* items = nullptr;
    size_t count = 0;
  };

  // Draws bands until none is left; returns how many it drew.
  int takeBands(const Job& job) {
    int drawn = 0;
    for (int band = next_.fetch_add(1); band < PIECES; band = next_.fetch_add(1)) {
      const int32_t top = static_cast<int32_t>(int64_t{job.canvas.height} * band / PIECES);
      const int32_t bottom = static_cast<int32_t>(int64_t{job.canvas.height} * (band + 1) / PIECES);
      if (top < bottom) drawBand(job.canvas, job.items, job.count, top, bottom);
      ++drawn;
    }
    return drawn;
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
      const int drawn = takeBands(job);
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
  std::atomic<int> next_{PIECES};
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

void prepareDrawingBands() {
  if (bandSetting() == 2) helper().start();
}

int setDrawingBands(int bands) {
  bandSetting() = bands >= 2 ? 2 : 1;
  return bandSetting();
}

void blendQueued(Canvas canvas, const QueuedBlend* items, size_t count) {
  if (canvas.pixels == nullptr || count == 0) return;
  for (size_t i = 0; i < count; ++i) markBlendImage(canvas, items[i].x, items[i].y, *items[i].image);
  if (bandSetting() < 2 || count < BANDED_FROM || canvas.height < 2) {
    drawBand(canvas, items, count, 0, canvas.height);
    return;
  }
  helper().draw(canvas, items, count);
}

}  // namespace mw
