// Where the Windows program finds Files\ and writes its snapshot.
#pragma once
#include <string>

namespace mw {

// The folder of the running executable, without a trailing separator.
std::wstring executableFolder();

// The snapshot file: Files\Img\1.bmp in `dataFolder` when it can be written there, else
// 1.bmp in %LOCALAPPDATA%\Mirthwick (a program installed under Program Files), the folder
// created when missing. `localAppData` empty means the user's own from the system.
std::wstring chooseSnapshotPath(const std::wstring& dataFolder, std::wstring localAppData = {});

// The user's Pictures known folder; empty when the system names none.
std::wstring picturesKnownFolder();

}  // namespace mw
