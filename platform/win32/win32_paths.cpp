// Where the Windows program finds Files\ and writes its snapshot.
#include "platform/win32/win32_paths.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

namespace mw {

std::wstring executableFolder() {
  std::vector<wchar_t> buffer(MAX_PATH);
  while (true) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return L".";
    if (length < buffer.size()) {
      std::wstring path(buffer.data(), length);
      const size_t slash = path.find_last_of(L"\\/");
      return slash == std::wstring::npos ? L"." : path.substr(0, slash);
    }
    buffer.resize(buffer.size() * 2);  // a long path: try again with more room
  }
}

namespace {

// True when the file can be created or rewritten (the folder exists and may be written to).
bool writable(const std::wstring& file) {
  HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool created = GetLastError() != ERROR_ALREADY_EXISTS;
  CloseHandle(handle);
  if (created) DeleteFileW(file.c_str());  // leaves nothing behind; the capture writes it anew
  return true;
}

// A known folder of the user's (empty when Windows has none to give).
std::wstring knownFolder(REFKNOWNFOLDERID id) {
  PWSTR folder = nullptr;
  std::wstring result;
  if (SHGetKnownFolderPath(id, 0, nullptr, &folder) == S_OK && folder != nullptr) result = folder;
  CoTaskMemFree(folder);
  return result;
}

}  // namespace

std::wstring chooseSnapshotPath(const std::wstring& dataFolder, std::wstring localAppData) {
  const std::wstring besideProgram = dataFolder + L"\\Files\\Img\\1.bmp";
  if (writable(besideProgram)) return besideProgram;
  if (localAppData.empty()) localAppData = knownFolder(FOLDERID_LocalAppData);
  if (localAppData.empty()) return besideProgram;  // nowhere else: the capture reports the failure
  const std::wstring folder = localAppData + L"\\Mirthwick";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder + L"\\1.bmp";
}

std::wstring picturesKnownFolder() { return knownFolder(FOLDERID_Pictures); }

}  // namespace mw
