// The entry sequence and the polling main loop.
#include "app/application.h"

#include "app/input.h"
#include "app/message_loop.h"
#include "app/platform.h"
#include "app/snapshot.h"
#include "world/frame.h"

namespace mw {

Application::Application(Platform& platform, std::optional<uint32_t> seed, const StartOptions& options)
    : platform_(platform), seed_(seed), options_(options) {}

Application::~Application() = default;

void Application::start() {
  captureDesktop(session_, platform_);
  platform_.createWindow(session_.screen.width, session_.screen.height);
  // Creating a window sends it its first messages; the first one photographs the desktop again,
  // before the window is shown.
  windowProc(session_, platform_, WM_NCCREATE, 0, 0);
  windowProc(session_, platform_, WM_CREATE, 0, 0);

  world_ = std::make_unique<World>();
  const uint32_t seed = seed_.value_or(0);
  startUp(*world_, platform_, session_, seed_ ? &seed : nullptr, options_);
}

bool Application::runPass() {
  if (peekMessage(platform_, session_.quit, message_)) {
    windowProc(session_, platform_, message_.message, message_.wParam, message_.lParam);
  } else {
    frameStep(*world_);
  }
  return message_.message != WM_QUIT;
}

int Application::finish() {
  if (world_) tearDown(*world_);
  return 0;
}

int runMirthwick(Platform& platform, std::optional<uint32_t> seed, const StartOptions& options) {
  Application application(platform, seed, options);
  application.start();
  while (application.runPass()) {
  }
  return application.finish();
}

}  // namespace mw
