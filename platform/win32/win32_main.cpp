// The Windows program's entry: its command line, Files\ beside the executable, the snapshot where
// it can be written, the Win32 platform, the main loop.
// The core's headers first: windows.h defines its message names as macros.
#include "app/application.h"
#include "app/command_line.h"
#include "app/paths.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_paths.h"
#include "platform/win32/win32_platform.h"

#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace {

// The arguments after the program's name, from the wide command line, in UTF-8.
std::vector<std::string> commandArguments() {
  std::vector<std::string> arguments;
  int count = 0;
  if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
    for (int i = 1; i < count; ++i) arguments.push_back(mw::narrow(wide[i]));
    LocalFree(wide);
  }
  return arguments;
}

// Writes the text whole to a console (as wide text) or to a file or pipe (as UTF-8).
bool writeText(HANDLE handle, const std::string& text) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  DWORD mode = 0;
  DWORD written = 0;
  if (GetConsoleMode(handle, &mode)) {
    const std::wstring wide = mw::widen(text);
    return WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) &&
           written == wide.size();
  }
  if (GetFileType(handle) == FILE_TYPE_UNKNOWN) return false;
  return WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
}

// A program without a console of its own says what the command line asked for where it can be
// seen: on the standard handle the parent gave it (redirected to a file or a pipe), else on the
// console of the parent that started it (a command prompt), else in a message box.
void showCommandText(const std::string& text, bool error) {
  if (text.empty()) return;
  if (writeText(GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE), text)) return;
  if (AttachConsole(ATTACH_PARENT_PROCESS)) {
    const HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, 0, nullptr);
    const bool shown = writeText(console, text);
    if (console != INVALID_HANDLE_VALUE) CloseHandle(console);
    FreeConsole();
    if (shown) return;
  }
  MessageBoxW(nullptr, mw::widen(text).c_str(), L"Mirthwick", MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION));
}

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
  // Help, version and a bad command line end here, before any photo, window or device.
  const mw::CommandLine command = mw::parseCommandLine(commandArguments());
  if (command.exitCode) {
    showCommandText(command.out, false);
    showCommandText(command.err, true);
    return *command.exitCode;
  }
  usePhysicalPixels();
  const std::wstring folder = mw::executableFolder();
  mw::setDataDirectory(mw::narrow(folder));
  mw::setSnapshotPath(mw::narrow(mw::chooseSnapshotPath(folder)));
  // Sleeps to the millisecond, for the frame pacing.
  timeBeginPeriod(1);
  int exitCode = 0;
  {
    mw::Win32Platform platform(instance, !command.options.mute);
    exitCode = mw::runMirthwick(platform, std::nullopt, command.options);
  }
  timeEndPeriod(1);
  return exitCode;
}
