// The desktop program's entry: its Files/ and snapshot folder, the SDL platform, the main loop.
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include "app/application.h"
#include "app/paths.h"
#include "platform/sdl/sdl_platform.h"

int main() {
  SDL_SetMainReady();
  // Files/ is found beside the executable or in ../share/mirthwick, whatever the current folder.
  if (char* base = SDL_GetBasePath()) {
    mw::locateProgramFiles(base);
    SDL_free(base);
  }
  mw::SdlPlatform platform;
  if (!platform.ready()) return 1;
  return mw::runMirthwick(platform);
}
