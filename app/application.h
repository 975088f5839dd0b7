// The program's entry sequence and main loop, driven by any platform.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>

#include "app/messages.h"
#include "app/options.h"
#include "app/session.h"

namespace mw {

class Platform;
struct World;

class Application {
 public:
  // seed replaces the clock seed (tests and the simulator replay exactly); options are the command
  // line's (windowed start, sound off, start hint).
  explicit Application(Platform& platform, std::optional<uint32_t> seed = std::nullopt,
                       const StartOptions& options = {});
  ~Application();

  // Photographs the desktop, creates the window (whose first message photographs it again) and
  // starts the world.
  void start();
  // One pass of the main loop: a waiting message is dispatched, or else one frame step runs.
  // False once the quit message has been taken.
  bool runPass();
  // Tears the world down; the program's exit code.
  int finish();

  World& world() { return *world_; }
  Session& session() { return session_; }
  const StartOptions& options() const { return options_; }
  bool quitTaken() const { return message_.message == WM_QUIT; }

 private:
  Platform& platform_;
  std::optional<uint32_t> seed_;
  StartOptions options_;
  Session session_;  // screen size, input, quit and capture state of this run
  std::unique_ptr<World> world_;
  WindowMessage message_{};
};

// Runs the whole program on a platform until it quits; returns the exit code.
int runMirthwick(Platform& platform, std::optional<uint32_t> seed = std::nullopt, const StartOptions& options = {});

}  // namespace mw
