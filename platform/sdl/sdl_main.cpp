// The desktop program's entry: its Files/ and snapshot folder, the SDL platform, the main loop.
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cstdio>

#include "app/application.h"
#include "app/paths.h"
#include "platform/sdl/instance_lock.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/session_end.h"

int main() {
  SDL_SetMainReady();
  // A second one would photograph the first one's screen and replace its snapshot.
  if (mw::acquireInstanceLock() == mw::InstanceLock::HeldElsewhere) {
    std::fprintf(stderr, "Mirthwick is already running.\n");
    return 0;
  }
  mw::endQuietlyWhenDisplayGoes();
  // Files/ is found beside the executable or in ../share/mirthwick, whatever the current folder.
  if (char* base = SDL_GetBasePath()) {
    mw::locateProgramFiles(base);
    SDL_free(base);
  }
  mw::SdlPlatform platform;
  if (!platform.ready()) return 1;
  mw::quitOnHangup();
  return mw::runMirthwick(platform);
}
