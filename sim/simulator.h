// The simulator: the real core on the headless platform, driven by a script.
#pragma once
#include <cstdint>
#include <istream>
#include <memory>
#include <optional>
#include <string>

#include "app/application.h"
#include "platform/headless/headless_platform.h"

namespace mw {

struct SimOptions {
  int32_t screenWidth = 1280;
  int32_t screenHeight = 720;
  std::string desktopPicture;  // a BMP or PNG shown as the screen, instead of the synthetic one
  std::optional<uint32_t> seed;
  std::string dataDirectory;  // the folder holding Files/
};

// The synthetic desktop of a given size: a calm wallpaper with a few windows on it.
ScreenCapture syntheticDesktop(int32_t width, int32_t height);

class Simulator {
 public:
  // Builds the screen picture and starts the program; throws std::runtime_error when the
  // desktop picture cannot be read.
  explicit Simulator(const SimOptions& options);
  ~Simulator();

  // Runs script lines; returns 0, or prints "line N: ..." to stderr and returns 2 at a bad line.
  int runScript(std::istream& script);
  // Runs one script line; throws std::runtime_error with a message when it is bad.
  void runLine(const std::string& line);
  // Runs the main loop until `frames` more frame steps have run or the quit message is taken.
  void step(uint64_t frames);

  Application& application() { return *application_; }
  HeadlessPlatform& platform() { return platform_; }
  World& world() { return application_->world(); }

 private:
  HeadlessPlatform platform_;
  std::unique_ptr<Application> application_;
  bool finished_ = false;
  uint32_t pendingButtons_ = 0;  // buttons held once every queued message is handled
};

}  // namespace mw
