// The Windows program's entry: Files\ beside the executable, the snapshot where it can be written,
// the Win32 platform, the main loop.
// The core's headers first: windows.h defines its message names as macros.
#include "app/application.h"
#include "app/paths.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_paths.h"
#include "platform/win32/win32_platform.h"

#include <windows.h>
#include <mmsystem.h>

namespace {

// Physical pixels on every monitor, so the photo, the window and the mouse agree on a scaled
// display. The manifest asks for this already; the call covers a program started without it.
// (Wine refuses it; nothing changes there.)
void usePhysicalPixels() {
  using SetContext = BOOL(WINAPI*)(HANDLE);
  if (HMODULE user32 = GetModuleHandleW(L"user32.dll")) {
    if (auto set = reinterpret_cast<SetContext>(
            reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")))) {
      set(reinterpret_cast<HANDLE>(static_cast<intptr_t>(-4)));  // per monitor, version 2
    }
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  usePhysicalPixels();
  const std::wstring folder = mw::executableFolder();
  mw::setDataDirectory(mw::narrow(folder));
  mw::setSnapshotPath(mw::narrow(mw::chooseSnapshotPath(folder)));
  // Sleeps to the millisecond, for the frame pacing.
  timeBeginPeriod(1);
  int exitCode = 0;
  {
    mw::Win32Platform platform(instance);
    exitCode = mw::runMirthwick(platform);
  }
  timeEndPeriod(1);
  return exitCode;
}
