// mirthwick-soak: long seeded random sessions on the simulator, every frame checked; allocations
// are counted by the global operator new replaced below.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "sim/soak.h"

namespace {

std::atomic<uint64_t> allocationCount{0};

void* allocate(std::size_t size) {
  allocationCount.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

void* allocateAligned(std::size_t size, std::align_val_t alignment) {
  allocationCount.fetch_add(1, std::memory_order_relaxed);
  const std::size_t a = static_cast<std::size_t>(alignment);
  if (void* p = std::aligned_alloc(a, (size + a - 1) / a * a)) return p;
  throw std::bad_alloc();
}

uint64_t allocations() { return allocationCount.load(std::memory_order_relaxed); }

const char* const USAGE =
    "usage: mirthwick-soak [--frames N] [--seed N] [--screen WxH]... [--data DIR] [--progress]\n"
    "  --frames N     frame steps in all, shared by the screens (default 20000)\n"
    "  --seed N       seed of the session and the world (default 1)\n"
    "  --screen WxH   a screen to soak on; repeatable (default 1920x1080 and 800x480)\n"
    "  --data DIR     folder holding Files/ (default: beside this program)\n"
    "  --progress     a line every 10,000 frames\n";

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void* operator new(std::size_t size, std::align_val_t alignment) { return allocateAligned(size, alignment); }
void* operator new[](std::size_t size, std::align_val_t alignment) { return allocateAligned(size, alignment); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }

int main(int argc, char** argv) {
  mw::SoakOptions base;
  std::error_code error;
  base.dataDirectory = std::filesystem::read_symlink("/proc/self/exe", error).parent_path().string();
  base.allocations = allocations;
  uint64_t frames = 20000;
  std::vector<std::pair<int, int>> screens;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--frames" && hasValue) {
      frames = std::strtoull(argv[++i], nullptr, 10);
    } else if (arg == "--seed" && hasValue) {
      base.seed = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    } else if (arg == "--screen" && hasValue) {
      int w = 0, h = 0;
      if (std::sscanf(argv[++i], "%dx%d", &w, &h) != 2 || w <= 0 || h <= 0 || w > 16384 || h > 16384) {
        std::fprintf(stderr, "mirthwick-soak: bad screen size %s\n%s", argv[i], USAGE);
        return 2;
      }
      screens.emplace_back(w, h);
    } else if (arg == "--data" && hasValue) {
      base.dataDirectory = argv[++i];
    } else if (arg == "--progress") {
      base.progress = true;
    } else {
      std::fputs(USAGE, arg == "--help" ? stdout : stderr);
      return arg == "--help" ? 0 : 2;
    }
  }
  if (screens.empty()) screens = {{1920, 1080}, {800, 480}};

  int status = 0;
  for (size_t k = 0; k < screens.size(); ++k) {
    mw::SoakOptions options = base;
    options.width = screens[k].first;
    options.height = screens[k].second;
    options.frames = frames / screens.size() + (k == 0 ? frames % screens.size() : 0);
    options.warmUpFrames = std::min<uint64_t>(options.warmUpFrames, options.frames / 2 / 1000 * 1000);
    const mw::SoakReport r = mw::runSoak(options);
    std::printf("soak %dx%d seed %u: %llu frames; most soldiers green %d blue %d; most fires lighter %d green %d "
                "blue %d; tools taken %llu/%llu/%llu/%llu/%llu/%llu/%llu; Enter %llu, Space %llu, F11 %llu, "
                "option clicks %llu; allocations in frame steps %llu (in Enter/F11 reloads %llu); resident "
                "memory %llu KB after warm-up, peak %llu KB\n",
                options.width, options.height, options.seed, static_cast<unsigned long long>(r.frames), r.mostGreen,
                r.mostBlue, r.mostLighterFires, r.mostGreenFires, r.mostBlueFires,
                static_cast<unsigned long long>(r.toolsTaken[0]), static_cast<unsigned long long>(r.toolsTaken[1]),
                static_cast<unsigned long long>(r.toolsTaken[2]), static_cast<unsigned long long>(r.toolsTaken[3]),
                static_cast<unsigned long long>(r.toolsTaken[4]), static_cast<unsigned long long>(r.toolsTaken[5]),
                static_cast<unsigned long long>(r.toolsTaken[6]), static_cast<unsigned long long>(r.enterPresses),
                static_cast<unsigned long long>(r.spacePresses), static_cast<unsigned long long>(r.f11Presses),
                static_cast<unsigned long long>(r.optionClicks), static_cast<unsigned long long>(r.allocationsInSteps),
                static_cast<unsigned long long>(r.allocationsInReloads), static_cast<unsigned long long>(r.warmRssKb),
                static_cast<unsigned long long>(r.peakRssKb));
    std::fflush(stdout);
    if (!r.failure.empty()) {
      std::fprintf(stderr, "mirthwick-soak: FAILED at %s\n", r.failure.c_str());
      status = 1;
    }
  }
  return status;
}
