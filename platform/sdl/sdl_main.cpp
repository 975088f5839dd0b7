// The desktop program's entry: its command line, Files/ and snapshot folder, the SDL platform, the
// main loop.
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/command_line.h"
#include "app/paths.h"
#include "platform/sdl/instance_lock.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/session_end.h"

int main(int argc, char** argv) {
  mw::endOnQuitSignals();
  // Help, version and a bad command line end here, before any lock, photo, window or device.
  const mw::CommandLine command = mw::parseCommandLine(std::vector<std::string>(argv + (argc > 0), argv + argc));
  if (command.exitCode) {
    std::fputs(command.out.c_str(), stdout);
    std::fputs(command.err.c_str(), stderr);
    // Help written into a full or closed output is a failure, not a silent success.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
      std::fprintf(stderr, "mirthwick: cannot write to standard output: %s\n", std::strerror(errno));
      return 1;
    }
    return *command.exitCode;
  }
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
  mw::SdlPlatform platform(!command.options.mute);
  if (!platform.ready()) return 1;
  mw::quitThroughMainLoop();
  const int status = mw::runMirthwick(platform, std::nullopt, command.options);
  return platform.failed() ? 1 : status;  // no window or renderer could be made
}
