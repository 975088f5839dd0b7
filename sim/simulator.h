// The simulator: the real core on the headless platform, driven by a script.
#pragma once
#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/application.h"
#include "platform/headless/headless_platform.h"

namespace mw {

inline constexpr int32_t MAX_SCREEN_SIDE = 16384;  // the largest screen width or height
inline constexpr size_t MAX_SCRIPT_LINE = 65536;    // the longest script line, in bytes

struct SimOptions {
  int32_t screenWidth = 1280;
  int32_t screenHeight = 720;
  std::string desktopPicture;  // a BMP or PNG shown as the screen, instead of the synthetic one
  std::optional<uint32_t> seed;
  std::string dataDirectory;  // the folder holding Files/
  // Where dump, frame and desktop lines write their files (default: the file system). False when
  // the file cannot be written.
  std::function<bool(const std::string& path, const std::vector<uint8_t>& bytes)> writeOutput;
  // Frame steps a run may take in all; a step beyond it is a bad line. 0: no limit.
  uint64_t frameBudget = 0;
  // As the desktop program's command line would ask; the simulator shows no start hint by
  // default, so existing scripts and their frames stay as they were.
  StartOptions start{false, false, false};
  // Where F12 saves its pictures (none: a save fails and says so).
  std::string picturesFolder;
};

// The synthetic desktop of a given size: a calm wallpaper with a few windows on it.
ScreenCapture syntheticDesktop(int32_t width, int32_t height);
// Decodes a PNG or uncompressed BMP desktop picture into an opaque screen; throws
// std::runtime_error naming `path` when it is neither.
ScreenCapture decodeDesktopPicture(const std::vector<uint8_t>& bytes, const std::string& path);

class Simulator {
 public:
  // Builds the screen picture and starts the program; throws std::runtime_error when the
  // desktop picture cannot be read.
  explicit Simulator(const SimOptions& options);
  ~Simulator();

  // Runs script lines; returns 0, or prints "line N: ..." to stderr and returns 2 at a bad line
  // (also one longer than MAX_SCRIPT_LINE).
  int runScript(std::istream& script);
  // Runs one script line; throws std::runtime_error with a message when it is bad.
  void runLine(const std::string& line);
  // Runs the main loop until `frames` more frame steps have run or the quit message is taken.
  void step(uint64_t frames);

  Application& application() { return *application_; }
  HeadlessPlatform& platform() { return platform_; }
  World& world() { return application_->world(); }

 private:
  void writeOutput(const std::string& path, const std::vector<uint8_t>& bytes);

  HeadlessPlatform platform_;
  SimOptions options_;
  std::unique_ptr<Application> application_;
  bool finished_ = false;
  uint32_t pendingButtons_ = 0;  // buttons held once every queued message is handled
};

}  // namespace mw
