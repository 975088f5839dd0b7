// The desktop program's entry: its Files/ and snapshot folder, the SDL platform, the main loop.
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cstdio>
#include <string>

#include "app/application.h"
#include "app/paths.h"
#include "platform/sdl/instance_lock.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/session_end.h"

int main() {
  mw::endOnQuitSignals();
  SDL_SetMainReady();
  // A second one would photograph the first one's screen and replace its snapshot.
  std::string lockProblem;
  switch (mw::acquireInstanceLock(&lockProblem)) {
    case mw::InstanceLock::HeldElsewhere:
      std::fprintf(stderr, "Mirthwick is already running.\n");
      return 0;
    case mw::InstanceLock::Unavailable:
      std::fprintf(stderr, "Mirthwick: cannot take the one-instance lock: %s\n", lockProblem.c_str());
      return 1;
    case mw::InstanceLock::Held:
      break;
  }
  mw::endQuietlyWhenDisplayGoes();
  // Files/ is found beside the executable or in ../share/mirthwick, whatever the current folder.
  if (char* base = SDL_GetBasePath()) {
    mw::locateProgramFiles(base);
    SDL_free(base);
  }
  mw::SdlPlatform platform;
  if (!platform.ready()) return 1;
  mw::quitThroughMainLoop();
  const int status = mw::runMirthwick(platform);
  return platform.failed() ? 1 : status;  // no window or renderer could be made
}
